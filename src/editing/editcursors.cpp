#include "editing/editcursors.h"

#include <QPainter>
#include <QPainterPath>

namespace klt {

QPixmap pencilPicture()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A pencil lying from the bottom right to its tip at the top left corner.
    p.translate(0.5, 0.5);
    p.rotate(45);
    const QColor outline(0, 0, 0);
    // body along +x after the rotation: tip at the origin
    QPainterPath tip;
    tip.moveTo(0, 0);
    tip.lineTo(9, -3.5);
    tip.lineTo(9, 3.5);
    tip.closeSubpath();
    p.setPen(QPen(outline, 1));
    p.setBrush(QColor(240, 210, 160));
    p.drawPath(tip);
    QPainterPath lead;
    lead.moveTo(0, 0);
    lead.lineTo(3.5, -1.4);
    lead.lineTo(3.5, 1.4);
    lead.closeSubpath();
    p.setBrush(outline);
    p.drawPath(lead);
    p.setBrush(QColor(250, 200, 40));
    p.drawRect(QRectF(9, -3.5, 22, 7));
    p.setPen(QPen(QColor(200, 140, 0), 1));
    p.drawLine(QPointF(10, 0), QPointF(30, 0));
    p.setPen(QPen(outline, 1));
    p.setBrush(QColor(230, 120, 140));
    p.drawRect(QRectF(31, -3.5, 5, 7));
    return pm;
}

QPixmap bucketPicture()
{
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(0, 0, 0);
    // A tilted bucket pouring to the left; the paint drop ends at (8, 27).
    p.save();
    p.translate(18, 15);
    p.rotate(-35);
    QPainterPath bucket;
    bucket.moveTo(-8, -7);
    bucket.lineTo(8, -7);
    bucket.lineTo(6, 9);
    bucket.lineTo(-6, 9);
    bucket.closeSubpath();
    p.setPen(QPen(outline, 1.2));
    p.setBrush(QColor(200, 200, 210));
    p.drawPath(bucket);
    p.setBrush(QColor(40, 40, 40));
    p.drawEllipse(QRectF(-8, -9, 16, 4));
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(-7, -16, 14, 14), 0, 180 * 16);
    p.restore();
    // The paint running over the rim down to the drop.
    QPainterPath paint;
    paint.moveTo(9.5, 9);
    paint.cubicTo(5, 12, 6, 20, 8.5, 27.5);
    paint.cubicTo(10.5, 21, 12, 14, 13, 11);
    paint.closeSubpath();
    p.setPen(QPen(outline, 1));
    p.setBrush(QColor(20, 20, 20));
    p.drawPath(paint);
    p.setPen(Qt::NoPen);
    p.setBrush(outline);
    p.drawRect(QRect(8, 27, 1, 1));
    return pm;
}

QCursor drawCursor()
{
    return QCursor(pencilPicture(), 0, 0);
}

QCursor fillCursor()
{
    return QCursor(bucketPicture(), 8, 27);
}

} // namespace klt
