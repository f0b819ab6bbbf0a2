#include "render/pictureexport.h"

#include <QBuffer>
#include <QClipboard>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeData>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QFile>
#include <QScreen>

#include "core/workspace.h"
#include "files/ioerror.h"
#include "files/safesave.h"
#include "render/puzzlepicture.h"
#include "render/rasterbands.h"
#include "render/svgwriter.h"

namespace klt {

namespace {

void paintOn(QPaintDevice& device, const PictureJob& job, const PictureOptions& options, qreal scale = 1)
{
    QPainter p(&device);
    if (!p.isActive()) throw CommandError{"Не удалось начать рисование"};
    p.scale(scale, scale);
    renderPicture(p, job.field, job.cellSize, job.style, options);
}

// The largest PDF page side many PDF tools accept: 200 inches.
constexpr qreal kMaxPdfPoints = 14400;

QByteArray encoded(const PictureJob& job, ExportFormat format)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    const ReferenceScreen screen = referenceScreen();
    const QSize size = pictureSize(job.field, job.cellSize);
    switch (format) {
    case ExportFormat::Wmf: return recordPicture(job, screen)->toPlaceableWmf();
    case ExportFormat::Emf: return recordPicture(job, screen)->toEmf();
    case ExportFormat::Bmp:
    case ExportFormat::Png:
        if (!rasterPicture(job, screen).save(&buffer, format == ExportFormat::Bmp ? "BMP" : "PNG"))
            throw CommandError{"Не удалось закодировать рисунок"};
        break;
    case ExportFormat::Svg: return pictureSvg(job.field, job.cellSize, job.style, job.options, screen.dpi);
    case ExportFormat::Pdf: {
        QPdfWriter pdf(&buffer);
        pdf.setResolution(screen.dpi);
        // A huge field's page is scaled down to the largest side PDF tools take.
        const QSizeF points = QSizeF(size) * 72.0 / screen.dpi;
        const qreal scale = std::min<qreal>(1, kMaxPdfPoints / std::max(points.width(), points.height()));
        pdf.setPageSize(QPageSize(points * scale, QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        pdf.setCreator(QStringLiteral("Клетомер"));
        paintOn(pdf, job, job.options, scale);
        break;
    }
    }
    return buffer.data();
}

} // namespace

ReferenceScreen referenceScreen()
{
    ReferenceScreen r;
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* s = QGuiApplication::primaryScreen()) {
            r.dpi = std::max(1, qRound(s->logicalDotsPerInchY()));
            if (!s->size().isEmpty()) r.pixels = s->size();
        }
    }
    return r;
}

std::unique_ptr<Metafile> recordPicture(const PictureJob& job, const ReferenceScreen& screen)
{
    auto mf = std::make_unique<Metafile>(pictureSize(job.field, job.cellSize), screen.dpi, screen.pixels);
    paintOn(*mf, job, job.options);
    return mf;
}

QImage rasterPicture(const PictureJob& job, const ReferenceScreen& screen, QSize cutTo)
{
    QSize size = pictureSize(job.field, job.cellSize);
    if (!cutTo.isEmpty()) size = size.boundedTo(cutTo);
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        throw CommandError{QStringLiteral("Рисунок %1 × %2 точек слишком велик").arg(size.width()).arg(size.height()).toStdString()};
    // Fonts are sized for the screen, as on the metafile.
    const int dpm = qRound(screen.dpi / 0.0254);
    image.setDotsPerMeterX(dpm);
    image.setDotsPerMeterY(dpm);
    image.fill(Qt::white);
    PictureOptions options = job.options;
    options.correction = false;
    paintOn(image, job, options);
    return image;
}

int defaultDigitPercent(ExportFormat format)
{
    switch (format) {
    case ExportFormat::Svg:
    case ExportFormat::Pdf:
    case ExportFormat::Png: return kDefaultDigitPercent;
    case ExportFormat::Wmf:
    case ExportFormat::Emf:
    case ExportFormat::Bmp: break;
    }
    return 0;
}

std::optional<ExportFormat> formatForPath(const QString& path)
{
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == QLatin1String("wmf")) return ExportFormat::Wmf;
    if (ext == QLatin1String("emf")) return ExportFormat::Emf;
    if (ext == QLatin1String("bmp")) return ExportFormat::Bmp;
    if (ext == QLatin1String("png")) return ExportFormat::Png;
    if (ext == QLatin1String("svg")) return ExportFormat::Svg;
    if (ext == QLatin1String("pdf")) return ExportFormat::Pdf;
    return std::nullopt;
}

void writePictureFile(const PictureJob& job, ExportFormat format, const QString& path, const RasterProgress& progress)
{
    // A large bitmap is drawn and written in bands, in bounded memory.
    const QSize size = pictureSize(job.field, job.cellSize);
    if ((format == ExportFormat::Png || format == ExportFormat::Bmp) &&
        static_cast<long long>(size.width()) * size.height() > kWholeRasterPixels) {
        writeRasterInBands(job, format, path, referenceScreen(), progress);
        return;
    }
    // Encoded first, so that a failure to draw leaves no file behind.
    writeWholeFile(path, encoded(job, format));
}

void writeWholeFile(const QString& path, const QByteArray& data)
{
    const std::string target = QFile::encodeName(path).toStdString();
    if (const int err = saveFileSafely(target, std::string_view(data.constData(), static_cast<size_t>(data.size()))))
        throw CommandError{cannotWriteText(path.toStdString(), err)};
}

QMimeData* metafileMimeData(const Metafile& metafile, const QImage& bitmap)
{
    auto* data = new QMimeData;
    data->setData(QStringLiteral("image/x-emf"), metafile.toEmf());
    data->setData(QStringLiteral("image/x-wmf"), metafile.toPlaceableWmf());
    data->setImageData(bitmap);
    return data;
}

void copyPictureToClipboard(const PictureJob& job, ExportFormat format)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    switch (format) {
    case ExportFormat::Wmf:
    case ExportFormat::Emf: clipboard->setMimeData(metafileMimeData(*recordPicture(job), rasterPicture(job))); break;
    case ExportFormat::Svg:
    case ExportFormat::Pdf: {
        auto* data = new QMimeData;
        data->setData(format == ExportFormat::Svg ? QStringLiteral("image/svg+xml") : QStringLiteral("application/pdf"),
                      encoded(job, format));
        data->setImageData(rasterPicture(job));
        clipboard->setMimeData(data);
        break;
    }
    case ExportFormat::Bmp:
    case ExportFormat::Png: clipboard->setImage(rasterPicture(job)); break;
    }
}

} // namespace klt
