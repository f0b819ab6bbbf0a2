#include "core/advanced.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/leveljudge.h"
#include "core/solver.h"
#include "core/text.h"

namespace klt {

namespace {

// The picture of the snapshot, over the extent of the working arrays.
CellGrid snapshotPicture(const WorkArrays& w, const Grid<std::string>& snapshot)
{
    CellGrid g(w.lastCol + 1, w.lastRow + 1);
    for (int c = 0; c <= w.lastCol; ++c)
        for (int r = 0; r <= w.lastRow; ++r) g.set(c, r, snapshot.inside(c, r) && isFilledText(snapshot.at(c, r)));
    return g;
}

// The test of a removal: the SAT check of the only answer, or the graded
// levels up to the highest one asked for.
class RemovalTest {
public:
    RemovalTest(const WorkArrays& w, const Grid<std::string>& snapshot, int maxLevel)
    {
        std::vector<std::uint8_t> candidates(w.values.size(), 0);
        for (int c = 0; c <= w.lastCol; ++c)
            for (int r = 0; r <= w.lastRow; ++r)
                candidates[static_cast<size_t>(c) * static_cast<size_t>(w.rows()) + static_cast<size_t>(r)] = w.hasClue(c, r);
        if (maxLevel > 0) levels_ = std::make_unique<LevelJudge>(snapshotPicture(w, snapshot), candidates, maxLevel);
        else sat_ = std::make_unique<PictureUniqueness>(snapshotPicture(w, snapshot), candidates);
    }
    void setActive(int c, int r, bool on) { sat_ ? sat_->setActive(c, r, on) : levels_->setActive(c, r, on); }
    bool isKeptForGood(int c, int r) const { return sat_ ? sat_->isKeptForGood(c, r) : levels_->isKeptForGood(c, r); }
    void dropForGood(int c, int r) { sat_ ? sat_->dropForGood(c, r) : levels_->dropForGood(c, r); }
    void keepForGood(int c, int r) { sat_ ? sat_->keepForGood(c, r) : levels_->keepForGood(c, r); }
    PictureUniqueness::Verdict test(const StopCheck& stop) { return sat_ ? sat_->test(stop) : levels_->test(stop); }

private:
    std::unique_ptr<PictureUniqueness> sat_;
    std::unique_ptr<LevelJudge> levels_;
};

std::unique_ptr<RemovalTest> uniquenessOf(const WorkArrays& w, const Grid<std::string>& snapshot, int maxLevel = 0)
{
    return std::make_unique<RemovalTest>(w, snapshot, maxLevel);
}

int clueCount(const WorkArrays& w)
{
    int n = 0;
    for (int c = 0; c <= w.lastCol; ++c)
        for (int r = 0; r <= w.lastRow; ++r) n += w.hasClue(c, r);
    return n;
}

// Every cell of the field carries its block count.
void writeFullClues(PuzzleDocument& doc, WorkArrays& w)
{
    stripClues(doc.field());
    writeAllClues(doc.field());
    doc.notifyFieldChanged();
    loadWorkArrays(doc.field(), w);
}

// The sweep visits the clues in passes by how much they tell: 3 to 6 first,
// then 1, 2, 7 and 8, then 0 and 9.
constexpr int kSweepPasses = 3;
int sweepPass(int value)
{
    const int m = (value < 0 ? -value : value) % 10;
    if (m >= 3 && m <= 6) return 0;
    return m == 0 || m == 9 ? 2 : 1;
}

// The gauge counts trials, which is where the time goes: one per clue in the
// passes and one per zero clue in the second chance.
int sweepTrials(const WorkArrays& w, const PlacementOptions& options)
{
    int n = 0;
    for (int c = 0; c <= w.lastCol; ++c)
        for (int r = 0; r <= w.lastRow; ++r)
            if (w.hasClue(c, r)) n += options.extra() != 0 && w.value(c, r) == 0 ? 2 : 1;
    return n;
}

// The gauge, started for the sweep of w before its solver is built.
int startGauge(CommandContext& ctx, const WorkArrays& w, const PlacementOptions& options)
{
    const int trials = sweepTrials(w, options);
    ctx.progressStart("Ждите...", trials);
    return trials;
}

void sweep(WorkArrays& w, const PlacementOptions& options, CommandContext& ctx, RemovalTest& pu, std::uint32_t seed,
           int trials)
{
    int done = 0;
    const SweepDirection dir = drawSweepDirection(seed);
    const int extra = options.extra() > 0 ? options.extra() : 0;
    struct Saved {
        int c, r;
        std::int8_t value;
    };
    std::vector<Saved> saved;
    const StopCheck stop = pumpingStopCheck(ctx);

    // A visited clue that stays will not be tried again, unless it is a zero
    // with a second chance ahead, or lies in column 0 or row 0 where later
    // groups wrap or stick to.
    const bool zeroPass = options.extra() != 0;
    auto staysForGood = [&](const Saved& visited) {
        return visited.c != 0 && visited.r != 0 && !(zeroPass && visited.value == 0);
    };

    // One incremental solve decides a trial. A kept removal is final, and so
    // is most of the failed ones; the solver is told, which spares it work.
    // A group that takes a clue kept for good fails without a solve.
    auto rollBack = [&] {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it) {
            w.value(it->c, it->r) = it->value;
            if (it->value >= -9 && it->value <= 9) pu.setActive(it->c, it->r, true);
        }
    };
    auto trial = [&](bool visiting) {
        for (const Saved& s : saved)
            if (s.value >= -9 && s.value <= 9 && pu.isKeptForGood(s.c, s.r)) {
                rollBack();
                return;
            }
        for (const Saved& s : saved)
            if (s.value >= -9 && s.value <= 9) pu.setActive(s.c, s.r, false);
        if (pu.test(stop) == PictureUniqueness::Verdict::OnlyAnswer) {
            for (const Saved& s : saved)
                if (s.value >= -9 && s.value <= 9) pu.dropForGood(s.c, s.r);
            return;
        }
        rollBack();
        if (visiting && !ctx.stopped() && staysForGood(saved.front())) pu.keepForGood(saved.front().c, saved.front().r);
    };

    // Clues that say least about their block go first, those that settle it
    // (0 and 9) last: the informative ones then carry the puzzle, which leaves
    // a quarter fewer clues than one sweep in field order.
    for (int pass = 0; pass < kSweepPasses && !ctx.stopped(); ++pass)
    for (int c = dir.dc > 0 ? 0 : w.lastCol; c >= 0 && c <= w.lastCol; c += dir.dc) {
        for (int r = dir.dr > 0 ? 0 : w.lastRow; r >= 0 && r <= w.lastRow; r += dir.dr) {
            if (ctx.stopped()) break;
            if (!w.hasClue(c, r) || sweepPass(w.value(c, r)) != pass) continue;
            ctx.progressStep(1);
            ++done;
            if (ctx.stopped()) break;
            saved.clear();
            saved.push_back({c, r, w.value(c, r)});
            for (const CellPos& g : groupCells(w, c, r, dir.dc, dir.dr, extra)) {
                saved.push_back({g.col, g.row, w.value(g.col, g.row)});
                removeClue(w, g.col, g.row);
            }
            removeClue(w, c, r);
            trial(true);
        }
    }

    // Second chance for the zero clues, one by one, as the ordinary placement gives them.
    if (!zeroPass || ctx.stopped()) return;
    for (int c = 0; c <= w.lastCol; ++c)
        for (int r = 0; r <= w.lastRow; ++r) {
            if (w.value(c, r) != 0) continue;
            ctx.progressStep(1);
            ++done;
            if (ctx.stopped()) return;
            saved.clear();
            saved.push_back({c, r, 0});
            removeClue(w, c, r);
            trial(false);
        }
    // Zeros taken away in the passes get no second chance.
    if (done < trials) ctx.progressStep(trials - done);
}

} // namespace

void placeCluesAdvanced(WorkArrays& w, const Grid<std::string>& picture, const PlacementOptions& options,
                        CommandContext& ctx, std::uint32_t seed)
{
    const int trials = startGauge(ctx, w, options);
    auto pu = uniquenessOf(w, picture);
    sweep(w, options, ctx, *pu, seed, trials);
}

GenerateOutcome generateAdvanced(Workspace& ws, CommandContext& ctx, PlacementEngine& engine, GenerateOptions options)
{
    PuzzleDocument& doc = ws.doc;
    const bool modifiedBefore = doc.modified(); // the inner generation sets it on success

    BusyScope busy(ctx, true);
    busy.start();
    const double start = ctx.now();
    // The second sweep runs in the same direction as the ordinary one.
    if (!options.seed) options.seed = ctx.clockSeed();

    GenerateOutcome ordinary;
    {
        // Its boxes are held back: the advanced command announces its own result.
        MessageHold hold(ctx);
        ordinary = generate(ws, ctx, engine, options);
        if (ordinary == GenerateOutcome::NoFilledCells || ordinary == GenerateOutcome::Interrupted) hold.release();
    }
    switch (ordinary) {
    case GenerateOutcome::NoFilledCells:
    case GenerateOutcome::Interrupted:
    case GenerateOutcome::FullClues:
        return ordinary;
    case GenerateOutcome::NotSolvable: // in correcting mode with the eight white lines added
    case GenerateOutcome::Solved:
    case GenerateOutcome::Stuck:
        break;
    }
    WorkArrays& w = engine.work();

    // The sweep starts from every clue: thinned by the SAT check alone it
    // ends with far fewer clues than from the set deduction needs. On small
    // pictures that set may still do better; it is kept for a second try.
    std::optional<WorkArrays> deductionSet;
    if (ordinary != GenerateOutcome::NotSolvable) {
        loadWorkArrays(doc.field(), w);
        deductionSet = w;
    }
    writeFullClues(doc, w);

    auto giveUp = [&](const char* text, GenerateOutcome outcome) {
        doc.restoreSnapshot(false);
        if (doc.modified() != modifiedBefore) doc.setModified(modifiedBefore);
        ctx.information(text, "Обсчет");
        return outcome;
    };
    auto interrupted = [&] { return giveUp("Прервано !", GenerateOutcome::Interrupted); };
    const StopCheck stop = pumpingStopCheck(ctx);
    const int trials = startGauge(ctx, w, options.placement);
    auto pu = uniquenessOf(w, doc.snapshot(), options.maxLevel);
    const auto verdict = pu->test(stop);
    if (verdict == PictureUniqueness::Verdict::Interrupted || ctx.stopped()) return interrupted();
    // Levels up to the highest one asked for may not solve the full set;
    // then the set the deduction needs is where the sweep starts.
    const bool fromDeductionOnly = verdict == PictureUniqueness::Verdict::AnotherAnswer && options.maxLevel > 0 && deductionSet;
    if (verdict == PictureUniqueness::Verdict::AnotherAnswer && !fromDeductionOnly) {
        if (options.maxLevel > 0)
            return giveUp(("Не решается логикой до уровня " + std::to_string(options.maxLevel)).c_str(), GenerateOutcome::NotSolvable);
        return giveUp("Ответов несколько", GenerateOutcome::NotSolvable);
    }

    if (!fromDeductionOnly) {
        sweep(w, options.placement, ctx, *pu, *options.seed, trials);
        if (ctx.stopped()) return interrupted();
    }

    if (deductionSet && (fromDeductionOnly || clueCount(*deductionSet) < clueCount(w))) {
        const WorkArrays fromEveryClue = w;
        w = *deductionSet;
        const int secondTrials = startGauge(ctx, w, options.placement);
        pu = uniquenessOf(w, doc.snapshot(), options.maxLevel);
        const auto again = pu->test(stop);
        if (again == PictureUniqueness::Verdict::Interrupted || ctx.stopped()) return interrupted();
        if (again == PictureUniqueness::Verdict::OnlyAnswer) {
            sweep(w, options.placement, ctx, *pu, *options.seed, secondTrials);
            if (ctx.stopped()) return interrupted();
        }
        if (!fromDeductionOnly && (again != PictureUniqueness::Verdict::OnlyAnswer || clueCount(fromEveryClue) <= clueCount(w)))
            w = fromEveryClue;
    }

    // Marks of the ordinary generation's trials say nothing about the new clue set.
    std::fill(w.states.begin(), w.states.end(), std::uint8_t{0});
    storeWorkArrays(w, doc.field());
    doc.notifyFieldChanged();
    ctx.keepResponsive();
    doc.restoreSnapshot(true);
    ctx.information("Ответ единственный\r\n" + elapsedText(ctx.now() - start), "Решение");
    doc.setModified(true);
    return GenerateOutcome::Solved;
}

} // namespace klt
