#include "editing/editcommands.h"

#include <QFontDialog>

#include "core/blocktext.h"
#include "core/edits.h"
#include "editing/clipboardtext.h"
#include "widgets/messagebox.h"

namespace klt {

EditCommands::EditCommands(Workspace& ws, GridView& grid, QObject* parent) : QObject(parent), ws_(ws), grid_(grid) {}

void EditCommands::recolour(int tag)
{
    if (!grid_.hasEditFocus()) return;
    recolourSelection(ws_, static_cast<Recolour>(tag));
    grid_.fieldChanged();
}

void EditCommands::invertAll()
{
    klt::invertAll(ws_);
    grid_.fieldChanged();
}

void EditCommands::insertColumn()
{
    klt::insertColumn(ws_);
    grid_.fieldChanged();
}

void EditCommands::insertRow()
{
    klt::insertRow(ws_);
    grid_.fieldChanged();
}

void EditCommands::deleteColumns()
{
    deleteSelectedColumns(ws_);
    grid_.fieldChanged();
}

void EditCommands::deleteRows()
{
    deleteSelectedRows(ws_);
    grid_.fieldChanged();
}

void EditCommands::mirrorLeft()
{
    klt::mirrorLeft(ws_);
    grid_.fieldChanged();
}

void EditCommands::mirrorRight()
{
    klt::mirrorRight(ws_);
    grid_.fieldChanged();
}

void EditCommands::mirrorUp()
{
    klt::mirrorUp(ws_);
    grid_.fieldChanged();
}

void EditCommands::mirrorDown()
{
    klt::mirrorDown(ws_);
    grid_.fieldChanged();
}

void EditCommands::cropToFilled()
{
    klt::cropToFilled(ws_);
    grid_.fieldChanged();
}

void EditCommands::cropToSelection()
{
    klt::cropToSelection(ws_);
    grid_.fieldChanged();
}

void EditCommands::selectAll()
{
    klt::selectAll(ws_);
    grid_.refreshCursor();
}

void EditCommands::collapseSelection()
{
    klt::collapseSelection(ws_);
    grid_.repaintAll();
    grid_.refreshCursor();
}

void EditCommands::copy(bool cut)
{
    putClipboardText(copySelectionText(ws_, cut));
    if (cut) grid_.fieldChanged();
}

void EditCommands::paste()
{
    const auto text = clipboardText();
    if (!text) return;
    const PasteOutcome pasted = pasteText(ws_, *text);
    if (!pasted.error.empty()) showErrorBox(QString::fromStdString(pasted.error));
    grid_.fieldChanged();
}

void EditCommands::chooseFont(QWidget* dialogParent)
{
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, grid_.font(), dialogParent);
    if (ok) grid_.setFont(f);
}

} // namespace klt
