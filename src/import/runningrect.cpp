#include "import/runningrect.h"

#include <QMouseEvent>
#include <QPainter>

namespace klt {

TRunningRect::TRunningRect(QWidget* parent) : QWidget(parent)
{
    resize(30, 30);
    setMouseTracking(true);
    timer_.setInterval(10);
    connect(&timer_, &QTimer::timeout, this, &TRunningRect::tick);
    timer_.start();
}

void TRunningRect::setVisible(bool visible)
{
    if (visible == shown_) return;
    shown_ = visible;
    QWidget::setVisible(visible);
    if (visible)
        timer_.start();
    else
        timer_.stop();
}

void TRunningRect::tick()
{
    if (!timer_.isActive()) return;
    if (++phase_ > 10) phase_ = 0;
    update();
}

void TRunningRect::paintDashes(QPainter& painter, int w, int h, int ph)
{
    painter.save();
    painter.setCompositionMode(QPainter::RasterOp_NotDestination);
    // Each dash runs from its first point up to, not including, its second.
    for (int i = 0; i <= w / 10; ++i) {
        const int a = 10 * i + ph;
        painter.fillRect(QRect(a, 0, 6, 1), Qt::black);              // top, to the right
        painter.fillRect(QRect(w - a - 5, h - 1, 6, 1), Qt::black);  // bottom, to the left
    }
    for (int i = 0; i <= h / 10; ++i) {
        const int a = 10 * i + ph;
        painter.fillRect(QRect(w - 1, a, 1, 6), Qt::black);          // right, downwards
        painter.fillRect(QRect(0, h - a - 5, 1, 6), Qt::black);      // left, upwards
    }
    painter.restore();
}

void TRunningRect::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintDashes(painter, width(), height(), phase_);
}

void TRunningRect::mouseMoveEvent(QMouseEvent* e)
{
    if (onMouseMove) onMouseMove(e);
}

void TRunningRect::mouseReleaseEvent(QMouseEvent* e)
{
    if (onMouseRelease) onMouseRelease(e);
}

} // namespace klt
