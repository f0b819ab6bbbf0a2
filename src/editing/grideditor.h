#pragma once
// What the mouse and the keyboard do to the field on the grid: the three
// editing modes (select, draw, fill), draw strokes, region fill, range
// selection, dragging a selected block, and typed clue digits.
#include <QObject>
#include <QPoint>
#include <optional>

#include "core/context.h"
#include "core/workspace.h"
#include "editing/gridview.h"

namespace klt {

enum class EditMode { Select = 0, Draw = 1, Fill = 2 };

class GridEditor : public QObject, public GridInput {
    Q_OBJECT
public:
    // ctx tells whether a long command owns the field.
    GridEditor(Workspace& ws, const CommandContext& ctx, GridView& grid, QObject* parent = nullptr);

    EditMode mode() const { return mode_; }
    // Sets the grid's cursor and range selection for the mode.
    void setMode(EditMode m);
    bool dragging() const { return dragging_; }

    void mousePress(QMouseEvent* e) override;
    void mouseMove(QMouseEvent* e) override;
    void mouseRelease(QMouseEvent* e) override;
    bool keyPress(QKeyEvent* e) override;

    // Sets the selection clamped into the field; the current cell goes to its
    // bottom-right corner, as when the grid's selection is set.
    void selectClamped(CellRect r);

signals:
    void cellHovered(int col, int row);
    void contextMenuRequested(const QPoint& globalPos);

private:
    // While a generation or a check runs the field belongs to it.
    bool busy() const { return !ctx_.stopped(); }
    void paintCellAt(const QPoint& pos, bool fill);
    // One draw step on a cell of the field.
    void paintCell(int c, int r, bool fill);
    void setSelection(const CellRect& r);
    void endDragCursor();

    Workspace& ws_;
    const CommandContext& ctx_;
    GridView& grid_;
    EditMode mode_ = EditMode::Select;
    bool dragging_ = false;
    // The block follows the mouse only once it has left the pressed cell; a
    // click inside the block is an ordinary click and moves nothing.
    QPoint dragFrom_;
    bool dragMoved_ = false;
    bool tracking_ = false; // the left button extends the selection
    bool dragCursor_ = false;
    // The cell the stroke under way drew last.
    std::optional<QPoint> lastDrawn_;
};

} // namespace klt
