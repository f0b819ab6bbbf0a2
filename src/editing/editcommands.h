#pragma once
// The edit commands of the window's actions: recolouring, rows and columns,
// mirrors, crops, the selection commands, the clipboard and the grid font.
// Each runs the field operation and brings the grid up to date.
#include <QObject>

#include "core/workspace.h"
#include "editing/gridview.h"

namespace klt {

class EditCommands : public QObject {
    Q_OBJECT
public:
    EditCommands(Workspace& ws, GridView& grid, QObject* parent = nullptr);

    // Tag 0 white, 1 filled, 2 inverted. Only while the grid has the focus,
    // so that Del and Ins typed into another control leave the field alone.
    void recolour(int tag);
    void invertAll();
    void insertColumn();
    void insertRow();
    void deleteColumns();
    void deleteRows();
    void mirrorLeft();
    void mirrorRight();
    void mirrorUp();
    void mirrorDown();
    void cropToFilled();
    void cropToSelection();
    void selectAll();
    void collapseSelection();
    void copy(bool cut);
    void paste();
    void chooseFont(QWidget* dialogParent);

private:
    Workspace& ws_;
    GridView& grid_;
};

} // namespace klt
