#include "app/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

#include "app/pathview.h"
#include "editing/editcursors.h"

namespace klt {

namespace {

const QColor kInk(40, 40, 40);

// Draws in 16 x 16 units into a sharper 32 x 32 picture.
QIcon drawn(const std::function<void(QPainter&)>& draw)
{
    QIcon icon;
    for (int scale : {1, 2}) {
        QPixmap pm(16 * scale, 16 * scale);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(scale, scale);
        draw(p);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

void page(QPainter& p, const QColor& paper = Qt::white)
{
    QPainterPath path;
    path.moveTo(3.5, 1.5);
    path.lineTo(10, 1.5);
    path.lineTo(12.5, 4);
    path.lineTo(12.5, 14.5);
    path.lineTo(3.5, 14.5);
    path.closeSubpath();
    p.setPen(QPen(kInk, 1));
    p.setBrush(paper);
    p.drawPath(path);
    p.drawLine(QPointF(10, 1.5), QPointF(10, 4));
    p.drawLine(QPointF(10, 4), QPointF(12.5, 4));
}

// A small puzzle field: 3 x 3 cells, the given ones filled.
void field(QPainter& p, const QRectF& r, std::initializer_list<int> filled)
{
    const double cw = r.width() / 3, ch = r.height() / 3;
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.setBrush(kInk);
    for (int i : filled) p.drawRect(QRectF(r.left() + (i % 3) * cw, r.top() + (i / 3) * ch, cw, ch));
    p.setPen(QPen(QColor(150, 150, 150), 0.8));
    for (int i = 1; i < 3; ++i) {
        p.drawLine(QPointF(r.left() + i * cw, r.top()), QPointF(r.left() + i * cw, r.bottom()));
        p.drawLine(QPointF(r.left(), r.top() + i * ch), QPointF(r.right(), r.top() + i * ch));
    }
    p.setPen(QPen(kInk, 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(r);
}

void picture(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(kInk, 1));
    p.setBrush(QColor(170, 215, 250));
    p.drawRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(250, 200, 30));
    p.drawEllipse(QPointF(r.right() - 3, r.top() + 3), 1.6, 1.6);
    QPainterPath hill;
    hill.moveTo(r.left() + 0.5, r.bottom() - 0.5);
    hill.lineTo(r.left() + r.width() * 0.4, r.top() + r.height() * 0.4);
    hill.lineTo(r.left() + r.width() * 0.65, r.bottom() - r.height() * 0.3);
    hill.lineTo(r.left() + r.width() * 0.8, r.top() + r.height() * 0.55);
    hill.lineTo(r.right() - 0.5, r.bottom() - 0.5);
    hill.closeSubpath();
    p.setBrush(QColor(60, 150, 60));
    p.drawPath(hill);
}

void arrow(QPainter& p, QPointF from, QPointF to, const QColor& c)
{
    p.setPen(QPen(c, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(from, to);
    const QPointF d = to - from;
    const double len = std::hypot(d.x(), d.y());
    const QPointF u = d / len, n(-u.y(), u.x());
    QPainterPath head;
    head.moveTo(to + u * 2);
    head.lineTo(to - u * 2.5 + n * 3);
    head.lineTo(to - u * 2.5 - n * 3);
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(head);
}

struct Clue {
    int col, row;
    char digit;
};

// A 3 x 3 field with blue clue digits.
void cluedField(QPainter& p, std::initializer_list<Clue> clues)
{
    field(p, QRectF(0.5, 0.5, 15, 15), {});
    QFont f;
    f.setPixelSize(7);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(20, 60, 170));
    for (const Clue& c : clues)
        p.drawText(QRectF(0.5 + 5 * c.col, 0.5 + 5 * c.row, 5, 5), Qt::AlignCenter, QString(QLatin1Char(c.digit)));
}

void cup(QPainter& p)
{
    p.setPen(QPen(QColor(150, 100, 0), 1));
    p.setBrush(QColor(250, 200, 40));
    QPainterPath bowl;
    bowl.moveTo(3.5, 1.5);
    bowl.lineTo(12.5, 1.5);
    bowl.cubicTo(12.5, 8, 10, 9.5, 8, 9.5);
    bowl.cubicTo(6, 9.5, 3.5, 8, 3.5, 1.5);
    p.drawPath(bowl);
    p.setBrush(Qt::NoBrush);
    p.drawArc(QRectF(0.8, 2.5, 4, 4), 90 * 16, 180 * 16);
    p.drawArc(QRectF(11.2, 2.5, 4, 4), -90 * 16, 180 * 16);
    p.setBrush(QColor(250, 200, 40));
    p.drawRect(QRectF(7, 9.5, 2, 3));
    p.drawRect(QRectF(4.5, 12.5, 7, 2));
}

void cross(QPainter& p, const QRectF& r)
{
    p.setPen(QPen(QColor(210, 20, 20), 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(r.topLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomLeft());
}

QIcon fromPicture(const QPixmap& pm32)
{
    QIcon icon;
    icon.addPixmap(pm32.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    icon.addPixmap(pm32);
    return icon;
}

} // namespace

QIcon actionIcon(const QString& name)
{
    if (name == QLatin1String("acNew")) return drawn([](QPainter& p) { page(p); });
    if (name == QLatin1String("acOpen"))
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(150, 110, 20), 1));
            p.setBrush(QColor(235, 190, 80));
            p.drawRect(QRectF(1.5, 3.5, 11, 10));
            p.setBrush(QColor(250, 220, 120));
            QPainterPath lid;
            lid.moveTo(1.5, 13.5);
            lid.lineTo(4.5, 7.5);
            lid.lineTo(15, 7.5);
            lid.lineTo(12.5, 13.5);
            lid.closeSubpath();
            p.drawPath(lid);
        });
    if (name == QLatin1String("acSave") || name == QLatin1String("acSaveAs") || name == QLatin1String("acSaveSel"))
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(20, 40, 110), 1));
            p.setBrush(QColor(60, 100, 190));
            p.drawRect(QRectF(1.5, 1.5, 13, 13));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(3.5, 1.5, 9, 6));
            p.setBrush(QColor(200, 200, 210));
            p.drawRect(QRectF(4.5, 10, 7, 4.5));
        });
    if (name == QLatin1String("acImport"))
        return drawn([](QPainter& p) {
            picture(p, QRectF(0.5, 0.5, 10, 8));
            field(p, QRectF(8.5, 8.5, 7, 7), {0, 4, 8});
            arrow(p, QPointF(3, 10), QPointF(5.5, 13.5), QColor(30, 140, 30));
        });
    if (name == QLatin1String("acExp"))
        return drawn([](QPainter& p) {
            field(p, QRectF(0.5, 0.5, 8, 8), {1, 3, 4, 5, 7});
            picture(p, QRectF(6.5, 8.5, 9, 7));
            arrow(p, QPointF(10, 2.5), QPointF(13, 5.5), QColor(30, 140, 30));
        });
    if (name == QLatin1String("acExit"))
        return drawn([](QPainter& p) {
            p.setPen(QPen(kInk, 1));
            p.setBrush(QColor(160, 110, 60));
            p.drawRect(QRectF(2.5, 1.5, 8, 13));
            p.setBrush(kInk);
            p.drawEllipse(QPointF(8.5, 8), 0.8, 0.8);
            arrow(p, QPointF(9, 8), QPointF(14, 8), QColor(200, 30, 30));
        });
    if (name == QLatin1String("acUndo"))
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(30, 80, 180), 2, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            QPainterPath curve;
            curve.moveTo(4, 6);
            curve.cubicTo(8, 3, 14, 5, 13, 10);
            curve.cubicTo(12.5, 12.5, 10, 13.5, 8, 13.5);
            p.drawPath(curve);
            QPainterPath head;
            head.moveTo(1.5, 7.5);
            head.lineTo(6.5, 2.5);
            head.lineTo(7.5, 8.5);
            head.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(30, 80, 180));
            p.drawPath(head);
        });
    if (name == QLatin1String("acDefault"))
        return drawn([](QPainter& p) {
            QPainterPath a;
            a.moveTo(4, 1.5);
            a.lineTo(4, 13);
            a.lineTo(6.8, 10.4);
            a.lineTo(9, 14.8);
            a.lineTo(10.8, 13.9);
            a.lineTo(8.7, 9.6);
            a.lineTo(12.3, 9.6);
            a.closeSubpath();
            p.setPen(QPen(Qt::black, 1));
            p.setBrush(Qt::white);
            p.drawPath(a);
        });
    if (name == QLatin1String("acDraw")) return fromPicture(pencilPicture());
    if (name == QLatin1String("acFill")) return fromPicture(bucketPicture());
    if (name == QLatin1String("acFont") || name == QLatin1String("acKeyWordFont"))
        return drawn([](QPainter& p) {
            QFont f(QStringLiteral("Serif"));
            f.setPixelSize(14);
            f.setBold(true);
            p.setFont(f);
            p.setPen(QColor(20, 20, 120));
            p.drawText(QRectF(0, 0, 11, 16), Qt::AlignCenter, QStringLiteral("A"));
            f.setPixelSize(9);
            p.setFont(f);
            p.setPen(QColor(160, 20, 20));
            p.drawText(QRectF(8, 4, 8, 12), Qt::AlignCenter, QStringLiteral("a"));
        });
    if (name == QLatin1String("acHideBlack"))
        return drawn([](QPainter& p) {
            field(p, QRectF(1.5, 1.5, 13, 13), {1, 3, 4, 5, 7});
            p.setPen(QPen(Qt::white, 3.5, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(3, 13), QPointF(13, 3));
            p.setPen(QPen(QColor(210, 20, 20), 1.6, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(3, 13), QPointF(13, 3));
        });
    if (name == QLatin1String("acPrize")) return drawn([](QPainter& p) { cup(p); });
    if (name == QLatin1String("acDelPrize"))
        return drawn([](QPainter& p) {
            cup(p);
            cross(p, QRectF(8, 8, 6.5, 6.5));
        });
    if (name == QLatin1String("acCalc") || name == QLatin1String("acCalcAndCorrect"))
        return drawn([](QPainter& p) { cluedField(p, {{0, 0, '1'}, {2, 0, '2'}, {1, 1, '4'}, {0, 2, '3'}}); });
    if (name == QLatin1String("acCalcAdvanced"))
        return drawn([](QPainter& p) {
            cluedField(p, {{0, 0, '1'}, {2, 2, '3'}});
            // Fewer numbers: the rest is reasoned out.
            p.setPen(QPen(QColor(150, 40, 160), 1.8, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(6, 8), QPointF(10, 8));
            p.drawLine(QPointF(8, 6), QPointF(8, 10));
        });
    if (name == QLatin1String("acUnique"))
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(20, 60, 170), 1));
            p.setBrush(QColor(60, 110, 220));
            p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
            QFont f;
            f.setPixelSize(11);
            f.setBold(true);
            p.setFont(f);
            p.setPen(Qt::white);
            p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("1"));
        });
    if (name == QLatin1String("acGrade"))
        return drawn([](QPainter& p) {
            // A gauge of three bars, one per level, in the colours of the solving path.
            p.setPen(QPen(kInk, 1));
            for (int level = 1; level <= 3; ++level) {
                const double h = 3.0 + 4.0 * level, x = 0.5 + 5 * (level - 1);
                p.setBrush(levelColor(level, true));
                p.drawRect(QRectF(x, 15.5 - h, 4, h));
            }
        });
    if (name == QLatin1String("acHint"))
        return drawn([](QPainter& p) {
            // A lit bulb.
            p.setPen(QPen(QColor(150, 110, 0), 1));
            p.setBrush(QColor(255, 215, 60));
            QPainterPath bulb;
            bulb.moveTo(5.5, 10.5);
            bulb.cubicTo(5.5, 8.5, 2.5, 7.5, 2.5, 5.5);
            bulb.cubicTo(2.5, 2.5, 5, 0.5, 8, 0.5);
            bulb.cubicTo(11, 0.5, 13.5, 2.5, 13.5, 5.5);
            bulb.cubicTo(13.5, 7.5, 10.5, 8.5, 10.5, 10.5);
            bulb.closeSubpath();
            p.drawPath(bulb);
            p.setPen(QPen(kInk, 1));
            p.setBrush(QColor(170, 170, 170));
            p.drawRect(QRectF(5.5, 11, 5, 3));
            p.drawLine(QPointF(6.5, 15.2), QPointF(9.5, 15.2));
            p.setPen(QPen(Qt::white, 1.2, Qt::SolidLine, Qt::RoundCap));
            p.drawArc(QRectF(4.5, 2.5, 5, 5), 100 * 16, 80 * 16);
        });
    if (name == QLatin1String("acCalcLevel1") || name == QLatin1String("acCalcLevel2") ||
        name == QLatin1String("acCalcLevel3"))
        return drawn([name](QPainter& p) {
            cluedField(p, {{0, 0, '1'}, {2, 2, '3'}});
            // The level in its colour, in the free corner.
            const int level = name.back().digitValue();
            p.setPen(Qt::NoPen);
            p.setBrush(levelColor(level, true));
            p.drawRoundedRect(QRectF(8.5, 0.5, 7, 8), 1.5, 1.5);
            QFont f;
            f.setPixelSize(8);
            f.setBold(true);
            p.setFont(f);
            p.setPen(Qt::white);
            p.drawText(QRectF(8.5, 0.5, 7, 8), Qt::AlignCenter, QString::number(level));
        });
    if (name == QLatin1String("acPrint"))
        return drawn([](QPainter& p) {
            p.setPen(QPen(kInk, 1));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 1.5, 7, 5));
            p.setBrush(QColor(170, 170, 170));
            p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.5, 1.5);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 10.5, 7, 4));
            p.setPen(QPen(kInk, 0.8));
            p.drawLine(QPointF(6, 12.5), QPointF(10, 12.5));
        });
    if (name == QLatin1String("acCheck"))
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(20, 150, 40), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            p.setBrush(Qt::NoBrush);
            QPainterPath tick;
            tick.moveTo(2.5, 8.5);
            tick.lineTo(6.5, 12.5);
            tick.lineTo(13.5, 3);
            p.drawPath(tick);
        });
    if (name == QLatin1String("acStop"))
        return drawn([](QPainter& p) {
            QPolygonF oct;
            for (int i = 0; i < 8; ++i) {
                const double a = (22.5 + 45 * i) * 3.14159265 / 180;
                oct << QPointF(8 + 7 * std::cos(a), 8 + 7 * std::sin(a));
            }
            p.setPen(QPen(QColor(120, 0, 0), 1));
            p.setBrush(QColor(210, 30, 30));
            p.drawPolygon(oct);
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4, 7, 8, 2));
        });
    if (name == QLatin1String("acPreview"))
        return drawn([](QPainter& p) {
            field(p, QRectF(0.5, 0.5, 10, 10), {0, 4, 8, 2});
            p.setPen(QPen(kInk, 1.5));
            p.setBrush(QColor(220, 235, 255, 170));
            p.drawEllipse(QPointF(9, 9), 3.8, 3.8);
            p.setPen(QPen(kInk, 2.4, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(11.8, 11.8), QPointF(14.8, 14.8));
        });
    if (name == QLatin1String("acRefresh"))
        return drawn([](QPainter& p) {
            p.setPen(QPen(QColor(20, 140, 40), 2, Qt::SolidLine, Qt::RoundCap));
            p.setBrush(Qt::NoBrush);
            p.drawArc(QRectF(2.5, 2.5, 11, 11), 30 * 16, 270 * 16);
            QPainterPath head;
            head.moveTo(14.5, 1.5);
            head.lineTo(14.5, 7.5);
            head.lineTo(8.5, 5.5);
            head.closeSubpath();
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(20, 140, 40));
            p.drawPath(head);
        });
    if (name == QLatin1String("acCopy") || name == QLatin1String("acPaste"))
        return drawn([name](QPainter& p) {
            if (name == QLatin1String("acPaste")) {
                p.setPen(QPen(QColor(120, 80, 30), 1));
                p.setBrush(QColor(200, 150, 80));
                p.drawRect(QRectF(1.5, 2.5, 10, 12));
                p.setBrush(QColor(220, 220, 220));
                p.drawRect(QRectF(4.5, 1.5, 4, 2.5));
                p.setPen(QPen(kInk, 1));
                p.setBrush(Qt::white);
                p.drawRect(QRectF(6.5, 6.5, 8, 8.5));
            } else {
                p.setPen(QPen(kInk, 1));
                p.setBrush(Qt::white);
                p.drawRect(QRectF(1.5, 1.5, 8, 9));
                p.drawRect(QRectF(6.5, 5.5, 8, 9));
            }
        });
    if (name == QLatin1String("acCut"))
        return drawn([](QPainter& p) {
            p.setPen(QPen(kInk, 1.4));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(4.5, 12), 2.4, 2.4);
            p.drawEllipse(QPointF(11.5, 12), 2.4, 2.4);
            p.drawLine(QPointF(6, 10), QPointF(11.5, 1.5));
            p.drawLine(QPointF(10, 10), QPointF(4.5, 1.5));
        });
    if (name == QLatin1String("acWhite") || name == QLatin1String("acBlack") || name == QLatin1String("acInvert"))
        return drawn([name](QPainter& p) {
            if (name == QLatin1String("acWhite")) field(p, QRectF(1.5, 1.5, 13, 13), {});
            else if (name == QLatin1String("acBlack")) field(p, QRectF(1.5, 1.5, 13, 13), {0, 1, 2, 3, 4, 5, 6, 7, 8});
            else field(p, QRectF(1.5, 1.5, 13, 13), {0, 2, 4, 6, 8});
        });
    return {};
}

} // namespace klt
