#pragma once
// The main window: the grid with its toolbars, menus and status bar, the
// action table and the busy state, and the puzzle commands that run in it.
// It shows a workspace that outlives it, follows the document's changes and
// gives the commands their context.
#include <QMainWindow>
#include <QStringList>
#include <memory>

#include "app/actiontable.h"
#include "app/windowcontext.h"
#include "core/commands.h"
#include "core/placement.h"
#include "core/workspace.h"

class QLabel;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;

namespace klt {

class ColorBox;
class DocumentCommands;
class PathView;
class EditCommands;
class FieldSizeControls;
class GridEditor;
class GridView;
class SpinEdit;
class TProgressStatusbar;
class WindowDialogs;

class MainWindow : public QMainWindow, private DocumentObserver {
    Q_OBJECT
public:
    explicit MainWindow(Workspace& ws, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Every action by its object name ("acCalc", "acOpen", …), for the
    // commands that other parts of the program attach.
    QAction* action(const char* name) const { return actions_.get(name); }
    const ActionTable& actions() const { return actions_; }

    Workspace& workspace() { return ws_; }
    // What the puzzle commands of this window ask of the program.
    CommandContext& context() { return ctx_; }
    GridView* grid() const { return grid_; }
    GridEditor* editor() const { return editor_; }
    EditCommands* editCommands() const { return edits_; }
    FieldSizeControls* sizeControls() const { return size_; }
    TProgressStatusbar* statusPanels() const { return sb_; }
    SpinEdit* difficultyEdit() const { return rxN_; }
    ColorBox* fillColorBox() const { return fillColor_; }
    QToolButton* generateButton() const { return btnCalc_; }
    QMenu* generateSubmenu() const { return mnCalc_; }
    QMenu* gridMenu() const { return popupMenu2_; }
    QMenu* fileMenu() const { return mnFile_; }
    QWidget* previewPanel() const { return pnPreview_; }
    QSplitter* splitter() const { return sp1_; }
    DocumentCommands* documents() const { return docs_; }
    WindowDialogs* dialogs() const { return dialogs_; }
    // The solving path of "Оценить сложность" and "Подсказка"; created on first use.
    PathView* pathView();
    QMenu* levelSubmenu() const { return mnLevel_; }
    // The command-line parameters (without the program) that the first
    // showing opens; without them the window starts with a new puzzle.
    void setStartArguments(const QStringList& args) { startArgs_ = args; }

    // The clue placement that generation uses; a faster one may take its place.
    void setPlacementEngine(std::unique_ptr<PlacementEngine> engine);

    void restoreSettings();
    void saveSettings() const;

    // Applies the busy state to every action and toolbar control.
    void updateActions();

    // Commands.
    void acCalcExecute(QObject* sender);
    void acCheckExecute();
    // maxLevel 0: thinned while the clues prove one answer; 1..3: while the
    // graded levels up to that one solve the puzzle.
    void acCalcAdvancedExecute(int maxLevel = 0);
    void acUniqueExecute();
    void acGradeExecute();
    void acHintExecute();
    void acStopExecute();
    void acUndoExecute();
    void acHideBlackExecute();
    void acFillExecute();


signals:
    // The modified flag was set or cleared (also when it already had the value).
    void documentModifiedChanged(bool modified);
    // A generation (plain, correcting or advanced) has finished.
    void generationEnded();
    // The close was accepted: the window goes away without a crash.
    void closedNormally();

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    // The document's notifications.
    void sizeChanged() override;
    void modifiedChanged(bool modified) override;
    void answersHiddenChanged(bool hidden) override;
    void snapshotTaken() override;

    // The options of a generation started now (Ctrl held: every clue).
    GenerateOptions generateOptions(bool correcting) const;
    void createCentralArea();
    void createToolbars();
    void createMenus();
    void createStatusBar();
    void connectActions();
    // Connects an action to a command; whatever the command throws is reported.
    template <class F>
    void bind(const char* name, F command);
    void showCellReadout(int col, int row);

    Workspace& ws_;
    WindowContext ctx_;
    std::unique_ptr<PlacementEngine> engine_;
    ActionTable actions_;

    GridView* grid_ = nullptr;
    GridEditor* editor_ = nullptr;
    EditCommands* edits_ = nullptr;
    FieldSizeControls* size_ = nullptr;
    SpinEdit* rxN_ = nullptr;
    ColorBox* fillColor_ = nullptr;
    TProgressStatusbar* sb_ = nullptr;
    QSplitter* sp1_ = nullptr;
    QWidget* pnPreview_ = nullptr;
    QToolBar* tb_ = nullptr;
    QToolBar* tb2_ = nullptr;
    QToolButton* btnCalc_ = nullptr;
    QMenu* popupMenu1_ = nullptr;
    QMenu* popupMenu2_ = nullptr;
    QMenu* mnFile_ = nullptr;
    QMenu* mnCalc_ = nullptr;
    QMenu* mnLevel_ = nullptr;
    PathView* pathView_ = nullptr;
    QAction* miCopy_ = nullptr;
    QAction* miExit_ = nullptr;
    // Toolbar controls that are not buttons: greyed while busy.
    QList<QWidget*> toolbarControls_;
    DocumentCommands* docs_ = nullptr;
    WindowDialogs* dialogs_ = nullptr;
    QStringList startArgs_;
    bool shownOnce_ = false;
    bool closePending_ = false;
    // Ctrl+F8: the generation that Ctrl held down gives (every clue).
    QAction* fullClues_ = nullptr;
    bool fullCluesRequested_ = false;
};

} // namespace klt
