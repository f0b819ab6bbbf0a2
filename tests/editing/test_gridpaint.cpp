#include <QtTest>

#include "editing/gridview.h"

using namespace klt;

class GridPaintTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void cells();
    void selectionFrame_data();
    void selectionFrame();
    void scrolledAndEditedCells();
    void frameAndMarksStandOutOnAReddishFill();

private:
    QImage shot() { return grid->viewport()->grab().toImage(); }
    int countColor(const QImage& img, const QRect& r, const QColor& c);
    // Pixels of anti-aliased text: near white, or near black.
    int countShade(const QImage& img, const QRect& r, bool light);

    Workspace* ws = nullptr;
    GridView* grid = nullptr;
    const QColor fill{0, 0, 200};
};

void GridPaintTest::init()
{
    ws = new Workspace;
    ws->doc.field().setSize(6, 3);
    grid = new GridView(*ws);
    grid->setCellSize(20);
    grid->setFillColor(fill);
    grid->resize(300, 200);
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid));
}

void GridPaintTest::cleanup()
{
    delete grid;
    delete ws;
}

int GridPaintTest::countColor(const QImage& img, const QRect& r, const QColor& c)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) n += img.pixelColor(x, y) == c;
    return n;
}

int GridPaintTest::countShade(const QImage& img, const QRect& r, bool light)
{
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            const int lo = std::min({c.red(), c.green(), c.blue()}), hi = std::max({c.red(), c.green(), c.blue()});
            n += light ? lo > 160 : hi < 90;
        }
    }
    return n;
}

void GridPaintTest::cells()
{
    Field& f = ws->doc.field();
    f.setText(0, 0, "-");
    f.setText(1, 0, "-7");
    f.setText(2, 0, "7");
    f.setMark(3, 0, MarkDecided);
    f.setMark(4, 0, MarkComplete);
    ws->cursor.setCurrentCell(5, 2);
    grid->fieldChanged();
    QImage img = shot();

    const QRect plain = grid->cellRect(0, 0);
    QCOMPARE(countColor(img, plain, fill), plain.width() * plain.height()); // "-": colour only
    const QRect filledClue = grid->cellRect(1, 0);
    QVERIFY(countShade(img, filledClue, true) > 0);               // the 7 in white
    QCOMPARE(countShade(img, filledClue, false), 0);
    const QRect whiteClue = grid->cellRect(2, 0);
    QVERIFY(countShade(img, whiteClue, false) > 0);               // the 7 in black
    QVERIFY(countColor(img, whiteClue, fill) == 0);

    const QRect ring = grid->cellRect(3, 0), dot = grid->cellRect(4, 0);
    QCOMPARE(img.pixelColor(ring.left() + 2, ring.top()), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(ring.left() + 2, ring.top() + 2), QColor(Qt::white));
    QCOMPARE(img.pixelColor(dot.left() + 2, dot.top() + 2), QColor(255, 0, 0));
    QCOMPARE(img.pixelColor(dot.left() + 6, dot.top() + 6), QColor(Qt::white)); // 5 pixels only

    const QRect cur = grid->cellRect(5, 2);
    QCOMPARE(img.pixelColor(cur.left() + 5, cur.top()), QColor(192, 192, 192));
    QCOMPARE(img.pixelColor(cur.left() + 5, cur.top() + 5), QColor(Qt::white));

    // A new fill colour repaints every filled cell.
    grid->setFillColor(QColor(0, 160, 0));
    img = shot();
    QCOMPARE(img.pixelColor(plain.center()), QColor(0, 160, 0));
}

void GridPaintTest::selectionFrame_data()
{
    QTest::addColumn<int>("lastCol");
    QTest::addColumn<bool>("framed");
    QTest::newRow("two cells: no frame") << 3 << false;
    QTest::newRow("three cells: frame") << 4 << true;
}

void GridPaintTest::selectionFrame()
{
    QFETCH(int, lastCol);
    QFETCH(bool, framed);
    ws->cursor.setCurrentCell(2, 1);
    ws->cursor.selection = CellRect{2, 1, lastCol, 1};
    grid->refreshCursor();
    const QImage img = shot();
    const QRect first = grid->cellRect(2, 1), last = grid->cellRect(lastCol, 1);
    const QColor red(255, 0, 0);
    QCOMPARE(img.pixelColor(first.left(), first.center().y()) == red, framed);   // left side
    QCOMPARE(img.pixelColor(first.center().x(), first.top()) == red, framed);    // top side
    QCOMPARE(img.pixelColor(last.right() + 1, last.center().y()) == red, framed); // right side, on the line
    QCOMPARE(img.pixelColor(last.center().x(), last.bottom() + 1) == red, framed);
    // Inside the selection nothing is red.
    QVERIFY(img.pixelColor(first.center()) != red);

    // Collapsing the selection takes the frame away again.
    ws->cursor.setCurrentCell(0, 0);
    grid->refreshCursor();
    QVERIFY(shot().pixelColor(first.left(), first.center().y()) != red);
}

void GridPaintTest::frameAndMarksStandOutOnAReddishFill()
{
    // A filled row with a complete-clue dot, framed by a selection.
    for (int c = 0; c < 5; ++c) ws->doc.field().setText(c, 1, "-");
    ws->doc.field().setMark(3, 1, MarkComplete);
    ws->cursor.setCurrentCell(0, 1);
    ws->cursor.selection = CellRect{0, 1, 4, 1};
    grid->fieldChanged();
    const QRect cell = grid->cellRect(1, 1), dot = grid->cellRect(3, 1);
    for (const QColor fill : {QColor(255, 0, 0), QColor(200, 30, 20), QColor(0, 0, 0), QColor(0, 128, 0)}) {
        grid->setFillColor(fill);
        const QImage img = shot();
        const QColor top = img.pixelColor(cell.center().x(), cell.top());
        const QColor mark = img.pixelColor(dot.left() + 2, dot.top() + 2);
        QVERIFY2(top != fill && mark != fill, qPrintable(fill.name()));
    }
}

void GridPaintTest::scrolledAndEditedCells()
{
    // The grid keeps its cells as a picture; scrolling and single-cell
    // edits must bring exactly the right cells into it.
    ws->doc.field().setSize(40, 3);
    ws->doc.field().setText(30, 1, "-");
    grid->fieldChanged();
    (void)shot();
    grid->ensureVisible(30, 1);
    QImage img = shot();
    QCOMPARE(img.pixelColor(grid->cellRect(30, 1).center()), fill);
    QCOMPARE(img.pixelColor(grid->cellRect(29, 1).center()), QColor(Qt::white));

    ws->doc.field().setText(29, 1, "-");
    grid->updateCell(29, 1);
    img = shot();
    QCOMPARE(img.pixelColor(grid->cellRect(29, 1).center()), fill);

    grid->ensureVisible(0, 0);
    img = shot();
    QCOMPARE(img.pixelColor(grid->cellRect(0, 1).center()), QColor(Qt::white));
}

QTEST_MAIN(GridPaintTest)
#include "test_gridpaint.moc"
