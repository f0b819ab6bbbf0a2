// The import without widgets: scale rules, the view and its offset, colour
// depths, the colour list's items, and the conversion into cells.
#include <QtTest>

#include "core/sizecontrols.h"
#include "core/workspace.h"
#include "import/colourdepth.h"
#include "import/conversion.h"
#include "import/importmodel.h"
#include "import/rasterpicture.h"

using namespace klt;

namespace {

// The main window as far as the conversion sees it: size controls that
// follow the field.
struct TestHost : DocumentObserver {
    Workspace* ws = nullptr;
    SizeControls controls;
    int syncs = 0;
    void sizeChanged() override
    {
        ++syncs;
        controls.sync(*ws);
    }
};

struct Fixture {
    TestHost host;
    Workspace ws;
    Fixture()
    {
        host.ws = &ws;
        ws.doc.addObserver(&host);
        // A former puzzle: every cell filled and marked.
        for (int c = 0; c < 5; ++c)
            for (int r = 0; r < 5; ++r) {
                ws.doc.field().setText(c, r, "-");
                ws.doc.field().setMark(c, r, MarkDecided);
            }
    }
    bool filled(int c, int r) const { return ws.doc.field().isFilled(c, r); }
};

// Red where (x + y) % 7 == 0, white elsewhere.
QImage patternImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, (x + y) % 7 == 0 ? qRgb(255, 0, 0) : qRgb(255, 255, 255));
    return img;
}

bool patternFilled(int x, int y)
{
    return (x + y) % 7 == 0;
}

// Every pixel a different colour: red = x, green = y.
QImage positionImage(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) img.setPixel(x, y, qRgb(x % 256, y % 256, 0));
    return img;
}

ImportModel modelOf(const QImage& picture, int scale = 100)
{
    ImportModel m;
    m.setScale(scale);
    m.takePicture(RasterPicture::fromImage(picture));
    return m;
}

} // namespace

class ConversionTest : public QObject {
    Q_OBJECT
private slots:
    void roundingTakesHalvesToEven();
    void scaleRules_data();
    void scaleRules();
    void viewFollowsOffsetAndCentring_data();
    void viewFollowsOffsetAndCentring();
    void colourDepths();
    void colourItems();
    void regionOfTheSelection_data();
    void regionOfTheSelection();
    void acceptWholePicture();
    void acceptSelection();
    void acceptFullViewKeepsItsLastColumn_data();
    void acceptFullViewKeepsItsLastColumn();
    void notWhiteFillsOutsideThePicture();
    void stopKeepsWhatWasWritten();
    void previewRecoloursTheRegionOnly();
};

void ConversionTest::roundingTakesHalvesToEven()
{
    const std::pair<double, long long> cases[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-2.5, -2}, {3.5, 4}, {91.287, 91}, {2.51, 3}};
    for (auto [v, expected] : cases) QCOMPARE(roundHalfEven(v), expected);
    QCOMPARE(scaledSize(5, 7, 50), QSize(2, 4)); // 2.5 → 2, 3.5 → 4
}

void ConversionTest::scaleRules_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<int>("percent");
    QTest::addColumn<int>("scale");
    QTest::addColumn<QSize>("view");
    QTest::addColumn<bool>("clipped");
    QTest::newRow("400 x 300 at 100 %: 364 x 273") << QSize(400, 300) << 100 << 91 << QSize(250, 250) << true;
    QTest::newRow("100 x 50 fits") << QSize(100, 50) << 100 << 100 << QSize(100, 50) << false;
    QTest::newRow("316 x 316 is under the limit") << QSize(316, 316) << 100 << 100 << QSize(250, 250) << true;
    // Round(31.6) = 32 gives 320 x 320, over the limit: Int(31.6) - 1 = 30.
    QTest::newRow("1000 x 1000 lowered twice") << QSize(1000, 1000) << 100 << 30 << QSize(250, 250) << true;
    QTest::newRow("10 x 10 at 999 %") << QSize(10, 10) << 999 << 999 << QSize(100, 100) << false;
    QTest::newRow("200 x 100 at 50 %") << QSize(200, 100) << 50 << 50 << QSize(100, 50) << false;
}

void ConversionTest::scaleRules()
{
    QFETCH(QSize, picture);
    QFETCH(int, percent);
    QFETCH(int, scale);
    QFETCH(QSize, view);
    QFETCH(bool, clipped);
    QImage img(picture, QImage::Format_RGB32);
    img.fill(Qt::white);
    ImportModel m;
    m.setScale(percent);
    QCOMPARE(m.takePicture(RasterPicture::fromImage(img)), clipped);
    QCOMPARE(m.scale(), scale);
    QCOMPARE(m.view().size(), view);
    const QSize s = scaledSize(picture.width(), picture.height(), m.scale());
    QVERIFY(static_cast<long long>(s.width()) * s.height() <= 100000);
}

void ConversionTest::viewFollowsOffsetAndCentring_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QPoint>("centre");
    QTest::newRow("300 x 320") << QSize(300, 320) << QPoint(25, 35);
    QTest::newRow("200 x 320: the width fits") << QSize(200, 320) << QPoint(0, 35);
    QTest::newRow("100 x 100 fits both ways") << QSize(100, 100) << QPoint(0, 0);
}

void ConversionTest::viewFollowsOffsetAndCentring()
{
    QFETCH(QSize, picture);
    QFETCH(QPoint, centre);
    const QImage img = positionImage(picture.width(), picture.height());
    ImportModel m = modelOf(img);
    m.panTo(m.centreOrigin());
    QCOMPARE(m.viewOffset(), centre);
    QCOMPARE(m.view().pixel(0, 0), img.pixel(centre));
    // Panning past the edge shows white beyond the picture.
    m.panTo(QPoint(400, 400));
    if (!m.fitsWidth()) QCOMPARE(QColor(m.view().pixel(m.view().width() - 1, 0)), QColor(Qt::white));
}

void ConversionTest::colourDepths()
{
    QImage probe(6, 1, QImage::Format_RGB32);
    const QRgb colours[6] = {qRgb(255, 255, 255), qRgb(200, 200, 200), qRgb(50, 50, 50),
                             qRgb(250, 10, 10),   qRgb(10, 10, 250),   qRgb(0x12, 0x34, 0x56)};
    for (int i = 0; i < 6; ++i) probe.setPixel(i, 0, colours[i]);
    for (int depth = 0; depth < kDepthPositions; ++depth) {
        const QImage r = reduceDepth(probe, depth);
        QCOMPARE(QColor(r.pixel(0, 0)), QColor(Qt::white)); // white stays white at every depth
        QVERIFY(!depthName(depth).isEmpty());
    }
    const QImage bw = reduceDepth(probe, 1);
    QCOMPARE(QColor(bw.pixel(1, 0)), QColor(Qt::white));
    QCOMPARE(QColor(bw.pixel(2, 0)), QColor(Qt::black));
    QCOMPARE(QColor(reduceDepth(probe, 2).pixel(3, 0)), QColor(255, 0, 0));
    QCOMPARE(QColor(reduceDepth(probe, 3).pixel(4, 0)), QColor(0, 0, 255));
    for (int depth : {4, 5}) {
        const QRgb c = reduceDepth(probe, depth).pixel(5, 0);
        QVERIFY(c != colours[5]);
        QVERIFY(std::abs(qRed(c) - 0x12) <= 8 && std::abs(qGreen(c) - 0x34) <= 8 && std::abs(qBlue(c) - 0x56) <= 8);
    }
    for (int depth : {0, 6, 7}) QCOMPARE(reduceDepth(probe, depth).pixel(5, 0), colours[5]);
    QCOMPARE(depthName(1), QStringLiteral("Черно-белый"));

    // The model renders the view at its depth.
    ImportModel m = modelOf(probe);
    m.setDepth(1);
    QCOMPARE(QColor(m.view().pixel(2, 0)), QColor(Qt::black));
    m.setDepth(0);
    QCOMPARE(m.view().pixel(2, 0), colours[2]);
}

void ConversionTest::colourItems()
{
    QCOMPARE(colourItem(qRgb(255, 0, 0)), QStringLiteral("$FF"));
    QCOMPARE(colourItem(qRgb(0, 0, 0)), QStringLiteral("$0"));
    QCOMPARE(colourItem(qRgb(255, 255, 255)), QStringLiteral("$FFFFFF"));
    QCOMPARE(colourItem(qRgb(0x12, 0x34, 0x56)), QStringLiteral("$563412"));
    QCOMPARE(itemColour("$563412"), std::optional<QRgb>(qRgb(0x12, 0x34, 0x56)));
    QVERIFY(!itemColour("563412") && !itemColour("$") && !itemColour("$1000000") && !itemColour("$xyz"));
    // Only an item that is exactly a pixel's text matches it.
    const FillRule rule = FillRule::listed({"$0FF", "$ff", "bogus", "$FF0000"});
    QVERIFY(!rule.filled(qRgb(255, 0, 0)));
    QVERIFY(rule.filled(qRgb(0, 0, 255)));
    QVERIFY(!rule.outsideFilled());
    QVERIFY(FillRule::listed({"$FF", "$0"}).filled(qRgb(0, 0, 0)));
    QVERIFY(FillRule::notWhite().filled(qRgb(254, 255, 255)));
    QVERIFY(!FillRule::notWhite().filled(qRgb(255, 255, 255)));
}

void ConversionTest::regionOfTheSelection_data()
{
    QTest::addColumn<QSize>("view");
    QTest::addColumn<QRect>("selection");
    QTest::addColumn<QRect>("region"); // left, top, right, bottom as a QRect from points
    QTest::newRow("no selection: one past the view") << QSize(100, 50) << QRect() << QRect(QPoint(0, 0), QPoint(100, 50));
    QTest::newRow("12 x 8 at (3, 4) of a full view") << QSize(250, 250) << QRect(3, 4, 12, 8)
                                                      << QRect(QPoint(3, 4), QPoint(13, 10));
    // A 100 x 50 view is centred at (75, 100) in the view control.
    QTest::newRow("centred view") << QSize(100, 50) << QRect(78, 104, 12, 8) << QRect(QPoint(3, 4), QPoint(13, 10));
    QTest::newRow("odd margins truncate") << QSize(101, 51) << QRect(74, 99, 5, 5) << QRect(QPoint(0, 0), QPoint(3, 3));
}

void ConversionTest::regionOfTheSelection()
{
    QFETCH(QSize, view);
    QFETCH(QRect, selection);
    QFETCH(QRect, region);
    const ConversionRegion r = conversionRegion(view, selection.isNull() ? std::nullopt : std::optional<QRect>(selection));
    QCOMPARE(QRect(QPoint(r.left, r.top), QPoint(r.right, r.bottom)), region);
}

void ConversionTest::acceptWholePicture()
{
    Fixture f;
    const QImage view = patternImage(100, 50);
    const ConversionRegion region = conversionRegion(view.size(), std::nullopt);
    QVERIFY(acceptConversion(f.ws, view, region, FillRule::listed({"$FF"})));
    QCOMPARE(f.ws.doc.field().colCount(), 101);
    QCOMPARE(f.ws.doc.field().rowCount(), 51);
    for (int c = 0; c < 101; ++c)
        for (int r = 0; r < 51; ++r) {
            const bool expected = c > 0 && r > 0 && patternFilled(c - 1, r - 1);
            QVERIFY2(f.filled(c, r) == expected, qPrintable(QStringLiteral("cell %1, %2").arg(c).arg(r)));
            QCOMPARE(int(f.ws.doc.field().mark(c, r)), int(MarkNone));
        }
    QVERIFY(f.ws.doc.modified());
    QCOMPARE(f.host.controls.width.value, 101);
    QCOMPARE(f.host.controls.height.value, 51);
}

void ConversionTest::acceptSelection()
{
    Fixture f;
    const QImage view = patternImage(250, 250);
    const ConversionRegion region = conversionRegion(view.size(), QRect(3, 4, 12, 8));
    QVERIFY(acceptConversion(f.ws, view, region, FillRule::listed({"$FF"})));
    QCOMPARE(f.ws.doc.field().colCount(), 11);
    QCOMPARE(f.ws.doc.field().rowCount(), 7);
    for (int c = 0; c < 11; ++c)
        for (int r = 0; r < 7; ++r) {
            const bool expected = c >= 1 && r >= 1 && patternFilled(c - 1 + 3, r - 1 + 4);
            QVERIFY2(f.filled(c, r) == expected, qPrintable(QStringLiteral("cell %1, %2").arg(c).arg(r)));
        }
}

void ConversionTest::acceptFullViewKeepsItsLastColumn_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<int>("shown"); // the size controls' value before
    QTest::addColumn<QSize>("field");
    QTest::newRow("250 x 250") << QSize(250, 250) << 5 << QSize(250, 250);
    QTest::newRow("controls at 250 already") << QSize(250, 250) << 250 << QSize(250, 250);
    QTest::newRow("250 x 100") << QSize(250, 100) << 5 << QSize(250, 101);
    QTest::newRow("249 x 249") << QSize(249, 249) << 5 << QSize(250, 250);
}

void ConversionTest::acceptFullViewKeepsItsLastColumn()
{
    QFETCH(QSize, picture);
    QFETCH(int, shown);
    QFETCH(QSize, field);
    Fixture f;
    f.host.controls.width.value = f.host.controls.height.value = shown;
    QImage view(picture, QImage::Format_RGB32);
    view.fill(Qt::white);
    view.setPixel(0, 0, qRgb(0, 0, 0));
    view.setPixel(picture.width() - 1, picture.height() - 1, qRgb(0, 0, 0));
    QVERIFY(acceptConversion(f.ws, view, conversionRegion(view.size(), std::nullopt), FillRule::notWhite()));
    QCOMPARE(QSize(f.ws.doc.field().colCount(), f.ws.doc.field().rowCount()), field);
    // Both corner pixels are there; the picture ends in the last column and row.
    const int dx = field.width() - picture.width(), dy = field.height() - picture.height();
    QVERIFY(f.filled(dx, dy));
    QVERIFY(f.filled(field.width() - 1, field.height() - 1));
    QCOMPARE(f.host.controls.width.value, field.width());
    QCOMPARE(f.host.controls.height.value, field.height());
}

void ConversionTest::notWhiteFillsOutsideThePicture()
{
    Fixture f;
    QImage view(100, 50, QImage::Format_RGB32);
    view.fill(Qt::white);
    view.setPixel(1, 2, qRgb(0, 0, 0));
    view.setPixel(2, 2, qRgb(250, 250, 250));
    // The view is centred at (75, 100): this selection starts 5 pixels above and left of it.
    const ConversionRegion region = conversionRegion(view.size(), QRect(70, 95, 10, 10));
    QVERIFY(acceptConversion(f.ws, view, region, FillRule::notWhite()));
    QCOMPARE(f.ws.doc.field().colCount(), 9);
    for (int c = 1; c < 9; ++c)
        for (int r = 1; r < 9; ++r) {
            const int x = c - 1 - 5, y = r - 1 - 5;
            const bool outside = x < 0 || y < 0;
            const bool expected = outside || (x == 1 && y == 2) || (x == 2 && y == 2);
            QVERIFY2(f.filled(c, r) == expected, qPrintable(QStringLiteral("cell %1, %2").arg(c).arg(r)));
        }
}

void ConversionTest::stopKeepsWhatWasWritten()
{
    Fixture f;
    QImage view(20, 10, QImage::Format_RGB32);
    view.fill(Qt::black);
    bool stop = false;
    int columns = 0;
    ConversionProgress progress;
    progress.stop = &stop;
    progress.columnDone = [&] {
        if (++columns == 1) stop = true;
    };
    QVERIFY(!acceptConversion(f.ws, view, conversionRegion(view.size(), std::nullopt), FillRule::notWhite(), progress));
    QCOMPARE(f.ws.doc.field().colCount(), 21); // the new size stays
    // The flag is looked at after every pixel: one pixel of the second column is
    // written. Cells not reached keep their texts (the former puzzle's 5 x 5 here).
    for (int r = 1; r <= 10; ++r) QVERIFY(f.filled(1, r));
    QVERIFY(f.filled(2, 1));
    QVERIFY(!f.filled(2, 6));
    QVERIFY(!f.filled(3, 7));
    QVERIFY(!f.ws.doc.modified());
    QCOMPARE(f.host.syncs, 0);
}

void ConversionTest::previewRecoloursTheRegionOnly()
{
    QImage view = patternImage(30, 20);
    const QImage before = view;
    QVERIFY(previewConversion(view, conversionRegion(view.size(), QRect(110 + 2, 115 + 2, 6, 6)),
                              FillRule::listed({"$FF"})));
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) {
            const bool in = x >= 2 && x <= 6 && y >= 2 && y <= 6;
            const QRgb expected = !in ? before.pixel(x, y) : patternFilled(x, y) ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
            QVERIFY2(view.pixel(x, y) == expected, qPrintable(QStringLiteral("pixel %1, %2").arg(x).arg(y)));
        }
}

QTEST_MAIN(ConversionTest)
#include "test_conversion.moc"
