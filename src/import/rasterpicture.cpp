#include "import/rasterpicture.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <cerrno>
#include <optional>

#include "import/picturelimits.h"

namespace klt {

std::unique_ptr<RasterPicture> RasterPicture::fromImage(const QImage& image)
{
    auto picture = std::make_unique<RasterPicture>();
    picture->image_ = image;
    return picture;
}

void RasterPicture::loadFromFile(const QString& path)
{
    installDecoderLimits();
    QImage image = decoder_(path);
    if (image.isNull()) throw PictureError(unreadablePictureText(path, {}));
    checkPictureSize(path, image.width(), image.height(), true);
    image_ = std::move(image);
}

void RasterPicture::draw(QPainter& painter, const QRect& rect) const
{
    if (image_.isNull()) return;
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect, image_);
    painter.restore();
}

void IconPicture::draw(QPainter& painter, const QRect& rect) const
{
    if (image_.isNull()) return;
    QImage onWhite(image_.size(), QImage::Format_RGB32);
    onWhite.fill(Qt::white);
    {
        QPainter p(&onWhite);
        p.drawImage(0, 0, image_);
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter.drawImage(rect, onWhite);
    painter.restore();
}

namespace {

QString readerReason(QImageReader::ImageReaderError error)
{
    switch (error) {
    case QImageReader::FileNotFoundError: return QStringLiteral("Файл не найден.");
    case QImageReader::DeviceError: return QStringLiteral("Ошибка чтения файла.");
    case QImageReader::UnsupportedFormatError: return QStringLiteral("Формат рисунка не поддерживается.");
    case QImageReader::InvalidDataError: return QStringLiteral("Данные рисунка повреждены.");
    default: return QStringLiteral("Рисунок не прочитан.");
    }
}

} // namespace

QImage decodeWithQt(const QString& path, const QByteArray& format)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw PictureError(unreadablePictureText(path, systemReason(errno)));
    if (file.size() == 0) throw PictureError(unreadablePictureText(path, QStringLiteral("Файл пуст.")));
    QImageReader reader(&file, format);
    reader.setDecideFormatFromContent(false);
    reader.setAutoTransform(false);
    const QSize declared = reader.size();
    if (declared.isValid()) checkPictureSize(path, declared.width(), declared.height(), true);
    QImage image;
    if (!reader.read(&image)) throw PictureError(unreadablePictureText(path, readerReason(reader.error())));
    return image;
}

RasterPicture::Decoder firstThatReads(std::vector<RasterPicture::Decoder> decoders)
{
    return [decoders = std::move(decoders)](const QString& path) {
        std::optional<PictureError> first;
        for (const auto& decode : decoders) {
            try {
                QImage image = decode(path);
                if (!image.isNull()) return image;
            } catch (const PictureError& e) {
                if (!first) first = e;
            }
        }
        if (first) throw *first;
        throw PictureError(unreadablePictureText(path, {}));
    };
}

} // namespace klt
