#pragma once
// Structural edits of the field and the selection commands.
#include "core/workspace.h"

namespace klt {

enum class Recolour { White = 0, Black = 1, Invert = 2 };

// Recolours the selected cells (whole texts replaced); takes a snapshot.
void recolourSelection(Workspace& ws, Recolour how);
// Selects the whole field and inverts it, one snapshot.
void invertAll(Workspace& ws);

// A new empty column (row) left of (above) the current cell; snapshot, sync.
void insertColumn(Workspace& ws);
void insertRow(Workspace& ws);
// Deletes the selected columns (rows), never below 2; snapshot, sync.
void deleteSelectedColumns(Workspace& ws);
void deleteSelectedRows(Workspace& ws);

// Raw deletion: the column (row) moves past the last one, then the field
// shrinks, so its cells stay among the hidden ones.
void deleteColumnAt(Workspace& ws, int c);
void deleteRowAt(Workspace& ws, int r);

void mirrorLeft(Workspace& ws);
void mirrorRight(Workspace& ws);
void mirrorUp(Workspace& ws);
void mirrorDown(Workspace& ws);

// Crop to filled cells (not below 5 × 5); snapshot, sync. Without
// takeSnapshot the last snapshot stays (the import's: undo then goes back to
// the puzzle before the import).
void cropToFilled(Workspace& ws, bool takeSnapshot = true);
// Crop to the selection; snapshot, no sync.
void cropToSelection(Workspace& ws);

void selectAll(Workspace& ws);
// Selection and remembered block become the top-left cell of the selection.
void collapseSelection(Workspace& ws);

// Keeps the current cell and the selection inside the field after it shrank.
void clampCursor(Workspace& ws);

} // namespace klt
