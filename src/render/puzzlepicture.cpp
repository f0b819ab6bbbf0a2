#include "render/puzzlepicture.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/cp1251.h"
#include "core/text.h"

namespace klt {

QSize pictureSize(const Field& field, int cellSize)
{
    return {cellSize * field.colCount() + 20, cellSize * field.rowCount() + 20};
}

void drawBox(QPainter& painter, int left, int top, int right, int bottom)
{
    // QPainter outlines a w × h rectangle on w + 1 pixels; the box's right
    // and bottom are exclusive, so the outline ends one pixel before them.
    painter.drawRect(QRect(left, top, right - left - 1, bottom - top - 1));
}

QFont digitFont(const QFont& base, int cellSize, int percent)
{
    // The digits' height against the font's pixel size, measured once at a
    // large size where rounding does not matter.
    QFont probe = base;
    probe.setPixelSize(200);
    const qreal ratio = std::max<qreal>(0.3, QFontMetricsF(probe).tightBoundingRect(QStringLiteral("0123456789")).height() / 200.0);
    QFont f = base;
    f.setPixelSize(std::max(1, static_cast<int>(std::lround(cellSize * percent / 100.0 / ratio))));
    return f;
}

void renderPicture(QPainter& painter, const Field& field, int cellSize, const PictureStyle& style,
                   const PictureOptions& options)
{
    const int cols = field.colCount(), rows = field.rowCount(), s = cellSize;
    // Without the correction neighbouring outlines share one pixel line.
    const int e = options.correction ? 0 : 1;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setBackgroundMode(Qt::TransparentMode);

    // A wide frame is centred on the grid's edge; the cells cover its inner half.
    QPen frame(Qt::black);
    frame.setWidth(style.frameWidth);
    frame.setJoinStyle(Qt::RoundJoin);
    frame.setCapStyle(Qt::RoundCap);
    painter.setPen(frame);
    painter.setBrush(Qt::white);
    drawBox(painter, 10, 10, 10 + cols * s + e, 10 + rows * s + e);

    const QPen outline(Qt::black, 0);
    const QFont numberFont = options.digitPercent > 0 ? digitFont(style.numberFont, s, options.digitPercent) : style.numberFont;
    // A band of a large bitmap clips the drawing: cells outside it are passed over.
    const QRect clip = painter.hasClipping() ? painter.clipBoundingRect().toAlignedRect() : QRect();
    for (int x = 0; x < cols; ++x) {
        for (int y = 0; y < rows; ++y) {
            const int l = 10 + x * s, t = 10 + y * s;
            const int r = l + s + e, b = t + s + e;
            if (clip.isValid() && !clip.intersects(QRect(l - 1, t - 1, r - l + 2, b - t + 2))) continue;
            const std::string& cell = field.text(x, y);
            const bool coloured = options.answers && isFilledText(cell);
            painter.setPen(outline);
            painter.setBrush(coloured ? style.fill : QColor(Qt::white));
            drawBox(painter, l, t, r, b);

            if (!options.numbers) continue;
            const std::string shown = removeChars(cell, "-");
            if (shown.empty()) continue;
            // Clues take the grid's font; anything else is a prize letter.
            const bool number = parseNumber(cell).has_value();
            painter.setFont(number ? numberFont : style.letterFont);
            painter.setPen(coloured ? QColor(Qt::white) : (number ? style.numberColor : style.letterColor));
            painter.drawText(QRect(l, t, r - l, b - t), Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip,
                             QString::fromStdString(cp1251ToUtf8(shown)));
        }
    }
    painter.restore();
}

} // namespace klt
