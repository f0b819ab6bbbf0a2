#pragma once
// A rectangle of cells and the 3 × 3 block around a cell: the one cell layout
// of the core. Cells are stored column by column ([col * rows + row]), the
// order in which the solver sweeps the field. PaddedLayout is the same order
// with a margin around the field, for the fast engines' walks by index.
#include <algorithm>
#include <cassert>
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

// The (2 radius + 1)-square around (c, r), clipped to the field.
inline BlockBounds squareAround(int c, int r, int radius, int cols, int rows)
{
    return BlockBounds{std::max(c - radius, 0), std::max(r - radius, 0), std::min(c + radius, cols - 1),
                       std::min(r + radius, rows - 1)};
}

inline BlockBounds blockAround(int c, int r, int cols, int rows)
{
    return squareAround(c, r, 1, cols, rows);
}

// Calls f(x, y) for every cell of the clipped square of (c, r), column by
// column and top to bottom within a column. f may return bool: false stops
// the walk, and the walk then returns false.
template <class F>
bool forEachInSquare(int c, int r, int radius, int cols, int rows, F&& f)
{
    const BlockBounds b = squareAround(c, r, radius, cols, rows);
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

// The same for the clipped 3 × 3 block of (c, r).
template <class F>
bool forEachInBlock(int c, int r, int cols, int rows, F&& f)
{
    return forEachInSquare(c, r, 1, cols, rows, std::forward<F>(f));
}

template <class T>
class Grid {
public:
    Grid() = default;
    Grid(int cols, int rows, const T& fill = T{}) { assign(cols, rows, fill); }
    // A count of cells is no pair of dimensions: Grid(n, v) and assign(n, v)
    // with a size_t n (a flat vector's calls) do not compile.
    template <class C, class R>
    Grid(C, R, const T& = T{}) = delete;

    void assign(int cols, int rows, const T& fill = T{})
    {
        cols_ = std::max(cols, 0);
        rows_ = std::max(rows, 0);
        cells_.assign(static_cast<std::size_t>(cols_) * static_cast<std::size_t>(rows_), fill);
    }
    template <class C, class R>
    void assign(C, R, const T& = T{}) = delete;
    void fill(const T& value) { std::fill(cells_.begin(), cells_.end(), value); }

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    bool empty() const { return cells_.empty(); }
    bool inside(int c, int r) const { return c >= 0 && r >= 0 && c < cols_ && r < rows_; }

    // Unchecked in release builds: these sit in the engines' inner loops.
    T& at(int c, int r)
    {
        assert(inside(c, r));
        return cells_[index(c, r)];
    }
    const T& at(int c, int r) const
    {
        assert(inside(c, r));
        return cells_[index(c, r)];
    }

    // The clipped block walk of (c, r) within this grid.
    template <class F>
    bool forEachInBlock(int c, int r, F&& f) const
    {
        return klt::forEachInBlock(c, r, cols_, rows_, std::forward<F>(f));
    }

    // Column-major storage, for loops that sweep the whole grid or work
    // with linear indices [col * rows + row].
    std::vector<T>& cells() { return cells_; }
    const std::vector<T>& cells() const { return cells_; }
    T& operator[](std::size_t i)
    {
        assert(i < cells_.size());
        return cells_[i];
    }
    const T& operator[](std::size_t i) const
    {
        assert(i < cells_.size());
        return cells_[i];
    }
    std::size_t size() const { return cells_.size(); }
    // The rows() cells of column c, top to bottom.
    T* column(int c)
    {
        assert(c >= 0 && c < cols_);
        return cells_.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_);
    }
    const T* column(int c) const
    {
        assert(c >= 0 && c < cols_);
        return cells_.data() + static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_);
    }
    auto begin() { return cells_.begin(); }
    auto end() { return cells_.end(); }
    auto begin() const { return cells_.begin(); }
    auto end() const { return cells_.end(); }

    bool operator==(const Grid&) const = default;

private:
    std::size_t index(int c, int r) const
    {
        return static_cast<std::size_t>(c) * static_cast<std::size_t>(rows_) + static_cast<std::size_t>(r);
    }

    int cols_ = 0, rows_ = 0;
    std::vector<T> cells_;
};

// A cols × rows field laid out column by column inside a margin of cells on
// every side, for the engines that walk blocks by linear index without any
// bounds test: with margin m, the block of every cell up to m - 1 cells
// outside the field lies inside the layout. The layout only computes
// indices; its arrays are vectors of size() entries that keep neutral values
// in the margin.
class PaddedLayout {
public:
    PaddedLayout() = default;
    PaddedLayout(int cols, int rows, int margin)
        : cols_(std::max(cols, 0)), rows_(std::max(rows, 0)), margin_(margin), stride_(rows_ + 2 * margin)
    {
        assert(margin >= 1);
    }

    int cols() const { return cols_; }
    int rows() const { return rows_; }
    int margin() const { return margin_; }
    // Index distance between neighbouring columns.
    int stride() const { return stride_; }
    std::size_t size() const { return static_cast<std::size_t>(cols_ + 2 * margin_) * static_cast<std::size_t>(stride_); }

    int index(int c, int r) const { return (c + margin_) * stride_ + r + margin_; }
    // The index of the field cell [col * rows + row].
    int fromLinear(int lin) const { return lin + 2 * margin_ * (lin / rows_) + margin_ * stride_ + margin_; }
    CellPos pos(int k) const { return CellPos{k / stride_ - margin_, k % stride_ - margin_}; }

    // Calls f(n) for the indices of the unclipped block of k, in the order
    // of forEachInBlock (column by column, top to bottom); k must lie at
    // most margin - 1 cells outside the field. f may return bool as there.
    template <class F>
    bool forEachInBlock(int k, F&& f) const
    {
        int x = k - stride_ - 1;
        for (int i = 0; i < 3; ++i, x += stride_)
            if (!visit(f, x) || !visit(f, x + 1) || !visit(f, x + 2)) return false;
        return true;
    }
    // The same for the 5 × 5 square around k, which must lie at most
    // margin - 2 cells outside the field.
    template <class F>
    bool forEachInSquare5(int k, F&& f) const
    {
        int x = k - 2 * stride_ - 2;
        for (int i = 0; i < 5; ++i, x += stride_)
            if (!visit(f, x) || !visit(f, x + 1) || !visit(f, x + 2) || !visit(f, x + 3) || !visit(f, x + 4))
                return false;
        return true;
    }

private:
    // The columns are written out cell by cell: the engines' inner loops
    // compile best from that form (fewer instructions than a loop over
    // offsets or a loop within the column).
    template <class F>
    static bool visit(F& f, int n)
    {
        if constexpr (std::is_same_v<decltype(f(n)), bool>) {
            return f(n);
        } else {
            f(n);
            return true;
        }
    }

    int cols_ = 0, rows_ = 0, margin_ = 1, stride_ = 2;
};

} // namespace klt
