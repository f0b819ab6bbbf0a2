#include "files/qt/picturesource.h"

#include <QColor>
#include <QCoreApplication>
#include <QFile>
#include <QPaintDevice>
#include <QPainter>
#include <cerrno>

#include "files/ioerror.h"
#include "import/picture.h"

namespace klt::pictures {

FileBytes::FileBytes(const QString& path) : buffer_(64 * 1024)
{
    errno = 0;
    file_ = std::fopen(QFile::encodeName(path).constData(), "rb");
    if (!file_) {
        const int code = ioCodeFromErrno(errno);
        throw PictureError(QStringLiteral("Ошибка чтения с диска. Файл %1\r\n%2")
                               .arg(path, QString::fromStdString(ioErrorText(code))));
    }
}

FileBytes::~FileBytes()
{
    if (file_) std::fclose(file_);
}

bool FileBytes::fill()
{
    if (total_ >= kMaxFileBytes) return false;
    len_ = std::fread(buffer_.data(), 1, std::min(buffer_.size(), kMaxFileBytes - total_), file_);
    pos_ = 0;
    total_ += len_;
    return len_ > 0;
}

QColor colorOfValue(std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    return QColor(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF), static_cast<int>((v >> 16) & 0xFF));
}

std::optional<QRectF> visibleArea(const QPainter& painter)
{
    std::optional<QRectF> area;
    const QPaintDevice* device = painter.device();
    if (device && (device->devType() == QInternal::Image || device->devType() == QInternal::Pixmap ||
                   device->devType() == QInternal::Widget)) {
        bool invertible = false;
        const QTransform toLogical = painter.combinedTransform().inverted(&invertible);
        if (invertible) area = toLogical.mapRect(QRectF(0, 0, device->width(), device->height()));
    }
    if (painter.hasClipping()) area = area ? (*area & painter.clipBoundingRect()) : painter.clipBoundingRect();
    return area;
}

} // namespace klt::pictures
