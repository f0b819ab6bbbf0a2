#pragma once
// Where the author edits: the current cell, the selection that contains it,
// and the block the mouse editing remembered for a move.
namespace klt {

// An inclusive rectangle of cells.
struct CellRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    bool contains(int c, int r) const { return c >= left && c <= right && r >= top && r <= bottom; }
    bool operator==(const CellRect&) const = default;
};

struct EditCursor {
    int col = 0, row = 0;
    CellRect selection;
    // Remembered block of the mouse editing and the internal-move flag.
    CellRect rememberedBlock;
    bool internalMove = false;

    // Moves the current cell, collapsing the selection onto it.
    void setCurrentCell(int c, int r)
    {
        col = c;
        row = r;
        selection = CellRect{c, r, c, r};
    }
};

} // namespace klt
