#include <QtTest>

#include "editing/grideditor.h"
#include "editing/gridview.h"
#include "editing/spinedit.h"

using namespace klt;

class GridEditTest : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void clickInsideBlockMovesNothing();
    void sideButtonEditsNothing();
    void quickStrokeLeavesNoGaps();
    void ctrlWheelAsksForAnotherCellSize();
    void typedSizeKeepsToRangeDigits_data();
    void typedSizeKeepsToRangeDigits();

private:
    void mouse(QEvent::Type type, int c, int r, Qt::MouseButton button, Qt::MouseButtons held);
    void press(int c, int r, Qt::MouseButton b = Qt::LeftButton) { mouse(QEvent::MouseButtonPress, c, r, b, b); }
    void moveTo(int c, int r) { mouse(QEvent::MouseMove, c, r, Qt::NoButton, Qt::LeftButton); }
    void release(int c, int r, Qt::MouseButton b = Qt::LeftButton) { mouse(QEvent::MouseButtonRelease, c, r, b, Qt::NoButton); }
    std::string cell(int c, int r) const { return ws->doc.field().text(c, r); }

    CommandContext ctx; // idle: the field is the editor's
    Workspace* ws = nullptr;
    GridView* grid = nullptr;
    GridEditor* editor = nullptr;
};

void GridEditTest::init()
{
    ws = new Workspace;
    ws->doc.field().setSize(6, 4);
    grid = new GridView(*ws);
    editor = new GridEditor(*ws, ctx, *grid);
    grid->setCellSize(20);
    grid->resize(300, 200);
    grid->show();
    QVERIFY(QTest::qWaitForWindowExposed(grid));
}

void GridEditTest::cleanup()
{
    delete editor;
    delete grid;
    delete ws;
}

void GridEditTest::mouse(QEvent::Type type, int c, int r, Qt::MouseButton button, Qt::MouseButtons held)
{
    const QPoint pos = grid->cellRect(c, r).center();
    QMouseEvent e(type, QPointF(pos), QPointF(grid->viewport()->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(grid->viewport(), &e);
}

void GridEditTest::clickInsideBlockMovesNothing()
{
    // A 3 x 2 block at columns 0..2, rows 0..1, and a cell it would cover
    // if a click moved it.
    for (int c = 0; c < 3; ++c) {
        ws->doc.field().setText(c, 0, "-");
        ws->doc.field().setText(c, 1, std::to_string(c));
    }
    ws->doc.field().setText(3, 2, "-5");
    press(0, 0);
    moveTo(2, 1);
    release(2, 1);
    QCOMPARE(ws->cursor.rememberedBlock, (CellRect{0, 0, 2, 1}));

    // A click in the middle, even with the mouse trembling on that cell, only
    // puts the current cell there.
    press(1, 1);
    moveTo(1, 1);
    release(1, 1);
    QVERIFY(!editor->dragging());
    QCOMPARE(cell(0, 0), std::string("-"));
    QCOMPARE(cell(2, 1), std::string("2"));
    QCOMPARE(cell(3, 2), std::string("-5"));
    QCOMPARE(ws->cursor.selection, (CellRect{1, 1, 1, 1}));
    QCOMPARE(ws->cursor.rememberedBlock, (CellRect{1, 1, 1, 1}));

    // Once the block has left the pressed cell it follows the point where it
    // was grabbed: dropped one cell to the right, it stands one column further
    // right.
    press(0, 0);
    moveTo(2, 1);
    release(2, 1);
    press(1, 0);
    moveTo(2, 0);
    release(2, 0);
    QCOMPARE(cell(0, 0), std::string());
    QCOMPARE(cell(3, 0), std::string("-"));
    QCOMPARE(cell(3, 1), std::string("2"));
    QCOMPARE(ws->cursor.rememberedBlock, (CellRect{1, 0, 3, 1}));
    // Carried away and back onto the pressed cell, it stays where it is.
    press(3, 1);
    moveTo(4, 2);
    moveTo(3, 1);
    release(3, 1);
    QCOMPARE(cell(1, 0), std::string("-"));
    QCOMPARE(cell(3, 1), std::string("2"));
    QCOMPARE(cell(4, 1), std::string());
    QCOMPARE(ws->cursor.rememberedBlock, (CellRect{1, 0, 3, 1}));
}

void GridEditTest::sideButtonEditsNothing()
{
    ws->doc.field().setText(2, 2, "-3");
    ws->doc.takeSnapshot();
    editor->setMode(EditMode::Draw);
    ws->doc.field().setText(1, 1, "-");
    press(2, 2, Qt::BackButton);
    release(2, 2, Qt::BackButton);
    QCOMPARE(cell(2, 2), std::string("-3"));
    QVERIFY(!ws->doc.modified());
    ws->doc.restoreSnapshot(false); // the snapshot is still the one before
    QCOMPARE(cell(1, 1), std::string());
}

void GridEditTest::quickStrokeLeavesNoGaps()
{
    ws->doc.field().setSize(8, 8);
    editor->setMode(EditMode::Draw);
    // Two mouse events far apart: the cells on the line between them are
    // drawn as well, and one undo takes the whole stroke back.
    press(0, 0);
    moveTo(6, 3);
    moveTo(6, 7);
    release(6, 7);
    const char* picture[] = {"#.......", ".##.....", "...##...", ".....##.", "......#.", "......#.", "......#.",
                             "......#."};
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c)
            QVERIFY2(ws->doc.field().isFilled(c, r) == (picture[r][c] == '#'), qPrintable(QStringLiteral("%1,%2").arg(c).arg(r)));
    QVERIFY(ws->doc.modified());
    ws->doc.restoreSnapshot(false);
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) QVERIFY(!ws->doc.field().isFilled(c, r));

    // A new stroke starts afresh: nothing joins it to the last one.
    press(0, 7);
    release(0, 7);
    QVERIFY(!ws->doc.field().isFilled(3, 7));
}

void GridEditTest::ctrlWheelAsksForAnotherCellSize()
{
    QList<int> asked;
    connect(grid, &GridView::zoomRequested, this, [&](int steps) { asked << steps; });
    auto wheel = [&](int delta, Qt::KeyboardModifiers mods) {
        const QPointF at = grid->cellRect(1, 1).center();
        QWheelEvent e(at, grid->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, mods,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(grid->viewport(), &e);
    };
    wheel(120, Qt::ControlModifier);
    wheel(-240, Qt::ControlModifier);
    wheel(60, Qt::ControlModifier); // half a notch: not yet
    wheel(60, Qt::ControlModifier);
    wheel(120, Qt::NoModifier); // scrolls
    QCOMPARE(asked, (QList<int>{1, -2, 1}));
}

void GridEditTest::typedSizeKeepsToRangeDigits_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("applied");
    QTest::newRow("past the range until the focus leaves") << "300" << "300" << 300;
    QTest::newRow("no more digits than the maximum") << "2000000000" << "200" << 200;
    QTest::newRow("a sign does not count") << "-1234" << "-123" << -123;
}

void GridEditTest::typedSizeKeepsToRangeDigits()
{
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QFETCH(int, applied);
    SpinEdit spin(5, 250, 5);
    spin.show();
    QVERIFY(QTest::qWaitForWindowExposed(&spin));
    spin.setFocus();
    spin.selectAll();
    QTest::keyClicks(&spin, typed);
    QCOMPARE(spin.text(), shown);
    QCOMPARE(spin.enteredValue(), applied);
}

QTEST_MAIN(GridEditTest)
#include "test_gridedit.moc"
