#include "editing/grideditor.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/blocktext.h"
#include "core/fieldedit.h"
#include "core/regionfill.h"
#include "core/text.h"
#include "editing/clipboardtext.h"
#include "editing/editcursors.h"
#include "widgets/messagebox.h"

namespace klt {

GridEditor::GridEditor(Workspace& ws, const CommandContext& ctx, GridView& grid, QObject* parent)
    : QObject(parent), ws_(ws), ctx_(ctx), grid_(grid)
{
    grid_.setInput(this);
}

void GridEditor::setMode(EditMode m)
{
    mode_ = m;
    switch (m) {
    case EditMode::Select: grid_.viewport()->setCursor(Qt::ArrowCursor); break;
    case EditMode::Draw: grid_.viewport()->setCursor(drawCursor()); break;
    case EditMode::Fill: grid_.viewport()->setCursor(fillCursor()); break;
    }
    grid_.setRangeSelect(m == EditMode::Select);
}

void GridEditor::setSelection(const CellRect& r)
{
    ws_.cursor.selection = r;
    // The current cell stays inside the field even when a dragged block
    // reaches past its edge.
    ws_.cursor.col = std::clamp(r.right, 0, ws_.doc.field().colCount() - 1);
    ws_.cursor.row = std::clamp(r.bottom, 0, ws_.doc.field().rowCount() - 1);
}

void GridEditor::selectClamped(CellRect r)
{
    r.left = std::max(r.left, 0);
    r.top = std::max(r.top, 0);
    r.right = std::min(r.right, ws_.doc.field().colCount() - 1);
    r.bottom = std::min(r.bottom, ws_.doc.field().rowCount() - 1);
    setSelection(r);
}

void GridEditor::endDragCursor()
{
    if (dragCursor_) {
        QGuiApplication::restoreOverrideCursor();
        dragCursor_ = false;
    }
}

void GridEditor::mousePress(QMouseEvent* e)
{
    if (busy()) return;
    const auto cell = grid_.cellAt(e->position().toPoint());
    const Qt::MouseButton button = e->button();

    // The grid's own handling comes first: a left press moves the current
    // cell there (Shift extends the selection in select mode).
    if (button == Qt::LeftButton && cell) {
        if (mode_ == EditMode::Select && (e->modifiers() & Qt::ShiftModifier)) {
            ws_.cursor.selection = CellRect{std::min(ws_.cursor.col, cell->x()), std::min(ws_.cursor.row, cell->y()),
                                     std::max(ws_.cursor.col, cell->x()), std::max(ws_.cursor.row, cell->y())};
        } else {
            ws_.cursor.setCurrentCell(cell->x(), cell->y());
        }
        tracking_ = true;
        grid_.refreshCursor();
    }

    if (button == Qt::LeftButton && mode_ == EditMode::Select && cell) {
        const CellRect b = ws_.cursor.rememberedBlock;
        if ((b.right > b.left || b.bottom > b.top) && b.contains(cell->x(), cell->y())) {
            dragging_ = true;
            dragFrom_ = *cell;
            dragMoved_ = false;
            tracking_ = false;
            ws_.cursor.setCurrentCell(cell->x(), cell->y());
            grid_.refreshCursor();
            if (!dragCursor_) {
                QGuiApplication::setOverrideCursor(Qt::SizeAllCursor);
                dragCursor_ = true;
            }
            ws_.doc.setModified(true);
            return;
        }
    }
    // Only the left and the right button edit (a side button would clear
    // cells without a snapshot).
    if (button != Qt::LeftButton && button != Qt::RightButton) return;
    FieldEdit edit(ws_);
    lastDrawn_.reset(); // a new stroke
    if (mode_ == EditMode::Draw) ws_.doc.takeSnapshot();
    paintCellAt(e->position().toPoint(), button == Qt::LeftButton);
}

void GridEditor::mouseMove(QMouseEvent* e)
{
    const QPoint pos = e->position().toPoint();
    const auto cell = grid_.cellAt(pos);
    if (!cell) return;
    if (busy()) {
        emit cellHovered(cell->x(), cell->y());
        return;
    }
    const bool left = e->buttons() & Qt::LeftButton;
    const bool right = e->buttons() & Qt::RightButton;

    if (dragging_ && !dragMoved_ && *cell != dragFrom_) dragMoved_ = true;
    if (dragging_ && dragMoved_) {
        // The block follows the point where it was grabbed.
        const CellRect b = ws_.cursor.rememberedBlock;
        const int left = cell->x() - (dragFrom_.x() - b.left), top = cell->y() - (dragFrom_.y() - b.top);
        setSelection(CellRect{left, top, left + b.width() - 1, top + b.height() - 1});
        grid_.refreshCursor();
    } else if (left && tracking_) {
        // The grid's own tracking: the selection reaches from the current cell
        // to the mouse, or in the other modes the current cell follows it.
        if (mode_ == EditMode::Select) {
            ws_.cursor.selection = CellRect{std::min(ws_.cursor.col, cell->x()), std::min(ws_.cursor.row, cell->y()),
                                     std::max(ws_.cursor.col, cell->x()), std::max(ws_.cursor.row, cell->y())};
        } else {
            ws_.cursor.setCurrentCell(cell->x(), cell->y());
        }
        grid_.refreshCursor();
    }
    emit cellHovered(cell->x(), cell->y());
    if (!left && !right) return;
    if (mode_ == EditMode::Draw && lastDrawn_) {
        // A quick stroke skips cells between two mouse events: the cells on
        // the line between them are drawn too.
        const QPoint from = *lastDrawn_, to = *cell;
        const int steps = std::max(std::abs(to.x() - from.x()), std::abs(to.y() - from.y()));
        for (int i = 1; i < steps; ++i) {
            const int c = from.x() + static_cast<int>(std::lround(double(to.x() - from.x()) * i / steps));
            const int r = from.y() + static_cast<int>(std::lround(double(to.y() - from.y()) * i / steps));
            paintCell(c, r, left);
        }
    }
    paintCellAt(pos, left);
}

void GridEditor::mouseRelease(QMouseEvent* e)
{
    const Qt::MouseButton button = e->button();
    if (button == Qt::LeftButton) tracking_ = false;
    if (!(e->buttons() & (Qt::LeftButton | Qt::RightButton))) lastDrawn_.reset();
    if (busy()) {
        dragging_ = false;
        endDragCursor();
        return;
    }
    const auto cell = grid_.cellAt(e->position().toPoint());

    if (button == Qt::LeftButton && mode_ == EditMode::Select) {
        endDragCursor();
        if (dragging_ && dragMoved_) {
            const CellRect dropped = ws_.cursor.selection;
            const MoveOutcome move = moveBlock(ws_, dropped.left, dropped.top);
            if (move.moved) {
                putClipboardText(move.clipboard);
                selectClamped(dropped);
                ws_.cursor.rememberedBlock = ws_.cursor.selection;
            } else {
                showErrorBox(QString::fromStdString(move.error));
                selectClamped(ws_.cursor.rememberedBlock);
            }
            grid_.fieldChanged();
        } else {
            ws_.cursor.rememberedBlock = ws_.cursor.selection;
            setSelection(ws_.cursor.rememberedBlock);
            grid_.refreshCursor();
        }
        dragging_ = false;
        return;
    }
    if ((button == Qt::LeftButton || button == Qt::RightButton) && mode_ == EditMode::Fill && cell) {
        FieldEdit edit(ws_);
        ws_.doc.takeSnapshot();
        fillRegion(ws_, button == Qt::LeftButton, cell->x(), cell->y());
        ws_.cursor.rememberedBlock = CellRect{cell->x(), cell->y(), cell->x(), cell->y()};
        grid_.repaintAll();
        return;
    }
    if (button == Qt::RightButton && mode_ == EditMode::Select)
        emit contextMenuRequested(grid_.viewport()->mapToGlobal(e->position().toPoint()));
}

void GridEditor::paintCellAt(const QPoint& pos, bool fill)
{
    const auto cell = grid_.cellAt(pos);
    if (!cell) return;
    if (mode_ != EditMode::Draw) {
        // Keeps the selection frame following the mouse while a button is held.
        grid_.repaintAll();
        return;
    }
    paintCell(cell->x(), cell->y(), fill);
}

void GridEditor::paintCell(int c, int r, bool fill)
{
    lastDrawn_ = QPoint(c, r);
    FieldEdit edit(ws_);
    ws_.cursor.rememberedBlock = CellRect{c, r, c, r};
    if (!ws_.doc.modified()) ws_.doc.setModified(true);
    if (fill) {
        ws_.doc.field().setText(c, r, "-");
    } else {
        ws_.cursor.setCurrentCell(c, r);
        ws_.doc.field().setText(c, r, "");
    }
    grid_.updateCell(c, r);
    grid_.refreshCursor();
}

bool GridEditor::keyPress(QKeyEvent* e)
{
    const QString t = e->text();
    const bool back = e->key() == Qt::Key_Backspace;
    const bool space = e->key() == Qt::Key_Space;
    const bool digit = t.size() == 1 && t[0] >= QLatin1Char('0') && t[0] <= QLatin1Char('9');
    if (!back && !space && !digit) return false;
    if (e->modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
    if (busy()) return true;
    const int c = ws_.cursor.col, r = ws_.cursor.row;
    FieldEdit edit(ws_);
    std::string text = ws_.doc.field().isFilled(c, r) ? "-" : "";
    if (digit) text += static_cast<char>(t[0].toLatin1());
    ws_.doc.field().setText(c, r, text);
    grid_.updateCell(c, r);
    return true;
}

} // namespace klt
