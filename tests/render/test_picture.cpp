// The puzzle picture: its size, its geometry as metafiles record it, and the
// same geometry on the bitmap; fonts and colours of the cell texts.
#include <gtest/gtest.h>

#include <QPainter>

#include "core/cp1251.h"
#include "metafilereader.h"
#include "render/pictureexport.h"
#include "render/puzzlepicture.h"
#include "fieldrows.h"

using namespace klt;

namespace {

const ReferenceScreen kScreen{96, {1920, 1080}};

using klt::test::fieldOf;

Field blank(int cols, int rows)
{
    Field f;
    f.setSize(cols, rows);
    return f;
}

QByteArray metafile(const PictureJob& job, bool wmf)
{
    auto mf = recordPicture(job, kScreen);
    return wmf ? mf->toPlaceableWmf() : mf->toEmf();
}

mfr::Drawing drawingOf(const PictureJob& job, bool wmf)
{
    const QByteArray bytes = metafile(job, wmf);
    return wmf ? mfr::readWmf(bytes) : mfr::readEmf(bytes);
}

} // namespace

TEST(PictureSize, GridPlusMargins)
{
    struct Case {
        int cols, rows, cell, width, height;
    } cases[] = {{10, 8, 24, 260, 212}, {5, 5, 5, 45, 45}, {250, 3, 100, 25020, 320}};
    for (const Case& c : cases) {
        EXPECT_EQ(pictureSize(blank(c.cols, c.rows), c.cell), QSize(c.width, c.height)) << c.cols << "x" << c.rows;
    }
}

// Every rectangle as recorded: the frame, then the cells column by column;
// with the correction cells are exactly s wide and meet edge to edge,
// without it neighbours share their outline.
TEST(PictureGeometry, FrameAndCellsAsRecorded)
{
    const Field field = blank(10, 8);
    for (bool wmf : {false, true}) {
        for (bool correction : {false, true}) {
            SCOPED_TRACE(testing::Message() << (wmf ? "WMF" : "EMF") << (correction ? " corrected" : ""));
            const int e = correction ? 0 : 1;
            const mfr::Drawing d = drawingOf(PictureJob{field, 24, {}, {false, correction, true}}, wmf);
            EXPECT_TRUE(d.problems.isEmpty()) << d.problems.join("; ").toStdString();
            ASSERT_EQ(d.rectangles.size(), 1u + 80u);
            EXPECT_EQ(d.rectangles[0], QRect(QPoint(10, 10), QPoint(250 + e, 202 + e)));
            size_t k = 1;
            for (int x = 0; x < 10; ++x)
                for (int y = 0; y < 8; ++y, ++k)
                    ASSERT_EQ(d.rectangles[k], QRect(QPoint(10 + 24 * x, 10 + 24 * y), QPoint(34 + 24 * x + e, 34 + 24 * y + e)))
                        << "cell " << x << "," << y;
        }
    }
}

// The bitmap and the metafile are one drawing: played as GDI plays
// rectangles, the metafile gives the bitmap's pixels exactly.
TEST(PictureGeometry, BitmapMatchesMetafilePlayedAsGdi)
{
    const Field field = fieldOf({"-|||-", "|-|-|", "||-||", "-|-||-"});
    PictureStyle style;
    style.fill = QColor(0, 0, 200);
    const PictureJob job{field, 13, style, {true, false, false}};
    const QImage bitmap = rasterPicture(job, kScreen).convertToFormat(QImage::Format_RGB32);
    const QImage played = mfr::playEmfRectangles(metafile(job, false), pictureSize(field, 13));
    ASSERT_EQ(bitmap.size(), played.size());
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            ASSERT_EQ(bitmap.pixel(x, y), played.pixel(x, y)) << "at " << x << "," << y;
}

TEST(PictureGeometry, FrameWidthOnTheBitmap)
{
    // A 20-pixel frame fills the margin exactly; a 25-pixel one is cut off at
    // the picture's edge; width 0 is one line on the grid's edge.
    struct Case {
        int width;
        int firstBlack; // leftmost black pixel on the middle row
    } cases[] = {{0, 10}, {1, 10}, {20, 0}, {25, 0}};
    const Field field = blank(6, 6);
    for (const Case& c : cases) {
        PictureStyle style;
        style.frameWidth = c.width;
        const QImage img = rasterPicture(PictureJob{field, 24, style, {false, false, false}}, kScreen);
        EXPECT_EQ(img.size(), QSize(164, 164));
        const int mid = img.height() / 2;
        int first = 0;
        while (first < img.width() && qGray(img.pixel(first, mid)) > 128) ++first;
        EXPECT_EQ(first, c.firstBlack) << "frame width " << c.width;
        // Inside the frame the cells are white again.
        EXPECT_GT(qGray(img.pixel(10 + 12, 10 + 12)), 128) << "frame width " << c.width;
        const mfr::Drawing d = drawingOf(PictureJob{field, 24, style, {false, false, false}}, false);
        ASSERT_FALSE(d.penWidths.empty());
        EXPECT_EQ(d.penWidths.front(), c.width);
    }
}

TEST(PictureText, FontsAndColours)
{
    // Clues take the grid's font, anything else the letter font; on a
    // coloured cell text is white; the "-" never shows.
    const Field field = fieldOf({"-3|7|Ж|-Ж|-|"});
    PictureStyle style;
    style.numberFont = QFont(QStringLiteral("DejaVu Sans"), 8);
    style.numberColor = QColor(0, 128, 0);
    style.letterFont = QFont(QStringLiteral("DejaVu Serif"), 14);
    style.letterColor = QColor(128, 0, 0);
    const QRgb white = qRgb(255, 255, 255), green = qRgb(0, 128, 0), brown = qRgb(128, 0, 0);
    struct Expect {
        QString text, face;
        int height;
        QRgb answers, task;
    } expected[] = {{"3", "DejaVu Sans", -11, white, green},
                    {"7", "DejaVu Sans", -11, green, green},
                    {"Ж", "DejaVu Serif", -19, brown, brown},
                    {"Ж", "DejaVu Serif", -19, white, brown}};
    for (bool wmf : {false, true}) {
        for (bool answers : {true, false}) {
            SCOPED_TRACE(testing::Message() << (wmf ? "WMF" : "EMF") << (answers ? " answers" : " task"));
            const mfr::Drawing d = drawingOf(PictureJob{field, 24, style, {answers, false, true}}, wmf);
            EXPECT_TRUE(d.problems.isEmpty()) << d.problems.join("; ").toStdString();
            ASSERT_EQ(d.texts.size(), std::size(expected));
            for (size_t i = 0; i < d.texts.size(); ++i) {
                EXPECT_EQ(d.texts[i].text, expected[i].text);
                EXPECT_EQ(d.texts[i].face, expected[i].face);
                EXPECT_EQ(d.texts[i].height, expected[i].height);
                EXPECT_EQ(d.texts[i].color, answers ? expected[i].answers : expected[i].task) << i;
                // The baseline lies inside the cell, the text centred on it.
                const QRect cell(10 + 24 * static_cast<int>(i), 10, 24, 24);
                EXPECT_TRUE(cell.contains(d.texts[i].reference)) << i;
            }
        }
    }
    EXPECT_TRUE(drawingOf(PictureJob{field, 24, style, {true, false, false}}, false).texts.empty());
}

TEST(PictureText, AnswersColourFilledCellsWithWhiteNumbers)
{
    const Field field = fieldOf({"-8|8"});
    PictureStyle style;
    style.fill = QColor(200, 0, 0);
    style.numberFont = QFont(QStringLiteral("DejaVu Sans"), 12, QFont::Bold);
    auto shades = [](const QImage& img, const QRect& r) {
        int fill = 0, light = 0, dark = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = img.pixelColor(x, y);
                if (c.red() > 150 && c.green() < 80) ++fill;
                else if (c.lightness() > 200) ++light;
                else if (c.lightness() < 80) ++dark;
            }
        return std::tuple{fill, light, dark};
    };
    const QRect filled(12, 12, 20, 20), white(36, 12, 20, 20);
    const QImage answers = rasterPicture(PictureJob{field, 24, style, {true, false, true}}, kScreen);
    auto [f1, l1, d1] = shades(answers, filled);
    EXPECT_GT(f1, 200);
    EXPECT_GT(l1, 10); // the white "8"
    EXPECT_EQ(d1, 0);
    const QImage task = rasterPicture(PictureJob{field, 24, style, {false, false, true}}, kScreen);
    for (const QRect& r : {filled, white}) {
        auto [f, l, d] = shades(task, r);
        EXPECT_EQ(f, 0);
        EXPECT_GT(d, 10); // a dark "8" on white
    }
}
