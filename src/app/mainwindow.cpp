#include "app/mainwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QScreen>
#include <QSettings>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "app/documentcommands.h"
#include "app/errorhandler.h"
#include "app/icons.h"
#include "app/pathview.h"
#include "app/recentfiles.h"
#include "app/windowdialogs.h"
#include "core/advanced.h"
#include "core/commands.h"
#include "core/engines.h"
#include "core/gradecommand.h"
#include "core/prize.h"
#include "editing/colorbox.h"
#include "editing/editcommands.h"
#include "editing/fieldsizecontrols.h"
#include "editing/grideditor.h"
#include "editing/gridview.h"
#include "editing/spinedit.h"
#include "widgets/eventpump.h"
#include "widgets/messagebox.h"
#include "widgets/progressstatusbar.h"

namespace klt {

namespace {
const char* const kGroup = "TMainForm";

class NoTooltip : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject*, QEvent* e) override { return e->type() == QEvent::ToolTip; }
};
} // namespace

MainWindow::MainWindow(Workspace& ws, QWidget* parent)
    : QMainWindow(parent),
      ws_(ws),
      ctx_([this] { updateActions(); }),
      engine_(makePlacementEngine(defaultEngineName())),
      actions_(this)
{
    ws_.doc.addObserver(this);
    setObjectName(QLatin1String(kGroup));
    setWindowTitle(QStringLiteral("Клетомер"));
    setWindowIcon(programIcon());
    setMinimumSize(450, 300);
    resize(870, 470);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        move(avail.center() - rect().center());
    }
    for (QAction* a : actions_.all()) a->setIcon(actionIcon(a->objectName()));
    // Shortcuts work wherever the focus is in the window, menus or not.
    addActions(actions_.all());

    createCentralArea();
    createStatusBar();
    createToolbars();
    createMenus();
    connectActions();
    docs_ = new DocumentCommands(*this);
    dialogs_ = new WindowDialogs(*this, *docs_);
}

MainWindow::~MainWindow()
{
    // The path view talks to the status bar as it goes: it goes first.
    delete pathView_;
    pathView_ = nullptr;
    // The document lives on; what its last changes tell is for no one here.
    ws_.doc.removeObserver(this);
}

void MainWindow::setPlacementEngine(std::unique_ptr<PlacementEngine> engine)
{
    if (engine) engine_ = std::move(engine);
}

void MainWindow::createCentralArea()
{
    sp1_ = new QSplitter(Qt::Horizontal, this);
    sp1_->setObjectName(QStringLiteral("sp1"));
    sp1_->setHandleWidth(3);
    sp1_->setChildrenCollapsible(false);
    grid_ = new GridView(ws_, sp1_);
    grid_->setMinimumWidth(185);
    pnPreview_ = new QWidget(sp1_);
    pnPreview_->setObjectName(QStringLiteral("pnPreview"));
    pnPreview_->setMinimumWidth(100);
    pnPreview_->resize(193, pnPreview_->height());
    pnPreview_->hide();
    sp1_->addWidget(grid_);
    sp1_->addWidget(pnPreview_);
    sp1_->setStretchFactor(0, 1);
    sp1_->setStretchFactor(1, 0);
    setCentralWidget(sp1_);

    editor_ = new GridEditor(ws_, ctx_, *grid_, this);
    edits_ = new EditCommands(ws_, *grid_, this);
    connect(editor_, &GridEditor::cellHovered, this, &MainWindow::showCellReadout);
    connect(editor_, &GridEditor::contextMenuRequested, this, [this](const QPoint& at) { popupMenu2_->popup(at); });
}

void MainWindow::createStatusBar()
{
    sb_ = new TProgressStatusbar(this);
    sb_->setObjectName(QStringLiteral("sb"));
    sb_->setPanels(3, 50);
    setStatusBar(sb_);
    ctx_.setStatusBar(sb_);
}

void MainWindow::createToolbars()
{
    tb_ = addToolBar(QStringLiteral("tb"));
    tb_->setObjectName(QStringLiteral("tb"));
    addToolBarBreak();
    tb2_ = addToolBar(QStringLiteral("tb2"));
    tb2_->setObjectName(QStringLiteral("tb2"));
    for (QToolBar* t : {tb_, tb2_}) {
        t->setMovable(false);
        t->setFloatable(false);
        t->setIconSize(QSize(16, 16));
        t->setContextMenuPolicy(Qt::PreventContextMenu);
    }

    auto add = [](QToolBar* t, std::initializer_list<QAction*> list) {
        for (QAction* a : list) t->addAction(a);
    };
    add(tb_, {action("acNew"), action("acOpen"), action("acSave"), action("acImport"), action("acExp"),
              action("acExit")});
    tb_->addSeparator();
    add(tb_, {action("acUndo")});
    tb_->addSeparator();
    add(tb_, {action("acDefault"), action("acDraw"), action("acFill")});
    tb_->addSeparator();
    add(tb_, {action("acFont"), action("acHideBlack"), action("acPrize"), action("acDelPrize")});
    tb_->addSeparator();

    popupMenu1_ = new QMenu(this);
    popupMenu1_->setObjectName(QStringLiteral("PopupMenu1"));
    popupMenu1_->addAction(action("acCalc"));
    popupMenu1_->addAction(action("acCalcAndCorrect"));
    popupMenu1_->addAction(action("acCalcAdvanced"));
    mnLevel_ = new QMenu(QStringLiteral("Сложная логика до уровня"), this);
    mnLevel_->setObjectName(QStringLiteral("mnCalcLevel"));
    mnLevel_->setIcon(action("acCalcAdvanced")->icon());
    mnLevel_->menuAction()->setStatusTip(
        QStringLiteral("Расставить меньше чисел так, чтобы решению хватало рассуждений до выбранного уровня"));
    for (const char* n : {"acCalcLevel1", "acCalcLevel2", "acCalcLevel3"}) mnLevel_->addAction(action(n));
    popupMenu1_->addMenu(mnLevel_);
    btnCalc_ = new QToolButton(tb_);
    btnCalc_->setObjectName(QStringLiteral("btnCalc"));
    btnCalc_->setProperty("tag", 0);
    btnCalc_->setIcon(action("acCalc")->icon());
    btnCalc_->setToolTip(action("acCalc")->toolTip());
    btnCalc_->setStatusTip(action("acCalc")->statusTip());
    btnCalc_->setAutoRaise(true);
    btnCalc_->setPopupMode(QToolButton::MenuButtonPopup);
    btnCalc_->setMenu(popupMenu1_);
    tb_->addWidget(btnCalc_);
    add(tb_, {action("acCheck"), action("acUnique"), action("acGrade"), action("acHint"), action("acStop")});
    // A button whose action has no hint shows no tooltip (Qt would show its caption).
    auto* noTooltip = new NoTooltip(this);
    for (QAction* a : tb_->actions())
        if (QWidget* b = tb_->widgetForAction(a); b && actions_.all().contains(a) && a->statusTip().isEmpty())
            b->installEventFilter(noTooltip);

    tb2_->addAction(action("acPreview"));
    if (QWidget* b = tb2_->widgetForAction(action("acPreview"))) b->setObjectName(QStringLiteral("btnPreview"));
    tb2_->addAction(action("acRefresh"));
    tb2_->addSeparator();

    size_ = new FieldSizeControls(ws_, *grid_, tb2_);
    auto label = [this](const QString& text) {
        auto* l = new QLabel(text, tb2_);
        toolbarControls_.push_back(l);
        return l;
    };
    auto control = [this](QWidget* w) {
        toolbarControls_.push_back(w);
        tb2_->addWidget(w);
    };
    tb2_->addWidget(label(QStringLiteral(" Ширина ")));
    control(size_->widthEdit());
    tb2_->addWidget(label(QStringLiteral(" Высота ")));
    control(size_->heightEdit());
    tb2_->addSeparator();
    tb2_->addWidget(label(QStringLiteral(" Ячейка ")));
    control(size_->cellSizeEdit());
    tb2_->addWidget(label(QStringLiteral(" Закраска ")));
    fillColor_ = new ColorBox(tb2_);
    fillColor_->setObjectName(QStringLiteral("ccbFillColor"));
    fillColor_->setToolTip(QStringLiteral("Цвет закрашенных ячеек на экране"));
    fillColor_->setStatusTip(fillColor_->toolTip());
    control(fillColor_);
    tb2_->addSeparator();

    auto* pnStd = new QFrame(tb2_);
    pnStd->setObjectName(QStringLiteral("pnStd"));
    auto* row = new QHBoxLayout(pnStd);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(new QLabel(QStringLiteral(" Сложность "), pnStd));
    rxN_ = new SpinEdit(0, 5, 5, pnStd);
    rxN_->setObjectName(QStringLiteral("rxN"));
    const QString difficultyHint =
        QStringLiteral("Влиляет на скорость обсчета. Чем больше число, тем выше скорость и больше чисел на игровом поле");
    rxN_->setToolTip(difficultyHint);
    rxN_->setStatusTip(difficultyHint);
    row->addWidget(rxN_);
    control(pnStd);
    tb2_->addSeparator();

    connect(rxN_, &SpinEdit::changed, size_, &FieldSizeControls::applyCellSize);
    connect(fillColor_, &ColorBox::colorChanged, grid_, &GridView::setFillColor);
}

void MainWindow::createMenus()
{
    QMenuBar* bar = menuBar();
    mnFile_ = bar->addMenu(QStringLiteral("Файл"));
    mnFile_->setObjectName(QStringLiteral("mnFile"));
    for (const char* n : {"acNew", "acOpen", "acSave", "acSaveAs", "acSaveSel", "acImport", "acExp", "acPrint"})
        mnFile_->addAction(action(n));
    mnFile_->addSeparator();
    miExit_ = mnFile_->addAction(QStringLiteral("Выход"));
    miExit_->setObjectName(QStringLiteral("miExit"));
    miExit_->setStatusTip(action("acExit")->statusTip());
    connect(miExit_, &QAction::triggered, this, &QWidget::close);

    QMenu* edit = bar->addMenu(QStringLiteral("Правка"));
    edit->setObjectName(QStringLiteral("mnEdit"));
    edit->addAction(action("acUndo"));
    // The edit menu names the copy command shorter than the action does.
    miCopy_ = new QAction(QStringLiteral("Копировать \t") + action("acCopy")->shortcut().toString(QKeySequence::NativeText),
                          this);
    miCopy_->setObjectName(QStringLiteral("miCopy"));
    miCopy_->setIcon(action("acCopy")->icon());
    miCopy_->setStatusTip(action("acCopy")->statusTip());
    connect(miCopy_, &QAction::triggered, action("acCopy"), &QAction::trigger);
    connect(action("acCopy"), &QAction::changed, miCopy_, [this] { miCopy_->setEnabled(action("acCopy")->isEnabled()); });
    edit->addAction(miCopy_);
    for (const char* n : {"acCut", "acPaste", "acSelectAll"}) edit->addAction(action(n));
    edit->addSeparator();
    for (const char* n : {"acDefault", "acDraw", "acFill"}) edit->addAction(action(n));
    edit->addSeparator();
    auto columnsAndRows = [this](QMenu* m) {
        QMenu* col = m->addMenu(QStringLiteral("Столбец"));
        col->addAction(action("acInsCol"));
        col->addAction(action("acDelCol"));
        QMenu* row = m->addMenu(QStringLiteral("Строка"));
        row->addAction(action("acInsertRow"));
        row->addAction(action("acDelRows"));
    };
    auto mirrors = [this](QMenu* m) {
        QMenu* mir = m->addMenu(QStringLiteral("Отразить"));
        for (const char* n : {"acLMirror", "acRMirror", "acUMirror", "acDMirror"}) mir->addAction(action(n));
    };
    columnsAndRows(edit);
    edit->addSeparator();
    for (const char* n : {"acWhite", "acBlack", "acInvert"}) edit->addAction(action(n));
    mirrors(edit);
    edit->addAction(action("acSizeCut"));

    QMenu* puzzle = bar->addMenu(QStringLiteral("Клетомер"));
    puzzle->setObjectName(QStringLiteral("mnKletomer"));
    puzzle->addAction(action("acStop"));
    mnCalc_ = puzzle->addMenu(action("acCalc")->icon(), QStringLiteral("Расставить числа"));
    mnCalc_->setObjectName(QStringLiteral("mnCalc"));
    mnCalc_->setProperty("tag", 0);
    mnCalc_->menuAction()->setStatusTip(action("acCalc")->statusTip());
    mnCalc_->addAction(action("acCalc"));
    mnCalc_->addAction(action("acCalcAndCorrect"));
    mnCalc_->addAction(action("acCalcAdvanced"));
    mnCalc_->addMenu(mnLevel_);
    puzzle->addAction(action("acCheck"));
    puzzle->addAction(action("acUnique"));
    puzzle->addAction(action("acGrade"));
    puzzle->addAction(action("acHint"));
    puzzle->addSeparator();
    puzzle->addAction(action("acFont"));
    puzzle->addAction(action("acHideBlack"));
    puzzle->addSeparator();
    puzzle->addAction(action("acRefresh"));
    puzzle->addAction(action("acPreview"));
    puzzle->addSeparator();
    puzzle->addAction(action("acPrize"));
    puzzle->addAction(action("acDelPrize"));

    bar->addAction(action("acAbout"));

    popupMenu2_ = new QMenu(this);
    popupMenu2_->setObjectName(QStringLiteral("PopupMenu2"));
    for (const char* n : {"acUndo", "acCopy", "acCut", "acPaste"}) popupMenu2_->addAction(action(n));
    popupMenu2_->addSeparator();
    for (const char* n : {"acWhite", "acBlack", "acInvert", "acInvertAll", "acOneSel"})
        popupMenu2_->addAction(action(n));
    popupMenu2_->addSeparator();
    columnsAndRows(popupMenu2_);
    popupMenu2_->addSeparator();
    mirrors(popupMenu2_);
    popupMenu2_->addAction(action("acSelCut"));
}

template <class F>
void MainWindow::bind(const char* name, F command)
{
    QAction* a = action(name);
    connect(a, &QAction::triggered, this, [command, a] { guarded([&] { command(a); }); });
}

void MainWindow::connectActions()
{
    bind("acCalc", [this](QAction* a) { acCalcExecute(a); });
    bind("acCalcAndCorrect", [this](QAction* a) { acCalcExecute(a); });
    connect(btnCalc_, &QToolButton::clicked, this, [this] { guarded([this] { acCalcExecute(btnCalc_); }); });
    fullClues_ = new QAction(this);
    fullClues_->setObjectName(QStringLiteral("acCalcFull"));
    fullClues_->setShortcut(QKeySequence(QStringLiteral("Ctrl+F8")));
    addAction(fullClues_);
    connect(fullClues_, &QAction::triggered, this, [this] {
        fullCluesRequested_ = true;
        guarded([this] { acCalcExecute(action("acCalc")); });
        fullCluesRequested_ = false;
    });
    bind("acCalcAdvanced", [this](QAction*) { acCalcAdvancedExecute(); });
    bind("acCheck", [this](QAction*) { acCheckExecute(); });
    bind("acUnique", [this](QAction*) { acUniqueExecute(); });
    bind("acGrade", [this](QAction*) { acGradeExecute(); });
    bind("acHint", [this](QAction*) { acHintExecute(); });
    const char* const byLevel[] = {"acCalcLevel1", "acCalcLevel2", "acCalcLevel3"};
    for (int level = 1; level <= 3; ++level)
        bind(byLevel[level - 1], [this, level](QAction*) { acCalcAdvancedExecute(level); });
    bind("acStop", [this](QAction*) { acStopExecute(); });
    bind("acUndo", [this](QAction*) { acUndoExecute(); });
    bind("acHideBlack", [this](QAction*) { acHideBlackExecute(); });
    for (const char* n : {"acDefault", "acDraw", "acFill"}) bind(n, [this](QAction*) { acFillExecute(); });
    bind("acExit", [this](QAction*) { close(); });
    bind("acDelPrize", [this](QAction*) {
        clearPrize(ws_.doc);
        ws_.doc.setModified(true);
    });
    bind("acFont", [this](QAction*) { edits_->chooseFont(this); });

    for (const char* n : {"acWhite", "acBlack", "acInvert"})
        bind(n, [this](QAction* a) { edits_->recolour(a->property("tag").toInt()); });
    bind("acInvertAll", [this](QAction*) { edits_->invertAll(); });
    bind("acInsCol", [this](QAction*) { edits_->insertColumn(); });
    bind("acInsertRow", [this](QAction*) { edits_->insertRow(); });
    bind("acDelCol", [this](QAction*) { edits_->deleteColumns(); });
    bind("acDelRows", [this](QAction*) { edits_->deleteRows(); });
    bind("acLMirror", [this](QAction*) { edits_->mirrorLeft(); });
    bind("acRMirror", [this](QAction*) { edits_->mirrorRight(); });
    bind("acUMirror", [this](QAction*) { edits_->mirrorUp(); });
    bind("acDMirror", [this](QAction*) { edits_->mirrorDown(); });
    bind("acSizeCut", [this](QAction*) { edits_->cropToFilled(); });
    bind("acSelCut", [this](QAction*) { edits_->cropToSelection(); });
    bind("acSelectAll", [this](QAction*) { edits_->selectAll(); });
    bind("acOneSel", [this](QAction*) { edits_->collapseSelection(); });
    bind("acCopy", [this](QAction*) { edits_->copy(false); });
    bind("acCut", [this](QAction*) { edits_->copy(true); });
    bind("acPaste", [this](QAction*) { edits_->paste(); });
}

// ---- commands ----

GenerateOptions MainWindow::generateOptions(bool correcting) const
{
    GenerateOptions options;
    options.correcting = correcting;
    options.allClues = fullCluesRequested_ || (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier);
    options.placement.difficulty = rxN_->value();
    return options;
}

void MainWindow::acCalcExecute(QObject* sender)
{
    if (ctx_.busy()) return; // a generation or a check already runs
    const bool correcting = sender && sender->property("tag").toInt() == 1;
    generate(ws_, ctx_, *engine_, generateOptions(correcting));
    emit generationEnded();
}

void MainWindow::acCheckExecute()
{
    if (ctx_.busy()) return;
    check(ws_, ctx_, *engine_);
}

void MainWindow::acCalcAdvancedExecute(int maxLevel)
{
    if (ctx_.busy()) return;
    GenerateOptions options = generateOptions(false);
    options.maxLevel = maxLevel;
    generateAdvanced(ws_, ctx_, *engine_, options);
    emit generationEnded();
}

void MainWindow::acUniqueExecute()
{
    if (ctx_.busy()) return;
    grid_->showDifference(CellGrid());
    // The cells the verdict points at are marked, and the first of them
    // scrolled into view, before its box appears.
    uniquenessCommand(ws_.doc.field(), ctx_, [this](const UniquenessResult& res) {
        const CellGrid& cells = res.answers == Answers::None ? res.contradiction : res.differs;
        grid_->showDifference(cells);
        int c = 0, r = 0;
        if (firstCell(cells, c, r)) grid_->ensureVisible(c, r);
    });
}

PathView* MainWindow::pathView()
{
    if (!pathView_) {
        pathView_ = new PathView(ws_, action("acGrade"), action("acHint"), this);
        connect(pathView_, &PathView::statusText, this, [this](const QString& text) { sb_->setPanelText(2, text); });
    }
    return pathView_;
}

void MainWindow::acGradeExecute()
{
    if (ctx_.busy()) return;
    // Bad numbers throw here, before anything is shown, as in the uniqueness check.
    FieldGrade grade = gradeCommand(ws_.doc.field(), ctx_);
    if (grade.answers == Answers::NoClues || grade.answers == Answers::Interrupted) {
        ctx_.information(gradeSummary(grade), "Сложность");
        return;
    }
    pathView()->showGrade(std::move(grade));
}

void MainWindow::acHintExecute()
{
    if (ctx_.busy()) return;
    PathView* view = pathView();
    if (!view->isVisible() || view->stale()) {
        // No path open: test-solving from nothing known.
        ClueSet clues = cluesOnField(ws_.doc.field());
        if (clues.count() == 0) {
            ctx_.information("Нет цифр!", "Подсказка");
            return;
        }
        view->showClues(std::move(clues));
    }
    view->hint();
}

void MainWindow::acStopExecute()
{
    ctx_.requestStop();
}

void MainWindow::acUndoExecute()
{
    undo(ws_);
    grid_->fieldChanged(); // the cursor went to the first cell
}

void MainWindow::acHideBlackExecute()
{
    toggleHideAnswers(ws_.doc);
}

void MainWindow::acFillExecute()
{
    EditMode m = EditMode::Select;
    if (action("acFill")->isChecked()) m = EditMode::Fill;
    else if (action("acDraw")->isChecked()) m = EditMode::Draw;
    editor_->setMode(m);
    runPendingEvents();
}

void MainWindow::updateActions()
{
    const bool idle = !ctx_.busy();
    for (QAction* a : actions_.all()) a->setEnabled(idle);
    for (QWidget* w : toolbarControls_) w->setEnabled(idle);
    // Neither is an action, yet either would start a second run inside the first.
    btnCalc_->setEnabled(idle);
    mnCalc_->menuAction()->setEnabled(idle);
    mnLevel_->menuAction()->setEnabled(idle);
    // Nor would opening a recent file under the running computation end well.
    for (QAction* a : docs_->recentFiles()->menuItems()) a->setEnabled(idle);
    action("acStop")->setEnabled(!idle);
    if (fullClues_) fullClues_->setEnabled(idle);
    if (idle && closePending_) {
        closePending_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void MainWindow::showCellReadout(int col, int row)
{
    sb_->setPanelText(0, QString::asprintf("%dx%d", row, col));
}

// ---- window events ----

bool MainWindow::event(QEvent* e)
{
    if (e->type() == QEvent::StatusTip) {
        // Hints go to the third panel; the bar never switches to a message.
        sb_->setPanelText(2, static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QMainWindow::event(e);
}

void MainWindow::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    if (shownOnce_) return;
    shownOnce_ = true;
    docs_->formShow(startArgs_);
    updateActions();
}

void MainWindow::closeEvent(QCloseEvent* e)
{
    if (ctx_.busy()) {
        // Stop the computation first; the window closes when it has ended.
        ctx_.requestStop();
        closePending_ = true;
        e->ignore();
        return;
    }
    if (!docs_->formCloseQuery()) {
        e->ignore();
        return;
    }
    saveSettings();
    e->accept();
    emit closedNormally();
}

// ---- settings ----

void MainWindow::restoreSettings()
{
    QSettings s;
    s.beginGroup(QLatin1String(kGroup));
    if (s.contains(QStringLiteral("Geometry"))) restoreGeometry(s.value(QStringLiteral("Geometry")).toByteArray());
    if (s.contains(QStringLiteral("sgMain.Font"))) {
        QFont f;
        if (f.fromString(s.value(QStringLiteral("sgMain.Font")).toString())) grid_->setFont(f);
    }
    // Through the controls, so that the field follows as after an edit.
    auto restoreSpin = [&s](const char* key, SpinEdit* e) {
        bool ok = false;
        const int v = s.value(QLatin1String(key)).toInt(&ok);
        if (ok) e->showValue(v);
    };
    restoreSpin("sgHeight.Value", size_->heightEdit());
    restoreSpin("sgCellSize.Value", size_->cellSizeEdit());
    restoreSpin("sgWidth.Value", size_->widthEdit());
    const QColor fill(s.value(QStringLiteral("ccbFillColor.ColorValue")).toString());
    if (fill.isValid()) fillColor_->setColor(fill);
    dialogs_->restoreSettings(s);
    s.endGroup();
    docs_->recentFiles()->restore(s);
    // The stored size is a setting, not an edit of the puzzle.
    ws_.doc.setModified(false);
}

void MainWindow::saveSettings() const
{
    QSettings s;
    s.beginGroup(QLatin1String(kGroup));
    s.setValue(QStringLiteral("Geometry"), saveGeometry());
    s.setValue(QStringLiteral("sgMain.Font"), grid_->font().toString());
    s.setValue(QStringLiteral("sgHeight.Value"), size_->heightEdit()->value());
    s.setValue(QStringLiteral("sgCellSize.Value"), size_->cellSizeEdit()->value());
    s.setValue(QStringLiteral("sgWidth.Value"), size_->widthEdit()->value());
    s.setValue(QStringLiteral("ccbFillColor.ColorValue"), fillColor_->color().name());
    dialogs_->saveSettings(s);
    s.endGroup();
    docs_->recentFiles()->save(s);
}

// ---- the document's notifications ----

void MainWindow::sizeChanged()
{
    size_->sync();
}

void MainWindow::modifiedChanged(bool modified)
{
    sb_->setPanelText(1, modified ? QStringLiteral("Изм") : QString());
    emit documentModifiedChanged(modified);
}

void MainWindow::answersHiddenChanged(bool hidden)
{
    action("acHideBlack")->setChecked(hidden);
}

void MainWindow::snapshotTaken()
{
    // Undo may have been switched off for the picture of a foreign file; a
    // new snapshot is a state to go back to again.
    if (!ctx_.busy()) action("acUndo")->setEnabled(true);
}

} // namespace klt
