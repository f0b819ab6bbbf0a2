#include "import/rladecoder.h"

#include <QtEndian>
#include <vector>

#include "import/picture.h"
#include "import/picturelimits.h"

namespace klt {

namespace {

constexpr int kHeaderSize = 740;
// Offsets of the header fields used.
constexpr int kActiveWindow = 8;    // left, right, bottom, top (16-bit each)
constexpr int kStorageType = 18;
constexpr int kColourChannels = 20;
constexpr int kMatteChannels = 22;
constexpr int kAuxChannels = 24;
constexpr int kBitsPerChannel = 658;

} // namespace

QImage decodeRla(const QByteArray& bytes, const QString& path)
{
    auto fail = [&](const QString& reason) { return PictureError(unreadablePictureText(path, reason)); };
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const long long size = bytes.size();
    if (size < kHeaderSize) throw fail(QStringLiteral("Файл обрывается."));
    auto s16 = [p](int o) { return static_cast<int>(qFromBigEndian<qint16>(p + o)); };

    const long long width = static_cast<long long>(s16(kActiveWindow + 2)) - s16(kActiveWindow) + 1;
    const long long height = static_cast<long long>(s16(kActiveWindow + 6)) - s16(kActiveWindow + 4) + 1;
    int colours = s16(kColourChannels);
    if (colours == 0) colours = 3;
    const int mattes = s16(kMatteChannels);
    const int aux = s16(kAuxChannels);
    if (s16(kStorageType) != 0 || (colours != 1 && colours != 3) || mattes < 0 || mattes > 1 || aux < 0 || aux > 8 ||
        (s16(kBitsPerChannel) != 8 && s16(kBitsPerChannel) != 0))
        throw fail(QStringLiteral("Этот вид рисунков RLA не поддерживается."));
    checkPictureSize(path, width, height, true);
    const int w = static_cast<int>(width), h = static_cast<int>(height);
    if (size < kHeaderSize + 4LL * h) throw fail(QStringLiteral("Файл обрывается."));

    QImage image(w, h, QImage::Format_ARGB32);
    if (image.isNull()) throw fail(QStringLiteral("Не хватает памяти."));
    image.fill(mattes ? qRgba(0, 0, 0, 0) : qRgb(0, 0, 0));
    std::vector<uchar> line(static_cast<size_t>(w));
    const int channels = colours + mattes;
    for (int row = 0; row < h; ++row) {
        const long long offset = qFromBigEndian<quint32>(p + kHeaderSize + 4 * row);
        const int y = h - 1 - row; // the table starts with the bottom row
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
        long long at = offset;
        for (int channel = 0; channel < channels + aux; ++channel) {
            if (at < kHeaderSize || at + 2 > size) throw fail(QStringLiteral("Строка %1 повреждена.").arg(row + 1));
            const long long length = qFromBigEndian<quint16>(p + at);
            at += 2;
            const long long end = at + length;
            if (end > size) throw fail(QStringLiteral("Файл обрывается."));
            std::fill(line.begin(), line.end(), 0);
            int x = 0;
            while (at < end) {
                const int count = static_cast<qint8>(p[at++]);
                if (count < 0) {
                    // A literal run of -count bytes.
                    const int n = -count;
                    if (at + n > end || x + n > w) throw fail(QStringLiteral("Строка %1 повреждена.").arg(row + 1));
                    for (int k = 0; k < n; ++k) line[static_cast<size_t>(x++)] = p[at++];
                } else {
                    // One byte repeated count + 1 times.
                    const int n = count + 1;
                    if (at + 1 > end || x + n > w) throw fail(QStringLiteral("Строка %1 повреждена.").arg(row + 1));
                    const uchar v = p[at++];
                    for (int k = 0; k < n; ++k) line[static_cast<size_t>(x++)] = v;
                }
            }
            if (channel >= channels) continue; // auxiliary data (depth and the like)
            for (int i = 0; i < w; ++i) {
                const uchar v = line[static_cast<size_t>(i)];
                QRgb c = out[i];
                if (colours == 1 && channel == 0)
                    c = qRgba(v, v, v, qAlpha(c));
                else if (channel == 0)
                    c = qRgba(v, qGreen(c), qBlue(c), qAlpha(c));
                else if (channel == 1 && colours == 3)
                    c = qRgba(qRed(c), v, qBlue(c), qAlpha(c));
                else if (channel == 2 && colours == 3)
                    c = qRgba(qRed(c), qGreen(c), v, qAlpha(c));
                else
                    c = qRgba(qRed(c), qGreen(c), qBlue(c), v);
                out[i] = c;
            }
        }
    }
    return image;
}

QImage decodeRlaFile(const QString& path)
{
    return decodeRla(readPictureFile(path), path);
}

} // namespace klt
