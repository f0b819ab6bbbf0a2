#include "core/field.h"

#include <algorithm>
#include <atomic>

#include "core/text.h"

namespace klt {

namespace {
const std::string kEmpty;
std::atomic<std::uint64_t> lastRevision{0};
} // namespace

void Field::touch()
{
    revision_ = lastRevision.fetch_add(1, std::memory_order_relaxed) + 1;
}

Field::Field(int cols, int rows)
{
    setSize(cols, rows);
}

void Field::ensureStore(int cols, int rows)
{
    if (rows > storeRows_) {
        storeRows_ = rows;
        for (auto& col : columns_) col.resize(static_cast<size_t>(storeRows_));
    }
    while (static_cast<int>(columns_.size()) < cols)
        columns_.emplace_back(static_cast<size_t>(storeRows_));
}

void Field::setColCount(int n)
{
    if (std::max(1, n) != cols_) touch();
    cols_ = std::max(1, n);
    ensureStore(cols_, rows_);
}

void Field::setRowCount(int n)
{
    if (std::max(1, n) != rows_) touch();
    rows_ = std::max(1, n);
    ensureStore(cols_, rows_);
}

const std::string& Field::text(int c, int r) const
{
    if (c < 0 || r < 0 || c >= storeCols() || r >= storeRows_) return kEmpty;
    return columns_[static_cast<size_t>(c)][static_cast<size_t>(r)].text;
}

void Field::setText(int c, int r, std::string t)
{
    if (c < 0 || r < 0) return;
    ensureStore(c + 1, r + 1);
    std::string& cell = columns_[static_cast<size_t>(c)][static_cast<size_t>(r)].text;
    if (cell == t) return;
    cell = std::move(t);
    touch();
}

std::uint8_t Field::mark(int c, int r) const
{
    if (c < 0 || r < 0 || c >= storeCols() || r >= storeRows_) return 0;
    return columns_[static_cast<size_t>(c)][static_cast<size_t>(r)].mark;
}

void Field::setMark(int c, int r, std::uint8_t m)
{
    if (c < 0 || r < 0) return;
    ensureStore(c + 1, r + 1);
    columns_[static_cast<size_t>(c)][static_cast<size_t>(r)].mark = m;
}

void Field::clear()
{
    columns_.assign(static_cast<size_t>(cols_), std::vector<Cell>(static_cast<size_t>(rows_)));
    storeRows_ = rows_;
    touch();
}

bool Field::isFilled(int c, int r) const
{
    return isFilledText(text(c, r));
}

void Field::moveColumn(int from, int to)
{
    if (from < 0 || to < 0 || from == to) return;
    touch();
    ensureStore(std::max(from, to) + 1, storeRows_);
    auto first = columns_.begin();
    if (from < to)
        std::rotate(first + from, first + from + 1, first + to + 1);
    else
        std::rotate(first + to, first + from, first + from + 1);
}

void Field::moveRow(int from, int to)
{
    if (from < 0 || to < 0 || from == to) return;
    touch();
    ensureStore(storeCols(), std::max(from, to) + 1);
    for (auto& col : columns_) {
        auto first = col.begin();
        if (from < to)
            std::rotate(first + from, first + from + 1, first + to + 1);
        else
            std::rotate(first + to, first + from, first + from + 1);
    }
}

} // namespace klt
