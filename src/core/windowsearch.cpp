#include "core/windowsearch.h"

namespace klt {

int WindowSearch::addCell(bool preferred, int fixed)
{
    preferred_.push_back(preferred ? 1 : 0);
    fixed_.push_back(static_cast<std::int8_t>(fixed));
    value_.push_back(-1);
    laidOut_ = false;
    return static_cast<int>(value_.size()) - 1;
}

void WindowSearch::addCount(const std::vector<int>& cells, int count)
{
    counts_.push_back({static_cast<int>(members_.size()), static_cast<int>(cells.size()), count,
                       static_cast<int>(cells.size())});
    initialNeed_.push_back(count);
    members_.insert(members_.end(), cells.begin(), cells.end());
    laidOut_ = false;
}

void WindowSearch::clear()
{
    preferred_.clear();
    value_.clear();
    fixed_.clear();
    counts_.clear();
    initialNeed_.clear();
    members_.clear();
    laidOut_ = false;
}

void WindowSearch::layOut()
{
    const size_t cells = value_.size();
    countsFrom_.assign(cells + 1, 0);
    for (int y : members_) ++countsFrom_[static_cast<size_t>(y) + 1];
    for (size_t x = 0; x < cells; ++x) countsFrom_[x + 1] += countsFrom_[x];
    countsOf_.resize(members_.size());
    // Counts in the order they were added, each cell's in a row of its own.
    std::vector<int>& next = trail_; // free before a search
    next.assign(countsFrom_.begin(), countsFrom_.end() - 1);
    for (size_t k = 0; k < counts_.size(); ++k)
        for (int i = 0; i < counts_[k].size; ++i) {
            const size_t y = static_cast<size_t>(members_[static_cast<size_t>(counts_[k].first + i)]);
            countsOf_[static_cast<size_t>(next[y]++)] = static_cast<int>(k);
        }
    laidOut_ = true;
}

// Sets a cell and updates its counts; false on a count that cannot be met.
bool WindowSearch::assign(int cell, std::int8_t v)
{
    const size_t x = static_cast<size_t>(cell);
    if (value_[x] >= 0) return value_[x] == v;
    value_[x] = v;
    trail_.push_back(cell);
    bool ok = true;
    forEachCountOf(x, [&](int k) {
        Count& c = counts_[static_cast<size_t>(k)];
        --c.open;
        c.need -= v;
        if (c.need < 0 || c.need > c.open) ok = false;
    });
    return ok;
}

void WindowSearch::undoTo(size_t mark)
{
    while (trail_.size() > mark) {
        const size_t x = static_cast<size_t>(trail_.back());
        trail_.pop_back();
        forEachCountOf(x, [&](int k) {
            Count& c = counts_[static_cast<size_t>(k)];
            ++c.open;
            c.need += value_[x];
        });
        value_[x] = -1;
    }
    if (propagated_ > trail_.size()) propagated_ = trail_.size();
}

// A count with no filled cell missing makes its open cells white; one that
// misses as many as it has open makes them filled.
bool WindowSearch::propagate()
{
    while (propagated_ < trail_.size()) {
        const size_t x = static_cast<size_t>(trail_[propagated_++]);
        for (int i = countsFrom_[x]; i < countsFrom_[x + 1]; ++i) {
            const Count c = counts_[static_cast<size_t>(countsOf_[static_cast<size_t>(i)])];
            if (c.open == 0 || (c.need != 0 && c.need != c.open)) continue;
            const std::int8_t v = c.need == 0 ? 0 : 1;
            for (int j = 0; j < c.size; ++j) {
                const int y = members_[static_cast<size_t>(c.first + j)];
                if (value_[static_cast<size_t>(y)] < 0 && !assign(y, v)) return false;
            }
        }
    }
    return true;
}

WindowSearch::Result WindowSearch::dfs()
{
    if (!propagate()) return Result::None;
    // Branch in the count with the fewest open cells.
    int best = -1, bestOpen = 0;
    for (size_t k = 0; k < counts_.size(); ++k) {
        const Count& c = counts_[k];
        if (c.open > 0 && (best < 0 || c.open < bestOpen)) {
            best = static_cast<int>(k);
            bestOpen = c.open;
        }
    }
    if (best < 0) {
        // Every count is met; the cells no count holds take their preferred value.
        for (size_t x = 0; x < value_.size(); ++x)
            if (value_[x] < 0) value_[x] = preferred_[x];
        return Result::Found;
    }
    const Count& c = counts_[static_cast<size_t>(best)];
    int cell = -1;
    for (int i = 0; i < c.size && cell < 0; ++i) {
        const int y = members_[static_cast<size_t>(c.first + i)];
        if (value_[static_cast<size_t>(y)] < 0) cell = y;
    }
    if (++nodes_ > budget_) return Result::GaveUp;
    const size_t mark = trail_.size();
    const std::int8_t first = preferred_[static_cast<size_t>(cell)];
    for (std::int8_t v : {first, static_cast<std::int8_t>(1 - first)}) {
        if (assign(cell, v)) {
            const Result r = dfs();
            if (r != Result::None) return r;
        }
        undoTo(mark);
    }
    return Result::None;
}

WindowSearch::Result WindowSearch::search(const std::vector<int>& differ, long budget)
{
    if (!laidOut_) layOut();
    nodes_ = 0;
    budget_ = budget;
    trail_.clear();
    propagated_ = 0;
    for (size_t x = 0; x < value_.size(); ++x) value_[x] = -1;
    for (size_t k = 0; k < counts_.size(); ++k) {
        counts_[k].open = counts_[k].size;
        counts_[k].need = initialNeed_[k];
    }
    bool ok = true;
    for (size_t x = 0; x < fixed_.size() && ok; ++x)
        if (fixed_[x] >= 0) ok = assign(static_cast<int>(x), fixed_[x]);
    if (!ok || !propagate()) return Result::None;
    const size_t base = trail_.size();
    // The first cell of differ that differs is cell i: the ones before it keep
    // their preferred value.
    bool gaveUp = false;
    for (size_t i = 0; i < differ.size(); ++i) {
        bool fits = true;
        for (size_t j = 0; j < i && fits; ++j) {
            const int y = differ[j];
            fits = assign(y, preferred_[static_cast<size_t>(y)]);
        }
        const int d = differ[i];
        if (fits) fits = assign(d, static_cast<std::int8_t>(1 - preferred_[static_cast<size_t>(d)]));
        if (fits) {
            const Result r = dfs();
            if (r == Result::Found) return r;
            if (r == Result::GaveUp) gaveUp = true;
        }
        undoTo(base);
        if (gaveUp) break;
    }
    return gaveUp ? Result::GaveUp : Result::None;
}

} // namespace klt
