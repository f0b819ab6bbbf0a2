// The solving path view, the hint and the generation by level, driven through
// the main window's actions, keys and clicks.
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QtTest>
#include <functional>

#include "app/errorhandler.h"
#include "app/mainwindow.h"
#include "app/pathview.h"
#include "core/grading.h"
#include "core/uniqueness.h"
#include "editing/grideditor.h"
#include "editing/gridview.h"
#include "widgets/messagebox.h"
#include "widgets/progressstatusbar.h"

using namespace klt;

namespace {

struct Box {
    MessageKind kind;
    QString text, caption;
};

// Fields as rows of cells, separated by spaces: "." empty, "-" filled,
// "-3" filled with clue 3, "4" white with clue 4.
using Rows = QStringList;

// Levels 1, 2 and 3 in thirteen steps; the answer is the picture.
const Rows kThreeLevels{
    ".  -3 -  -3 .",
    "4  -  7  -  2",
    "-  -5 -  .  .",
    ".  -  .  .  .",
    ".  -  2  0  .",
};

// One answer, but levels 1–3 stop after two steps.
const Rows kNeedsTrial{
    ". - - -2 3 - .",  ". - 5 . . - -4",  ". 3 . - 4 - 5",  ". -4 -4 . 4 -4 -",
    "-4 -6 5 3 - . 2", ". - -4 . . . 2", ". . . - -3 - -2",
};

// Two clues that share cell 2: neither tells anything alone.
const Rows kTwoClues{". 2 . 1 ."};

} // namespace

class PathViewTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void gradeVerdicts_data();
    void gradeVerdicts();
    void steppingShowsEachStep();
    void stepPicture();
    void editingStalesTheView_data();
    void editingStalesTheView();
    void hintFromOwnMarks_data();
    void hintFromOwnMarks();
    void hintStartsFromThePathStep();
    void generationByLevel_data();
    void generationByLevel();

private:
    Workspace& ws() { return w->workspace(); }
    PathView* view() { return w->pathView(); }
    QString panel(int i) { return w->statusPanels()->panelText(i); }
    void load(const Rows& rows);
    QStringList texts() const;
    // A click on a cell of the view's picture.
    void clickCell(int c, int r, Qt::MouseButton button);
    // The picture's state and source as the path gives them after n steps.
    void expectPathState(const GradeResult& path, int n);

    std::unique_ptr<Workspace> puzzle;
    MainWindow* w = nullptr;
    std::vector<Box> boxes;
};

void PathViewTest::initTestCase()
{
    setMessageHook([this](MessageKind k, const QString& text, const QString& caption) {
        boxes.push_back({k, text, caption});
        return MessageButton::Ok;
    });
}

void PathViewTest::init()
{
    boxes.clear();
    puzzle = std::make_unique<Workspace>();
    w = new MainWindow(*puzzle);
    w->show();
    w->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w));
}

void PathViewTest::cleanup()
{
    delete w;
    w = nullptr;
}

void PathViewTest::load(const Rows& rows)
{
    Field& f = ws().doc.field();
    const int cols = static_cast<int>(rows[0].split(' ', Qt::SkipEmptyParts).size());
    f.setSize(cols, static_cast<int>(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList cells = rows[r].split(' ', Qt::SkipEmptyParts);
        QCOMPARE(cells.size(), cols);
        for (int c = 0; c < cols; ++c) f.setText(c, r, cells[c] == "." ? std::string() : cells[c].toStdString());
    }
    ws().doc.notifyFieldChanged();
    ws().doc.takeSnapshot();
    ws().doc.setModified(false);
}

QStringList PathViewTest::texts() const
{
    QStringList all;
    const Field& f = puzzle->doc.field();
    for (int c = 0; c < f.colCount(); ++c)
        for (int r = 0; r < f.rowCount(); ++r) all << QString::fromStdString(f.text(c, r));
    return all;
}

void PathViewTest::clickCell(int c, int r, Qt::MouseButton button)
{
    QWidget* vp = view()->field()->viewport();
    const QPoint pos = view()->field()->cellRect(c, r).center();
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(pos), QPointF(vp->mapToGlobal(pos)), button, button, Qt::NoModifier);
    QApplication::sendEvent(vp, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(pos), QPointF(vp->mapToGlobal(pos)), button, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(vp, &release);
}

void PathViewTest::expectPathState(const GradeResult& path, int n)
{
    const PathPicture& pic = view()->picture();
    std::vector<int> level(pic.state.size(), 0);
    std::vector<std::int8_t> state(pic.state.size(), kCellOpen);
    for (int s = 0; s < n; ++s)
        for (int i : path.steps[static_cast<size_t>(s)].cells) {
            state[static_cast<size_t>(i)] = static_cast<std::int8_t>(path.steps[static_cast<size_t>(s)].filled);
            level[static_cast<size_t>(i)] = path.steps[static_cast<size_t>(s)].level;
        }
    for (size_t i = 0; i < state.size(); ++i) {
        QCOMPARE(pic.state[i], state[i]);
        QCOMPARE(pic.source[i], state[i] == kCellOpen ? PathPicture::Source::Open : PathPicture::Source::Path);
        if (state[i] != kCellOpen) QCOMPARE(int(pic.level[i]), level[i]);
    }
}

void PathViewTest::gradeVerdicts_data()
{
    QTest::addColumn<Rows>("rows");
    QTest::addColumn<QString>("grade");  // the summary's first line ("*": the grade's name); empty: no view
    QTest::addColumn<int>("steps");
    QTest::addColumn<QString>("notice"); // empty: none shown
    QTest::addColumn<bool>("answerOffered");
    QTest::addColumn<QString>("box");    // "Error": an error box; else the information box's text
    QTest::newRow("levels 1 to 3") << kThreeLevels << "*" << 13 << "" << false << "";
    QTest::newRow("needs trial, one answer") << kNeedsTrial << "Сложность: Требует перебора" << 2
                                             << "Требует перебора: перебор находит единственный ответ" << true << "";
    QTest::newRow("contradiction") << Rows{"2 . 0"} << "Сложность: Нет ответа" << 1
                                   << "Числа противоречат друг другу: число в (2, 0) не сходится" << false << "";
    QTest::newRow("no clue") << Rows{"- . -"} << "" << 0 << "" << false << "Нет цифр!";
    QTest::newRow("number out of range") << Rows{"300 . 1"} << "" << 0 << "" << false << "Error";
}

void PathViewTest::gradeVerdicts()
{
    QFETCH(Rows, rows);
    QFETCH(QString, grade);
    QFETCH(int, steps);
    QFETCH(QString, notice);
    QFETCH(bool, answerOffered);
    QFETCH(QString, box);
    load(rows);
    const QStringList before = texts();
    const auto snapshot = ws().doc.snapshot();

    w->action("acGrade")->trigger();
    // Grading reads the field and nothing else.
    QCOMPARE(texts(), before);
    QCOMPARE(ws().doc.snapshot(), snapshot);
    QVERIFY(!ws().doc.modified());
    for (QAction* a : w->actions().all()) QCOMPARE(a->isEnabled(), a->objectName() != "acStop");

    if (grade.isEmpty()) {
        QCOMPARE(boxes.size(), size_t(1));
        if (box == "Error") QCOMPARE(boxes[0].kind, MessageKind::Error);
        else QCOMPARE(boxes[0].text, box);
        QVERIFY(!view()->isVisible());
        return;
    }
    QVERIFY(boxes.empty());
    QVERIFY(view()->isVisible());
    if (grade == "*")
        grade = "Сложность: " + QString::fromStdString(gradeText(gradePuzzle(cluesOnField(ws().doc.field())).grade));
    QVERIFY2(view()->summary().startsWith("<b>" + grade + "</b>"), qPrintable(view()->summary()));
    QCOMPARE(view()->stepCount(), steps);
    QCOMPARE(view()->stepText(), QString("Шаг 0 из %1").arg(steps));
    QCOMPARE(view()->position(), 0);
    auto* noticeLabel = view()->findChild<QLabel*>("notice");
    QCOMPARE(noticeLabel->isVisible(), !notice.isEmpty());
    if (!notice.isEmpty()) QCOMPARE(noticeLabel->text(), notice);
    auto* answer = view()->findChild<QPushButton*>("showAnswer");
    QCOMPARE(answer->isVisible(), answerOffered);
    if (!answerOffered) return;

    // The prover's answer fills the cells the path leaves open, and with the
    // path's own cells makes the picture.
    answer->click();
    QCOMPARE(view()->position(), steps);
    const CellGrid picture = pictureOnField(ws().doc.field());
    const PathPicture& pic = view()->picture();
    int trial = 0;
    for (size_t i = 0; i < pic.state.size(); ++i) {
        QVERIFY(pic.state[i] != kCellOpen);
        QCOMPARE(pic.state[i] == kCellFilled, picture.cells[i] != 0);
        trial += pic.source[i] == PathPicture::Source::Trial;
    }
    QVERIFY(trial > 0);
}

void PathViewTest::steppingShowsEachStep()
{
    load(kThreeLevels);
    const QStringList before = texts();
    const ClueSet clues = cluesOnField(ws().doc.field());
    const GradeResult path = gradePuzzle(clues);
    QCOMPARE(int(path.steps.size()), 13);
    w->action("acGrade")->trigger();
    PathView* v = view();
    v->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(v));
    v->field()->setFocus();
    QApplication::processEvents(); // the focus arrives

    const std::pair<Qt::Key, int> keys[] = {
        {Qt::Key_Right, 1}, {Qt::Key_Right, 2}, {Qt::Key_Left, 1},      {Qt::Key_End, 13},  {Qt::Key_Right, 13},
        {Qt::Key_PageUp, 3}, {Qt::Key_Home, 0}, {Qt::Key_PageDown, 10}, {Qt::Key_PageDown, 13},
    };
    for (const auto& [key, n] : keys) {
        QTest::keyClick(v->field(), key);
        QCOMPARE(v->position(), n);
        QCOMPARE(v->stepText(), QString("Шаг %1 из 13").arg(n));
        expectPathState(path, n);
        QCOMPARE(panel(2), v->reason());
        if (n == 0) {
            QVERIFY(v->picture().stepCells.empty() && v->picture().stepClues.empty());
            continue;
        }
        const GradeStep& step = path.steps[static_cast<size_t>(n - 1)];
        QVERIFY2(v->reason().startsWith(QString("Шаг %1, уровень %2: %3")
                                            .arg(n)
                                            .arg(step.level)
                                            .arg(QString::fromStdString(stepReason(step, clues)))),
                 qPrintable(v->reason()));
        QCOMPARE(v->picture().stepCells, step.cells);
        QCOMPARE(v->picture().stepClues, step.clues);
    }
    // Ctrl and the arrows go to the steps above level 1, over those of level 1.
    QTest::keyClick(v->field(), Qt::Key_Home);
    for (bool forward : {true, true, false}) {
        const int from = v->position();
        QTest::keyClick(v->field(), forward ? Qt::Key_Right : Qt::Key_Left, Qt::ControlModifier);
        const int to = v->position();
        QVERIFY(forward ? to > from : to < from);
        QVERIFY(path.steps[static_cast<size_t>(to - 1)].level > 1);
        for (int n = std::min(from, to) + 1; n < std::max(from, to); ++n)
            QCOMPARE(path.steps[static_cast<size_t>(n - 1)].level, 1);
    }
    // At the end the decided cells are the picture.
    QTest::keyClick(v->field(), Qt::Key_End);
    const CellGrid picture = pictureOnField(ws().doc.field());
    for (size_t i = 0; i < picture.cells.size(); ++i)
        QCOMPARE(v->picture().state[i] == kCellFilled, picture.cells[i] != 0);

    // The buttons and the slider step as the keys do.
    v->findChild<QToolButton*>("first")->click();
    QCOMPARE(v->position(), 0);
    v->findChild<QToolButton*>("forward")->click();
    QCOMPARE(v->position(), 1);
    v->findChild<QSlider*>("stepSlider")->setValue(7);
    QCOMPARE(v->stepText(), QString("Шаг 7 из 13"));
    expectPathState(path, 7);

    // The document never noticed.
    QCOMPARE(texts(), before);
    QVERIFY(!ws().doc.modified());
    QCOMPARE(panel(1), QString());

    // Closing takes every mark away, the status text with them.
    v->close();
    QCOMPARE(panel(2), QString());
    QCOMPARE(v->picture().clues.cols, 0);
}

void PathViewTest::stepPicture()
{
    // What the picture shows at a step: decided cells in their level's
    // colours (filled dark, white light), open cells white, the step's clue framed.
    load(kThreeLevels);
    w->action("acGrade")->trigger();
    PathView* v = view();
    v->field()->setCellSize(24);
    const GradeResult path = gradePuzzle(cluesOnField(ws().doc.field()));
    int n = 0;
    while (path.steps[static_cast<size_t>(n)].level < 2) ++n;
    v->setPosition(n + 1); // the first step above level 1
    QApplication::processEvents();
    const QImage shot = v->field()->viewport()->grab().toImage();
    const PathPicture& pic = v->picture();
    const int rows = pic.clues.rows;
    bool seen[2] = {false, false};
    for (size_t i = 0; i < pic.state.size(); ++i) {
        const QRect cell = v->field()->cellRect(static_cast<int>(i) / rows, static_cast<int>(i) % rows);
        const QColor corner = shot.pixelColor(cell.topLeft() + QPoint(5, 5));
        if (std::find(pic.stepCells.begin(), pic.stepCells.end(), int(i)) != pic.stepCells.end()) continue; // framed
        if (std::find(pic.stepClues.begin(), pic.stepClues.end(), int(i)) != pic.stepClues.end()) {
            QCOMPARE(shot.pixelColor(cell.topLeft()), QColor(225, 25, 25));
            continue;
        }
        if (pic.state[i] == kCellOpen) {
            QCOMPARE(corner, QColor(Qt::white));
        } else {
            QCOMPARE(corner, levelColor(pic.level[i], pic.state[i] == kCellFilled));
            seen[pic.state[i]] = true;
        }
    }
    QVERIFY(seen[0] && seen[1]);
    // The three levels' colours differ, filled from white and level from level.
    QSet<QRgb> colours;
    for (int level = 1; level <= 3; ++level)
        for (bool filled : {false, true}) colours.insert(levelColor(level, filled).rgb());
    QCOMPARE(colours.size(), 6);
}

void PathViewTest::editingStalesTheView_data()
{
    QTest::addColumn<QString>("edit");
    QTest::addColumn<bool>("stale");
    QTest::newRow("a clue typed") << "type" << true;
    QTest::newRow("a cell filled") << "draw" << false;
    QTest::newRow("answers hidden") << "hide" << false;
    QTest::newRow("a column inserted") << "column" << true;
}

void PathViewTest::editingStalesTheView()
{
    QFETCH(QString, edit);
    QFETCH(bool, stale);
    load(kThreeLevels);
    w->action("acGrade")->trigger();
    PathView* v = view();
    v->setPosition(4);
    const QString reason = v->reason();
    // An edit of a puzzle already modified tells the document nothing.
    ws().doc.setModified(true);

    if (edit == "type") {
        ws().cursor.setCurrentCell(4, 3);
        w->grid()->setFocus();
        QTest::keyClick(w->grid(), Qt::Key_3);
        QCOMPARE(ws().doc.field().text(4, 3), std::string("3"));
    } else if (edit == "draw") {
        w->editor()->setMode(EditMode::Draw);
        const QPoint pos = w->grid()->cellRect(4, 3).center();
        QWidget* vp = w->grid()->viewport();
        for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
            QMouseEvent e(type, QPointF(pos), QPointF(vp->mapToGlobal(pos)), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(vp, &e);
        }
        QVERIFY(ws().doc.field().isFilled(4, 3));
    } else if (edit == "hide") {
        w->action("acHideBlack")->trigger();
    } else {
        ws().cursor.setCurrentCell(0, 0);
        w->action("acInsCol")->trigger();
    }
    // The view finds out by itself, without being asked.
    if (stale) {
        QTRY_COMPARE(v->picture().clues.cols, 0);
        QVERIFY(v->stale());
        QVERIFY(v->findChild<QWidget*>("staleBox")->isVisible());
        QCOMPARE(panel(2), QString());
        QCOMPARE(v->summary(), QString()); // no grade of clues that are gone
        // Stepping on a stale view does nothing.
        v->setPosition(6);
        QCOMPARE(v->picture().state.size(), size_t(0));
        // Grading again starts over on the new clues.
        w->action("acGrade")->trigger();
        QVERIFY(!v->stale());
        QVERIFY(!v->findChild<QWidget*>("staleBox")->isVisible());
        QCOMPARE(v->position(), 0);
        QCOMPARE(v->picture().clues.cols, ws().doc.field().colCount());
    } else {
        QTest::qWait(700);
        QVERIFY(!v->stale());
        QCOMPARE(v->position(), 4);
        QCOMPARE(v->reason(), reason);
    }
}

void PathViewTest::hintFromOwnMarks_data()
{
    // kTwoClues: 2 at (1, 0) over cells 0..2, 1 at (3, 0) over cells 2..4.
    QTest::addColumn<QString>("clicks"); // cell and button: "0R" right-clicks cell 0
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QList<int>>("cells");
    QTest::addColumn<int>("broken");
    QTest::newRow("nothing known") << "" << "Дальше без перебора не решить" << QList<int>{} << -1;
    QTest::newRow("left cell white")
        << "0R" << "Подсказка, уровень 1: Число 2 в (1, 0): осталось 2 неизвестные клетки, все закрашены"
        << QList<int>{1, 2} << -1;
    QTest::newRow("white by two left clicks")
        << "0L 0L" << "Подсказка, уровень 1: Число 2 в (1, 0): осталось 2 неизвестные клетки, все закрашены"
        << QList<int>{1, 2} << -1;
    QTest::newRow("three clicks clear the mark") << "0L 0L 0L" << "Дальше без перебора не решить" << QList<int>{} << -1;
    QTest::newRow("two filled under the 1") << "2L 3L" << "Противоречие: число в (3, 0) не сходится" << QList<int>{} << 3;
    QTest::newRow("all marked") << "0R 1L 2L 3R 4R" << "Все клетки известны, числа сходятся" << QList<int>{} << -1;
}

void PathViewTest::hintFromOwnMarks()
{
    QFETCH(QString, clicks);
    QFETCH(QString, reason);
    QFETCH(QList<int>, cells);
    QFETCH(int, broken);
    load(Rows{kTwoClues});
    const QStringList before = texts();

    // Without a path the hint opens the view on nothing known.
    w->action("acHint")->trigger();
    PathView* v = view();
    QVERIFY(v->isVisible());
    QVERIFY(!v->hasPath());
    for (const QString& click : clicks.split(' ', Qt::SkipEmptyParts))
        clickCell(click.left(1).toInt(), 0, click.endsWith('L') ? Qt::LeftButton : Qt::RightButton);
    // A click takes the last hint away; the hint is asked for again.
    QVERIFY(v->picture().stepCells.empty());
    w->action("acHint")->trigger();
    QCOMPARE(v->reason(), reason);
    QCOMPARE(panel(2), reason);
    QCOMPARE(QList<int>(v->picture().stepCells.begin(), v->picture().stepCells.end()), cells);
    if (!cells.isEmpty()) {
        QCOMPARE(v->picture().hintFill, std::optional<std::uint8_t>(1));
        for (int i : cells) QCOMPARE(v->picture().state[static_cast<size_t>(i)], kCellOpen); // shown, not applied
    }
    QCOMPARE(v->picture().broken, broken);
    QCOMPARE(texts(), before);
    QVERIFY(!ws().doc.modified());
}

void PathViewTest::hintStartsFromThePathStep()
{
    load(kThreeLevels);
    const GradeResult path = gradePuzzle(cluesOnField(ws().doc.field()));
    w->action("acGrade")->trigger();
    PathView* v = view();
    // At each step the hint is the path's next step.
    for (int n : {0, 5, 12}) {
        v->setPosition(n);
        w->action("acHint")->trigger();
        QVERIFY(v->isVisible() && v->hasPath());
        QCOMPARE(v->position(), n);
        QCOMPARE(v->picture().stepCells, path.steps[static_cast<size_t>(n)].cells);
        QVERIFY2(v->reason().startsWith(QString("Подсказка, уровень %1: ").arg(path.steps[static_cast<size_t>(n)].level)),
                 qPrintable(v->reason()));
    }
    v->setPosition(13);
    w->action("acHint")->trigger();
    QCOMPARE(v->reason(), QString("Все клетки известны, числа сходятся"));
    // The last step's marks give way to the hint, which has none.
    QVERIFY(v->picture().stepCells.empty() && v->picture().stepClues.empty());

    // An own mark against the path: the hint finds the clue it breaks.
    v->setPosition(0);
    const GradeStep& byClue = path.steps[1];
    QCOMPARE(byClue.kind, GradeStep::Kind::AllWhite);
    const int cell = byClue.cells[0];
    const int rows = ws().doc.field().rowCount();
    clickCell(cell / rows, cell % rows, Qt::LeftButton);
    v->setPosition(13);
    QCOMPARE(v->picture().source[static_cast<size_t>(cell)], PathPicture::Source::Own);
    w->action("acHint")->trigger();
    QVERIFY2(v->reason().startsWith("Противоречие: число в ("), qPrintable(v->reason()));
    QVERIFY(v->picture().broken >= 0);
}

void PathViewTest::generationByLevel_data()
{
    QTest::addColumn<int>("level");
    QTest::newRow("1") << 1;
    QTest::newRow("2") << 2;
    QTest::newRow("3") << 3;
}

void PathViewTest::generationByLevel()
{
    QFETCH(int, level);
    const char* const names[] = {"acCalcLevel1", "acCalcLevel2", "acCalcLevel3"};
    QAction* a = w->action(names[level - 1]);
    QMenu* sub = w->levelSubmenu();
    QCOMPARE(sub->title(), QString("Сложная логика до уровня"));
    QVERIFY(sub->actions().contains(a));
    QVERIFY(w->generateSubmenu()->actions().contains(sub->menuAction()));
    QVERIFY(w->generateButton()->menu()->actions().contains(sub->menuAction()));

    // A ring with spokes: more than single clues to reason on when thinned.
    ws().doc.field().setSize(12, 12);
    for (int c = 2; c < 10; ++c)
        for (int r = 2; r < 10; ++r)
            if (c == 2 || c == 9 || r == 2 || r == 9 || (c + r) % 5 == 0) ws().doc.field().setText(c, r, "-");
    const CellGrid picture = pictureOnField(ws().doc.field());
    a->trigger();
    QCOMPARE(boxes.size(), size_t(1));
    QVERIFY2(boxes[0].text.startsWith("Ответ единственный"), qPrintable(boxes[0].text));
    QCOMPARE(pictureOnField(ws().doc.field()), picture);
    // The levels up to the chosen one solve it, and give the picture.
    const ClueSet clues = cluesOnField(ws().doc.field());
    GradeOptions options;
    options.maxLevel = level;
    const GradeResult graded = gradePuzzle(clues, options);
    QVERIFY(graded.solved);
    for (size_t i = 0; i < graded.cells.size(); ++i) QCOMPARE(graded.cells[i] == kCellFilled, picture.cells[i] != 0);
    // Fewer clues than every cell's.
    QVERIFY(clues.count() < 144);
}

int main(int argc, char** argv)
{
    klt::Application app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QCoreApplication::setOrganizationName("kletomer-test");
    QCoreApplication::setApplicationName("kletomer-test");
    PathViewTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_pathview.moc"
