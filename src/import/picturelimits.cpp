#include "import/picturelimits.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <cerrno>

#include "files/ioerror.h"
#include "import/picture.h"

namespace klt {

QString unreadablePictureText(const QString& path, const QString& reason)
{
    QString text = QStringLiteral("Не удалось прочитать рисунок %1.").arg(QFileInfo(path).fileName());
    if (!reason.isEmpty()) text += QStringLiteral("\r\n") + reason;
    return text;
}

void checkPictureSize(const QString& path, long long width, long long height, bool raster)
{
    if (width <= 0 || height <= 0)
        throw PictureError(unreadablePictureText(path, QStringLiteral("Рисунок не имеет размера.")));
    if (width > kMaxPictureSide || height > kMaxPictureSide || (raster && width * height > kMaxRasterPixels))
        throw PictureError(unreadablePictureText(
            path, QStringLiteral("Рисунок слишком велик: %1 x %2 точек.").arg(width).arg(height)));
}

QString systemReason(int err)
{
    return QString::fromStdString(systemErrorText(err)) + QLatin1Char('.');
}

QByteArray readPictureFile(const QString& path, long long maxBytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw PictureError(unreadablePictureText(path, systemReason(errno)));
    const qint64 size = file.size();
    if (size <= 0) throw PictureError(unreadablePictureText(path, QStringLiteral("Файл пуст.")));
    if (size > maxBytes)
        throw PictureError(unreadablePictureText(path, QStringLiteral("Файл слишком велик.")));
    QByteArray bytes = file.readAll();
    if (bytes.size() != size) throw PictureError(unreadablePictureText(path, systemReason(errno ? errno : EIO)));
    return bytes;
}

void installMagickLimits(); // magickdecoder.cpp

void installDecoderLimits()
{
    static const bool done = [] {
        QImageReader::setAllocationLimit(static_cast<int>(kMaxRasterPixels * 4 / (1024 * 1024)));
        installMagickLimits();
        return true;
    }();
    (void)done;
}

} // namespace klt
