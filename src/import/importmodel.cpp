#include "import/importmodel.h"

#include <QPainter>
#include <algorithm>
#include <cmath>

#include "import/colourdepth.h"
#include "import/conversion.h"
#include "import/picturelimits.h"
#include "import/rasterpicture.h"

namespace klt {

long long roundHalfEven(double v)
{
    const double r = std::round(v);
    // std::round takes halves away from zero; step back to the even neighbour.
    if (std::abs(v - std::trunc(v)) == 0.5 && std::fmod(r, 2.0) != 0) return static_cast<long long>(r - std::copysign(1.0, v));
    return static_cast<long long>(r);
}

int loadScale(int width, int height, int p)
{
    const double w = width * (p / 100.0), h = height * (p / 100.0);
    if (w * h < kScaledPixelLimit) return p;
    const long long q = roundHalfEven(std::sqrt(kScaledPixelLimit / (double(width) * height)) * 100);
    return static_cast<int>(std::clamp<long long>(q, kMinScale, kMaxScale));
}

QSize scaledSize(int width, int height, int p)
{
    return QSize(static_cast<int>(roundHalfEven(p * double(width) / 100)),
                 static_cast<int>(roundHalfEven(p * double(height) / 100)));
}

int renderScale(int width, int height, int p)
{
    QSize s = scaledSize(width, height, p);
    while (static_cast<long long>(s.width()) * s.height() > kScaledPixelLimit && p > kMinScale) {
        int next = static_cast<int>(std::sqrt(kScaledPixelLimit / (double(width) * height)) * 100) - 1;
        // The formula gives the same value every time; never loop on it.
        if (next >= p) next = p - 1;
        p = std::max(next, kMinScale);
        s = scaledSize(width, height, p);
    }
    return p;
}

QImage renderScaled(const Picture& picture, int width, int height)
{
    QImage image(std::max(width, 0), std::max(height, 0), QImage::Format_RGB32);
    if (image.isNull()) return image;
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.draw(painter, QRect(0, 0, width, height));
    return image;
}

void ImportModel::setScale(int p)
{
    scale_ = std::clamp(p, kMinScale, kMaxScale);
}

bool ImportModel::takePicture(std::unique_ptr<Picture> picture)
{
    const int w = picture->width(), h = picture->height();
    scale_ = loadScale(w, h, scale_);
    const QSize s = scaledSize(w, h, scale_);
    const bool clipped = s.width() > kViewSide || s.height() > kViewSide;
    source_ = std::move(picture);
    offset_ = QPoint();
    depth_ = 0;
    applyScale();
    return clipped;
}

bool ImportModel::takeBitmap(const QImage& image)
{
    checkPictureSize(QStringLiteral("из буфера обмена"), image.width(), image.height(), true);
    offset_ = QPoint();
    QImage onWhite(image.size(), QImage::Format_RGB32);
    onWhite.fill(Qt::white);
    {
        QPainter p(&onWhite);
        p.drawImage(0, 0, image);
    }
    source_ = RasterPicture::fromImage(onWhite);
    // The pasted bitmap shows as it is, colours included, until the next
    // rendering applies the scale and the colour depth.
    view_ = onWhite;
    return clipView();
}

bool ImportModel::clipView()
{
    if (view_.width() <= kViewSide && view_.height() <= kViewSide) return false;
    view_ = view_.copy(0, 0, std::min(view_.width(), kViewSide), std::min(view_.height(), kViewSide));
    return true;
}

void ImportModel::applyScale()
{
    if (!hasPicture()) return;
    const int w = source_->width(), h = source_->height();
    scale_ = renderScale(w, h, scale_);
    const QSize s = scaledSize(w, h, scale_);
    const QImage scaled = renderScaled(*source_, s.width(), s.height());
    QImage view(std::min(s.width(), kViewSide), std::min(s.height(), kViewSide), QImage::Format_RGB32);
    view.fill(Qt::white);
    {
        QPainter p(&view);
        p.drawImage(-offset_.x(), -offset_.y(), scaled);
    }
    view_ = reduceDepth(view, depth_);
}

void ImportModel::setDepth(int position)
{
    setDepthPosition(position);
    applyScale();
}

void ImportModel::setDepthPosition(int position)
{
    depth_ = std::clamp(position, 0, kDepthPositions - 1);
}

void ImportModel::takeMetafile(std::unique_ptr<Picture> picture)
{
    checkPictureSize(QStringLiteral("из буфера обмена"), picture->width(), picture->height(), false);
    source_ = std::move(picture);
    offset_ = QPoint();
    applyScale();
}

bool ImportModel::fitsWidth() const
{
    return hasPicture() && kViewSide > source_->width() * double(scale_) / 100;
}

bool ImportModel::fitsHeight() const
{
    return hasPicture() && kViewSide > source_->height() * double(scale_) / 100;
}

void ImportModel::panTo(QPoint origin)
{
    offset_ = QPoint(fitsWidth() ? 0 : origin.x(), fitsHeight() ? 0 : origin.y());
    applyScale();
}

QPoint ImportModel::centreOrigin() const
{
    if (!hasPicture()) return {};
    const double p = scale_ / 100.0;
    return QPoint(static_cast<int>((roundHalfEven(source_->width() * p) - kViewSide) / 2),
                  static_cast<int>((roundHalfEven(source_->height() * p) - kViewSide) / 2));
}

} // namespace klt
