#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QToolBar>
#include <QToolButton>
#include <QToolTip>
#include <QtTest>
#include <functional>

#include "app/documentcommands.h"
#include "app/errorhandler.h"
#include "app/mainwindow.h"
#include "app/recentfiles.h"
#include "core/abort.h"
#include "core/uniqueness.h"
#include "core/cp1251.h"
#include "core/engines.h"
#include "core/text.h"
#include "editing/colorbox.h"
#include "editing/grideditor.h"
#include "editing/gridview.h"
#include "editing/fieldsizecontrols.h"
#include "editing/spinedit.h"
#include "widgets/messagebox.h"
#include "widgets/progressstatusbar.h"

using namespace klt;

namespace {

struct Box {
    MessageKind kind;
    QString text, caption;
};

// Runs a probe at the start of the clue placement, while the window is busy.
class ProbeEngine : public LiteralPlacement {
public:
    explicit ProbeEngine(std::function<void()> probe) : probe_(std::move(probe)) {}
    void placeClues(const Grid<std::string>& picture, const PlacementOptions& options, CommandContext& ctx,
                    std::uint32_t seed) override
    {
        probe_();
        LiteralPlacement::placeClues(picture, options, ctx, seed);
    }

private:
    std::function<void()> probe_;
};

class Thrower : public QObject {
public:
    std::function<void()> what;
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) what();
        return QObject::event(e);
    }
};

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void drawStrokeUndoesAtOnce();
    void fillKeepsCornerTouchingRegionsApart();
    void rightClickFillClearsRegion();
    void blockDrag_data();
    void blockDrag();
    void keysEditCurrentCell_data();
    void keysEditCurrentCell();
    void deleteKeyFollowsFocus();
    void pasteSpreadsheetLine_data();
    void pasteSpreadsheetLine();
    void busyWhileGenerating();
    void stopInterruptsGeneration();
    void hideAnswersThenCheck();
    void hintsOnHover();
    void uniquenessVerdicts_data();
    void uniquenessVerdicts();
    void uniquenessScrollsToTheFirstMark_data();
    void uniquenessScrollsToTheFirstMark();
    void advancedGenerationFromTheDropDown();
    void spinEditTyping();
    void errorHandlerReportsAndGoesOn();
    void settingsComeBackThroughTheControls();
    void sizeBoxesFollowTheField();
    void generationRunsOnlyWhenChosen();
    void fileShortcuts();

private:
    QWidget* vp() { return w->grid()->viewport(); }
    Workspace& ws() { return w->workspace(); }
    std::string cell(int c, int r) { return ws().doc.field().text(c, r); }
    void setCell(int c, int r, const char* t) { ws().doc.field().setText(c, r, t); }
    void mouse(QEvent::Type type, int c, int r, Qt::MouseButton button, Qt::MouseButtons held);
    void press(int c, int r, Qt::MouseButton b = Qt::LeftButton) { mouse(QEvent::MouseButtonPress, c, r, b, b); }
    void moveTo(int c, int r, Qt::MouseButtons held = Qt::LeftButton) { mouse(QEvent::MouseMove, c, r, Qt::NoButton, held); }
    void release(int c, int r, Qt::MouseButton b = Qt::LeftButton) { mouse(QEvent::MouseButtonRelease, c, r, b, Qt::NoButton); }
    void click(int c, int r, Qt::MouseButton b = Qt::LeftButton)
    {
        press(c, r, b);
        release(c, r, b);
    }
    QString panel(int i) { return w->statusPanels()->panelText(i); }
    QStringList texts()
    {
        QStringList all;
        for (int c = 0; c < ws().doc.field().colCount(); ++c)
            for (int r = 0; r < ws().doc.field().rowCount(); ++r) all << QString::fromStdString(cell(c, r));
        return all;
    }

    std::unique_ptr<Workspace> puzzle;
    MainWindow* w = nullptr;
    std::vector<Box> boxes;
    // Looks at the window while a box is up.
    std::function<void()> atBox;
};

void MainWindowTest::initTestCase()
{
    setMessageHook([this](MessageKind k, const QString& text, const QString& caption) {
        boxes.push_back({k, text, caption});
        if (atBox) atBox();
        return MessageButton::Ok;
    });
}

void MainWindowTest::init()
{
    boxes.clear();
    puzzle = std::make_unique<Workspace>(); // outlives the window
    w = new MainWindow(*puzzle);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
    w->grid()->setFocus();
}

void MainWindowTest::cleanup()
{
    atBox = nullptr;
    delete w;
    w = nullptr;
}

void MainWindowTest::mouse(QEvent::Type type, int c, int r, Qt::MouseButton button, Qt::MouseButtons held)
{
    const QPoint pos = w->grid()->cellRect(c, r).center();
    QMouseEvent e(type, QPointF(pos), QPointF(vp()->mapToGlobal(pos)), button, held, Qt::NoModifier);
    QApplication::sendEvent(vp(), &e);
}

void MainWindowTest::drawStrokeUndoesAtOnce()
{
    setCell(2, 0, "3");
    // Choosing a mode checks it alone, also when it is chosen again.
    for (int i = 0; i < 2; ++i) {
        w->action("acDraw")->trigger();
        QCOMPARE(w->editor()->mode(), EditMode::Draw);
        for (const char* m : {"acDefault", "acDraw", "acFill"})
            QCOMPARE(w->action(m)->isChecked(), QByteArray(m) == "acDraw");
    }
    QCOMPARE(vp()->cursor().hotSpot(), QPoint(0, 0));

    press(0, 0);
    for (int c = 1; c < 5; ++c) moveTo(c, 0);
    release(4, 0);
    for (int c = 0; c < 5; ++c) QCOMPARE(cell(c, 0), std::string("-"));
    QCOMPARE(panel(1), QString("Изм"));
    QCOMPARE(panel(0), QString("0x4")); // row, then column

    w->action("acUndo")->trigger();
    for (int c = 0; c < 5; ++c) QCOMPARE(cell(c, 0), std::string(c == 2 ? "3" : ""));

    // The right button clears and moves the current cell; no menu in draw mode.
    setCell(3, 3, "-2");
    click(3, 3, Qt::RightButton);
    QCOMPARE(cell(3, 3), std::string());
    QCOMPARE(QPoint(ws().cursor.col, ws().cursor.row), QPoint(3, 3));
    QVERIFY(!w->gridMenu()->isVisible());

    // In select mode the right button opens the grid's menu.
    w->action("acDefault")->trigger();
    click(1, 1, Qt::RightButton);
    QVERIFY(w->gridMenu()->isVisible());
    w->gridMenu()->close();
}

void MainWindowTest::fillKeepsCornerTouchingRegionsApart()
{
    // (0,0) is white and touches the rest of the white field only at a corner.
    setCell(1, 0, "-");
    setCell(0, 1, "-");
    setCell(3, 3, "3");
    w->action("acFill")->trigger();
    QCOMPARE(vp()->cursor().hotSpot(), QPoint(8, 27));

    click(0, 0);
    QCOMPARE(cell(0, 0), std::string("-"));
    QCOMPARE(cell(1, 1), std::string());
    QCOMPARE(cell(3, 3), std::string("3"));

    click(2, 2);
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r < 5; ++r) QCOMPARE(cell(c, r), std::string("-"));
    QCOMPARE(ws().cursor.rememberedBlock, (CellRect{2, 2, 2, 2}));

    w->action("acUndo")->trigger();
    QCOMPARE(cell(3, 3), std::string("3"));
    QCOMPARE(cell(0, 0), std::string("-"));
}

void MainWindowTest::rightClickFillClearsRegion()
{
    for (auto [c, r] : {std::pair{0, 0}, {1, 0}, {1, 1}}) setCell(c, r, "-");
    setCell(1, 1, "-4");
    setCell(3, 3, "-"); // another region
    w->action("acFill")->trigger();
    click(0, 0, Qt::RightButton);
    QCOMPARE(cell(0, 0), std::string());
    QCOMPARE(cell(1, 0), std::string());
    QCOMPARE(cell(1, 1), std::string());
    QCOMPARE(cell(3, 3), std::string("-"));
    QVERIFY(!w->gridMenu()->isVisible());
}

void MainWindowTest::blockDrag_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<int>("fieldWidth");
    QTest::newRow("one cell right") << 2 << 5;
    QTest::newRow("past the right edge") << 4 << 7;
}

void MainWindowTest::blockDrag()
{
    QFETCH(int, target);
    QFETCH(int, fieldWidth);
    // A 3 x 2 block at columns 1..3, rows 1..2, holding a prize letter that
    // the clipboard text alone could not carry.
    const std::string letter = "-" + utf8ToCp1251("Ж");
    setCell(1, 1, "-");
    setCell(2, 1, "5");
    setCell(3, 1, letter.c_str());
    setCell(2, 2, "-2");
    setCell(3, 2, "1");

    press(1, 1);
    moveTo(3, 2);
    release(3, 2);
    QCOMPARE(ws().cursor.rememberedBlock, (CellRect{1, 1, 3, 2}));
    QCOMPARE(QPoint(ws().cursor.col, ws().cursor.row), QPoint(3, 2));

    press(1, 1);
    QVERIFY(w->editor()->dragging());
    moveTo(target, 1);
    QCOMPARE(ws().cursor.selection, (CellRect{target, 1, target + 2, 2}));
    release(target, 1);

    QCOMPARE(ws().doc.field().colCount(), fieldWidth);
    QCOMPARE(w->sizeControls()->widthEdit()->text(), QString("5"));
    const std::vector<std::string> row1{"-", "5", letter}, row2{"", "-2", "1"};
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(cell(target + i, 1), row1[static_cast<size_t>(i)]);
        QCOMPARE(cell(target + i, 2), row2[static_cast<size_t>(i)]);
    }
    QCOMPARE(cell(1, 1), std::string());
    QCOMPARE(ws().cursor.selection, (CellRect{target, 1, target + 2, 2}));
    QCOMPARE(ws().cursor.rememberedBlock, ws().cursor.selection);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("- \t5 \t-Ж \r\n \t-2 \t1 "));
    QCOMPARE(panel(1), QString("Изм"));
}

void MainWindowTest::keysEditCurrentCell_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("after");
    QTest::newRow("digit keeps the fill") << "-3" << int(Qt::Key_7) << "-7";
    QTest::newRow("digit replaces a clue") << "12" << int(Qt::Key_5) << "5";
    QTest::newRow("backspace keeps the fill") << "-7" << int(Qt::Key_Backspace) << "-";
    QTest::newRow("space clears a clue") << "7" << int(Qt::Key_Space) << "";
    QTest::newRow("a letter does nothing") << "-3" << int(Qt::Key_X) << "-3";
}

void MainWindowTest::keysEditCurrentCell()
{
    QFETCH(QString, before);
    QFETCH(int, key);
    QFETCH(QString, after);
    setCell(2, 3, before.toLatin1().constData());
    ws().cursor.setCurrentCell(2, 3);
    QTest::keyClick(w->grid(), Qt::Key(key));
    QCOMPARE(QString::fromStdString(cell(2, 3)), after);
    // A typed clue is an edit: closing then offers to save it.
    QCOMPARE(ws().doc.modified(), after != before);
}

void MainWindowTest::deleteKeyFollowsFocus()
{
    for (int c = 0; c < 3; ++c) setCell(c, 0, "-3");
    ws().cursor.setCurrentCell(0, 0);
    ws().cursor.selection = CellRect{0, 0, 2, 0};

    SpinEdit* spin = w->sizeControls()->widthEdit();
    spin->setFocus();
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Delete);
    QCOMPARE(cell(1, 0), std::string("-3"));
    QVERIFY(spin->text().isEmpty()); // the key went to the control

    w->grid()->setFocus();
    QTest::keyClick(w->grid(), Qt::Key_Delete);
    for (int c = 0; c < 3; ++c) QCOMPARE(cell(c, 0), std::string());
    QCOMPARE(cell(3, 0), std::string());
}

void MainWindowTest::pasteSpreadsheetLine_data()
{
    QTest::addColumn<QString>("clip");
    QTest::addColumn<QStringList>("row");
    QTest::newRow("empty middle cell") << "1\t\t2\r\n" << QStringList{"1", "", "2", "-"};
    QTest::newRow("empty first cell") << "\t5" << QStringList{"", "5", "-", "-"};
}

void MainWindowTest::pasteSpreadsheetLine()
{
    QFETCH(QString, clip);
    QFETCH(QStringList, row);
    for (int c = 0; c < 5; ++c) setCell(c, 0, "-");
    ws().cursor.setCurrentCell(0, 0);
    QGuiApplication::clipboard()->setText(clip);
    w->action("acPaste")->trigger();
    for (int c = 0; c < row.size(); ++c) QCOMPARE(QString::fromStdString(cell(c, 0)), row[c]);
    QCOMPARE(ws().doc.field().rowCount(), 5);
    QVERIFY(boxes.empty());

    w->action("acUndo")->trigger();
    QCOMPARE(cell(1, 0), std::string("-"));
}

void MainWindowTest::busyWhileGenerating()
{
    setCell(2, 2, "-");
    w->documents()->recentFiles()->add("/tmp/other.kvt");
    QAction* recent = w->documents()->recentFiles()->menuItems().value(0);
    QVERIFY(recent);
    QStringList enabledWhileBusy;
    bool othersOff = true;
    int probes = 0;
    w->setPlacementEngine(std::make_unique<ProbeEngine>([&] {
        ++probes;
        for (QAction* a : w->actions().all())
            if (a->isEnabled()) enabledWhileBusy << a->objectName();
        othersOff = !w->generateButton()->isEnabled() && !w->generateSubmenu()->menuAction()->isEnabled() &&
                    !recent->isEnabled() && !w->sizeControls()->widthEdit()->isEnabled() &&
                    !w->difficultyEdit()->isEnabled() && w->statusPanels()->mode() == StatusMode::Progressbar;
        // The field belongs to the computation: a stroke on the grid is ignored.
        w->editor()->setMode(EditMode::Draw);
        click(0, 0);
        w->editor()->setMode(EditMode::Select);
    }));

    w->action("acCalc")->trigger();
    QCOMPARE(probes, 1);
    QCOMPARE(enabledWhileBusy, QStringList{"acStop"});
    QVERIFY(othersOff);

    for (QAction* a : w->actions().all()) QCOMPARE(a->isEnabled(), a->objectName() != "acStop");
    QVERIFY(w->generateButton()->isEnabled() && w->generateSubmenu()->menuAction()->isEnabled() && recent->isEnabled());
    QVERIFY(w->sizeControls()->widthEdit()->isEnabled());
    QCOMPARE(w->statusPanels()->mode(), StatusMode::Statusbar);
    QCOMPARE(boxes.size(), size_t(1));
    QVERIFY(boxes[0].text.startsWith("Решается !"));
    QCOMPARE(boxes[0].caption, QString("Решение"));
    QVERIFY(ws().doc.field().isFilled(2, 2));
    QVERIFY(!ws().doc.field().isFilled(0, 0));
    QCOMPARE(panel(1), QString("Изм"));
}

void MainWindowTest::uniquenessVerdicts_data()
{
    QTest::addColumn<int>("cols");
    QTest::addColumn<QStringList>("cells"); // column by column, one row
    QTest::addColumn<QString>("verdict");
    QTest::addColumn<QList<int>>("marked"); // columns the verdict points at
    QTest::newRow("one answer") << 2 << QStringList{"-2", "-"} << "Ответ единственный" << QList<int>{};
    QTest::newRow("two answers") << 2 << QStringList{"1", ""} << "Ответов несколько\nРазличающихся клеток: 2" << QList<int>{0, 1};
    QTest::newRow("no answer") << 3 << QStringList{"", "", "4"}
                               << "Нет ответа\nПротиворечие у подсказки в столбце 2, строке 0" << QList<int>{2};
    QTest::newRow("one answer, not the picture")
        << 3 << QStringList{"-", "0", "-"} << "Ответ единственный, но не совпадает с рисунком\nРазличающихся клеток: 2" << QList<int>{0, 2};
    QTest::newRow("no clue") << 2 << QStringList{"-", "12"} << "Нет цифр!" << QList<int>{};
}

void MainWindowTest::uniquenessVerdicts()
{
    QFETCH(int, cols);
    QFETCH(QStringList, cells);
    QFETCH(QString, verdict);
    QFETCH(QList<int>, marked);
    ws().doc.field().setSize(cols, 1);
    for (int c = 0; c < cols; ++c) setCell(c, 0, cells[c].toUtf8().constData());
    w->grid()->setCellSize(24); // a frame 4 pixels wide
    w->grid()->fieldChanged();

    // Under the box: the marks already stand and the gauge is gone.
    QImage shot;
    atBox = [&] {
        QCOMPARE(w->grid()->differenceShown(), !marked.isEmpty());
        QCOMPARE(w->statusPanels()->mode(), StatusMode::Statusbar);
        shot = w->grid()->viewport()->grab().toImage();
    };
    w->action("acUnique")->trigger();
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].text, verdict);
    QCOMPARE(boxes[0].caption, QString("Проверка"));
    QCOMPARE(w->grid()->differenceShown(), !marked.isEmpty());
    for (QAction* a : w->actions().all()) QCOMPARE(a->isEnabled(), a->objectName() != "acStop");
    for (int c = 0; c < cols; ++c) QCOMPARE(cells[c], QString::fromStdString(cell(c, 0)));
    if (marked.isEmpty()) return;

    // A marked cell gets an orange frame and keeps its own fill inside it;
    // the other cells get none.
    for (int c = 0; c < cols; ++c) {
        const QRect rect = w->grid()->cellRect(c, 0);
        const bool filled = cells[c].contains('-');
        QCOMPARE(shot.pixelColor(rect.topLeft() + QPoint(2, 2)) == QColor(255, 160, 0), marked.contains(c));
        QCOMPARE(shot.pixelColor(rect.bottomRight() - QPoint(3, 3)) == QColor(255, 160, 0), marked.contains(c));
        if (cells[c].remove('-').isEmpty())
            QCOMPARE(shot.pixelColor(rect.center()), filled ? QColor(0, 0, 0) : QColor(255, 255, 255));
    }
    // The next edit takes the marks away.
    w->editor()->setMode(EditMode::Draw);
    click(1, 0);
    QCoreApplication::processEvents();
    w->grid()->viewport()->repaint();
    QVERIFY(!w->grid()->differenceShown());
}

void MainWindowTest::uniquenessScrollsToTheFirstMark_data()
{
    QTest::addColumn<QStringList>("cells"); // "col,row,text"
    QTest::newRow("two answers") << QStringList{"110,100,1"};
    QTest::newRow("not the picture") << QStringList{"110,100,0", "125,125,-", "111,101,-"};
    QTest::newRow("no answer") << QStringList{"3,3,0", "115,104,0", "116,104,9"};
}

void MainWindowTest::uniquenessScrollsToTheFirstMark()
{
    QFETCH(QStringList, cells);
    ws().doc.field().setSize(130, 130);
    for (const QString& entry : cells) {
        const QStringList p = entry.split(',');
        setCell(p[0].toInt(), p[1].toInt(), p[2].toUtf8().constData());
    }
    w->grid()->fieldChanged();
    const UniquenessResult res = checkUniqueness(ws().doc.field());
    const CellGrid& marks = res.answers == Answers::None ? res.contradiction : res.differs;
    int c = -1, r = -1;
    QVERIFY(firstCell(marks, c, r));
    QVERIFY(!vp()->rect().intersects(w->grid()->cellRect(c, r)));

    bool seen = false;
    atBox = [&] { seen = vp()->rect().contains(w->grid()->cellRect(c, r)); };
    w->action("acUnique")->trigger();
    QCOMPARE(boxes.size(), size_t(1));
    QVERIFY2(seen, "the first marked cell is in view under the box");
    QVERIFY(boxes[0].text.contains(QString("\nРазличающихся клеток: %1").arg(marks.count())) ||
            boxes[0].text == QString("Нет ответа\nПротиворечие у подсказки в столбце %1, строке %2").arg(c).arg(r));
}

void MainWindowTest::advancedGenerationFromTheDropDown()
{
    // A ring: single-clue reasoning needs more clues than the SAT proof.
    ws().doc.field().setSize(12, 12);
    for (int c = 2; c < 10; ++c)
        for (int r = 2; r < 10; ++r)
            if (c == 2 || c == 9 || r == 2 || r == 9 || (c + r) % 5 == 0) setCell(c, r, "-");
    const CellGrid picture = pictureOnField(ws().doc.field());
    QVERIFY(w->generateButton()->menu()->actions().contains(w->action("acCalcAdvanced")));
    QVERIFY(w->generateSubmenu()->actions().contains(w->action("acCalcAdvanced")));

    w->action("acCalcAdvanced")->trigger();
    QCOMPARE(boxes.size(), size_t(1));
    QVERIFY2(boxes[0].text.startsWith("Ответ единственный\n"), qPrintable(boxes[0].text));
    QCOMPARE(boxes[0].caption, QString("Решение"));
    QCOMPARE(pictureOnField(ws().doc.field()), picture);
    const UniquenessResult res = checkUniqueness(ws().doc.field());
    QCOMPARE(res.answers, Answers::One);
    QCOMPARE(res.first, picture);
    for (QAction* a : w->actions().all()) QCOMPARE(a->isEnabled(), a->objectName() != "acStop");

    // Undo gives the picture back without clues, as after the ordinary generation.
    w->action("acUndo")->trigger();
    QCOMPARE(cluesOnField(ws().doc.field()).count(), 0);
    QCOMPARE(pictureOnField(ws().doc.field()), picture);
}

void MainWindowTest::stopInterruptsGeneration()
{
    setCell(2, 2, "-");
    w->setPlacementEngine(std::make_unique<ProbeEngine>([&] { w->action("acStop")->trigger(); }));
    // The drop-down button's own part is the plain command.
    w->generateButton()->click();
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].text, QString("Прервано !"));
    QCOMPARE(boxes[0].caption, QString("Обсчет"));
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r < 5; ++r) QCOMPARE(cell(c, r), std::string(c == 2 && r == 2 ? "-" : ""));
    QVERIFY(!w->action("acStop")->isEnabled());

    // Nothing filled: the message, no busy state left behind.
    setCell(2, 2, "");
    boxes.clear();
    w->action("acCalcAndCorrect")->trigger();
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].text, QString("Нет закрашенных клеток!"));
    QVERIFY(w->action("acCalc")->isEnabled());
}

void MainWindowTest::hideAnswersThenCheck()
{
    QAction* hide = w->action("acHideBlack");
    w->action("acCheck")->trigger();
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].text, QString("Нет цифр!"));
    QCOMPARE(boxes[0].caption, QString("Проверка"));

    setCell(2, 2, "-");
    w->action("acCalc")->trigger();
    boxes.clear();
    const QStringList generated = texts();

    hide->trigger();
    QVERIFY(hide->isChecked());
    QVERIFY(!ws().doc.field().isFilled(2, 2));
    hide->trigger();
    QVERIFY(!hide->isChecked());
    QCOMPARE(texts(), generated);

    // Checking the task: the solver's picture comes back, "hidden" is
    // cleared, and undo gives the drawn picture with its clues again.
    hide->trigger();
    w->action("acCheck")->trigger();
    QCOMPARE(boxes.size(), size_t(1));
    QVERIFY(boxes[0].text.startsWith("Решается !\n"));
    QCOMPARE(boxes[0].caption, QString("Решение"));
    QVERIFY(!hide->isChecked());
    QVERIFY(ws().doc.field().isFilled(2, 2));
    for (QAction* a : w->actions().all()) QCOMPARE(a->isEnabled(), a->objectName() != "acStop");
    w->action("acUndo")->trigger();
    QCOMPARE(texts(), generated);
}

void MainWindowTest::sizeBoxesFollowTheField()
{
    SpinEdit* width = w->sizeControls()->widthEdit();
    SpinEdit* height = w->sizeControls()->heightEdit();
    auto shows = [&](int cols, int rows) {
        QCoreApplication::processEvents();
        return width->value() == cols && height->value() == rows && ws().doc.field().colCount() == cols &&
               ws().doc.field().rowCount() == rows;
    };
    // A paste that grows the field.
    ws().cursor.setCurrentCell(4, 4);
    QGuiApplication::clipboard()->setText(QStringLiteral("-\t3\r\n\t-2"));
    w->action("acPaste")->trigger();
    QVERIFY(shows(6, 6));
    // A crop to a selection below the controls' minimum.
    ws().cursor.setCurrentCell(1, 1);
    ws().cursor.selection = CellRect{1, 1, 3, 1};
    w->action("acSelCut")->trigger();
    QVERIFY(shows(3, 1));
    // Undo goes back to the size of the snapshot.
    w->action("acUndo")->trigger();
    QVERIFY(shows(6, 6));
    // Touching a box starts from the field's real size.
    width->setFocus();
    QTest::keyClick(width, Qt::Key_Up);
    QVERIFY(shows(7, 6));
    QVERIFY(ws().doc.modified());
}

void MainWindowTest::hintsOnHover()
{
    auto* tb = w->findChild<QToolBar*>("tb");
    QWidget* fill = tb->widgetForAction(w->action("acFill"));
    QVERIFY(fill);
    QCOMPARE(fill->toolTip(), QString("Залить область"));

    QEnterEvent enter(QPointF(3, 3), QPointF(3, 3), QPointF(fill->mapToGlobal(QPoint(3, 3))));
    QApplication::sendEvent(fill, &enter);
    QCOMPARE(panel(2), QString("Залить область, заполненную одним цветом"));

    QHelpEvent help(QEvent::ToolTip, QPoint(3, 3), fill->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(fill, &help);
    QCOMPARE(QToolTip::text(), QString("Залить область"));

    // An action without a hint shows no tooltip, not its caption.
    QWidget* delPrize = tb->widgetForAction(w->action("acDelPrize"));
    QHelpEvent helpDel(QEvent::ToolTip, QPoint(3, 3), delPrize->mapToGlobal(QPoint(3, 3)));
    QApplication::sendEvent(delPrize, &helpDel);
    QCOMPARE(QToolTip::text(), QString("Залить область"));

    // A control's one-part hint shows whole.
    QWidget* spin = w->sizeControls()->heightEdit();
    QApplication::sendEvent(spin, &enter);
    QCOMPARE(panel(2), QString("Количество строк"));
}

void MainWindowTest::spinEditTyping()
{
    SpinEdit* spin = w->sizeControls()->widthEdit();
    QList<int> widths;
    QObject listener; // the connection ends with this test, not with the window
    connect(spin, &SpinEdit::changed, &listener, [&] { widths << ws().doc.field().colCount(); });
    spin->setFocus();
    spin->selectAll();
    QTest::keyClicks(spin, "12");
    QCOMPARE(widths, (QList<int>{1, 12}));

    spin->selectAll();
    QTest::keyClicks(spin, "300");
    QCOMPARE(ws().doc.field().colCount(), 300);
    w->grid()->setFocus();
    QCOMPARE(spin->text(), QString("250"));
    QCOMPARE(ws().doc.field().colCount(), 250);

    // An emptied control leaves the field as it is.
    spin->setFocus();
    spin->selectAll();
    QTest::keyClick(spin, Qt::Key_Backspace);
    QCOMPARE(ws().doc.field().colCount(), 250);
}

void MainWindowTest::errorHandlerReportsAndGoesOn()
{
    QFile::remove(errorLogPath());
    Thrower t;
    t.what = [] { throw CommandError{"Число 300 вне диапазона"}; };
    QEvent user(QEvent::User);
    QApplication::sendEvent(&t, &user);
    QCOMPARE(boxes.size(), size_t(1));
    QCOMPARE(boxes[0].kind, MessageKind::Error);
    QCOMPARE(boxes[0].text, QString("Число 300 вне диапазона"));
    QFile log(errorLogPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QVERIFY(QString::fromUtf8(log.readAll()).contains("Число 300 вне диапазона"));

    t.what = [] { throw SilentAbort{}; };
    QApplication::sendEvent(&t, &user);
    QCOMPARE(boxes.size(), size_t(1));

    // The window still works afterwards.
    setCell(0, 0, "-");
    w->action("acInvertAll")->trigger();
    QCOMPARE(cell(0, 0), std::string());
    QCOMPARE(cell(4, 4), std::string("-"));
}

void MainWindowTest::settingsComeBackThroughTheControls()
{
    w->sizeControls()->widthEdit()->showValue(12);
    w->sizeControls()->cellSizeEdit()->showValue(30);
    w->difficultyEdit()->showValue(2);
    w->fillColorBox()->setColor(QColor(128, 0, 0));
    w->saveSettings();

    Workspace secondPuzzle;

    MainWindow second(secondPuzzle);
    second.restoreSettings();
    QCOMPARE(second.workspace().doc.field().colCount(), 12);
    QCOMPARE(second.workspace().doc.field().rowCount(), 5);
    QCOMPARE(second.grid()->cellSize(), 30);
    QCOMPARE(second.grid()->fillColor(), QColor(128, 0, 0));
    QCOMPARE(second.difficultyEdit()->value(), 5); // the difficulty starts at 5 on every run
}

void MainWindowTest::generationRunsOnlyWhenChosen()
{
    setCell(2, 2, "-");
    // Opening the submenu generates nothing.
    QMenu* sub = w->generateSubmenu();
    QCOMPARE(sub->actions().value(0), w->action("acCalc"));
    sub->popup(QPoint(10, 10));
    QTRY_VERIFY(sub->isVisible());
    QTest::qWait(50);
    sub->hide();
    QVERIFY(boxes.empty());
    QCOMPARE(cell(2, 2), std::string("-"));

    // Ctrl+F8 writes the full clue set silently, as Ctrl with the button does.
    QTest::keyClick(w, Qt::Key_F8, Qt::ControlModifier);
    QVERIFY(boxes.empty());
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r < 5; ++r) QVERIFY(!removeChars(cell(c, r), "-").empty());
    QCOMPARE(cell(2, 2), std::string("-1"));
}

void MainWindowTest::fileShortcuts()
{
    const std::pair<const char*, const char*> keys[] = {
        {"acNew", "Ctrl+N"}, {"acOpen", "Ctrl+O"}, {"acSave", "Ctrl+S"}, {"acSaveAs", "Ctrl+Shift+S"}};
    for (const auto& [name, key] : keys) QCOMPARE(w->action(name)->shortcut(), QKeySequence(QString::fromLatin1(key)));
    // And they reach their commands from the grid.
    QStringList asked;
    w->documents()->setSaveDialog([&](const QString& current) {
        asked << current;
        return QString();
    });
    QTest::keyClick(w->grid(), Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(asked, QStringList{QStringLiteral("NONAME.KVT")});
}

int main(int argc, char** argv)
{
    klt::Application app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("kletomer-test");
    QCoreApplication::setApplicationName("kletomer-test");
    MainWindowTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_mainwindow.moc"
