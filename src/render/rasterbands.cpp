#include "render/rasterbands.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

#include "core/error.h"
#include "files/ioerror.h"
#include "files/safesave.h"
#include "render/puzzlepicture.h"

namespace klt {

namespace {

constexpr int kBandRows = 256;

// Draws the rows [top, top + kBandRows) of the picture on a white band.
class BandPainter {
public:
    BandPainter(const PictureJob& job, const ReferenceScreen& screen)
        : job_(job), size_(pictureSize(job.field, job.cellSize)), band_(size_.width(), kBandRows, QImage::Format_RGB32)
    {
        if (band_.isNull())
            throw CommandError{QStringLiteral("Рисунок %1 × %2 точек слишком велик").arg(size_.width()).arg(size_.height()).toStdString()};
        // Fonts are sized for the screen, as on the whole bitmap.
        const int dpm = qRound(screen.dpi / 0.0254);
        band_.setDotsPerMeterX(dpm);
        band_.setDotsPerMeterY(dpm);
    }
    QSize size() const { return size_; }
    const QImage& draw(int top)
    {
        band_.fill(Qt::white);
        QPainter p(&band_);
        if (!p.isActive()) throw CommandError{"Не удалось начать рисование"};
        p.translate(0, -top);
        // The clip lets the drawing pass over the cells outside the band.
        p.setClipRect(QRect(0, top, size_.width(), kBandRows));
        PictureOptions options = job_.options;
        options.correction = false; // bitmaps never take it
        renderPicture(p, job_.field, job_.cellSize, job_.style, options);
        return band_;
    }

private:
    const PictureJob& job_;
    QSize size_;
    QImage band_;
};

void putBigEndian(std::string& out, std::uint32_t v)
{
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

void putLittleEndian(std::string& out, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

int pngChunk(const ContentPut& put, const char* type, const std::string& data)
{
    std::string chunk;
    putBigEndian(chunk, static_cast<std::uint32_t>(data.size()));
    chunk.append(type, 4);
    chunk += data;
    const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(chunk.data() + 4), static_cast<uInt>(4 + data.size()));
    putBigEndian(chunk, static_cast<std::uint32_t>(crc));
    return put(chunk);
}

// RGB rows, each after its filter byte (none), deflated into IDAT chunks.
int writePng(BandPainter& painter, const ContentPut& put, const RasterProgress& progress)
{
    const QSize size = painter.size();
    std::string header;
    putBigEndian(header, static_cast<std::uint32_t>(size.width()));
    putBigEndian(header, static_cast<std::uint32_t>(size.height()));
    header += std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, no filter method, no interlace
    if (int err = put(std::string_view("\x89PNG\r\n\x1a\n", 8))) return err;
    if (int err = pngChunk(put, "IHDR", header)) return err;

    z_stream z{};
    if (deflateInit(&z, 6) != Z_OK) return ENOMEM;
    std::vector<unsigned char> row(static_cast<size_t>(size.width()) * 3 + 1);
    std::string out(1 << 16, '\0');
    int err = 0;
    auto pump = [&](int flush) {
        do {
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, flush);
            const size_t made = out.size() - z.avail_out;
            if (made > 0 && !err) err = pngChunk(put, "IDAT", out.substr(0, made));
        } while (z.avail_out == 0 && !err);
    };
    for (int top = 0; top < size.height() && !err; top += kBandRows) {
        const QImage& band = painter.draw(top);
        const int rows = std::min(kBandRows, size.height() - top);
        for (int y = 0; y < rows && !err; ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(band.constScanLine(y));
            row[0] = 0;
            for (int x = 0; x < size.width(); ++x) {
                row[size_t(3 * x + 1)] = static_cast<unsigned char>(qRed(line[x]));
                row[size_t(3 * x + 2)] = static_cast<unsigned char>(qGreen(line[x]));
                row[size_t(3 * x + 3)] = static_cast<unsigned char>(qBlue(line[x]));
            }
            z.next_in = row.data();
            z.avail_in = static_cast<uInt>(row.size());
            pump(Z_NO_FLUSH);
        }
        if (progress) progress(top + rows, size.height());
    }
    if (!err) pump(Z_FINISH);
    deflateEnd(&z);
    if (err) return err;
    return pngChunk(put, "IEND", std::string());
}

std::uint64_t bmpRowBytes(int width)
{
    return (static_cast<std::uint64_t>(width) * 3 + 3) / 4 * 4;
}

// A 24-bit bitmap, its rows from the bottom up.
int writeBmp(BandPainter& painter, const ContentPut& put, const RasterProgress& progress)
{
    const QSize size = painter.size();
    const std::uint64_t rowBytes = bmpRowBytes(size.width());
    const std::uint64_t fileSize = 54 + rowBytes * static_cast<std::uint64_t>(size.height());
    std::string header = "BM";
    putLittleEndian(header, fileSize, 4);
    putLittleEndian(header, 0, 4);
    putLittleEndian(header, 54, 4);
    putLittleEndian(header, 40, 4);
    putLittleEndian(header, static_cast<std::uint64_t>(size.width()), 4);
    putLittleEndian(header, static_cast<std::uint64_t>(size.height()), 4);
    putLittleEndian(header, 1, 2);  // planes
    putLittleEndian(header, 24, 2); // bits a pixel
    putLittleEndian(header, 0, 4);  // no compression
    putLittleEndian(header, rowBytes * static_cast<std::uint64_t>(size.height()), 4);
    const int dpm = painter.draw(0).dotsPerMeterX();
    putLittleEndian(header, static_cast<std::uint64_t>(dpm), 4);
    putLittleEndian(header, static_cast<std::uint64_t>(dpm), 4);
    putLittleEndian(header, 0, 4);
    putLittleEndian(header, 0, 4);
    if (int err = put(header)) return err;
    std::string row(rowBytes, '\0');
    int done = 0;
    for (int bottom = size.height(); bottom > 0; bottom -= kBandRows) {
        const int top = std::max(0, bottom - kBandRows);
        const QImage& band = painter.draw(top);
        for (int y = bottom - 1; y >= top; --y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(band.constScanLine(y - top));
            for (int x = 0; x < size.width(); ++x) {
                row[size_t(3 * x)] = static_cast<char>(qBlue(line[x]));
                row[size_t(3 * x + 1)] = static_cast<char>(qGreen(line[x]));
                row[size_t(3 * x + 2)] = static_cast<char>(qRed(line[x]));
            }
            if (int err = put(row)) return err;
        }
        done += bottom - top;
        if (progress) progress(done, size.height());
    }
    return 0;
}

} // namespace

void writeRasterInBands(const PictureJob& job, ExportFormat format, const QString& path, const ReferenceScreen& screen,
                        const RasterProgress& progress)
{
    const QSize size = pictureSize(job.field, job.cellSize);
    std::uint64_t total = 0;
    if (format == ExportFormat::Bmp) {
        total = 54 + bmpRowBytes(size.width()) * static_cast<std::uint64_t>(size.height());
        if (total > 0xFFFFFFFFull)
            throw CommandError{QStringLiteral("Рисунок %1 × %2 точек слишком велик для BMP: файл был бы больше 4 ГБ")
                                   .arg(size.width())
                                   .arg(size.height())
                                   .toStdString()};
    }
    BandPainter painter(job, screen);
    const std::string target = QFile::encodeName(path).toStdString();
    const int err = saveFileSafely(target, total, [&](const ContentPut& put) {
        return format == ExportFormat::Bmp ? writeBmp(painter, put, progress) : writePng(painter, put, progress);
    });
    if (err) throw CommandError{cannotWriteText(path.toStdString(), err)};
}

} // namespace klt
