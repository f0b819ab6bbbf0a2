// The SVG picture: well-formed layers a layout program can restyle, nothing
// written for blank cells, crisp one-pixel lines, a font the machine has,
// and the same pixels as the bitmap when rasterised.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFontInfo>
#include <QPainter>
#include <QRegularExpression>
#include <QSvgRenderer>
#include <QXmlStreamReader>
#include <map>

#include "core/cp1251.h"
#include "render/pictureexport.h"
#include "render/puzzlepicture.h"
#include "render/svgwriter.h"
#include "fieldrows.h"

using namespace klt;

namespace {

using klt::test::fieldOf;

struct Element {
    QString name;
    QXmlStreamAttributes attributes;
    QString text;
};

// The document as its root's attributes, the layers' attributes by id and
// every element below each layer.
struct Svg {
    QXmlStreamAttributes root;
    std::map<QString, QXmlStreamAttributes> layers;
    std::map<QString, std::vector<Element>> content;
    int textCount = 0; // <text> anywhere
};

Svg parse(const QByteArray& bytes)
{
    Svg svg;
    QXmlStreamReader xml(bytes);
    QString layer;
    int depth = 0, layerDepth = -1;
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        if (token == QXmlStreamReader::StartElement) {
            ++depth;
            const QString name = xml.name().toString();
            if (name == QLatin1String("svg")) svg.root = xml.attributes();
            if (name == QLatin1String("text")) ++svg.textCount;
            if (name == QLatin1String("g") && layerDepth < 0) {
                layer = xml.attributes().value(QLatin1String("id")).toString();
                layerDepth = depth;
                svg.layers[layer] = xml.attributes();
                svg.content[layer];
            } else if (layerDepth >= 0) {
                Element e{name, xml.attributes(), {}};
                if (name == QLatin1String("text")) {
                    e.text = xml.readElementText();
                    --depth;
                }
                svg.content[layer].push_back(e);
            }
        } else if (token == QXmlStreamReader::EndElement) {
            if (depth-- == layerDepth) layerDepth = -1;
        }
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString() << " at line " << xml.lineNumber();
    return svg;
}

double attr(const Element& e, const char* name)
{
    return e.attributes.value(QLatin1String(name)).toDouble();
}

QString attr(const QXmlStreamAttributes& a, const char* name)
{
    return a.value(QLatin1String(name)).toString();
}

// The numbers of a path's data in order.
std::vector<double> pathNumbers(const QString& d)
{
    std::vector<double> out;
    static const QRegularExpression number(QStringLiteral("-?[0-9]+(\\.[0-9]+)?"));
    for (auto it = number.globalMatch(d); it.hasNext();) out.push_back(it.next().captured().toDouble());
    return out;
}

QByteArray svgOf(const Field& field, int cell, const PictureStyle& style, const PictureOptions& options)
{
    return pictureSvg(field, cell, style, options, 96);
}

QImage rasterised(const QByteArray& svg, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QSvgRenderer renderer(svg);
    EXPECT_TRUE(renderer.isValid());
    QPainter p(&image);
    renderer.render(&p, QRectF(QPointF(0, 0), QSizeF(size)));
    return image;
}

} // namespace

// One small puzzle, task and answers: the layers, what each holds, where
// texts stand and which colour they take.
TEST(SvgPicture, LayersHoldTheCellsThatShowSomething)
{
    // Row 0: a filled clue, a white clue, a letter, a filled letter, a filled
    // blank, a blank. Row 1: characters XML reserves, a zero, blanks.
    const Field field = fieldOf({"-3|7|Ж|-Ж|-|", "<&>|0||||\"'"});
    PictureStyle style;
    style.fill = QColor(0, 0, 200);
    style.numberColor = QColor(0, 128, 0);
    style.letterColor = QColor(128, 0, 0);
    style.letterFont = QFont(QStringLiteral("DejaVu Serif"), 14, QFont::Bold);
    const int s = 24;
    for (bool answers : {false, true}) {
        SCOPED_TRACE(answers ? "answers" : "task");
        const Svg svg = parse(svgOf(field, s, style, {answers, false, true, 0}));
        EXPECT_EQ(attr(svg.root, "viewBox"), QStringLiteral("0 0 164 68"));
        EXPECT_EQ(attr(svg.root, "width"), QStringLiteral("43.3917mm"));
        for (const char* id : {"grid", "fills", "clues", "letters"}) EXPECT_EQ(svg.layers.count(QLatin1String(id)), 1u) << id;

        // Texts only for the cells that show one, each in its layer.
        EXPECT_EQ(svg.textCount, 7);
        struct Shown {
            const char* layer;
            QString text;
            int col, row;
            bool white;
        } shown[] = {{"clues", "3", 0, 0, true},        {"clues", "7", 1, 0, false},  {"clues", "0", 1, 1, false},
                     {"letters", "<&>", 0, 1, false}, {"letters", "Ж", 2, 0, false}, {"letters", "Ж", 3, 0, true},
                     {"letters", "\"'", 5, 1, false}};
        std::map<QString, size_t> next;
        for (const Shown& e : shown) {
            const auto& content = svg.content.at(QLatin1String(e.layer));
            const size_t i = next[QLatin1String(e.layer)]++;
            ASSERT_LT(i, content.size()) << e.layer;
            const Element& t = content[i];
            EXPECT_EQ(t.name, QStringLiteral("text"));
            EXPECT_EQ(t.text, e.text);
            // Centred between the cell's two lines; the baseline below the
            // middle, inside the cell.
            EXPECT_DOUBLE_EQ(attr(t, "x"), 10 + e.col * s + s / 2.0 + 0.5) << e.text.toStdString();
            const double middle = 10 + e.row * s + s / 2.0 + 0.5;
            EXPECT_GT(attr(t, "y"), middle) << e.text.toStdString();
            EXPECT_LT(attr(t, "y"), middle + s / 2.0) << e.text.toStdString();
            EXPECT_EQ(attr(t.attributes, "fill"), answers && e.white ? QStringLiteral("#ffffff") : QString());
        }
        for (const char* id : {"clues", "letters"}) EXPECT_EQ(next[QLatin1String(id)], svg.content.at(QLatin1String(id)).size());

        // Colours and fonts once on their layer.
        const QXmlStreamAttributes& clues = svg.layers.at(QStringLiteral("clues"));
        const QXmlStreamAttributes& letters = svg.layers.at(QStringLiteral("letters"));
        EXPECT_EQ(attr(clues, "fill"), QStringLiteral("#008000"));
        EXPECT_EQ(attr(letters, "fill"), QStringLiteral("#800000"));
        EXPECT_EQ(attr(letters, "font-weight"), QStringLiteral("700"));
        EXPECT_EQ(attr(clues, "font-weight"), QString());
        EXPECT_EQ(attr(clues, "text-anchor"), QStringLiteral("middle"));
        EXPECT_EQ(attr(svg.layers.at(QStringLiteral("fills")), "fill"), QStringLiteral("#0000c8"));

        // The filled cells, as squares from line to line, only in the answers.
        const auto& fills = svg.content.at(QStringLiteral("fills"));
        if (!answers) {
            EXPECT_TRUE(fills.empty());
            continue;
        }
        ASSERT_EQ(fills.size(), 1u);
        EXPECT_EQ(pathNumbers(attr(fills[0].attributes, "d")),
                  (std::vector<double>{10, 10, 24, 24, -24, 82, 10, 24, 24, -24, 106, 10, 24, 24, -24}));
    }
}

// The family the font database resolves for the grid's font, then the
// generic sans-serif; never a face the machine does not have.
TEST(SvgPicture, FontFamiliesAsResolvedHere)
{
    const Field field = fieldOf({"1|Я"});
    PictureStyle style; // the grid's default font
    style.letterFont = QFont(QStringLiteral("No Such Face Anywhere"), 10);
    const Svg svg = parse(svgOf(field, 24, style, {}));
    for (const auto& [id, font] : {std::pair{"clues", style.numberFont}, std::pair{"letters", style.letterFont}}) {
        const QString family = QFontInfo(font).family();
        EXPECT_EQ(attr(svg.layers.at(QLatin1String(id)), "font-family"), "'" + family + "', sans-serif") << id;
    }
    EXPECT_NE(QFontInfo(style.letterFont).family(), style.letterFont.family());
}

// Every line of the grid on half a pixel, one per column and row boundary,
// from the first line's pixels to the last one's.
TEST(SvgPicture, GridLinesOnHalfPixels)
{
    Field field;
    field.setSize(4, 3);
    for (bool correction : {false, true}) {
        const Svg svg = parse(svgOf(field, 20, PictureStyle{}, {false, correction, true, 0}));
        const auto& grid = svg.content.at(QStringLiteral("grid"));
        ASSERT_EQ(grid.size(), 1u);
        EXPECT_EQ(attr(svg.layers.at(QStringLiteral("grid")), "stroke-width"), QStringLiteral("1"));
        const std::vector<double> numbers = pathNumbers(attr(grid[0].attributes, "d"));
        std::vector<double> expected;
        for (int k = 0; k <= 4; ++k) expected.insert(expected.end(), {10.5 + 20 * k, 10, 61});
        for (int k = 0; k <= 3; ++k) expected.insert(expected.end(), {10, 10.5 + 20 * k, 81});
        EXPECT_EQ(numbers, expected);
    }
}

// Rasterised, the SVG gives the bitmap's pixels: the same geometry, lines
// one pixel wide and black, fills from line to line, the frame's band.
TEST(SvgPicture, RasterisedAsTheBitmap)
{
    const Field field = fieldOf({"-|||-", "|-|-|", "||-||", "-|-||-"});
    struct Case {
        int cell, frame;
        bool answers;
    } cases[] = {{13, 0, true}, {24, 0, false}, {24, 1, true}, {10, 3, true}, {17, 7, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "cell " << c.cell << ", frame " << c.frame);
        PictureStyle style;
        style.fill = QColor(0, 0, 200);
        style.frameWidth = c.frame;
        const PictureJob job{field, c.cell, style, {c.answers, false, false}};
        const QImage bitmap = rasterPicture(job, ReferenceScreen{96, {1920, 1080}});
        const QImage svg = rasterised(svgOf(field, c.cell, style, job.options), bitmap.size());
        int differing = 0;
        for (int y = 0; y < bitmap.height(); ++y)
            for (int x = 0; x < bitmap.width(); ++x)
                if (bitmap.pixel(x, y) != svg.pixel(x, y)) {
                    // A wide frame's round corners may differ by an edge pixel.
                    const bool corner = c.frame > 1 && (x < 10 || x > bitmap.width() - 12) && (y < 10 || y > bitmap.height() - 12);
                    if (!corner) {
                        ASSERT_EQ(svg.pixel(x, y), bitmap.pixel(x, y)) << "at " << x << "," << y;
                    }
                    ++differing;
                }
        EXPECT_LT(differing, 4 * c.frame + 1);
    }
}

// The digits stand the chosen share of the cell high, and the letters keep
// their own font.
TEST(SvgPicture, DigitSizeSetsTheClueFont)
{
    const Field field = fieldOf({"12|Ж"});
    PictureStyle style;
    style.numberFont = QFont(QStringLiteral("DejaVu Sans"), 8);
    for (int percent : {0, 10, 60, 100}) {
        SCOPED_TRACE(percent);
        const Svg svg = parse(svgOf(field, 40, style, {false, false, true, percent}));
        const double expected = percent ? digitFont(style.numberFont, 40, percent).pixelSize() : 8 * 96 / 72.0;
        EXPECT_NEAR(attr(svg.layers.at(QStringLiteral("clues")), "font-size").toDouble(), expected, 0.01);
        EXPECT_NEAR(attr(svg.layers.at(QStringLiteral("letters")), "font-size").toDouble(), 8 * 96 / 72.0, 0.01);
    }
}

// A text the cells could hold but XML cannot: control characters are left
// out, so the file still parses.
TEST(SvgPicture, ControlCharactersLeaveTheFileWellFormed)
{
    Field field;
    field.setSize(2, 1);
    field.setText(0, 0, std::string("A\x01\x1F" "B"));
    field.setText(1, 0, std::string("C\tD"));
    const Svg svg = parse(svgOf(field, 24, PictureStyle{}, {}));
    const auto& letters = svg.content.at(QStringLiteral("letters"));
    ASSERT_EQ(letters.size(), 2u);
    EXPECT_EQ(letters[0].text, QStringLiteral("AB"));
    EXPECT_EQ(letters[1].text, QStringLiteral("C D"));
}

// The largest field with a clue in every other cell stays a file of a few
// megabytes, written in well under a second or two.
TEST(SvgPicture, LargestTaskStaysSmall)
{
    Field field;
    field.setSize(250, 250);
    for (int x = 0; x < 250; ++x)
        for (int y = 0; y < 250; ++y)
            if ((x + y) % 2 == 0) field.setText(x, y, (x * y) % 3 ? std::to_string((x + y) % 10) : "-" + std::to_string(x % 10));
    for (bool answers : {false, true}) {
        QElapsedTimer timer;
        timer.start();
        const QByteArray svg = svgOf(field, 24, PictureStyle{}, {answers, false, true, kDefaultDigitPercent});
        EXPECT_LT(timer.elapsed(), 5000);
        EXPECT_LT(svg.size(), 3 * 1024 * 1024) << (answers ? "answers" : "task");
        EXPECT_EQ(svg.count("<text"), 250 * 250 / 2);
    }
}

// The export writes this writer's SVG.
TEST(SvgPicture, ExportWritesThisSvg)
{
    const Field field = fieldOf({"-3|7", "Ж|"});
    PictureJob job{field, 30, PictureStyle{}, {true, false, true, 60}};
    const QString path = QDir::temp().filePath(QStringLiteral("kletomer-svg-test-%1.svg").arg(QCoreApplication::applicationPid()));
    writePictureFile(job, ExportFormat::Svg, path);
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), pictureSvg(field, 30, job.style, job.options, referenceScreen().dpi));
    f.remove();
}
