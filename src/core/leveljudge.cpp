#include "core/leveljudge.h"

#include <algorithm>
#include <limits>

#include "core/grading.h"
#include "core/grid.h"

namespace klt {

namespace {

// A step's cells lie this near the clues it used (a contradiction's clues
// reach four cells around the assumed one).
constexpr int kOutputReach = 4;
// Cells around the removed clues that the failure test decides with every
// cell further away known.
constexpr int kFailRadius = 6;
// Cells around the removed clues decided again by the success test.
constexpr int kHoldRadius = kOutputReach + 1;
// Around a region, the cells a solve there reads: the blocks of the clues
// that a contradiction near its edge looks at.
constexpr int kReadMargin = 5;

} // namespace

struct LevelJudge::Impl {
    int cols = 0, rows = 0;
    CellGrid picture;
    int maxLevel = kTopGradeLevel;
    ClueSet counts;     // the picture's count at every candidate, kNoClue elsewhere
    ClueSet active;     // the clues switched on
    ClueSet proven;     // the clues last found solvable
    std::vector<std::uint8_t> kept;
    std::vector<int> touched;
    // The path of proven: per cell its place in the order of the steps and
    // the step (an index into stepClues).
    std::vector<double> when;
    std::vector<int> stepOf;
    std::vector<std::vector<int>> stepClues;
    long local = 0, whole = 0;
    bool started = false; // the first test found the full set solvable

    size_t at(int c, int r) const { return static_cast<size_t>(c) * static_cast<size_t>(rows) + static_cast<size_t>(r); }

    // The whole field solved again from the cells decided before `first`
    // (the first step that used a removed clue): those stand, the rest take
    // the new steps, placed after them.
    bool solveFrom(double first)
    {
        ++whole;
        std::vector<std::int8_t> state(picture.cells.size(), kCellOpen);
        for (size_t i = 0; i < state.size(); ++i)
            if (when[i] < first) state[i] = picture.cells[i] ? kCellFilled : kCellWhite;
        std::vector<GradeStep> steps;
        if (!solveWithin(active, state, BlockBounds{0, 0, cols - 1, rows - 1}, maxLevel, &steps)) return false;
        for (size_t i = 0; i < state.size(); ++i)
            if ((state[i] == kCellFilled) != (picture.cells[i] != 0)) return false;
        for (size_t s = 0; s < steps.size(); ++s) {
            stepClues.push_back(std::move(steps[s].clues));
            for (int y : steps[s].cells) {
                when[static_cast<size_t>(y)] = first + static_cast<double>(s);
                stepOf[static_cast<size_t>(y)] = static_cast<int>(stepClues.size() - 1);
            }
        }
        compactSteps();
        return true;
    }

    // Steps no cell names any more are dropped now and then, so that their
    // lists do not pile up over the trials.
    void compactSteps()
    {
        if (stepClues.size() <= 4 * stepOf.size() + 1024) return;
        std::vector<int> renumbered(stepClues.size(), -1);
        std::vector<std::vector<int>> kept;
        for (int& step : stepOf) {
            int& to = renumbered[static_cast<size_t>(step)];
            if (to < 0) {
                to = static_cast<int>(kept.size());
                kept.push_back(std::move(stepClues[static_cast<size_t>(step)]));
            }
            step = to;
        }
        stepClues = std::move(kept);
    }

    // A part of the field for a solve within region: the region with the
    // margin it reads, the clues whose blocks lie wholly inside, the state
    // of each cell from known().
    struct Crop {
        BlockBounds box;   // in the field
        ClueSet clues;
        std::vector<std::int8_t> state;
        BlockBounds region; // in the crop
        int toField(int i) const { return (box.left + i / clues.rows) * fieldRows + box.top + i % clues.rows; }
        int fieldRows = 0;
    };
    template <class Known>
    Crop crop(const BlockBounds& region, Known&& known) const
    {
        Crop k;
        k.fieldRows = rows;
        k.box = BlockBounds{std::max(0, region.left - kReadMargin), std::max(0, region.top - kReadMargin),
                            std::min(cols - 1, region.right + kReadMargin), std::min(rows - 1, region.bottom + kReadMargin)};
        const int w = k.box.right - k.box.left + 1, h = k.box.bottom - k.box.top + 1;
        k.clues = ClueSet(w, h);
        k.state.assign(static_cast<size_t>(w) * static_cast<size_t>(h), kCellOpen);
        for (int c = k.box.left; c <= k.box.right; ++c)
            for (int r = k.box.top; r <= k.box.bottom; ++r) {
                const size_t i = static_cast<size_t>(c - k.box.left) * static_cast<size_t>(h) + static_cast<size_t>(r - k.box.top);
                k.state[i] = known(c, r);
                const BlockBounds b = blockAround(c, r, cols, rows);
                if (b.left >= k.box.left && b.right <= k.box.right && b.top >= k.box.top && b.bottom <= k.box.bottom)
                    k.clues.clues[i] = active.clues[at(c, r)];
            }
        k.region = BlockBounds{region.left - k.box.left, region.top - k.box.top, region.right - k.box.left,
                               region.bottom - k.box.top};
        return k;
    }

    BlockBounds around(const std::vector<int>& cells, int radius) const
    {
        BlockBounds b{cols, rows, -1, -1};
        for (int i : cells) {
            b.left = std::min(b.left, i / rows);
            b.right = std::max(b.right, i / rows);
            b.top = std::min(b.top, i % rows);
            b.bottom = std::max(b.bottom, i % rows);
        }
        return BlockBounds{std::max(0, b.left - radius), std::max(0, b.top - radius), std::min(cols - 1, b.right + radius),
                           std::min(rows - 1, b.bottom + radius)};
    }

    std::int8_t pictureAt(int c, int r) const { return picture.at(c, r) ? kCellFilled : kCellWhite; }

    Verdict test()
    {
        std::vector<int> removed;
        for (int i : touched)
            if (active.clues[static_cast<size_t>(i)] == kNoClue && proven.clues[static_cast<size_t>(i)] != kNoClue)
                removed.push_back(i);
        touched.clear();
        auto holds = [&] {
            for (int i : removed) proven.clues[static_cast<size_t>(i)] = kNoClue;
            return Verdict::OnlyAnswer;
        };
        if (removed.empty()) return Verdict::OnlyAnswer;

        // A filled cell out of every clue's reach would be white.
        for (int k : removed) {
            bool uncovered = false;
            forEachInBlock(k / rows, k % rows, cols, rows, [&](int c, int r) {
                if (!picture.at(c, r)) return;
                bool reached = false;
                forEachInBlock(c, r, cols, rows, [&](int x, int y) { reached = reached || active.clues[at(x, y)] != kNoClue; });
                uncovered = uncovered || !reached;
            });
            if (uncovered) {
                ++local;
                return Verdict::AnotherAnswer;
            }
        }

        // The cells whose steps used a removed clue, and the first of those steps.
        std::vector<int> outputs;
        double first = std::numeric_limits<double>::max();
        for (int k : removed)
            forEachInSquare(k / rows, k % rows, kOutputReach, cols, rows, [&](int c, int r) {
                const size_t y = at(c, r);
                const std::vector<int>& used = stepClues[static_cast<size_t>(stepOf[y])];
                if (std::find(used.begin(), used.end(), k) == used.end()) return;
                outputs.push_back(static_cast<int>(y));
                first = std::min(first, when[y]);
            });
        if (outputs.empty()) {
            ++local;
            return holds();
        }

        // Even knowing every cell further away, the cells near the removed
        // clues cannot all be decided: no solve of the field decides them.
        {
            const BlockBounds region = around(removed, kFailRadius);
            Crop k = crop(region, [&](int c, int r) {
                const bool inside = c >= region.left && c <= region.right && r >= region.top && r <= region.bottom;
                return inside ? kCellOpen : pictureAt(c, r);
            });
            if (!solveWithin(k.clues, k.state, k.region, maxLevel)) {
                ++local;
                return Verdict::AnotherAnswer;
            }
        }

        // From the cells decided before the removed clues were first used,
        // the cells near them decided again: then the rest of the path stands.
        {
            const BlockBounds region = around(removed, kHoldRadius);
            double latest = -1; // the latest of the cells it starts from
            Crop k = crop(region, [&](int c, int r) {
                if (when[at(c, r)] >= first) return kCellOpen;
                latest = std::max(latest, when[at(c, r)]);
                return pictureAt(c, r);
            });
            std::vector<GradeStep> steps;
            solveWithin(k.clues, k.state, k.region, maxLevel, &steps);
            bool all = true;
            for (int y : outputs) {
                const int c = y / rows - k.box.left, r = y % rows - k.box.top;
                all = all && k.state[static_cast<size_t>(c) * static_cast<size_t>(k.clues.rows) + static_cast<size_t>(r)] != kCellOpen;
            }
            // The new steps go between the cells they start from and the
            // first step they replace, in their order.
            const double gap = (first - latest) / static_cast<double>(steps.size() + 1);
            if (all && gap > 1e-9 * std::max(1.0, first)) {
                for (size_t s = 0; s < steps.size(); ++s) {
                    std::vector<int> used;
                    for (int clue : steps[s].clues) used.push_back(k.toField(clue));
                    stepClues.push_back(std::move(used));
                    for (int y : steps[s].cells) {
                        const size_t f = static_cast<size_t>(k.toField(y));
                        when[f] = latest + gap * static_cast<double>(s + 1);
                        stepOf[f] = static_cast<int>(stepClues.size() - 1);
                    }
                }
                compactSteps();
                ++local;
                return holds();
            }
        }

        if (!solveFrom(first)) {
            // The path of proven stays as it was.
            return Verdict::AnotherAnswer;
        }
        return holds();
    }
};

LevelJudge::LevelJudge(const CellGrid& picture, const std::vector<std::uint8_t>& candidates, int maxLevel)
    : impl_(std::make_unique<Impl>())
{
    Impl& m = *impl_;
    m.cols = picture.cols;
    m.rows = picture.rows;
    m.picture = picture;
    m.maxLevel = maxLevel;
    const ClueSet all = allClues(picture);
    m.counts = ClueSet(m.cols, m.rows);
    for (size_t i = 0; i < candidates.size(); ++i)
        if (candidates[i]) m.counts.clues[i] = all.clues[i];
    m.active = m.counts;
    m.kept.assign(candidates.size(), 0);
    m.when.assign(candidates.size(), 0);
    m.stepOf.assign(candidates.size(), 0);
    m.stepClues.assign(1, {});
    m.proven = ClueSet(m.cols, m.rows);
}

LevelJudge::~LevelJudge() = default;

void LevelJudge::setActive(int c, int r, bool on)
{
    Impl& m = *impl_;
    const size_t i = m.at(c, r);
    if (m.counts.clues[i] == kNoClue) return;
    m.active.clues[i] = on ? m.counts.clues[i] : kNoClue;
    m.touched.push_back(static_cast<int>(i));
}

bool LevelJudge::isKeptForGood(int c, int r) const
{
    return impl_->kept[impl_->at(c, r)] != 0;
}

void LevelJudge::dropForGood(int c, int r)
{
    Impl& m = *impl_;
    const size_t i = m.at(c, r);
    m.active.clues[i] = m.proven.clues[i] = kNoClue;
    m.counts.clues[i] = kNoClue;
}

void LevelJudge::keepForGood(int c, int r)
{
    Impl& m = *impl_;
    const size_t i = m.at(c, r);
    if (m.counts.clues[i] == kNoClue) return;
    m.kept[i] = 1;
    m.active.clues[i] = m.counts.clues[i];
}

LevelJudge::Verdict LevelJudge::test(const StopCheck& stop)
{
    Impl& m = *impl_;
    if (stop && stop()) return Verdict::Interrupted;
    if (!m.started) {
        // The starting set: solved whole, which also gives the first path.
        m.touched.clear();
        // No cell is decided yet (all stand at 0): a solve from nothing.
        if (!m.solveFrom(0)) return Verdict::AnotherAnswer;
        m.proven = m.active;
        m.started = true;
        return Verdict::OnlyAnswer;
    }
    return m.test();
}

long LevelJudge::localVerdicts() const
{
    return impl_->local;
}

long LevelJudge::wholeFieldSolves() const
{
    return impl_->whole;
}

} // namespace klt
