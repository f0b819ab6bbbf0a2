#include "core/blockcounts.h"

#include <algorithm>
#include <utility>

#include <cadical.hpp>

namespace klt {

BlockCountEncoder::BlockCountEncoder(CaDiCaL::Solver& solver, int cols, int rows, int left, int top, int right,
                                     int bottom, std::function<int(int, int)> cellVar, int firstAux)
    : s_(solver), cols_(cols), rows_(rows), left_(left), top_(top), width_(std::max(0, right - left + 1)),
      height_(std::max(0, bottom - top + 1)), cellVar_(std::move(cellVar)), next_(firstAux),
      counters_(static_cast<size_t>(width_) * static_cast<size_t>(height_))
{
}

// The counter of the cells (c, r - 1), (c, r), (c, r + 1) inside the field.
const BlockCountEncoder::Counter& BlockCountEncoder::triple(int c, int r)
{
    Counter& k = counters_[static_cast<size_t>(c - left_) * static_cast<size_t>(height_) + static_cast<size_t>(r - top_)];
    if (k.built) return k;
    k.built = true;
    int x[3];
    int m = 0;
    for (int y = std::max(0, r - 1); y <= std::min(rows_ - 1, r + 1); ++y) {
        const int v = cellVar_(c, y);
        if (v == kKnownFilled) ++k.filled;
        else if (v != kKnownWhite) x[m++] = v;
    }
    if (m == 0) return k;
    k.first = next_;
    k.size = m;
    next_ += m;
    auto clause = [&](std::initializer_list<int> lits) {
        for (int l : lits) s_.add(l);
        s_.add(0);
    };
    // at least j <=> some j cells are all filled <=> among any m - j + 1 cells one is filled
    const int u1 = k.first, u2 = k.first + 1, u3 = k.first + 2;
    if (m == 1) {
        clause({-u1, x[0]});
        clause({u1, -x[0]});
    } else if (m == 2) {
        clause({-u1, x[0], x[1]});
        clause({u1, -x[0]});
        clause({u1, -x[1]});
        clause({-u2, x[0]});
        clause({-u2, x[1]});
        clause({u2, -x[0], -x[1]});
    } else {
        clause({-u1, x[0], x[1], x[2]});
        for (int i = 0; i < 3; ++i) clause({u1, -x[i]});
        for (int i = 0; i < 3; ++i)
            for (int j = i + 1; j < 3; ++j) {
                clause({-u2, x[i], x[j]});
                clause({u2, -x[i], -x[j]});
            }
        for (int i = 0; i < 3; ++i) clause({-u3, x[i]});
        clause({u3, -x[0], -x[1], -x[2]});
    }
    return k;
}

void BlockCountEncoder::addClue(int c, int r, int v, int guard)
{
    Counter parts[3];
    int n = 0;
    for (int x = std::max(0, c - 1); x <= std::min(cols_ - 1, c + 1); ++x) parts[n++] = triple(x, r);
    while (n < 3) parts[n++] = Counter{};
    // "at least j of part p": a literal, or nothing when j is 0 (always true).
    auto atLeast = [&](int p, int j) { return j == 0 ? 0 : parts[p].first + j - 1; };
    auto add = [&](int lit) {
        if (lit) s_.add(lit);
    };
    const int ma = parts[0].size, mb = parts[1].size, mc = parts[2].size;
    v -= parts[0].filled + parts[1].filled + parts[2].filled;
    if (v < 0 || v > ma + mb + mc) {
        // The known cells already break the count: the clue must be off.
        if (guard) s_.add(guard);
        s_.add(0);
        return;
    }
    if (ma + mb + mc == 0) return;
    for (int i = 0; i <= ma; ++i)
        for (int j = 0; j <= mb; ++j) {
            // Not more than v: no i + j + k = v + 1 of them at once.
            const int over = v + 1 - i - j;
            if (over >= 0 && over <= mc) {
                add(-atLeast(0, i));
                add(-atLeast(1, j));
                add(-atLeast(2, over));
                if (guard) s_.add(guard);
                s_.add(0);
            }
            // Not fewer than v: no part at most i, j, k with i + j + k = v - 1.
            const int under = v - 1 - i - j;
            if (under >= 0 && under <= mc) {
                if (i < ma) add(atLeast(0, i + 1));
                if (j < mb) add(atLeast(1, j + 1));
                if (under < mc) add(atLeast(2, under + 1));
                if (guard) s_.add(guard);
                s_.add(0);
            }
        }
}

} // namespace klt
