#include "render/svgwriter.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QString>
#include <algorithm>
#include <cmath>

#include "core/cp1251.h"
#include "core/text.h"
#include "render/puzzlepicture.h"

namespace klt {

namespace {

// At most two decimals, without trailing zeros: "10", "10.5", "26.33".
QByteArray num(double v)
{
    QByteArray s = QByteArray::number(std::round(v * 100) / 100, 'f', 2);
    while (s.endsWith('0')) s.chop(1);
    if (s.endsWith('.')) s.chop(1);
    if (s == "-0") s = "0";
    return s;
}

// Text for element content and attribute values in double quotes. Control
// characters are not allowed in XML at all: line breaks and tabs become
// spaces (the cell shows one line), the rest is left out.
QByteArray escaped(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '&': out += QLatin1String("&amp;"); break;
        case '<': out += QLatin1String("&lt;"); break;
        case '>': out += QLatin1String("&gt;"); break;
        case '"': out += QLatin1String("&quot;"); break;
        case '\t':
        case '\n':
        case '\r': out += QLatin1Char(' '); break;
        default:
            if (c.unicode() >= 0x20) out += c;
        }
    }
    return out.toUtf8();
}

QByteArray colour(const QColor& c)
{
    return c.name(QColor::HexRgb).toLatin1();
}

// The font of a group of texts, as SVG attributes, and where the baseline
// lies below the centre of a cell.
struct TextFont {
    QByteArray attributes;
    double baselineShift = 0;
};

TextFont textFont(const QFont& font, int dpi)
{
    const double px = font.pixelSize() > 0 ? font.pixelSize() : font.pointSizeF() * dpi / 72.0;
    // The family the font database chose for this font, which is what the
    // other pictures show: a family named but missing falls back the same
    // way on a reader's machine only by luck.
    QString family = QFontInfo(font).family();
    family.replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('\''), QLatin1String("\\'"));
    TextFont t;
    t.attributes = " font-family=\"" + escaped(QLatin1Char('\'') + family + QLatin1String("', sans-serif")) +
                   "\" font-size=\"" + num(px) + '"';
    if (font.weight() != QFont::Normal) t.attributes += " font-weight=\"" + QByteArray::number(font.weight()) + '"';
    if (font.italic()) t.attributes += " font-style=\"italic\"";

    // The digits' middle is put on the cell's middle. Measured at a large
    // size, where hinting does not round the outlines, and scaled down.
    QFont probe = font;
    probe.setPixelSize(200);
    const QRectF digits = QFontMetricsF(probe).tightBoundingRect(QStringLiteral("0123456789"));
    t.baselineShift = digits.isEmpty() ? px * 0.35 : -(digits.top() + digits.bottom()) / 2 / 200.0 * px;
    return t;
}

} // namespace

QByteArray pictureSvg(const Field& field, int cellSize, const PictureStyle& style, const PictureOptions& options,
                      int dpi)
{
    if (dpi <= 0) dpi = 96;
    const int cols = field.colCount(), rows = field.rowCount(), s = cellSize;
    const QSize size = pictureSize(field, s);
    const int gridW = cols * s, gridH = rows * s;

    QByteArray out;
    out.reserve(4096);
    out += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n";
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"" +
           QByteArray::number(size.width() * 25.4 / dpi) + "mm\" height=\"" + QByteArray::number(size.height() * 25.4 / dpi) +
           "mm\" viewBox=\"0 0 " + QByteArray::number(size.width()) + ' ' + QByteArray::number(size.height()) + "\">\n";
    out += "<title>" + escaped(QStringLiteral("Клетомер")) + "</title>\n";

    // The grid's cells are white, the margin is left clear.
    out += "<rect id=\"background\" x=\"10\" y=\"10\" width=\"" + QByteArray::number(gridW + 1) + "\" height=\"" +
           QByteArray::number(gridH + 1) + "\" fill=\"#ffffff\"/>\n";

    // Filled cells reach from line to line; the lines are drawn over them.
    out += "<g id=\"fills\" fill=\"" + colour(style.fill) + "\">";
    if (options.answers) {
        QByteArray d;
        for (int x = 0; x < cols; ++x)
            for (int y = 0; y < rows; ++y)
                if (isFilledText(field.text(x, y))) {
                    d += 'M' + QByteArray::number(10 + x * s) + ' ' + QByteArray::number(10 + y * s) + 'h' +
                         QByteArray::number(s) + 'v' + QByteArray::number(s) + 'h' + QByteArray::number(-s) + 'z';
                }
        if (!d.isEmpty()) out += "<path d=\"" + d + "\"/>";
    }
    out += "</g>\n";

    // Line k covers the pixel column 10 + k·s, from the first line's pixel
    // row to the last one's inclusive.
    out += "<g id=\"grid\" fill=\"none\" stroke=\"#000000\" stroke-width=\"1\"><path d=\"";
    for (int k = 0; k <= cols; ++k)
        out += 'M' + num(10 + k * s + 0.5) + " 10v" + QByteArray::number(gridH + 1);
    for (int k = 0; k <= rows; ++k)
        out += "M10 " + num(10 + k * s + 0.5) + 'h' + QByteArray::number(gridW + 1);
    out += "\"/>";
    if (style.frameWidth > 1) {
        // A wide frame is centred on the grid's edge and the cells cover its
        // inner half: what shows is a band from half the width outside to
        // the edge line inclusive, on whole pixels.
        const int k = style.frameWidth / 2;
        const double inset = (k + 1) / 2.0;
        out += "<rect id=\"frame\" x=\"" + num(10 - k + inset) + "\" y=\"" + num(10 - k + inset) + "\" width=\"" +
               QByteArray::number(gridW + k) + "\" height=\"" + QByteArray::number(gridH + k) + "\" stroke-width=\"" +
               QByteArray::number(k + 1) + "\" stroke-linejoin=\"round\"/>";
    }
    out += "</g>\n";

    const QFont numberFont =
        options.digitPercent > 0 ? digitFont(style.numberFont, s, options.digitPercent) : style.numberFont;
    const TextFont clueFont = textFont(numberFont, dpi);
    const TextFont letterFont = textFont(style.letterFont, dpi);
    QByteArray clues, letters;
    for (int x = 0; options.numbers && x < cols; ++x) {
        for (int y = 0; y < rows; ++y) {
            const std::string& cell = field.text(x, y);
            const std::string shown = removeChars(cell, "-");
            if (shown.empty()) continue;
            // Clues take the grid's font; anything else is a prize letter.
            const bool number = parseNumber(cell).has_value();
            const TextFont& font = number ? clueFont : letterFont;
            // The middle between the cell's two lines.
            const double cx = 10 + x * s + s / 2.0 + 0.5, cy = 10 + y * s + s / 2.0 + 0.5;
            QByteArray& group = number ? clues : letters;
            group += "<text x=\"" + num(cx) + "\" y=\"" + num(cy + font.baselineShift) + '"';
            if (options.answers && isFilledText(cell)) group += " fill=\"#ffffff\"";
            group += '>' + escaped(QString::fromStdString(cp1251ToUtf8(shown))) + "</text>\n";
        }
    }
    out += "<g id=\"clues\"" + clueFont.attributes + " fill=\"" + colour(style.numberColor) +
           "\" text-anchor=\"middle\">\n" + clues + "</g>\n";
    out += "<g id=\"letters\"" + letterFont.attributes + " fill=\"" + colour(style.letterColor) +
           "\" text-anchor=\"middle\">\n" + letters + "</g>\n";
    out += "</svg>\n";
    return out;
}

} // namespace klt
