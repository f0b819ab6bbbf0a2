#pragma once
// The size spin edits' rules: a value is held inside the control's range, and
// only a change of the shown value runs the change handler.
#include "core/workspace.h"

namespace klt {

struct SpinModel {
    int value, minimum, maximum;
    // Sets the value as a spin edit does (clamped); true when the shown value changed.
    bool set(int v);
};

// The width, height and cell-size controls of a window that is not on screen
// (the command-line tool and tests), with their change handlers.
struct SizeControls {
    SpinModel width{5, 5, 250};
    SpinModel height{5, 5, 250};
    SpinModel cellSize{24, 5, 100};

    // SyncSizeControls: the controls follow the field; a clamped value that
    // changes the shown text is applied back to the field.
    void sync(Workspace& ws);
    // The cell-size control takes the grid's column width.
    void syncCellSize(Workspace& ws);
};

} // namespace klt
