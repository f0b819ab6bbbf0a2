#include "core/fastplacement.h"

// Why the shortcut is exact.
//
// During placement every clue set is a subset of the picture's own clues, so
// the picture satisfies it. On such a set each conclusion of the solver is
// true of the picture (a decided cell has the picture's fill, a complete clue
// has all its filled cells believed filled), and the counting rule fires
// exactly when every white cell of the block is settled. The solver then
// computes the least fixpoint of two rules over the cells:
//   a filled cell is known once some clue covering it has every white cell
//   of its block known; a white cell is known once some clue covering it has
//   every filled cell of its block known;
// and its order of visits changes only how soon it gets there. A trial
// succeeds (solve returns true and the beliefs match the picture) exactly
// when that fixpoint knows every filled cell.
//
// DeductionNet keeps that fixpoint for the accepted clue set, each known cell
// with the clue it was deduced by and a level above the levels of the cells it
// was deduced from, so that no deduction rests on itself. A trial withdraws
// what rested on the removed clues (a cell that can be deduced again from
// cells of lower level keeps its place), then deduces forward from what is
// left; it succeeds when every filled cell is known again, otherwise
// everything is put back. On pictures made of areas the work stays near the
// removed clues; on noise-like pictures, where most cells hang on a few
// clues, a withdrawal may reach far.
//
// A trial can fail early for two reasons that need no withdrawal: a filled
// cell that no clue covers any more, and a set of cells near the removed
// clues none of which can be deduced before another of them is, even with
// every cell further away known (the window test: close by, a little further,
// and, where it has paid so far, further still). It can succeed early when
// each cell the removed clues deduced has another clue that deduces it from
// known cells: the cell takes a level above them, and whatever rests on it is
// lifted above it in turn; a lift that comes round to the cell itself shows
// that the new deduction rests on the cell, and another clue is tried. Or
// when those cells can be deduced again near them from cells of lower level
// (which cannot rest on those clues), lifting likewise what rests on them.
//
// On noise-like pictures the deduction runs in long chains across the field,
// and a cell near the clues the sweep is trying may carry much of it. The
// levels are therefore rebuilt now and then in an order that deduces the
// cells far from the sweep's column first, where the chains allow it.
//
// The working arrays the literal engine leaves behind are those of its last
// trial; they are rebuilt at the end with PassSolver, which replays the
// literal passes exactly. Whenever the clue set does not fit the picture, or
// anything else is unusual, every trial is solved with PassSolver instead.

#include <algorithm>
#include <cstdint>
#include <limits>
#include <map>
#include <vector>

#include "core/text.h"

namespace klt {

namespace {

// Cells a trial may withdraw before it looks for a failure near the removed
// clues, and how near: first close by, then a little further (on noise-like
// pictures many failures only show there, and withdrawing to find them
// costs far more).
constexpr size_t kWithdrawBudget = 24;
constexpr int kWindowRadii[] = {3, 8};
// The windows in which a trial looks for a local proof of success: close
// by, and then further (on noise-like pictures the cells far from the sweep
// are deduced first, so a wide window finds many cells to start from).
constexpr int kHoldRadii[] = {8, 18};
// The last windows in which a trial looks for a success and for a failure
// before withdrawing everything, where that pays (on noise-like pictures a
// quarter of those trials fail, and most failures show within this
// distance).
constexpr int kWideHoldRadius = 30;
constexpr int kWideFailRadius = 16;
// Cells a trial may lift to higher levels while it gives the removed clues'
// cells other clues (summed over those cells and their options), or while a
// window deduces them again.
constexpr size_t kLiftBudget = 200;
// The columns that the deduction order puts last: the one the sweep is in
// and the next.
constexpr int kFocusColumns = 2;

class DeductionNet {
public:
    // A level only grows by re-deduction; 64 bits never run out.
    using Level = std::int64_t;
    // Levels of a deduction step apart; a window proof fits its own steps
    // in between.
    static constexpr Level kLevelStep = Level(1) << 20;

    // Deduces what the clues in w give; false when some filled cell of the
    // picture stays unknown (the set is not solvable). The cells of columns
    // focusFirst..focusLast get the highest levels the deduction allows.
    bool build(const WorkArrays& w, const Grid<std::uint8_t>& picture, int focusFirst, int focusLast);
    // Removes the clues among cells (linear indices); keeps the removal when
    // every filled cell stays known, otherwise restores everything.
    bool trial(const int* cells, int n);

    long long lastCone = 0;
    long long resupported = 0;

private:
    struct Saved {
        int cell;
        std::uint8_t flags;
        Level level;
        int sup;
    };

    // Whether the cells of clue k's block of the colour opposite to x's are
    // known and below limit.
    bool holdsBelow(int k, int x, Level limit) const;
    // The level of a cell of the given colour that clue k deduces: one above
    // every cell of the other colour in its block.
    Level levelBy(int k, std::uint8_t colour) const;
    void save(int x);
    // Calls f(x) for each known cell that a removed clue had deduced.
    template <class F>
    void forEachOutput(F&& f) const
    {
        for (int k : removed_)
            layout_.forEachInBlock(k, [&](int x) {
                if (colourOf(size_t(x)) != 2 && known(size_t(x)) && sup_[size_t(x)] == k) f(x);
            });
    }
    void restoreCells();
    void rollBack();
    bool withdraw(size_t budget);
    // The cells within radius of the removed clues, marked for this window.
    void openWindow(int radius);
    // Deduces within the window, a cell counting as known when known(y)
    // says so or once deduced here; deduced(y, k) for each cell deduced
    // there by clue k, in order. The cells deduced end in queue_.
    template <class Known, class Deduced>
    void deduceInWindow(Known&& known, Deduced&& deduced);
    bool windowFails(int radius);
    bool windowHolds(int radius, size_t budget);
    bool resupport(size_t budget);
    // Lifts whatever rests on the cells in queue_, and what rests on that,
    // above them; lifted_ gets the old levels. False when a lift would reach
    // guard (a deduction would rest on itself) or lifts passes budget.
    bool liftDependents(int guard, size_t& lifts, size_t budget);
    // A wide window tried before a whole withdrawal, kept on while what it
    // settles, at the size the whole withdrawals have had, outweighs the
    // cells it looks at. Tried now and then even when not, as the picture
    // may change along the sweep.
    struct WideWindow {
        int radius;
        long long tried = 0, settled = 0, skipped = 0;
        bool pays(long long withdrawals, long long withdrawn)
        {
            const long long area = (2 * radius + 1) * (2 * radius + 1);
            if (tried < 16 || ++skipped % 16 == 0) return true;
            return withdrawals > 0 && settled * (withdrawn / withdrawals) >= tried * area;
        }
    };
    WideWindow wideHold_{kWideHoldRadius}, wideFail_{kWideFailRadius};
    long long fullWithdrawals_ = 0, fullWithdrawn_ = 0;

    static constexpr std::uint8_t kKnown = 4, kWithdrawn = 8;
    std::uint8_t colourOf(size_t x) const { return cell_[x] & 3; }
    bool known(size_t x) const { return cell_[x] & kKnown; }
    bool withdrawn(size_t x) const { return cell_[x] & kWithdrawn; }
    void setFlag(size_t x, std::uint8_t flag, bool on)
    {
        cell_[x] = static_cast<std::uint8_t>(on ? cell_[x] | flag : cell_[x] & ~flag);
    }
    // Whether clue k's block holds x (k at most three lines away from x).
    bool near(int k, int x) const { return nearTable_[size_t(k - x + nearMid_)] != 0; }

    // Every per-cell array below is indexed by layout_: two lines of margin
    // around the field, so that every scan around a cell of the field (its
    // block, the blocks of those cells) stays inside the arrays.
    PaddedLayout layout_;
    std::vector<std::uint8_t> nearTable_;
    int nearMid_ = 0;
    std::vector<std::uint8_t> cover_;     // clues whose block holds the cell
    // Per cell: the colour in the two low bits (0 white, 1 filled, 2 outside
    // the field), kKnown, and kWithdrawn for a cell known before this trial
    // and not (yet) deduced again. One byte, as the scans read many cells.
    std::vector<std::uint8_t> cell_;
    std::vector<std::uint8_t> clue_;
    std::vector<Level> level_;
    std::vector<int> sup_;
    std::vector<std::uint32_t> savedIn_;
    std::uint32_t trialNo_ = 0;
    std::vector<Saved> saved_;
    std::vector<int> removed_;
    std::vector<int> queue_;
    std::vector<int> withdrawnList_;
    // Per clue, its block's withdrawn cells of each colour; zero between
    // trials. The clues with any are listed in waitingClues_.
    std::vector<std::uint8_t> waiting_[2];
    std::vector<int> waitingClues_;
    // The window test's own marks: a cell is in the window, a clue touches it,
    // a cell is known there, when the entry equals windowNo_.
    std::vector<std::uint32_t> inWindow_, touches_, knownInWindow_;
    std::vector<std::uint8_t> missingInWindow_[2];
    std::uint32_t windowNo_ = 0;
    std::vector<int> windowCells_, windowClues_;
    std::vector<Level> windowLevel_;
    std::vector<int> windowSup_, outputs_, risen_;
    std::vector<std::pair<Level, int>> lifted_;
    // build's clues waiting to settle (clue, colour), by their distance
    // from the focus columns.
    std::vector<std::vector<std::pair<int, std::uint8_t>>> byDistance_;
};

bool DeductionNet::holdsBelow(int k, int x, Level limit) const
{
    const std::uint8_t colour = colourOf(size_t(x));
    return layout_.forEachInBlock(k, [&](int y) {
        const std::uint8_t c = cell_[size_t(y)];
        return (c & 3) == colour || ((c & (kKnown | kWithdrawn)) == kKnown && level_[size_t(y)] < limit);
    });
}

inline DeductionNet::Level DeductionNet::levelBy(int k, std::uint8_t colour) const
{
    Level top = 0;
    layout_.forEachInBlock(k, [&](int y) {
        if (colourOf(size_t(y)) != colour) top = std::max(top, level_[size_t(y)]);
    });
    return top + kLevelStep;
}

void DeductionNet::save(int x)
{
    if (savedIn_[size_t(x)] == trialNo_) return;
    savedIn_[size_t(x)] = trialNo_;
    saved_.push_back({x, cell_[size_t(x)], level_[size_t(x)], sup_[size_t(x)]});
}

void DeductionNet::restoreCells()
{
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        const size_t x = size_t(it->cell);
        cell_[x] = it->flags;
        level_[x] = it->level;
        sup_[x] = it->sup;
    }
    saved_.clear();
    ++trialNo_; // cells may be saved afresh
    for (int k : waitingClues_) waiting_[0][size_t(k)] = waiting_[1][size_t(k)] = 0;
    waitingClues_.clear();
}

void DeductionNet::rollBack()
{
    restoreCells();
    for (int k : removed_) {
        clue_[size_t(k)] = 1;
        layout_.forEachInBlock(k, [&](int y) { ++cover_[size_t(y)]; });
    }
}

bool DeductionNet::build(const WorkArrays& w, const Grid<std::uint8_t>& picture, int focusFirst, int focusLast)
{
    layout_ = PaddedLayout(w.cols(), w.rows(), 2);
    const size_t n = layout_.size();
    nearMid_ = 3 * layout_.stride() + 3;
    nearTable_.assign(size_t(2 * nearMid_ + 1), 0);
    layout_.forEachInBlock(0, [&](int o) { nearTable_[size_t(o + nearMid_)] = 1; });
    // Cells outside the field count as known of both colours, so they never
    // hold a deduction up.
    cell_.assign(n, 2 | kKnown);
    clue_.assign(n, 0);
    cover_.assign(n, 0);
    level_.assign(n, 0);
    sup_.assign(n, -1);
    savedIn_.assign(n, 0);
    trialNo_ = 0;
    inWindow_.assign(n, 0);
    touches_.assign(n, 0);
    knownInWindow_.assign(n, 0);
    windowLevel_.assign(n, 0);
    windowSup_.assign(n, -1);
    waiting_[0].assign(n, 0);
    waiting_[1].assign(n, 0);
    waitingClues_.clear();
    missingInWindow_[0].assign(n, 0);
    missingInWindow_[1].assign(n, 0);
    windowNo_ = 0;

    for (int c = 0; c < layout_.cols(); ++c)
        for (int r = 0; r < layout_.rows(); ++r) {
            const size_t x = size_t(layout_.index(c, r));
            cell_[x] = picture.at(c, r); // that colour, not known yet
            clue_[x] = w.hasClue(c, r);
        }
    // missing[c][k]: cells of colour c in clue k's block not yet known. When
    // one colour is complete, the clue settles the other.
    std::vector<std::uint8_t> missing[2] = {std::vector<std::uint8_t>(n, 0), std::vector<std::uint8_t>(n, 0)};
    std::vector<int> clues;
    for (size_t k = 0; k < n; ++k) {
        if (!clue_[k]) continue;
        clues.push_back(int(k));
        layout_.forEachInBlock(int(k), [&](int y) {
            ++cover_[size_t(y)];
            if (colourOf(size_t(y)) < 2) ++missing[colourOf(size_t(y))][k];
        });
    }
    // Deduce from the cells furthest from the focus columns first, so that
    // as little as possible rests on the cells near them, where the next
    // trials remove clues. Levels are the order of deduction.
    const int lo = std::clamp(focusFirst, 0, layout_.cols() - 1);
    const int hi = std::clamp(focusLast, lo, layout_.cols() - 1);
    const int distances = std::max(lo, layout_.cols() - 1 - hi) + 1;
    if (byDistance_.size() < size_t(distances)) byDistance_.resize(size_t(distances));
    // A clue whose block has one colour known waits to settle the other,
    // by its distance; the cells it settles share one level.
    int furthest = -1;
    auto offer = [&](int k, std::uint8_t colour) {
        const int c = layout_.pos(k).col;
        const int d = c < lo ? lo - c : c > hi ? c - hi : 0;
        byDistance_[size_t(d)].push_back({k, colour});
        furthest = std::max(furthest, d);
    };
    for (int k : clues) {
        if (missing[0][size_t(k)] == 0) offer(k, 1);
        if (missing[1][size_t(k)] == 0) offer(k, 0);
    }
    Level order = 0;
    while (furthest >= 0) {
        auto& waiting = byDistance_[size_t(furthest)];
        if (waiting.empty()) {
            --furthest;
            continue;
        }
        const auto [k, colour] = waiting.back();
        waiting.pop_back();
        const Level level = ++order * kLevelStep;
        layout_.forEachInBlock(k, [&](int x) {
            if (colourOf(size_t(x)) != colour || known(size_t(x))) return;
            setFlag(size_t(x), kKnown, 1);
            level_[size_t(x)] = level;
            sup_[size_t(x)] = k;
            layout_.forEachInBlock(x, [&](int j) {
                if (clue_[size_t(j)] && --missing[colour][size_t(j)] == 0) offer(j, std::uint8_t(1 - colour));
            });
        });
    }
    for (size_t x = 0; x < n; ++x)
        if (colourOf(x) == 1 && !known(x)) return false;
    return true;
}

// Withdraws every deduction that rested on a removed clue, directly or
// through withdrawn cells, unless it can be made again from cells of lower
// level (which therefore do not rest on it). False when more than budget
// cells would go.
bool DeductionNet::withdraw(size_t budget)
{
    queue_.clear();
    withdrawnList_.clear();
    forEachOutput([&](int x) { queue_.push_back(x); });
    for (size_t head = 0; head < queue_.size(); ++head) {
        const int x = queue_[head];
        if (!known(size_t(x)) || withdrawn(size_t(x))) continue;
        if (withdrawnList_.size() >= budget) return false;
        const std::uint8_t colour = colourOf(size_t(x));
        int alt = -1;
        layout_.forEachInBlock(x, [&](int k) {
            if (!clue_[size_t(k)] || waiting_[1 - colour][size_t(k)] != 0 || !holdsBelow(k, x, level_[size_t(x)])) return true;
            alt = k;
            return false;
        });
        if (alt >= 0) {
            if (sup_[size_t(x)] != alt) {
                save(x);
                sup_[size_t(x)] = alt;
            }
            continue;
        }
        save(x);
        setFlag(size_t(x), kWithdrawn, 1);
        withdrawnList_.push_back(x);
        layout_.forEachInBlock(x, [&](int k) {
            if (!clue_[size_t(k)]) return;
            if (waiting_[0][size_t(k)] == 0 && waiting_[1][size_t(k)] == 0) waitingClues_.push_back(k);
            ++waiting_[colour][size_t(k)];
        });
        // The cells deduced by a clue whose block holds x.
        layout_.forEachInSquare5(x, [&](int z) {
            if ((cell_[size_t(z)] & 15) == (kKnown | (1 - colour)) && near(sup_[size_t(z)], x)) queue_.push_back(z);
        });
    }
    return true;
}

void DeductionNet::openWindow(int radius)
{
    ++windowNo_;
    windowCells_.clear();
    windowClues_.clear();
    for (int k : removed_) {
        const CellPos p = layout_.pos(k);
        forEachInSquare(p.col, p.row, radius, layout_.cols(), layout_.rows(), [&](int c, int r) {
            const int x = layout_.index(c, r);
            if (inWindow_[size_t(x)] == windowNo_) return;
            inWindow_[size_t(x)] = windowNo_;
            windowCells_.push_back(x);
        });
    }
}

template <class Known, class Deduced>
void DeductionNet::deduceInWindow(Known&& known, Deduced&& deduced)
{
    for (int x : windowCells_)
        layout_.forEachInBlock(x, [&](int k) {
            if (!clue_[size_t(k)] || touches_[size_t(k)] == windowNo_) return;
            touches_[size_t(k)] = windowNo_;
            std::uint8_t miss[2] = {0, 0};
            layout_.forEachInBlock(k, [&](int y) {
                if (!known(y)) ++miss[colourOf(size_t(y))];
            });
            missingInWindow_[0][size_t(k)] = miss[0];
            missingInWindow_[1][size_t(k)] = miss[1];
            windowClues_.push_back(k);
        });
    queue_.clear();
    auto settle = [&](int k, std::uint8_t colour) {
        layout_.forEachInBlock(k, [&](int y) {
            if (inWindow_[size_t(y)] != windowNo_ || colourOf(size_t(y)) != colour || known(y) ||
                knownInWindow_[size_t(y)] == windowNo_)
                return;
            knownInWindow_[size_t(y)] = windowNo_;
            deduced(y, k);
            queue_.push_back(y);
        });
    };
    for (int k : windowClues_) {
        if (missingInWindow_[0][size_t(k)] == 0) settle(k, 1);
        if (missingInWindow_[1][size_t(k)] == 0) settle(k, 0);
    }
    for (size_t head = 0; head < queue_.size(); ++head) {
        const int x = queue_[head];
        const std::uint8_t colour = colourOf(size_t(x));
        layout_.forEachInBlock(x, [&](int k) {
            if (touches_[size_t(k)] == windowNo_ && --missingInWindow_[colour][size_t(k)] == 0)
                settle(k, std::uint8_t(1 - colour));
        });
    }
}

// The deduction restricted to the cells within radius of the removed clues,
// every cell outside taken as known. Cells it leaves unknown can never be
// deduced from the clues left: each clue covering one of them waits for
// another of them. True when a filled cell is among them, so that the trial
// fails.
bool DeductionNet::windowFails(int radius)
{
    openWindow(radius);
    deduceInWindow([&](int y) { return inWindow_[size_t(y)] != windowNo_; }, [](int, int) {});
    for (int x : windowCells_)
        if (colourOf(size_t(x)) == 1 && knownInWindow_[size_t(x)] != windowNo_) return true;
    return false;
}

// Whether the removed clues' cells can be deduced again near them from cells
// that cannot rest on the removed clues: cells of a level below every cell
// those clues deduced. Each cell the window deduces gets the window's
// deduction; where its level rises, what rests on it is lifted above it (no
// lift can come round, as the window's deductions rest only on cells that do
// not rest on them). True when every cell the removed clues had deduced is
// deduced again and the lifts stay within budget; on false the caller
// restores the cells.
bool DeductionNet::windowHolds(int radius, size_t budget)
{
    outputs_.clear();
    Level limit = std::numeric_limits<Level>::max();
    forEachOutput([&](int x) {
        outputs_.push_back(x);
        limit = std::min(limit, level_[size_t(x)]);
    });
    if (outputs_.empty()) return false;
    openWindow(radius);
    auto firm = [&](int y) {
        const std::uint8_t c = cell_[size_t(y)];
        return (c & 3) == 2 || ((c & kKnown) && level_[size_t(y)] < limit);
    };
    // A cell deduced here: one above the cells of the other colour in its
    // clue's block, as they stand in the window.
    deduceInWindow(firm, [&](int y, int k) {
        Level top = 0;
        layout_.forEachInBlock(k, [&](int z) {
            if (colourOf(size_t(z)) == colourOf(size_t(y))) return;
            top = std::max(top, knownInWindow_[size_t(z)] == windowNo_ ? windowLevel_[size_t(z)] : level_[size_t(z)]);
        });
        windowLevel_[size_t(y)] = top + 1;
        windowSup_[size_t(y)] = k;
    });
    for (int x : outputs_)
        if (knownInWindow_[size_t(x)] != windowNo_) return false;
    // The cells that rise go first into the lift.
    risen_.clear();
    for (int x : queue_) {
        if (known(size_t(x)) && windowLevel_[size_t(x)] > level_[size_t(x)]) risen_.push_back(x);
        save(x);
        setFlag(size_t(x), kKnown, 1);
        level_[size_t(x)] = windowLevel_[size_t(x)];
        sup_[size_t(x)] = windowSup_[size_t(x)];
    }
    queue_.assign(risen_.begin(), risen_.end());
    size_t lifts = 0;
    return liftDependents(-1, lifts, budget);
}

bool DeductionNet::liftDependents(int guard, size_t& lifts, size_t budget)
{
    lifted_.clear();
    for (size_t head = 0; head < queue_.size(); ++head) {
        const int v = queue_[head];
        const std::uint8_t cv = colourOf(size_t(v));
        const Level lv = level_[size_t(v)];
        const bool ok = layout_.forEachInSquare5(v, [&](int z) {
            if ((cell_[size_t(z)] & 15) != (kKnown | (1 - cv)) || level_[size_t(z)] > lv || !near(sup_[size_t(z)], v))
                return true;
            if (z == guard || ++lifts > budget) return false;
            save(z);
            lifted_.push_back({level_[size_t(z)], z});
            level_[size_t(z)] = lv + 1;
            queue_.push_back(z);
            return true;
        });
        if (!ok) return false;
    }
    return true;
}

// Gives each cell that a removed clue had deduced another clue that deduces
// it, one whose cells of the other colour are known (the lowest such), and
// lifts the level of whatever rests on the cell where the new deduction
// stands higher, so that every deduction stays above the cells it rests on.
// A lift that comes back to the cell means that the new deduction rests on
// the cell itself: the next clue is tried. False when a cell has no clue
// left or the lifts pass budget cells; the caller restores the cells.
bool DeductionNet::resupport(size_t budget)
{
    outputs_.clear();
    forEachOutput([&](int x) {
        // Withdrawn until it has a clue again: no deduction may rest on it.
        save(x);
        setFlag(size_t(x), kWithdrawn, 1);
        outputs_.push_back(x);
    });
    if (outputs_.empty()) return false;
    size_t left = outputs_.size(), lifts = 0;
    std::pair<Level, int> options[9];
    for (bool progress = true; left > 0 && progress;) {
        progress = false;
        for (int x : outputs_) {
            if (!withdrawn(size_t(x))) continue;
            const std::uint8_t colour = colourOf(size_t(x));
            int count = 0;
            layout_.forEachInBlock(x, [&](int k) {
                if (!clue_[size_t(k)]) return;
                Level top = 0;
                const bool settles = layout_.forEachInBlock(k, [&](int y) {
                    const std::uint8_t c = cell_[size_t(y)];
                    if ((c & 3) == colour || (c & 3) == 2) return true;
                    if ((c & (kKnown | kWithdrawn)) != kKnown) return false;
                    top = std::max(top, level_[size_t(y)]);
                    return true;
                });
                if (settles) options[count++] = {top + 1, k};
            });
            for (int i = 1; i < count; ++i) // a few options: insertion sort
                for (int j = i; j > 0 && options[j] < options[j - 1]; --j) std::swap(options[j], options[j - 1]);
            const Level old = level_[size_t(x)];
            const int oldSup = sup_[size_t(x)];
            for (int i = 0; i < count && withdrawn(size_t(x)); ++i) {
                const auto [level, by] = options[i];
                level_[size_t(x)] = level;
                sup_[size_t(x)] = by;
                setFlag(size_t(x), kWithdrawn, 0);
                if (level <= old) break; // what rests on it stands higher already
                queue_.assign(1, x);
                const bool lifted = liftDependents(x, lifts, budget);
                if (lifted) break;
                for (auto it = lifted_.rbegin(); it != lifted_.rend(); ++it) level_[size_t(it->second)] = it->first;
                sup_[size_t(x)] = oldSup;
                setFlag(size_t(x), kWithdrawn, 1);
                if (lifts > budget) return false;
            }
            if (withdrawn(size_t(x))) {
                level_[size_t(x)] = old;
                continue;
            }
            progress = true;
            --left;
        }
    }
    return left == 0;
}

bool DeductionNet::trial(const int* cells, int n)
{
    ++trialNo_;
    saved_.clear();
    removed_.clear();
    lastCone = 0;
    bool uncovered = false;
    for (int i = 0; i < n; ++i) {
        const int k = layout_.fromLinear(cells[i]);
        if (!clue_[size_t(k)]) continue;
        clue_[size_t(k)] = 0;
        removed_.push_back(k);
        layout_.forEachInBlock(k, [&](int y) { uncovered |= --cover_[size_t(y)] == 0 && colourOf(size_t(y)) == 1; });
    }
    if (removed_.empty()) return true;
    // A filled cell that no clue covers any more can never be deduced.
    if (uncovered) {
        rollBack();
        return false;
    }

    // Most trials withdraw a handful of cells. When the withdrawal spreads, a
    // failure is usually still local: look for it near the removed clues
    // before paying for the whole withdrawal.
    if (!withdraw(kWithdrawBudget)) {
        restoreCells();
        for (int radius : kWindowRadii)
            if (windowFails(radius)) {
                rollBack();
                return false;
            }
        // A success is often local too: most often the removed clues' cells
        // have other clues nearby; else they can be deduced again nearby
        // from cells that do not rest on them.
        if (resupport(kLiftBudget)) {
            ++resupported;
            return true;
        }
        restoreCells();
        for (int radius : kHoldRadii) {
            if (windowHolds(radius, kLiftBudget)) return true;
            restoreCells();
        }
        if (wideHold_.pays(fullWithdrawals_, fullWithdrawn_)) {
            ++wideHold_.tried;
            if (windowHolds(wideHold_.radius, kLiftBudget)) {
                ++wideHold_.settled;
                return true;
            }
            restoreCells();
        }
        if (wideFail_.pays(fullWithdrawals_, fullWithdrawn_)) {
            ++wideFail_.tried;
            if (windowFails(wideFail_.radius)) {
                ++wideFail_.settled;
                rollBack();
                return false;
            }
        }
        withdraw(SIZE_MAX);
        ++fullWithdrawals_;
        fullWithdrawn_ += static_cast<long long>(withdrawnList_.size());
    }
    lastCone = static_cast<long long>(withdrawnList_.size());

    // Deduce forward from what is left: a clue whose block has no withdrawn
    // cell of one colour settles its withdrawn cells of the other.
    queue_.clear();
    auto settle = [&](int k, std::uint8_t colour) {
        const Level level = levelBy(k, colour);
        layout_.forEachInBlock(k, [&](int y) {
            if (colourOf(size_t(y)) != colour || !withdrawn(size_t(y))) return;
            setFlag(size_t(y), kWithdrawn, 0);
            level_[size_t(y)] = level;
            sup_[size_t(y)] = k;
            queue_.push_back(y);
        });
    };
    for (size_t i = 0; i < waitingClues_.size(); ++i) {
        const int k = waitingClues_[i];
        if (waiting_[0][size_t(k)] == 0) settle(k, 1);
        if (waiting_[1][size_t(k)] == 0) settle(k, 0);
    }
    for (size_t head = 0; head < queue_.size(); ++head) {
        const int x = queue_[head];
        const std::uint8_t colour = colourOf(size_t(x));
        layout_.forEachInBlock(x, [&](int k) {
            if (clue_[size_t(k)] && --waiting_[colour][size_t(k)] == 0) settle(k, std::uint8_t(1 - colour));
        });
    }
    for (int k : waitingClues_) waiting_[0][size_t(k)] = waiting_[1][size_t(k)] = 0;
    waitingClues_.clear();

    for (int x : withdrawnList_)
        if (withdrawn(size_t(x)) && colourOf(size_t(x)) == 1) {
            rollBack();
            return false;
        }
    // White cells that no remaining clue settles are simply unknown now.
    for (int x : withdrawnList_)
        if (withdrawn(size_t(x))) {
            setFlag(size_t(x), kWithdrawn, 0);
            setFlag(size_t(x), kKnown, 0);
        }
    return true;
}

// The sweep and the zero pass with the progress steps and the stop test of
// the literal engine. tryRemove gets the visited cell first, then its group
// (a cell may repeat), as linear indices, and whether it is the zero pass.
template <class TryRemove>
void sweep(WorkArrays& w, const PlacementOptions& options, CommandContext& ctx, std::uint32_t seed, TryRemove&& tryRemove)
{
    const SweepDirection dir = drawSweepDirection(seed);
    const int extra = options.extra();
    std::vector<int> cells;
    const int rows = w.rows();

    for (int c = dir.dc > 0 ? 0 : w.lastCol; c >= 0 && c <= w.lastCol; c += dir.dc) {
        for (int r = dir.dr > 0 ? 0 : w.lastRow; r >= 0 && r <= w.lastRow; r += dir.dr) {
            ctx.progressStep(1);
            if (ctx.stopped()) break;
            if (!w.hasClue(c, r)) continue;
            cells.assign(1, c * rows + r);
            for (const CellPos& g : groupCells(w, c, r, dir.dc, dir.dr, extra)) cells.push_back(g.col * rows + g.row);
            tryRemove(cells.data(), int(cells.size()), false);
        }
    }
    if (options.extra() == 0) return;
    for (int c = 0; c <= w.lastCol; ++c)
        for (int r = 0; r <= w.lastRow; ++r)
            if (w.value(c, r) == 0) {
                const int cell = c * rows + r;
                tryRemove(&cell, 1, true);
            }
}

// removeClue at the linear index lin.
void removeClueAt(Grid<std::int8_t>& values, int lin)
{
    values[size_t(lin)] = values[size_t(lin)] < 0 ? kFilled : kWhite;
}

// The trials of one placement in order: the cells each one cleared (distinct,
// the visited cell first) and how it ended.
class TrialLog {
public:
    struct Trial {
        size_t first;  // into cells_
        int count;
        bool zeroPass;
        bool stopped;  // run after a stop: the solver returned at once
        bool kept;
    };

    Trial& add(const int* group, int n, bool zeroPass, bool stopped)
    {
        Trial t{cells_.size(), 0, zeroPass, stopped, false};
        for (int i = 0; i < n; ++i)
            if (std::find(cells_.begin() + std::ptrdiff_t(t.first), cells_.end(), group[i]) == cells_.end()) {
                cells_.push_back(group[i]);
                ++t.count;
            }
        trials_.push_back(t);
        return trials_.back();
    }
    size_t size() const { return trials_.size(); }
    const Trial& operator[](size_t t) const { return trials_[t]; }
    const int* cells(const Trial& t) const { return &cells_[t.first]; }
    bool clears(const Trial& t, int cell) const
    {
        return std::find(cells(t), cells(t) + t.count, cell) != cells(t) + t.count;
    }
    // The values trial t solved: the kept removals before it, then its own.
    Grid<std::int8_t> triedValues(size_t t, Grid<std::int8_t> values) const
    {
        for (size_t s = 0; s <= t; ++s)
            if (trials_[s].kept || s == t)
                for (int i = 0; i < trials_[s].count; ++i) removeClueAt(values, cells(trials_[s])[i]);
        return values;
    }

private:
    std::vector<Trial> trials_;
    std::vector<int> cells_;
};

// Puts into w the working arrays that the literal engine leaves after trial
// `last` of the log (the last one that solved): the beliefs and states of its
// solve, the values it restored if it failed, and the quiet-pass count.
void rebuildLastTrial(WorkArrays& w, const TrialLog& log, size_t last, const Grid<std::int8_t>& initialValues,
                      std::int32_t initialQuiet, const Grid<std::uint8_t>& picture, PassSolver& solver, long long& solves)
{
    WorkArrays scratch;
    scratch.reset(w.cols(), w.rows());
    const bool never = false;
    auto solveTried = [&](size_t t) {
        scratch.values = log.triedValues(t, initialValues);
        scratch.states.fill(csUnknown);
        scratch.quietPasses = 0;
        ++solves;
        solver.run(scratch, never);
    };

    solveTried(last);
    Grid<std::int8_t> values = scratch.values;
    const Grid<std::uint8_t> states = scratch.states;
    std::int32_t quiet = scratch.quietPasses;
    if (!solver.firstPassChanged()) {
        // A solve whose first pass changes nothing adds one to the count it
        // came in with; go back to the last trial whose first pass did change.
        std::int32_t before = initialQuiet;
        std::int32_t added = 1;
        for (size_t s = last; s-- > 0;) {
            solveTried(s);
            if (solver.firstPassChanged()) {
                before = scratch.quietPasses;
                break;
            }
            ++added;
        }
        quiet = before + added;
    }

    const TrialLog::Trial& lt = log[last];
    if (!lt.kept) {
        // A failed trial put back the values saved before it, signs included:
        // the belief left there by the trial before (the picture after a kept
        // trial), or by an earlier one if that trial restored the cell too.
        std::map<size_t, Grid<std::int8_t>> beliefsOf;
        for (int i = 0; i < lt.count; ++i) {
            const int g = log.cells(lt)[i];
            const int magnitude = std::abs(int(w.values[size_t(g)]));
            if (lt.zeroPass || magnitude == 0) {
                values[size_t(g)] = 0;
                continue;
            }
            bool filled = initialValues[size_t(g)] < 0;
            for (size_t s = last; s-- > 0;) {
                const TrialLog::Trial& st = log[s];
                if (st.kept) {
                    filled = picture[size_t(g)] != 0;
                    break;
                }
                if (log.clears(st, g)) continue;
                auto found = beliefsOf.find(s);
                if (found == beliefsOf.end()) {
                    solveTried(s);
                    found = beliefsOf.emplace(s, scratch.values).first;
                }
                filled = found->second[size_t(g)] < 0;
                break;
            }
            values[size_t(g)] = static_cast<std::int8_t>(filled ? -magnitude : magnitude);
        }
    }
    std::copy(values.begin(), values.end(), w.values.begin());
    std::copy(states.begin(), states.end(), w.states.begin());
    w.quietPasses = quiet;
}

} // namespace

bool FastPlacement::solve(CommandContext& ctx, bool showResult, std::optional<double> startTime)
{
    return solveByPasses(work_, ctx, solver_, showResult, startTime);
}

void FastPlacement::placeClues(const Grid<std::string>& picture, const PlacementOptions& options, CommandContext& ctx,
                               std::uint32_t seed)
{
    stats_ = Stats{};
    if (!byNetwork_ || !placeByNetwork(picture, options, ctx, seed)) {
        stats_.solvedEveryTrial = true;
        placeBySolving(picture, options, ctx, seed);
    }
}

// Every trial solved from scratch, as the literal engine does, only faster.
void FastPlacement::placeBySolving(const Grid<std::string>& picture, const PlacementOptions& options, CommandContext& ctx,
                                   std::uint32_t seed)
{
    WorkArrays& w = work_;
    std::vector<std::pair<int, std::int8_t>> saved;
    auto succeeds = [&] { return solveByPasses(w, ctx, solver_, false, std::nullopt) && matchesPicture(w, picture); };
    sweep(w, options, ctx, seed, [&](const int* cells, int n, bool zeroPass) {
        ++stats_.trials;
        if (zeroPass) {
            removeClueAt(w.values, cells[0]);
            if (succeeds())
                ++stats_.kept;
            else
                w.values[size_t(cells[0])] = 0;
            return;
        }
        saved.clear();
        saved.push_back({cells[0], w.values[size_t(cells[0])]});
        for (int k = 1; k < n; ++k) {
            saved.push_back({cells[k], w.values[size_t(cells[k])]});
            removeClueAt(w.values, cells[k]);
        }
        removeClueAt(w.values, cells[0]);
        if (succeeds()) {
            ++stats_.kept;
            return;
        }
        for (auto it = saved.rbegin(); it != saved.rend(); ++it) w.values[size_t(it->first)] = it->second;
    });
}

bool FastPlacement::placeByNetwork(const Grid<std::string>& drawn, const PlacementOptions& options, CommandContext& ctx,
                                   std::uint32_t seed)
{
    WorkArrays& w = work_;
    const int cols = w.cols(), rows = w.rows();
    if (cols < 1 || rows < 1) return false;
    const size_t cells = w.values.size();
    if (drawn.cols() < cols || drawn.rows() != rows) return false;

    // The picture, and whether every clue counts it and every other cell is
    // one of the two plain values.
    Grid<std::uint8_t> picture(cols, rows);
    bool anyFilled = false;
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            const bool filled = isFilledText(drawn.at(c, r));
            picture.at(c, r) = filled;
            anyFilled = anyFilled || filled;
        }
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            const int v = w.value(c, r);
            if (v == kWhite || v == kFilled) continue;
            if (v < -9 || v > 9) return false;
            int count = 0;
            picture.forEachInBlock(c, r, [&](int x, int y) { count += picture.at(x, y); });
            if (count != std::abs(v)) return false;
        }
    // The deduction order is rebuilt around the sweep's column now and then:
    // when it has moved on by the focus columns and the trials since the
    // last build withdrew as many cells as the field has (a build costs
    // about as much as that).
    DeductionNet net;
    const SweepDirection dir = drawSweepDirection(seed);
    int focus = 0;
    long long withdrawnSince = 0;
    auto focusOn = [&](int c) {
        focus = c;
        withdrawnSince = 0;
        ++stats_.orderBuilds;
        const int next = c + dir.dc * (kFocusColumns - 1);
        return net.build(w, picture, std::min(c, next), std::max(c, next));
    };
    if (!focusOn(dir.dc > 0 ? 0 : cols - 1)) return false;

    TrialLog log;
    const Grid<std::int8_t> initialValues = w.values;
    const std::int32_t initialQuiet = w.quietPasses;
    sweep(w, options, ctx, seed, [&](const int* group, int n, bool zeroPass) {
        TrialLog::Trial& t = log.add(group, n, zeroPass, ctx.stopped());
        ++stats_.trials;
        if (t.stopped) {
            // Beliefs all white: they match only a picture without filled cells.
            t.kept = !anyFilled;
        } else {
            const int c = group[0] / rows;
            if (std::abs(c - focus) >= kFocusColumns && withdrawnSince >= static_cast<long long>(cells)) focusOn(c);
            t.kept = net.trial(log.cells(t), t.count);
            withdrawnSince += net.lastCone;
            stats_.coneCells += net.lastCone;
            stats_.largestCone = std::max(stats_.largestCone, net.lastCone);
        }
        if (t.kept) {
            ++stats_.kept;
            for (int i = 0; i < t.count; ++i) removeClueAt(w.values, log.cells(t)[i]);
        }
    });

    stats_.resupported = net.resupported;
    // The working arrays are those of the last trial that really solved,
    // then of the trials after a stop.
    size_t solvedTrials = log.size();
    while (solvedTrials > 0 && log[solvedTrials - 1].stopped) --solvedTrials;
    if (solvedTrials > 0)
        rebuildLastTrial(w, log, solvedTrials - 1, initialValues, initialQuiet, picture, solver_, stats_.settleSolves);
    if (solvedTrials < log.size()) {
        for (size_t i = 0; i < cells; ++i) {
            if (w.values[i] < 0) w.values[i] = static_cast<std::int8_t>(-w.values[i]);
            w.states[i] = csUnknown;
        }
        for (size_t t = solvedTrials; t < log.size(); ++t)
            if (log[t].kept) removeClueAt(w.values, log.cells(log[t])[0]);
    }
    return true;
}

} // namespace klt
