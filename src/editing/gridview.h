#pragma once
// The on-screen grid of the field (sgMain): paints the cells of the puzzle
// straight from the workspace, scrolls, maps mouse positions to cells and moves
// the current cell with the keyboard. What the mouse and the digit keys do to
// the field is decided by the GridInput attached to it.
#include <QAbstractScrollArea>
#include <QPixmap>
#include <optional>
#include <string>
#include <unordered_map>

#include "core/uniqueness.h"
#include "core/workspace.h"

namespace klt {

class GridInput {
public:
    virtual ~GridInput() = default;
    virtual void mousePress(QMouseEvent* e) = 0;
    virtual void mouseMove(QMouseEvent* e) = 0;
    virtual void mouseRelease(QMouseEvent* e) = 0;
    // True when the key was an edit of the current cell.
    virtual bool keyPress(QKeyEvent* e) = 0;
};

// Shows the document's field and follows its changes.
class GridView : public QAbstractScrollArea, private DocumentObserver {
    Q_OBJECT
public:
    explicit GridView(Workspace& ws, QWidget* parent = nullptr);
    ~GridView() override;

    Workspace& workspace() { return ws_; }
    void setInput(GridInput* input) { input_ = input; }

    int cellSize() const { return ws_.doc.cellSize(); }
    void setCellSize(int px);
    QColor fillColor() const { return fill_; }
    void setFillColor(const QColor& c);
    // With range selection off, Shift and the arrow keys only move the cell.
    void setRangeSelect(bool on) { rangeSelect_ = on; }
    bool rangeSelect() const { return rangeSelect_; }

    // The cell under a viewport position, if any.
    std::optional<QPoint> cellAt(const QPoint& viewportPos) const;
    // The area inside the grid lines, in viewport coordinates.
    QRect cellRect(int c, int r) const;

    // Repaint requests, as small as the change allows.
    void updateCell(int c, int r);
    void refreshCursor();   // the current cell or the selection moved
    void fieldChanged() override; // size or many cells changed
    void repaintAll();
    void ensureVisible(int c, int r);

    // Marks the cells a uniqueness verdict points at (where two answers, or
    // the answer and the picture, differ; the clues of a contradiction) with
    // a frame of their own colour inside the cell, until the field next
    // changes. The cells keep their fill, text and marks.
    void showDifference(const CellGrid& differs);
    bool differenceShown() const { return !differs_.cells.empty(); }

    // The grid has the input focus within its window (menus and popups aside).
    bool hasEditFocus() const;

signals:
    // The field's width or height differs from what fieldChanged() saw last.
    void fieldSizeChanged();
    // Ctrl and the mouse wheel: the cell size is to grow (steps > 0) or shrink.
    void zoomRequested(int steps);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void cellSizeChanged() override;
    int pitch() const { return ws_.doc.cellSize() + 1; }
    int ox() const;
    int oy() const;
    void updateScrollBars();
    QRegion frameRegion(const CellRect& sel) const;
    QRect cellUpdateRect(int c, int r) const;
    const QPixmap& glyph(const std::string& shown, bool filled);
    const QPixmap& markPixmap(int mark, bool filled);
    void clearCaches();
    // Steps that depend on the cells only (background, lines, fill, current
    // cell, text, marks) go into a picture of the viewport that is redrawn
    // where cells changed; the selection frame and the focus mark are drawn
    // over it at every paint, so repainting the whole grid is one copy.
    void paintCells(QPainter& p, const QRect& area);
    void paintOverlay(QPainter& p);
    void invalidate(const QRect& r);
    void invalidateAll();
    // Keyboard moves: the current cell, or with extend the selection's
    // moving corner, goes to (c, r).
    void keyMove(int c, int r, bool extend);
    QPoint movingCorner() const;

    Workspace& ws_;
    GridInput* input_ = nullptr;
    QColor fill_{0, 0, 0};
    bool rangeSelect_ = true;
    // What the last refresh showed, so a move repaints only what changed.
    CellRect shownSelection_;
    int shownCol_ = 0, shownRow_ = 0;
    int shownCols_ = -1, shownRows_ = -1;
    int wheelRest_ = 0;
    // The corner that Shift and the arrow keys move, while the selection is
    // still the one they made.
    QPoint anchor_;
    CellRect anchorSelection_{-1, -1, -1, -1};
    std::unordered_map<std::string, QPixmap> glyphs_;
    QPixmap singleGlyphs_[2][256]; // one-character texts, by fill and code
    std::string key_;
    QPixmap layer_;
    QRegion layerDirty_;
    QPixmap marks_[2][2];
    // Red, or a colour that stands out on a reddish fill colour.
    QColor accentColor() const;
    CellGrid differs_;
    std::uint64_t differsRevision_ = 0;
};

} // namespace klt
