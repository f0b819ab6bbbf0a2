#pragma once
// The picture commands of the main window: the preview panel (acPreview,
// acRefresh, acKeyWordFont), the export (acExp) and printing (acPrint). The main window creates
// one, hands it its preview host widget and binds the actions to it.
#include <QObject>

#include "render/pictureexport.h"

class QAction;
class QSettings;
class QWidget;

namespace klt {

class ExportDialog;
class PreviewPanel;
class Workspace;

class PictureCommands : public QObject {
    Q_OBJECT
public:
    // previewHost is pnPreview, a child of the splitter beside the grid; the
    // panel fills it. The export dialog is created here, once, owned by window.
    PictureCommands(const Workspace& ws, const QWidget& grid, QWidget* previewHost, QWidget* window);

    PreviewPanel* panel() const { return panel_; }
    ExportDialog* exportDialog() const { return dialog_; }

    // The button on the panel shows and runs acKeyWordFont.
    void setKeyWordFontAction(QAction* action);

    // The picture as the export draws it, before the dialog's choices.
    PictureJob currentJob() const;

    // acPreviewExecute: shows or hides the panel, keeping its width; the
    // action's check mark follows. Showing redraws the picture.
    void acPreviewExecute(QAction* acPreview);
    void acRefreshExecute();
    void acKeyWordFontExecute();
    // acExpExecute: the dialog, then "Экспорт." / "Готово!!!" when it exported.
    // title is the puzzle's file name, which names an exported web page.
    void acExpExecute(const QString& title = QString());
    // acPrintExecute: the task and, on the next page, the answers, as the
    // export draws them, in the print preview; title heads both pages.
    void acPrintExecute(const QString& title);

    // The panel's settings in the main window's group.
    void restoreSettings(const QSettings& s);
    void saveSettings(QSettings& s) const;

private:
    const Workspace& ws_;
    QWidget* host_;
    PreviewPanel* panel_ = nullptr;
    ExportDialog* dialog_ = nullptr;
    int panelWidth_ = 193;
};

} // namespace klt
