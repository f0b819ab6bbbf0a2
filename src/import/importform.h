#pragma once
// The picture-import dialog "Импорт из рисунка": load a picture (file,
// clipboard, dropped file), scale it, reduce its colours, list the colours
// that become filled cells, select a part, preview, and accept into the main
// window's field. Created once and kept; the controls carry their names
// (rxProc, tbColor, lbc1, bOK, ...) as QObject names. Qt layouts place them,
// so the dialog fits any type size and can be enlarged (the picture view
// takes the extra room).
#include <QColor>
#include <QDialog>
#include <QPoint>
#include <functional>
#include <optional>

#include "core/context.h"
#include "core/workspace.h"
#include "import/importmodel.h"

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QSpinBox;

namespace klt {

class TGradGaug;
class TPictureView;
class TProgressStatusbar;
class TRunningRect;

class TImportForm : public QDialog {
    Q_OBJECT
public:
    explicit TImportForm(Workspace& ws, QWidget* parent = nullptr);
    ~TImportForm() override;

    // Hooks into the main window. querySaveChanges: the save-changes prompt
    // before an accept; false (or a thrown SilentAbort) stops the accept.
    // openDocument: a dropped puzzle file; the main window opens it and makes
    // it the document name.
    std::function<bool()> querySaveChanges;
    std::function<void(const QString& path)> openDocument;
    // Drops are ignored while this status bar shows progress.
    void setMainStatusBar(TProgressStatusbar* bar) { mainStatusBar_ = bar; }
    // While the program's long command runs, the import waits.
    void setCommandContext(const CommandContext* ctx) { ctx_ = ctx; }

    // Shows the dialog modally; after "Принять" the field is cropped to its
    // filled cells. True when the field was imported.
    bool execute();

    // Loads a file as if dropped (no file dialog). Errors are shown; false then.
    bool loadPictureFile(const QString& path);
    // Files dropped on the dialog (or passed on by the main window).
    void dropFiles(const QStringList& paths);

    void addColour(QRgb colour);
    QStringList colourItems() const;
    // Runs the conversion; false when it was stopped.
    bool convertToCells(bool preview, bool notWhite);

    void restoreSettings();
    void saveSettings() const;

    ImportModel& model() { return model_; }
    TPictureView* pictureView() const { return view_; }
    TRunningRect* selectionRect() const;
    // The selection rectangle in view-control coordinates, when shown.
    std::optional<QRect> selection() const;
    bool busy() const { return busy_; }
    QString lastPictureDir() const { return lastPictureDir_; }

    // The enabling rules; ctrl overrides the keyboard state.
    void updateControls(std::optional<bool> ctrl = std::nullopt);

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public slots:
    void reject() override;
    // The dialog first shows in the middle of the screen.
    void setVisible(bool visible) override;

private:
    void createControls();
    void loadPicture(bool fromDialog);
    void applyScale();
    void redraw();
    void panTo(QPoint offset);
    void colourDepthChanged();
    void showSizeStatus();
    void showPixelStatus(QPoint pixel, bool onPicture);
    void refreshView();
    void syncScaleControl();
    void warnClipped();
    void onActivated();

    void bBrowseClick();
    void bCopyClick();
    void bPasteClick();
    void bCenterClick();
    void bResetClick();
    void bPreviewClick();
    void bStopClick();
    void bAddClick();
    void bDelClick();
    void bOKClick(bool notWhite);

    // Runs f; a failure is shown in the error box, a silent abort ends it quietly.
    template <class F>
    void guardedCommand(F&& f);

    Workspace& ws_;
    ImportModel model_;
    TProgressStatusbar* mainStatusBar_ = nullptr;
    const CommandContext* ctx_ = nullptr;

    TPictureView* view_ = nullptr;
    QWidget* sBar_ = nullptr;
    QLabel* panels_[3] = {};
    TGradGaug* gg_ = nullptr;
    QGroupBox* colourGroup_ = nullptr;
    QListWidget* lbc1_ = nullptr;
    QPushButton *bAdd_ = nullptr, *bDel_ = nullptr, *bBrowse_ = nullptr, *bCopy_ = nullptr, *bCenter_ = nullptr,
                *bPaste_ = nullptr, *bReset_ = nullptr, *bPreview_ = nullptr, *bStop_ = nullptr, *bOK_ = nullptr,
                *bNoWhite_ = nullptr, *bCancel_ = nullptr;
    QSpinBox* rxProc_ = nullptr;
    QSlider* tbColor_ = nullptr;

    QString fileName_;        // the open dialog's file name
    QColor dlgColor_ = Qt::black; // the colour dialog's colour
    int filterIndex_ = 1;     // 1-based, as stored
    QString lastPictureDir_;
    bool busy_ = false;
    bool stopRequested_ = false;
    bool rendering_ = false;
    int depthMax_ = 7;

    QPoint dragOrigin_; // the view offset where a right drag began
};

// The Ctrl key is held at this moment.
bool isCtrlDown();

} // namespace klt
