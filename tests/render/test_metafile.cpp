// The metafile paint device with drawings other than the puzzle: shapes,
// transforms, images, and the files' own bookkeeping.
#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

#include "metafilereader.h"
#include "render/metafile.h"

using namespace klt;

namespace {

std::pair<mfr::Drawing, mfr::Drawing> both(const Metafile& mf)
{
    return {mfr::readEmf(mf.toEmf()), mfr::readWmf(mf.toPlaceableWmf())};
}

} // namespace

TEST(Metafile, HeadersCarrySizeAndResolution)
{
    for (int dpi : {96, 120}) {
        Metafile mf(QSize(260, 212), dpi);
        {
            QPainter p(&mf);
            p.drawRect(0, 0, 10, 10);
        }
        auto [emf, wmf] = both(mf);
        EXPECT_TRUE(emf.problems.isEmpty()) << emf.problems.join("; ").toStdString();
        EXPECT_TRUE(wmf.problems.isEmpty()) << wmf.problems.join("; ").toStdString();
        EXPECT_EQ(emf.bounds, QRect(0, 0, 260, 212));
        EXPECT_EQ(emf.dpi, dpi);
        EXPECT_EQ(wmf.bounds, QRect(QPoint(0, 0), QPoint(260, 212)));
        EXPECT_EQ(wmf.dpi, dpi);
    }
}

// Every change of colour makes a new object; the old one must go without
// ever being deleted while selected, and the table must stay small.
TEST(Metafile, ObjectsAreReplacedNotPiledUp)
{
    Metafile mf(QSize(400, 400));
    {
        QPainter p(&mf);
        for (int i = 0; i < 300; ++i) {
            p.setPen(QColor(i % 7 * 30, 0, 0));
            p.setBrush(i % 2 ? QBrush(QColor(0, 0, i % 256)) : QBrush(Qt::NoBrush));
            p.setFont(QFont(QStringLiteral("DejaVu Sans"), 6 + i % 3));
            p.drawRect(i % 20 * 20, i / 20 * 20, 15, 15);
            p.drawText(i % 20 * 20, i / 20 * 20 + 15, QStringLiteral("x"));
        }
    }
    auto [emf, wmf] = both(mf);
    EXPECT_TRUE(emf.problems.isEmpty()) << emf.problems.join("; ").toStdString();
    EXPECT_TRUE(wmf.problems.isEmpty()) << wmf.problems.join("; ").toStdString();
    EXPECT_EQ(emf.rectangles.size(), 300u);
    EXPECT_EQ(wmf.texts.size(), 300u);
    EXPECT_LE(emf.objectTable, 8);
    EXPECT_LE(wmf.objectTable, 6);
}

TEST(Metafile, ShapesTransformsAndImages)
{
    Metafile mf(QSize(200, 200));
    {
        QPainter p(&mf);
        p.setBrush(Qt::red);
        p.drawEllipse(QRect(10, 10, 50, 30));
        p.drawLine(0, 0, 100, 100);
        QPainterPath path; // a filled square with a hole, and an open stroke
        path.addRect(100, 100, 40, 40);
        path.addRect(110, 110, 10, 10);
        path.moveTo(0, 190);
        path.lineTo(50, 180);
        p.drawPath(path);
        QImage img(4, 3, QImage::Format_ARGB32);
        img.fill(Qt::blue);
        p.drawImage(QRect(150, 10, 8, 6), img);
        p.translate(20, 150);
        p.scale(2, 2);
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        p.drawText(0, 0, QStringLiteral("Ж2"));
        p.drawRect(0, 0, 5, 5); // scaled, still a rectangle
        p.rotate(30);
        p.drawRect(0, 0, 5, 5); // turned: a polygon
    }
    auto [emf, wmf] = both(mf);
    for (const mfr::Drawing* d : {&emf, &wmf}) {
        EXPECT_TRUE(d->problems.isEmpty()) << d->problems.join("; ").toStdString();
        EXPECT_EQ(d->images, 1);
        EXPECT_GE(d->polylines, 2);  // the line and the open subpath
        EXPECT_GE(d->polygons, 4);   // ellipse, square, hole, turned rectangle
        ASSERT_EQ(d->rectangles.size(), 1u);
        EXPECT_EQ(d->rectangles[0], QRect(QPoint(20, 150), QPoint(31, 161)));
        ASSERT_EQ(d->texts.size(), 1u);
        EXPECT_EQ(d->texts[0].text, QStringLiteral("Ж2"));
        EXPECT_EQ(d->texts[0].height, -24); // 9 pt at 96 dpi, twice
        EXPECT_EQ(d->texts[0].reference, QPoint(20, 150));
    }
}
