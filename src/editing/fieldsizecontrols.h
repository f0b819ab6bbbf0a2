#pragma once
// The width, height and cell-size spin edits of the toolbar and how they
// apply to the field and the grid.
#include <QObject>

#include "core/workspace.h"
#include "editing/gridview.h"
#include "editing/spinedit.h"

namespace klt {

class FieldSizeControls : public QObject {
    Q_OBJECT
public:
    FieldSizeControls(Workspace& ws, GridView& grid, QWidget* parent);

    SpinEdit* widthEdit() const { return width_; }
    SpinEdit* heightEdit() const { return height_; }
    SpinEdit* cellSizeEdit() const { return cellSize_; }

    // The spin edits follow the field; a value they clamp goes back to it.
    void sync();
    // The width and height edits show the field's size as it is, without
    // applying anything back (after a paste, a crop, an undo …).
    void follow();
    // Puts the cell size shown into the grid.
    void applyCellSize();

private:
    void applyWidth();
    void applyHeight();

    Workspace& ws_;
    GridView& grid_;
    SpinEdit* width_;
    SpinEdit* height_;
    SpinEdit* cellSize_;
};

} // namespace klt
