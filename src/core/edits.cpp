#include "core/edits.h"

#include <algorithm>

#include "core/fieldedit.h"
#include "core/text.h"

namespace klt {

void clampCursor(Workspace& ws)
{
    const int lc = ws.doc.field().colCount() - 1, lr = ws.doc.field().rowCount() - 1;
    ws.cursor.col = std::clamp(ws.cursor.col, 0, lc);
    ws.cursor.row = std::clamp(ws.cursor.row, 0, lr);
    auto& s = ws.cursor.selection;
    s.left = std::clamp(s.left, 0, lc);
    s.right = std::clamp(s.right, 0, lc);
    s.top = std::clamp(s.top, 0, lr);
    s.bottom = std::clamp(s.bottom, 0, lr);
    if (!s.contains(ws.cursor.col, ws.cursor.row)) s = CellRect{ws.cursor.col, ws.cursor.row, ws.cursor.col, ws.cursor.row};
}

void recolourSelection(Workspace& ws, Recolour how)
{
    FieldEdit edit(ws);
    ws.doc.takeSnapshot();
    const CellRect s = ws.cursor.selection;
    for (int c = s.left; c <= s.right; ++c) {
        for (int r = s.top; r <= s.bottom; ++r) {
            switch (how) {
            case Recolour::White: ws.doc.field().setText(c, r, ""); break;
            case Recolour::Black: ws.doc.field().setText(c, r, "-"); break;
            case Recolour::Invert: ws.doc.field().setText(c, r, ws.doc.field().isFilled(c, r) ? "" : "-"); break;
            }
        }
    }
    ws.doc.notifyFieldChanged();
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
    ws.doc.takeSnapshot();
    Field& f = ws.doc.field();
    const int cols = f.colCount();
    f.setColCount(cols + 1);
    f.moveColumn(cols, ws.cursor.col);
    for (int r = 0; r < f.rowCount(); ++r) f.setText(ws.cursor.col, r, "");
    ws.cursor.setCurrentCell(ws.cursor.col, ws.cursor.row);
    ws.doc.notifyFieldChanged();
    ws.doc.notifySizeChanged();
}

void insertRow(Workspace& ws)
{
    FieldEdit edit(ws);
    ws.doc.takeSnapshot();
    Field& f = ws.doc.field();
    const int rows = f.rowCount();
    f.setRowCount(rows + 1);
    f.moveRow(rows, ws.cursor.row);
    for (int c = 0; c < f.colCount(); ++c) f.setText(c, ws.cursor.row, "");
    ws.cursor.setCurrentCell(ws.cursor.col, ws.cursor.row);
    ws.doc.notifyFieldChanged();
    ws.doc.notifySizeChanged();
}

void deleteColumnAt(Workspace& ws, int c)
{
    Field& f = ws.doc.field();
    const int cols = f.colCount();
    if (cols <= 1) return;
    f.moveColumn(c, cols - 1);
    f.setColCount(cols - 1);
}

void deleteRowAt(Workspace& ws, int r)
{
    Field& f = ws.doc.field();
    const int rows = f.rowCount();
    if (rows <= 1) return;
    f.moveRow(r, rows - 1);
    f.setRowCount(rows - 1);
}

namespace {

// The selected columns (or rows) go, the last first, while more than two remain.
void deleteSelectedLines(Workspace& ws, bool columns)
{
    FieldEdit edit(ws);
    ws.doc.takeSnapshot();
    const CellRect s = ws.cursor.selection;
    const Field& f = ws.doc.field();
    for (int i = columns ? s.right : s.bottom; i >= (columns ? s.left : s.top); --i) {
        if ((columns ? f.colCount() : f.rowCount()) <= 2) continue;
        if (columns)
            deleteColumnAt(ws, i);
        else
            deleteRowAt(ws, i);
    }
    clampCursor(ws);
    ws.doc.notifyFieldChanged();
    ws.doc.notifySizeChanged();
    clampCursor(ws);
}

} // namespace

void deleteSelectedColumns(Workspace& ws)
{
    deleteSelectedLines(ws, true);
}

void deleteSelectedRows(Workspace& ws)
{
    deleteSelectedLines(ws, false);
}

// Mirror images are copied farthest target first. Targets past the right or
// bottom edge land among the hidden cells, so nothing visible changes there.
void mirrorLeft(Workspace& ws)
{
    FieldEdit edit(ws);
    const CellRect s = ws.cursor.selection;
    if (2 * s.left - s.right - 1 < 0) return;
    for (int r = s.top; r <= s.bottom; ++r)
        for (int c = s.right; c >= s.left; --c) ws.doc.field().setText(2 * s.left - c - 1, r, ws.doc.field().text(c, r));
    ws.doc.notifyFieldChanged();
}

void mirrorRight(Workspace& ws)
{
    FieldEdit edit(ws);
    const CellRect s = ws.cursor.selection;
    for (int r = s.top; r <= s.bottom; ++r)
        for (int c = s.left; c <= s.right; ++c) ws.doc.field().setText(2 * s.right - c + 1, r, ws.doc.field().text(c, r));
    ws.doc.notifyFieldChanged();
}

void mirrorUp(Workspace& ws)
{
    FieldEdit edit(ws);
    const CellRect s = ws.cursor.selection;
    if (2 * s.top - s.bottom - 1 < 0) return;
    for (int r = s.bottom; r >= s.top; --r)
        for (int c = s.left; c <= s.right; ++c) ws.doc.field().setText(c, 2 * s.top - r - 1, ws.doc.field().text(c, r));
    ws.doc.notifyFieldChanged();
}

void mirrorDown(Workspace& ws)
{
    FieldEdit edit(ws);
    const CellRect s = ws.cursor.selection;
    for (int r = s.top; r <= s.bottom; ++r)
        for (int c = s.left; c <= s.right; ++c) ws.doc.field().setText(c, 2 * s.bottom - r + 1, ws.doc.field().text(c, r));
    ws.doc.notifyFieldChanged();
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
    if (takeSnapshot) ws.doc.takeSnapshot();
    Field& f = ws.doc.field();
    while (f.colCount() > 5 && !columnHasFilled(f, 0)) deleteColumnAt(ws, 0);
    while (f.colCount() > 5 && !columnHasFilled(f, f.colCount() - 1)) deleteColumnAt(ws, f.colCount() - 1);
    while (f.rowCount() > 5 && !rowHasFilled(f, 0)) deleteRowAt(ws, 0);
    while (f.rowCount() > 5 && !rowHasFilled(f, f.rowCount() - 1)) deleteRowAt(ws, f.rowCount() - 1);
    clampCursor(ws);
    ws.doc.notifyFieldChanged();
    ws.doc.notifySizeChanged();
    clampCursor(ws);
}

void cropToSelection(Workspace& ws)
{
    FieldEdit edit(ws);
    ws.doc.takeSnapshot();
    const CellRect s = ws.cursor.selection;
    Field& f = ws.doc.field();
    for (int i = 0; i < s.top; ++i) deleteRowAt(ws, 0);
    for (int i = 0; i < s.left; ++i) deleteColumnAt(ws, 0);
    while (f.rowCount() > s.height()) deleteRowAt(ws, f.rowCount() - 1);
    while (f.colCount() > s.width()) deleteColumnAt(ws, f.colCount() - 1);
    clampCursor(ws);
    ws.doc.notifyFieldChanged();
}

void selectAll(Workspace& ws)
{
    const int lc = ws.doc.field().colCount() - 1, lr = ws.doc.field().rowCount() - 1;
    ws.cursor.col = lc;
    ws.cursor.row = lr;
    ws.cursor.selection = CellRect{0, 0, lc, lr};
}

void collapseSelection(Workspace& ws)
{
    ws.cursor.setCurrentCell(ws.cursor.selection.left, ws.cursor.selection.top);
    ws.cursor.rememberedBlock = ws.cursor.selection;
}

} // namespace klt
