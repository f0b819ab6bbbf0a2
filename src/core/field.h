#pragma once
// The puzzle field: cell texts and solver marks in a growable store with a
// visible size. Cells outside the visible size keep their contents, so that
// shrinking the field hides them and growing it shows them again.
#include <cstdint>
#include <string>
#include <vector>

namespace klt {

// The largest field, per side, that a puzzle file may hold. Edits that grow
// the field (paste, block moves) stay within it, so that every field the
// program has can be saved and opened again.
constexpr int kMaxFieldSide = 4096;

// Solver marks shown in a cell's corner.
enum SolverMark : std::uint8_t { MarkNone = 0, MarkDecided = 1, MarkComplete = 2 };

class Field {
public:
    Field(int cols = 5, int rows = 5);

    int colCount() const { return cols_; }
    int rowCount() const { return rows_; }
    // Sizes below 1 count as 1, as the grid never has fewer cells.
    void setColCount(int n);
    void setRowCount(int n);
    void setSize(int cols, int rows) { setColCount(cols); setRowCount(rows); }

    // Any (c, r) inside the store may be read; reading beyond it gives "".
    const std::string& text(int c, int r) const;
    void setText(int c, int r, std::string t);
    std::uint8_t mark(int c, int r) const;
    void setMark(int c, int r, std::uint8_t m);

    bool inside(int c, int r) const { return c >= 0 && r >= 0 && c < cols_ && r < rows_; }
    bool isFilled(int c, int r) const;

    // Empties every cell and forgets the hidden ones: the store shrinks to
    // the visible size, so a later widening shows empty cells.
    void clear();

    // Moves one column (all its stored rows) from one index to another; the
    // columns between shift by one. Indices may lie in the hidden part.
    void moveColumn(int from, int to);
    void moveRow(int from, int to);

    // Changes whenever the size or a cell text changes (marks aside), and
    // differs between fields that were changed apart: a view can tell
    // whether what it showed still stands.
    std::uint64_t revision() const { return revision_; }

    // Stored extent (at least the visible size).
    int storeCols() const { return static_cast<int>(columns_.size()); }
    int storeRows() const { return storeRows_; }

private:
    struct Cell {
        std::string text;
        std::uint8_t mark = 0;
    };
    void ensureStore(int cols, int rows);
    void touch();

    int cols_ = 0;
    int rows_ = 0;
    int storeRows_ = 0;
    std::vector<std::vector<Cell>> columns_; // [col][row]
    std::uint64_t revision_ = 0;
};

} // namespace klt
