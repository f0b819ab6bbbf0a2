#include "core/edits.h"

#include <algorithm>

#include "core/fieldedit.h"
#include "core/text.h"

namespace klt {

void clampCursor(Workspace& ws)
{
    const int lc = ws.field.colCount() - 1, lr = ws.field.rowCount() - 1;
    ws.curCol = std::clamp(ws.curCol, 0, lc);
    ws.curRow = std::clamp(ws.curRow, 0, lr);
    auto& s = ws.selection;
    s.left = std::clamp(s.left, 0, lc);
    s.right = std::clamp(s.right, 0, lc);
    s.top = std::clamp(s.top, 0, lr);
    s.bottom = std::clamp(s.bottom, 0, lr);
    if (!s.contains(ws.curCol, ws.curRow)) s = CellRect{ws.curCol, ws.curRow, ws.curCol, ws.curRow};
}

void recolourSelection(Workspace& ws, Recolour how)
{
    FieldEdit edit(ws);
    ws.takeSnapshot();
    const CellRect s = ws.selection;
    for (int c = s.left; c <= s.right; ++c) {
        for (int r = s.top; r <= s.bottom; ++r) {
            switch (how) {
            case Recolour::White: ws.field.setText(c, r, ""); break;
            case Recolour::Black: ws.field.setText(c, r, "-"); break;
            case Recolour::Invert: ws.field.setText(c, r, ws.field.isFilled(c, r) ? "" : "-"); break;
            }
        }
    }
    ws.host().fieldChanged();
}

void invertAll(Workspace& ws)
{
    FieldEdit edit(ws);
    selectAll(ws);
    recolourSelection(ws, Recolour::Invert);
}

void insertColumn(Workspace& ws)
{
    FieldEdit edit(ws);
    ws.takeSnapshot();
    Field& f = ws.field;
    const int cols = f.colCount();
    f.setColCount(cols + 1);
    f.moveColumn(cols, ws.curCol);
    for (int r = 0; r < f.rowCount(); ++r) f.setText(ws.curCol, r, "");
    ws.setCurrentCell(ws.curCol, ws.curRow);
    ws.host().fieldChanged();
    ws.host().syncSizeControls();
}

void insertRow(Workspace& ws)
{
    FieldEdit edit(ws);
    ws.takeSnapshot();
    Field& f = ws.field;
    const int rows = f.rowCount();
    f.setRowCount(rows + 1);
    f.moveRow(rows, ws.curRow);
    for (int c = 0; c < f.colCount(); ++c) f.setText(c, ws.curRow, "");
    ws.setCurrentCell(ws.curCol, ws.curRow);
    ws.host().fieldChanged();
    ws.host().syncSizeControls();
}

void deleteColumnAt(Workspace& ws, int c)
{
    Field& f = ws.field;
    const int cols = f.colCount();
    if (cols <= 1) return;
    f.moveColumn(c, cols - 1);
    f.setColCount(cols - 1);
}

void deleteRowAt(Workspace& ws, int r)
{
    Field& f = ws.field;
    const int rows = f.rowCount();
    if (rows <= 1) return;
    f.moveRow(r, rows - 1);
    f.setRowCount(rows - 1);
}

void deleteSelectedColumns(Workspace& ws)
{
    FieldEdit edit(ws);
    ws.takeSnapshot();
    const CellRect s = ws.selection;
    for (int c = s.right; c >= s.left; --c)
        if (ws.field.colCount() > 2) deleteColumnAt(ws, c);
    clampCursor(ws);
    ws.host().fieldChanged();
    ws.host().syncSizeControls();
    clampCursor(ws);
}

void deleteSelectedRows(Workspace& ws)
{
    FieldEdit edit(ws);
    ws.takeSnapshot();
    const CellRect s = ws.selection;
    for (int r = s.bottom; r >= s.top; --r)
        if (ws.field.rowCount() > 2) deleteRowAt(ws, r);
    clampCursor(ws);
    ws.host().fieldChanged();
    ws.host().syncSizeControls();
    clampCursor(ws);
}

// Mirror images are copied farthest target first. Targets past the right or
// bottom edge land among the hidden cells, so nothing visible changes there.
void mirrorLeft(Workspace& ws)
{
    FieldEdit edit(ws);
    const CellRect s = ws.selection;
    if (2 * s.left - s.right - 1 < 0) return;
    for (int r = s.top; r <= s.bottom; ++r)
        for (int c = s.right; c >= s.left; --c) ws.field.setText(2 * s.left - c - 1, r, ws.field.text(c, r));
    ws.host().fieldChanged();
}

void mirrorRight(Workspace& ws)
{
    FieldEdit edit(ws);
    const CellRect s = ws.selection;
    for (int r = s.top; r <= s.bottom; ++r)
        for (int c = s.left; c <= s.right; ++c) ws.field.setText(2 * s.right - c + 1, r, ws.field.text(c, r));
    ws.host().fieldChanged();
}

void mirrorUp(Workspace& ws)
{
    FieldEdit edit(ws);
    const CellRect s = ws.selection;
    if (2 * s.top - s.bottom - 1 < 0) return;
    for (int r = s.bottom; r >= s.top; --r)
        for (int c = s.left; c <= s.right; ++c) ws.field.setText(c, 2 * s.top - r - 1, ws.field.text(c, r));
    ws.host().fieldChanged();
}

void mirrorDown(Workspace& ws)
{
    FieldEdit edit(ws);
    const CellRect s = ws.selection;
    for (int r = s.top; r <= s.bottom; ++r)
        for (int c = s.left; c <= s.right; ++c) ws.field.setText(c, 2 * s.bottom - r + 1, ws.field.text(c, r));
    ws.host().fieldChanged();
}

namespace {
bool columnHasFilled(const Field& f, int c)
{
    for (int r = 0; r < f.rowCount(); ++r)
        if (f.isFilled(c, r)) return true;
    return false;
}
bool rowHasFilled(const Field& f, int r)
{
    for (int c = 0; c < f.colCount(); ++c)
        if (f.isFilled(c, r)) return true;
    return false;
}
} // namespace

void cropToFilled(Workspace& ws, bool takeSnapshot)
{
    FieldEdit edit(ws);
    if (takeSnapshot) ws.takeSnapshot();
    Field& f = ws.field;
    while (f.colCount() > 5 && !columnHasFilled(f, 0)) deleteColumnAt(ws, 0);
    while (f.colCount() > 5 && !columnHasFilled(f, f.colCount() - 1)) deleteColumnAt(ws, f.colCount() - 1);
    while (f.rowCount() > 5 && !rowHasFilled(f, 0)) deleteRowAt(ws, 0);
    while (f.rowCount() > 5 && !rowHasFilled(f, f.rowCount() - 1)) deleteRowAt(ws, f.rowCount() - 1);
    clampCursor(ws);
    ws.host().fieldChanged();
    ws.host().syncSizeControls();
    clampCursor(ws);
}

void cropToSelection(Workspace& ws)
{
    FieldEdit edit(ws);
    ws.takeSnapshot();
    const CellRect s = ws.selection;
    Field& f = ws.field;
    for (int i = 0; i < s.top; ++i) deleteRowAt(ws, 0);
    for (int i = 0; i < s.left; ++i) deleteColumnAt(ws, 0);
    while (f.rowCount() > s.height()) deleteRowAt(ws, f.rowCount() - 1);
    while (f.colCount() > s.width()) deleteColumnAt(ws, f.colCount() - 1);
    clampCursor(ws);
    ws.host().fieldChanged();
}

void selectAll(Workspace& ws)
{
    const int lc = ws.field.colCount() - 1, lr = ws.field.rowCount() - 1;
    ws.curCol = lc;
    ws.curRow = lr;
    ws.selection = CellRect{0, 0, lc, lr};
}

void collapseSelection(Workspace& ws)
{
    ws.setCurrentCell(ws.selection.left, ws.selection.top);
    ws.rememberedBlock = ws.selection;
}

} // namespace klt
