#pragma once
// A rectangle of cells and the 3 × 3 block around a cell: the one cell layout
// of the core. Cells are stored column by column ([col * rows + row]), the
// order in which the solver sweeps the field.
#include <algorithm>
#include <cstddef>
#include <type_traits>
#include <utility>
#include <vector>

namespace klt {

struct CellPos {
    int col = 0, row = 0;
    bool operator==(const CellPos&) const = default;
};

// The block of (c, r) clipped to a cols × rows field, inclusive bounds.
struct BlockBounds {
    int left = 0, top = 0, right = -1, bottom = -1;
};

inline BlockBounds blockAround(int c, int r, int cols, int rows)
{
    return BlockBounds{std::max(c - 1, 0), std::max(r - 1, 0), std::min(c + 1, cols - 1), std::min(r + 1, rows - 1)};
}

// Calls f(x, y) for every cell of the clipped block of (c, r), column by
// column and top to bottom within a column. f may return bool: false stops
// the walk, and the walk then returns false.
template <class F>
bool forEachInBlock(int c, int r, int cols, int rows, F&& f)
{
    const BlockBounds b = blockAround(c, r, cols, rows);
    for (int x = b.left; x <= b.right; ++x)
        for (int y = b.top; y <= b.bottom; ++y) {
            if constexpr (std::is_same_v<decltype(f(x, y)), bool>) {
                if (!f(x, y)) return false;
            } else {
                f(x, y);
            }
        }
    return true;
}

template <class T>
class Grid {
public:
    Grid() = default;
    Grid(int cols, int rows, const T& fill = T{}) { assign(cols, rows, fill); }

    void assign(int cols, int rows, const T& fill = T{})
    {
        cols_ = std::max(cols, 0);
        rows_ = std::max(rows, 0);
        cells_.assign(static_cast<std::size_t>(cols_) * static_cast<std::size_t>(rows_), fill);
    }

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    bool empty() const { return cells_.empty(); }
    bool inside(int c, int r) const { return c >= 0 && r >= 0 && c < cols_ && r < rows_; }

    T& at(int c, int r) { return cells_[index(c, r)]; }
    const T& at(int c, int r) const { return cells_[index(c, r)]; }

    // The clipped block walk of (c, r) within this grid.
    template <class F>
    bool forEachInBlock(int c, int r, F&& f) const
    {
        return klt::forEachInBlock(c, r, cols_, rows_, std::forward<F>(f));
    }

    // Column-major storage, for loops that sweep the whole grid.
    std::vector<T>& cells() { return cells_; }
    const std::vector<T>& cells() const { return cells_; }

    bool operator==(const Grid&) const = default;

private:
    std::size_t index(int c, int r) const
    {
        return static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_) + static_cast<std::size_t>(r);
    }

    int cols_ = 0, rows_ = 0;
    std::vector<T> cells_;
};

} // namespace klt
