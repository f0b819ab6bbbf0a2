#include "import/pictureview.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "import/conversion.h"
#include "import/runningrect.h"

namespace klt {

namespace {

QPixmap backgroundTexture()
{
    QPixmap tile(4, 4);
    tile.fill(QColor(0xC0, 0xC0, 0xC0));
    QPainter p(&tile);
    p.setPen(QColor(0xA0, 0xA0, 0xA0));
    p.drawPoint(0, 0);
    p.drawPoint(2, 2);
    return tile;
}

int floorDiv(int a, int b)
{
    return static_cast<int>(std::floor(double(a) / b));
}

} // namespace

// The view control: the view bitmap at the zoom, centred; its mouse goes to
// the picture view in view-control pixels.
class PictureViewControl : public QWidget {
public:
    explicit PictureViewControl(TPictureView* view) : QWidget(view), view_(view) { setMouseTracking(true); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const QImage& image = view_->image();
        if (image.isNull()) return;
        QPainter p(this);
        p.scale(view_->zoom(), view_->zoom());
        p.drawImage(viewControlOrigin(image.size()), image);
    }
    void mousePressEvent(QMouseEvent* e) override { view_->viewPress(e->button(), at(e)); }
    void mouseMoveEvent(QMouseEvent* e) override { view_->viewMove(e->buttons(), at(e)); }
    void mouseReleaseEvent(QMouseEvent* e) override { view_->viewRelease(e->button(), at(e)); }

private:
    QPoint at(QMouseEvent* e) const { return view_->toView(e->position().toPoint()); }
    TPictureView* view_;
};

TPictureView::TPictureView(QWidget* parent) : QFrame(parent)
{
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setBrush(QPalette::Window, QBrush(backgroundTexture()));
    setPalette(pal);

    control_ = new PictureViewControl(this);
    control_->setObjectName(QStringLiteral("Im"));
    rect_ = new TRunningRect(this);
    rect_->setObjectName(QStringLiteral("sMove"));
    rect_->setVisible(false);
    rect_->onMouseMove = [this](QMouseEvent* e) { rectMove(e->buttons(), rectToView(e)); };
    rect_->onMouseRelease = [this](QMouseEvent* e) { rectRelease(e->button(), rectToView(e)); };
    placeChildren();
}

void TPictureView::setImage(const QImage& image)
{
    image_ = image;
    control_->update();
}

std::optional<QRect> TPictureView::selection() const
{
    if (rect_->isHidden()) return std::nullopt;
    return selection_;
}

void TPictureView::setSelection(const std::optional<QRect>& rect)
{
    if (!rect) {
        setSelectionShown(false);
        return;
    }
    selection_ = *rect;
    placeChildren();
    rect_->setVisible(true);
    rect_->raise();
    emit selectionChanged();
}

void TPictureView::setSelectionShown(bool shown)
{
    if (rect_->isHidden() != shown) return;
    rect_->setVisible(shown);
    emit selectionChanged();
}

void TPictureView::setZoom(int zoom)
{
    zoom = std::max(1, zoom);
    if (zoom == zoom_) return;
    zoom_ = zoom;
    updateGeometry();
    placeChildren();
    control_->update();
}

void TPictureView::setAutoZoom(bool on)
{
    autoZoom_ = on;
    updateGeometry();
    if (on) {
        const QRect r = contentsRect();
        setZoom(std::min(r.width(), r.height()) / kViewSide);
    }
}

QSize TPictureView::sizeHint() const
{
    const int side = kViewSide * (autoZoom_ ? 1 : zoom_) + 2 * frameWidth();
    return {side, side};
}

QSize TPictureView::minimumSizeHint() const
{
    return sizeHint();
}

void TPictureView::resizeEvent(QResizeEvent* e)
{
    QFrame::resizeEvent(e);
    if (autoZoom_) {
        const QRect r = contentsRect();
        const int zoom = std::max(1, std::min(r.width(), r.height()) / kViewSide);
        if (zoom != zoom_) {
            zoom_ = zoom;
            control_->update();
        }
    }
    placeChildren();
}

void TPictureView::placeChildren()
{
    const QRect r = contentsRect();
    const int side = kViewSide * zoom_;
    control_->setGeometry(r.x() + std::max(0, (r.width() - side) / 2), r.y() + std::max(0, (r.height() - side) / 2),
                          side, side);
    rect_->setGeometry(QRect(control_->pos() + selection_.topLeft() * zoom_, selection_.size() * zoom_));
}

void TPictureView::setViewEnabled(bool on)
{
    control_->setEnabled(on);
}

QPoint TPictureView::toView(QPoint controlPixel) const
{
    return {floorDiv(controlPixel.x(), zoom_), floorDiv(controlPixel.y(), zoom_)};
}

QPoint TPictureView::rectToView(QMouseEvent* e) const
{
    return toView(e->position().toPoint() + rect_->pos() - control_->pos());
}

void TPictureView::setViewCursor(Qt::CursorShape shape)
{
    viewCursor_ = shape;
    control_->setCursor(shape);
}

void TPictureView::resetCursor()
{
    const Qt::CursorShape shape = image_.isNull() ? Qt::ArrowCursor : Qt::PointingHandCursor;
    setViewCursor(shape);
    rectCursor_ = shape;
    rect_->setCursor(shape);
}

void TPictureView::hover(QPoint at)
{
    const QPoint pixel = at - viewControlOrigin(image_.size());
    const bool onPicture = !image_.isNull() && image_.rect().contains(pixel);
    emit hovered(pixel, onPicture);
    setViewCursor(onPicture ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void TPictureView::viewPress(Qt::MouseButton button, QPoint at)
{
    downPoint_ = at;
    if (button == Qt::RightButton && pannable_) {
        setViewCursor(Qt::ClosedHandCursor);
        setSelectionShown(false);
        emit panStarted();
        return;
    }
    setSelectionShown(false);
    // The selection starts here, hidden until the first move.
    if (button == Qt::LeftButton && !image_.isNull()) {
        selection_ = QRect(at, QSize(1, 1));
        placeChildren();
    }
}

void TPictureView::viewMove(Qt::MouseButtons buttons, QPoint at)
{
    if ((buttons & Qt::RightButton) && viewCursor_ == Qt::ClosedHandCursor) {
        emit panMoved(downPoint_ - at);
        return;
    }
    if ((buttons & Qt::LeftButton) && !image_.isNull()) {
        setViewCursor(Qt::ArrowCursor);
        resizeSelection(at);
        return;
    }
    hover(at);
}

void TPictureView::resizeSelection(QPoint at)
{
    const int x = std::clamp(at.x(), 0, kViewSide);
    const int y = std::clamp(at.y(), 0, kViewSide);
    int left = selection_.x(), top = selection_.y(), width = selection_.width(), height = selection_.height();
    // The edge nearer the pointer follows it.
    if (x <= left + width / 2) {
        width = left + width - x;
        left = x;
    } else {
        width = x - left;
    }
    if (y <= top + height / 2) {
        height = top + height - y;
        top = y;
    } else {
        height = y - top;
    }
    setSelection(QRect(left, top, width, height));
}

void TPictureView::viewRelease(Qt::MouseButton button, QPoint at)
{
    QPoint end = at;
    if (button == Qt::LeftButton) {
        if (viewCursor_ == Qt::PointingHandCursor) {
            const QPoint pixel = at - viewControlOrigin(image_.size());
            if (!image_.isNull() && image_.rect().contains(pixel)) {
                emit pixelClicked(pixel);
                // The short-drag rule below then compares the press point with the picture pixel.
                end = pixel;
            }
        } else if (viewCursor_ == Qt::ArrowCursor) {
            resetCursor();
        }
    }
    if (std::abs(downPoint_.x() - end.x()) <= 2 || std::abs(downPoint_.y() - end.y()) <= 2) setSelectionShown(false);
    downPoint_ = QPoint();
    resetCursor();
}

void TPictureView::rectMove(Qt::MouseButtons buttons, QPoint at)
{
    if ((buttons & Qt::LeftButton) && !image_.isNull() && !movingRect_) {
        movingRect_ = true;
        grabOffset_ = at - selection_.topLeft();
    }
    if (movingRect_) {
        rectCursor_ = Qt::SizeAllCursor;
        rect_->setCursor(Qt::SizeAllCursor);
        selection_.moveTopLeft(at - grabOffset_);
        placeChildren();
        emit selectionChanged();
        return;
    }
    hover(at);
}

void TPictureView::rectRelease(Qt::MouseButton button, QPoint at)
{
    movingRect_ = false;
    // A click on the selection (no move) is a click on the view beneath, one pixel up and left.
    if ((rectCursor_ == Qt::PointingHandCursor || rectCursor_ == Qt::ArrowCursor) && button == Qt::LeftButton)
        viewRelease(Qt::LeftButton, at - QPoint(1, 1));
    resetCursor();
}

} // namespace klt
