#include "core/grading.h"

#include <algorithm>
#include <array>

namespace klt {

namespace {

// Cells around an assumed one that a contradiction may decide, and how far
// its clues reach: a short contradiction stays within a few cells.
constexpr int kProbeRadius = 3;
constexpr int kProbeArea = kProbeRadius + 2;          // the blocks of the clues that reach the cells
constexpr int kProbeSide = 2 * kProbeArea + 1;
// A decided cell makes the cells this near worth assuming again: their
// probes read it.
constexpr int kProbeDirty = kProbeArea;

// Grades by the share of the steps that needed the path's highest level: up
// to this many percent of pair steps is easy, more is medium; up to this many
// percent of contradictions is hard, more very hard. A share, not a count, so
// that a large puzzle with the same kind of reasoning grades the same.
constexpr int kEasyPairPercent = 5;
constexpr int kHardProbePercent = 5;

// A first-in first-out queue of indices with a mark against doubles.
class WorkQueue {
public:
    explicit WorkQueue(size_t n = 0) : in_(n, 0) {}
    void push(int i)
    {
        if (in_[static_cast<size_t>(i)]) return;
        in_[static_cast<size_t>(i)] = 1;
        items_.push_back(i);
    }
    bool pop(int& i)
    {
        if (head_ == items_.size()) return false;
        i = items_[head_++];
        in_[static_cast<size_t>(i)] = 0;
        if (head_ == items_.size()) {
            items_.clear();
            head_ = 0;
        }
        return true;
    }

private:
    std::vector<int> items_;
    size_t head_ = 0;
    std::vector<std::uint8_t> in_;
};

// What KnownCellsTracker hands a deduction. earlier: what a deduction at the
// top level ended with on the same field (a cell it left open had no
// contradiction near it then, see failedEarlier); answer: an answer of the
// clues; clueSeeds, cellSeeds: the clues and the open cells to look at first
// (per cell, 1 to look at), where the state or the clues differ from the
// earlier ones: elsewhere nothing is to be found.
struct TrackerHints {
    const ClueSet* earlierClues = nullptr;
    const std::vector<std::int8_t>* earlierState = nullptr;
    const std::vector<std::uint8_t>* answer = nullptr;
    const std::vector<std::uint8_t>* clueSeeds = nullptr;
    const std::vector<std::uint8_t>* cellSeeds = nullptr;
};

// Counts of a clue's block under some state.
struct BlockCount {
    int filled = 0, open = 0;
};

class Deducer {
public:
    // reach: whether cells no clue reaches are white (not on a part of the
    // field, whose edges are not the field's).
    // changed: when not negative, the only cell changed since levels 1 and 2
    // had nothing more to say; only the clues around it are looked at first.
    Deducer(const ClueSet& clues, std::vector<std::int8_t> state, const BlockBounds& region, int maxLevel, bool reach = true,
            int changed = -1, const TrackerHints& hints = {})
        : hints_(hints), clues_(clues), cols_(clues.cols), rows_(clues.rows), st_(std::move(state)), region_(region),
          maxLevel_(maxLevel), reachDone_(!reach), q1_(st_.size()), q2_(st_.size()), q3_(maxLevel >= 3 ? st_.size() : 0),
          probeQ1_(maxLevel >= 3 ? st_.size() : 0), probeQ2_(maxLevel >= 3 ? st_.size() : 0)
    {
        whole_ = region_.left <= 0 && region_.top <= 0 && region_.right >= cols_ - 1 && region_.bottom >= rows_ - 1;
        // Open and filled cells per clue, kept up to date: pairs skip settled
        // blocks and read the counts without walking them.
        open_.assign(st_.size(), 0);
        filled_.assign(st_.size(), 0);
        for (int i = 0; i < static_cast<int>(st_.size()); ++i)
            if (clue(i) >= 0)
                block(i, [&](int y) {
                    open_[static_cast<size_t>(i)] += st_[static_cast<size_t>(y)] == kCellOpen;
                    filled_[static_cast<size_t>(i)] += st_[static_cast<size_t>(y)] == kCellFilled;
                });
        if (changed >= 0) {
            block(changed, [&](int k) {
                if (clue(k) < 0) return;
                q1_.push(k);
                q2_.push(k);
            });
        } else {
            for (int i = 0; i < static_cast<int>(st_.size()); ++i)
                if (clue(i) >= 0 && (!hints.clueSeeds || (*hints.clueSeeds)[static_cast<size_t>(i)])) {
                    q1_.push(i);
                    q2_.push(i);
                }
        }
        if (maxLevel_ >= 3)
            for (int i = 0; i < static_cast<int>(st_.size()); ++i)
                if (st_[static_cast<size_t>(i)] == kCellOpen && inRegion(i) && (!hints.cellSeeds || (*hints.cellSeeds)[static_cast<size_t>(i)]))
                    q3_.push(i);
    }

    // One step, applied; nothing when stuck or when a clue broke.
    std::optional<GradeStep> next()
    {
        if (broken_ >= 0 || brokenCell_ >= 0) return std::nullopt;
        GradeStep step;
        if (!reachDone_) {
            reachDone_ = true;
            // A state that already breaks a clue has no next step.
            for (int k = 0; k < static_cast<int>(st_.size()); ++k) {
                if (clue(k) < 0) continue;
                const BlockCount n = count(k, st_);
                if (n.filled > clue(k) || n.filled + n.open < clue(k)) {
                    broken_ = k;
                    return std::nullopt;
                }
            }
            // So does a filled cell of the region that no clue reaches: by the
            // rule it is white. (Outside the region, on a part of the field,
            // the clues that reach a cell may lie beyond the part.)
            for (int i = 0; i < static_cast<int>(st_.size()); ++i) {
                if (st_[static_cast<size_t>(i)] != kCellFilled || !inRegion(i)) continue;
                bool reached = false;
                block(i, [&](int k) { reached = reached || clue(k) >= 0; });
                if (!reached) {
                    brokenCell_ = i;
                    return std::nullopt;
                }
            }
            if (outOfReach(step)) return apply(std::move(step));
        }
        int k = 0;
        WorkQueue& q1 = probing_ ? probeQ1_ : q1_;
        WorkQueue& q2 = probing_ ? probeQ2_ : q2_;
        while (q1.pop(k)) {
            if (single(k, step)) return apply(std::move(step));
            if (broken_ >= 0) return std::nullopt; // a clue that cannot be met ends the path
        }
        if (maxLevel_ < 2) return std::nullopt;
        while (q2.pop(k)) {
            if (pairs(k, step)) {
                q2.push(k); // it may have more to say with another partner
                return apply(std::move(step));
            }
            if (broken_ >= 0) return std::nullopt;
        }
        if (maxLevel_ < 3 || probing_) return std::nullopt;
        while (q3_.pop(k))
            if (probe(k, step)) return apply(std::move(step));
        return std::nullopt;
    }

    int broken() const { return broken_; }
    // The other clue of a pair that broke, else -1.
    int brokenPartner() const { return brokenPartner_; }
    // A filled cell of the given state that no clue reaches, else -1.
    int brokenCell() const { return brokenCell_; }
    const std::vector<std::int8_t>& state() const { return st_; }

private:
    int clue(int i) const { return clues_.clues[static_cast<size_t>(i)]; }
    // The clues a step may read: while probing, those whose block lies inside
    // the probe's box.
    bool counts(int c, int r) const
    {
        if (clue(c * rows_ + r) < 0) return false;
        if (!probing_) return true;
        return std::max(c - 1, 0) >= probeBox_.left && std::min(c + 1, cols_ - 1) <= probeBox_.right &&
               std::max(r - 1, 0) >= probeBox_.top && std::min(r + 1, rows_ - 1) <= probeBox_.bottom;
    }
    static bool inside(const BlockBounds& b, int c, int r) { return c >= b.left && c <= b.right && r >= b.top && r <= b.bottom; }
    bool inRegion(int i) const
    {
        if (probing_) return inside(probeAllowed_, i / rows_, i % rows_);
        if (whole_) return true;
        return inside(region_, i / rows_, i % rows_);
    }
    template <class F>
    void block(int k, F&& f) const
    {
        forEachInBlock(k / rows_, k % rows_, cols_, rows_, [&](int x, int y) { f(x * rows_ + y); });
    }
    BlockCount count(int k, const std::vector<std::int8_t>& st) const
    {
        BlockCount n;
        block(k, [&](int y) {
            n.filled += st[static_cast<size_t>(y)] == kCellFilled;
            n.open += st[static_cast<size_t>(y)] == kCellOpen;
        });
        return n;
    }

    // Decides cell y; the clues whose block holds it are looked at again.
    void decide(int y, std::uint8_t filled)
    {
        st_[static_cast<size_t>(y)] = static_cast<std::int8_t>(filled);
        WorkQueue& q1 = probing_ ? probeQ1_ : q1_;
        WorkQueue& q2 = probing_ ? probeQ2_ : q2_;
        forEachInBlock(y / rows_, y % rows_, cols_, rows_, [&](int c, int r) {
            const int k = c * rows_ + r;
            if (clue(k) < 0) return;
            --open_[static_cast<size_t>(k)];
            filled_[static_cast<size_t>(k)] += filled;
            if (!counts(c, r)) return;
            q1.push(k);
            q2.push(k);
        });
        if (probing_) probeTrail_.push_back(y);
    }

    GradeStep apply(GradeStep step)
    {
        for (int y : step.cells) {
            decide(y, step.filled);
            if (maxLevel_ >= 3 && !probing_)
                forEachInSquare(y / rows_, y % rows_, kProbeDirty, cols_, rows_, [&](int x, int r) {
                    const int z = x * rows_ + r;
                    if (st_[static_cast<size_t>(z)] == kCellOpen && inRegion(z)) q3_.push(z);
                });
        }
        return step;
    }

    bool outOfReach(GradeStep& step) const
    {
        step = GradeStep{GradeStep::Kind::OutOfReach, 1, 0, {}, {}};
        for (int i = 0; i < static_cast<int>(st_.size()); ++i) {
            if (st_[static_cast<size_t>(i)] != kCellOpen || !inRegion(i)) continue;
            bool reached = false;
            block(i, [&](int k) { reached = reached || clue(k) >= 0; });
            if (!reached) step.cells.push_back(i);
        }
        return !step.cells.empty();
    }

    // The open cells of the region among those given.
    template <class Pick>
    void collect(int k, GradeStep& step, Pick&& pick) const
    {
        block(k, [&](int y) {
            if (st_[static_cast<size_t>(y)] == kCellOpen && inRegion(y) && pick(y)) step.cells.push_back(y);
        });
    }

    bool single(int k, GradeStep& step)
    {
        const int v = clue(k);
        const BlockCount n = count(k, st_);
        if (n.filled > v || n.filled + n.open < v) {
            broken_ = k;
            return false;
        }
        if (n.open == 0 || (n.filled != v && n.filled + n.open != v)) return false;
        const bool fill = n.filled != v;
        step = GradeStep{fill ? GradeStep::Kind::AllFilled : GradeStep::Kind::AllWhite, 1,
                         static_cast<std::uint8_t>(fill), {}, {k}};
        collect(k, step, [](int) { return true; });
        return !step.cells.empty();
    }

    // What clues a and b tell together: the open cells only one of them has,
    // or the open shared ones. Under state st, deciding only where allowed.
    template <class Allowed>
    bool pair(int a, int b, const std::vector<std::int8_t>& st, Allowed&& allowed, GradeStep& step, int& brokenAt) const
    {
        const int ac = a / rows_, ar = a % rows_, bc = b / rows_, br = b % rows_;
        auto inA = [&](int x, int y) { return std::abs(x - ac) <= 1 && std::abs(y - ar) <= 1; };
        auto inB = [&](int x, int y) { return std::abs(x - bc) <= 1 && std::abs(y - br) <= 1; };
        // The counts of each block are kept up to date; only the open cells
        // the two blocks share are counted here.
        const int fa = filled_[static_cast<size_t>(a)], fb = filled_[static_cast<size_t>(b)];
        int us = 0;
        for (int x = std::max({ac, bc, 1}) - 1; x <= std::min({ac + 1, bc + 1, cols_ - 1}); ++x)
            for (int y = std::max({ar, br, 1}) - 1; y <= std::min({ar + 1, br + 1, rows_ - 1}); ++y)
                us += st[static_cast<size_t>(x * rows_ + y)] == kCellOpen;
        const int ua = open_[static_cast<size_t>(a)] - us, ub = open_[static_cast<size_t>(b)] - us;
        const int needA = clue(a) - fa, needB = clue(b) - fb;
        const int lo = std::max({0, needA - ua, needB - ub});
        const int hi = std::min({us, needA, needB});
        if (lo > hi) {
            brokenAt = a;
            return false;
        }
        auto take = [&](GradeStep::Kind kind, int first, int second, bool fill, auto pick) {
            step = GradeStep{kind, 2, static_cast<std::uint8_t>(fill), {}, {first, second}, lo, hi};
            forEachInBlock(first / rows_, first % rows_, cols_, rows_, [&](int x, int y) {
                const int i = x * rows_ + y;
                if (st[static_cast<size_t>(i)] == kCellOpen && allowed(i) && pick(x, y)) step.cells.push_back(i);
            });
            return !step.cells.empty();
        };
        auto onlyA = [&](int x, int y) { return !inB(x, y); };
        auto onlyB = [&](int x, int y) { return !inA(x, y); };
        auto shared = [&](int x, int y) { return inB(x, y); };
        if (ua > 0 && needA - hi == ua && take(GradeStep::Kind::PairOwn, a, b, true, onlyA)) return true;
        if (ua > 0 && needA - lo == 0 && take(GradeStep::Kind::PairOwn, a, b, false, onlyA)) return true;
        if (ub > 0 && needB - hi == ub && take(GradeStep::Kind::PairOwn, b, a, true, onlyB)) return true;
        if (ub > 0 && needB - lo == 0 && take(GradeStep::Kind::PairOwn, b, a, false, onlyB)) return true;
        if (us > 0 && lo == us && take(GradeStep::Kind::PairShared, a, b, true, shared)) return true;
        if (us > 0 && hi == 0 && take(GradeStep::Kind::PairShared, a, b, false, shared)) return true;
        return false;
    }

    bool pairs(int a, GradeStep& step)
    {
        // A settled block adds nothing to what its partner says alone.
        if (open_[static_cast<size_t>(a)] == 0) return false;
        bool found = false;
        forEachInSquare(a / rows_, a % rows_, 2, cols_, rows_, [&](int x, int y) {
            const int b = x * rows_ + y;
            if (b == a || !counts(x, y) || open_[static_cast<size_t>(b)] == 0) return true;
            int brokenAt = -1;
            found = pair(a, b, st_, [&](int z) { return inRegion(z); }, step, brokenAt);
            if (brokenAt >= 0) {
                broken_ = brokenAt;
                brokenPartner_ = b;
            }
            return !found && brokenAt < 0;
        });
        return found;
    }

    // Assumes each fill of cell x in turn and follows levels 1 and 2 near it
    // (the cells within kProbeRadius, to their end, with the clues whose
    // block lies within kProbeArea): a clue that breaks gives x the other
    // fill. Run to the end on a small part of the field, the probe is
    // monotone: knowing more never makes it miss a contradiction. It works on
    // the state itself and takes back what it decided.
    bool probe(int x, GradeStep& step)
    {
        if (st_[static_cast<size_t>(x)] != kCellOpen || !inRegion(x)) return false;
        const int xc = x / rows_, xr = x % rows_;
        probeBox_ = squareAround(xc, xr, kProbeArea, cols_, rows_);
        if (hints_.earlierState && failedEarlier(x)) return false;
        probeAllowed_ = BlockBounds{std::max(xc - kProbeRadius, region_.left), std::max(xr - kProbeRadius, region_.top),
                                    std::min(xc + kProbeRadius, region_.right), std::min(xr + kProbeRadius, region_.bottom)};
        for (const std::int8_t assumed : {kCellFilled, kCellWhite}) {
            if (hints_.answer && (*hints_.answer)[static_cast<size_t>(x)] == assumed) continue;
            probing_ = true;
            decide(x, static_cast<std::uint8_t>(assumed));
            std::vector<int>& used = probeUsed_;
            used.clear();
            while (std::optional<GradeStep> s = next())
                for (int k : s->clues) used.push_back(k);
            const int broken = broken_, partner = brokenPartner_;
            takeBackProbe();
            if (broken < 0) continue;
            step = GradeStep{GradeStep::Kind::Contradiction, 3, static_cast<std::uint8_t>(assumed == kCellWhite), {x}, {broken}};
            if (partner >= 0) used.insert(used.begin(), partner);
            for (int k : used)
                if (std::find(step.clues.begin(), step.clues.end(), k) == step.clues.end()) step.clues.push_back(k);
            return true;
        }
        return false;
    }

    // Whether the probe of x found nothing at the end of the earlier
    // deduction, with at least what it reads now: the cells known in its box
    // and the clues there.
    bool failedEarlier(int x) const
    {
        const std::vector<std::int8_t>& state = *hints_.earlierState;
        const std::vector<std::int8_t>& clues = hints_.earlierClues->clues;
        if (state[static_cast<size_t>(x)] != kCellOpen) return false;
        for (int c = probeBox_.left; c <= probeBox_.right; ++c)
            for (int r = probeBox_.top; r <= probeBox_.bottom; ++r) {
                const size_t i = static_cast<size_t>(c * rows_ + r);
                if (st_[i] != kCellOpen && st_[i] != state[i]) return false;
                if (clues_.clues[i] >= 0 && clues_.clues[i] != clues[i]) return false;
            }
        return true;
    }

    // Undoes a probe: its cells open again, its queues empty, nothing broken.
    void takeBackProbe()
    {
        for (auto it = probeTrail_.rbegin(); it != probeTrail_.rend(); ++it) {
            const int y = *it;
            const int filled = st_[static_cast<size_t>(y)] == kCellFilled;
            st_[static_cast<size_t>(y)] = kCellOpen;
            block(y, [&](int k) {
                if (clue(k) < 0) return;
                ++open_[static_cast<size_t>(k)];
                filled_[static_cast<size_t>(k)] -= filled;
            });
        }
        probeTrail_.clear();
        int k = 0;
        while (probeQ1_.pop(k)) {
        }
        while (probeQ2_.pop(k)) {
        }
        broken_ = brokenPartner_ = -1;
        probing_ = false;
    }

    TrackerHints hints_; // from KnownCellsTracker: an earlier outcome, an answer, where to look
    const ClueSet& clues_;
    int cols_, rows_;
    std::vector<std::int8_t> st_;
    std::vector<std::uint8_t> open_;   // per clue: open cells in its block
    std::vector<std::uint8_t> filled_; // per clue: filled cells in its block
    BlockBounds region_;
    bool whole_ = false; // the region is the whole field
    int maxLevel_;
    bool reachDone_ = false;
    WorkQueue q1_, q2_, q3_;
    int broken_ = -1, brokenPartner_ = -1, brokenCell_ = -1;
    // A probe under way: its box and where it may decide, its own queues,
    // the cells it decided.
    bool probing_ = false;
    BlockBounds probeBox_{}, probeAllowed_{};
    WorkQueue probeQ1_, probeQ2_;
    std::vector<int> probeTrail_;
    std::vector<int> probeUsed_;
};

BlockBounds wholeField(const ClueSet& clues)
{
    return BlockBounds{0, 0, clues.cols - 1, clues.rows - 1};
}

std::string cellName(int i, int rows)
{
    return "(" + std::to_string(i / rows) + ", " + std::to_string(i % rows) + ")";
}

std::string clueName(int k, const ClueSet& clues)
{
    return std::to_string(clues.clues[static_cast<size_t>(k)]) + " в " + cellName(k, clues.rows);
}

// "клетка", "клетки" or "клеток" after n, with its adjective.
std::string openCells(int n)
{
    const int tens = n % 100, ones = n % 10;
    if (tens >= 11 && tens <= 14) return std::to_string(n) + " неизвестных клеток";
    if (ones == 1) return std::to_string(n) + " неизвестная клетка";
    if (ones >= 2 && ones <= 4) return std::to_string(n) + " неизвестные клетки";
    return std::to_string(n) + " неизвестных клеток";
}

} // namespace

std::string gradeText(Grade grade)
{
    switch (grade) {
    case Grade::VeryEasy: return "Очень легко";
    case Grade::Easy: return "Легко";
    case Grade::Medium: return "Средне";
    case Grade::Hard: return "Сложно";
    case Grade::VeryHard: return "Очень сложно";
    case Grade::NeedsTrial: break;
    }
    return "Требует перебора";
}

Grade gradeOf(const GradeResult& result)
{
    if (!result.solved) return Grade::NeedsTrial;
    const long pairs = result.perLevel[2], probes = result.perLevel[3];
    const long steps = std::max(1L, long(result.perLevel[1]) + pairs + probes);
    if (probes == 0) {
        if (pairs == 0) return Grade::VeryEasy;
        return pairs * 100 <= kEasyPairPercent * steps ? Grade::Easy : Grade::Medium;
    }
    return probes * 100 <= kHardProbePercent * steps ? Grade::Hard : Grade::VeryHard;
}

GradeResult gradePuzzle(const ClueSet& clues, const GradeOptions& options)
{
    GradeResult res;
    Deducer d(clues, std::vector<std::int8_t>(clues.clues.size(), kCellOpen), wholeField(clues), options.maxLevel);
    for (;;) {
        if (options.stop && res.steps.size() % 256 == 0 && options.stop()) {
            res.interrupted = true;
            break;
        }
        std::optional<GradeStep> step = d.next();
        if (!step) break;
        ++res.perLevel[step->level];
        res.steps.push_back(std::move(*step));
    }
    res.cells = d.state();
    res.contradiction = d.broken() >= 0;
    res.brokenClue = d.broken();
    res.solved = !res.contradiction && !res.interrupted &&
                 std::none_of(res.cells.begin(), res.cells.end(), [](std::int8_t s) { return s == kCellOpen; });
    res.grade = gradeOf(res);
    return res;
}

std::optional<GradeStep> nextGradeStep(const ClueSet& clues, const std::vector<std::int8_t>& state, int maxLevel,
                                       int* broken, int* brokenCell)
{
    Deducer d(clues, state, wholeField(clues), maxLevel);
    std::optional<GradeStep> step = d.next();
    if (broken) *broken = d.broken();
    if (brokenCell) *brokenCell = d.brokenCell();
    return step;
}

bool deduceFurther(const ClueSet& clues, std::vector<std::int8_t>& state, int maxLevel)
{
    Deducer d(clues, state, wholeField(clues), maxLevel, false);
    while (d.next()) {
    }
    if (d.broken() >= 0) return false;
    state = d.state();
    return true;
}

// What the last deduction was given and found, and each of its steps in
// order: the cells it decided and the rectangle of cells and clues it read.
struct KnownCellsTracker::Memory {
    ClueSet clues;
    std::vector<std::int8_t> start, result; // the state given, and deduced
    struct Step {
        BlockBounds read;
        int first, count; // into cells
    };
    std::vector<Step> steps;
    std::vector<int> cells;
};

KnownCellsTracker::KnownCellsTracker(std::vector<std::uint8_t> answer) : answer_(std::move(answer)) {}
KnownCellsTracker::~KnownCellsTracker() = default;

void KnownCellsTracker::forget()
{
    memory_.reset();
}

namespace {

// What a step read: the blocks of its clues (for a contradiction, those of
// the steps that led to it and of the clue that broke), which hold every
// cell it read.
BlockBounds stepReads(const GradeStep& step, int cols, int rows)
{
    if (step.kind == GradeStep::Kind::OutOfReach || step.clues.empty())
        return BlockBounds{0, 0, cols - 1, rows - 1}; // the whole field: never carried over
    BlockBounds read{cols, rows, -1, -1};
    for (int k : step.clues) {
        const BlockBounds b = blockAround(k / rows, k % rows, cols, rows);
        read = BlockBounds{std::min(read.left, b.left), std::min(read.top, b.top), std::max(read.right, b.right),
                           std::max(read.bottom, b.bottom)};
    }
    return read;
}

} // namespace

bool KnownCellsTracker::deduce(const ClueSet& clues, std::vector<std::int8_t>& state)
{
    const int cols = clues.cols, rows = clues.rows;
    const size_t cells = state.size();
    counts_ = Counts{};
    std::unique_ptr<Memory> next = std::make_unique<Memory>();
    next->clues = clues;
    next->start = state;
    std::vector<std::int8_t> known = state;

    const bool carry = memory_ && memory_->clues.cols == cols && memory_->clues.rows == rows && answer_.size() == cells;
    if (carry) {
        const Memory& m = *memory_;
        // A step is carried over when no clue in what it read changed and no
        // cell there came from a step that was not: its deduction holds for
        // the new clues as it held for the old ones. Cells the last call was
        // given but this one is not came from nothing that can be checked.
        std::vector<std::uint8_t> doubtful(cells, 0);
        for (size_t i = 0; i < cells; ++i) doubtful[i] = m.start[i] != kCellOpen && state[i] == kCellOpen;
        // Changed clues, summed over rectangles from the top left corner.
        std::vector<int> changed(static_cast<size_t>(cols + 1) * static_cast<size_t>(rows + 1), 0);
        auto at = [&](int c, int r) -> int& { return changed[static_cast<size_t>(c) * static_cast<size_t>(rows + 1) + static_cast<size_t>(r)]; };
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r) {
                const size_t i = static_cast<size_t>(c * rows + r);
                at(c + 1, r + 1) = at(c, r + 1) + at(c + 1, r) - at(c, r) + (clues.clues[i] != m.clues.clues[i]);
            }
        auto changedIn = [&](const BlockBounds& b) {
            return at(b.right + 1, b.bottom + 1) - at(b.left, b.bottom + 1) - at(b.right + 1, b.top) + at(b.left, b.top) > 0;
        };
        for (const Memory::Step& s : m.steps) {
            bool holds = !changedIn(s.read);
            for (int c = s.read.left; c <= s.read.right && holds; ++c)
                for (int r = s.read.top; r <= s.read.bottom && holds; ++r) holds = !doubtful[static_cast<size_t>(c * rows + r)];
            for (int i = 0; i < s.count; ++i) {
                const int y = m.cells[static_cast<size_t>(s.first + i)];
                if (!holds) {
                    doubtful[static_cast<size_t>(y)] = 1;
                } else if (known[static_cast<size_t>(y)] == kCellOpen) {
                    known[static_cast<size_t>(y)] = m.result[static_cast<size_t>(y)];
                    ++counts_.carried;
                }
            }
            if (!holds) continue;
            next->steps.push_back({s.read, static_cast<int>(next->cells.size()), s.count});
            next->cells.insert(next->cells.end(), m.cells.begin() + s.first, m.cells.begin() + s.first + s.count);
        }
    }

    TrackerHints hints;
    if (answer_.size() == cells) hints.answer = &answer_;
    std::vector<std::uint8_t> clueSeeds, cellSeeds;
    if (carry) {
        // The last result was a fixpoint of every level: a clue, pair or probe
        // that reads the same cells and clues as then finds nothing again.
        // What can find something is near a cell known then and not now (or
        // the other way round) or a clue that changed: a single clue or a
        // pair through the clues whose block holds such a cell (a pair is
        // asked from both its clues) or through the changed clue, a probe
        // whose box holds either.
        const Memory& m = *memory_;
        hints.earlierClues = &m.clues;
        hints.earlierState = &m.result;
        clueSeeds.assign(cells, 0);
        cellSeeds.assign(cells, 0);
        auto nearProbes = [&](int c, int r) {
            forEachInSquare(c, r, kProbeArea, cols, rows, [&](int x, int y) { cellSeeds[static_cast<size_t>(x * rows + y)] = 1; });
        };
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r) {
                const size_t i = static_cast<size_t>(c * rows + r);
                if (known[i] != m.result[i]) {
                    forEachInBlock(c, r, cols, rows, [&](int x, int y) { clueSeeds[static_cast<size_t>(x * rows + y)] = 1; });
                    nearProbes(c, r);
                }
                if (clues.clues[i] != m.clues.clues[i] && clues.clues[i] >= 0) {
                    clueSeeds[i] = 1;
                    nearProbes(c, r);
                }
            }
        hints.clueSeeds = &clueSeeds;
        hints.cellSeeds = &cellSeeds;
    }
    Deducer d(clues, std::move(known), wholeField(clues), kTopGradeLevel, false, -1, hints);
    while (std::optional<GradeStep> step = d.next()) {
        next->steps.push_back({stepReads(*step, cols, rows), static_cast<int>(next->cells.size()), static_cast<int>(step->cells.size())});
        next->cells.insert(next->cells.end(), step->cells.begin(), step->cells.end());
        counts_.decided += static_cast<long>(step->cells.size());
    }
    if (d.broken() >= 0) {
        memory_.reset();
        return false;
    }
    state = d.state();
    next->result = state;
    memory_ = std::move(next);
    return true;
}

bool solveWithin(const ClueSet& clues, std::vector<std::int8_t>& state, const BlockBounds& region, int maxLevel,
                 std::vector<GradeStep>* steps)
{
    Deducer d(clues, std::move(state), region, maxLevel);
    while (std::optional<GradeStep> step = d.next())
        if (steps) steps->push_back(std::move(*step));
    state = d.state();
    if (d.broken() >= 0) return false;
    for (int c = region.left; c <= region.right; ++c)
        for (int r = region.top; r <= region.bottom; ++r)
            if (state[static_cast<size_t>(c) * static_cast<size_t>(clues.rows) + static_cast<size_t>(r)] == kCellOpen)
                return false;
    return true;
}

std::string stepReason(const GradeStep& step, const ClueSet& clues)
{
    const int rows = clues.rows;
    auto number = [&](size_t i) { return clueName(step.clues[i], clues); };
    switch (step.kind) {
    case GradeStep::Kind::OutOfReach:
        return "Клетки, до которых не достаёт ни одно число, белые: " + std::to_string(step.cells.size());
    case GradeStep::Kind::AllFilled:
        return "Число " + number(0) + ": осталось " + openCells(static_cast<int>(step.cells.size())) + ", все закрашены";
    case GradeStep::Kind::AllWhite:
        if (clues.clues[static_cast<size_t>(step.clues[0])] == 0) return "Число " + number(0) + ": все клетки вокруг белые";
        return "Число " + number(0) + ": все закрашенные клетки уже найдены, остальные белые";
    case GradeStep::Kind::PairOwn:
    case GradeStep::Kind::PairShared: {
        const std::string head = "Числа " + number(0) + " и " + number(1) + ": в общих клетках ";
        std::string bound;
        if (step.filled == (step.kind == GradeStep::Kind::PairOwn))
            bound = step.sharedAtMost == 0 ? "нет закрашенных" : "закрашено не больше " + std::to_string(step.sharedAtMost);
        else
            bound = "закрашено не меньше " + std::to_string(step.sharedAtLeast);
        if (step.kind == GradeStep::Kind::PairShared)
            return head + bound + ", значит, все неизвестные общие клетки " + (step.filled ? "закрашены" : "белые");
        return head + bound + ", значит, неизвестные клетки только у первого числа " + (step.filled ? "закрашены" : "белые");
    }
    case GradeStep::Kind::Contradiction:
        return "Если клетку " + cellName(step.cells[0], rows) + (step.filled ? " оставить белой" : " закрасить") +
               ", число " + number(0) + " не сойдётся: клетка " + (step.filled ? "закрашена" : "белая");
    }
    return {};
}

} // namespace klt
