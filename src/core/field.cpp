#include "core/field.h"

#include <algorithm>

#include "core/text.h"

namespace klt {

namespace {
const std::string kEmpty;
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
    cols_ = std::max(1, n);
    ensureStore(cols_, rows_);
}

void Field::setRowCount(int n)
{
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
    columns_[static_cast<size_t>(c)][static_cast<size_t>(r)].text = std::move(t);
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

bool Field::isFilled(int c, int r) const
{
    return isFilledText(text(c, r));
}

void Field::moveColumn(int from, int to)
{
    if (from < 0 || to < 0 || from == to) return;
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
