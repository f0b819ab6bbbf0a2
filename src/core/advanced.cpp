#include "core/advanced.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/solver.h"
#include "core/text.h"

namespace klt {

namespace {

// The inner ordinary generation talks to this host: its boxes are held back
// (the advanced command announces its own result), the busy state stays as
// the advanced command set it, and its seed is remembered so that the second
// sweep runs in the same direction. Everything else goes to the program.
class InnerHost : public Host {
public:
    explicit InnerHost(Host& outer) : outer_(outer) {}

    std::vector<std::pair<std::string, std::string>> held; // text, caption
    std::optional<std::uint32_t> seed;

    void information(const std::string& text, const std::string& caption) override { held.emplace_back(text, caption); }
    void errorBox(const std::string& text) override { outer_.errorBox(text); }
    void progressStart(const std::string& caption, int maximum) override { outer_.progressStart(caption, maximum); }
    void progressStep(int by) override { outer_.progressStep(by); }
    void progressEnd() override { outer_.progressEnd(); }
    void updateActions() override {}
    void pumpEvents() override { outer_.pumpEvents(); }
    void modifiedChanged(bool modified) override { outer_.modifiedChanged(modified); }
    void hideAnswersChanged(bool checked) override { outer_.hideAnswersChanged(checked); }
    void syncSizeControls() override { outer_.syncSizeControls(); }
    void fieldChanged() override { outer_.fieldChanged(); }
    void setClipboardText(const std::string& text1251) override { outer_.setClipboardText(text1251); }
    bool ctrlDown() override { return outer_.ctrlDown(); }
    double now() override { return outer_.now(); }
    std::uint32_t clockSeed() override
    {
        seed = outer_.clockSeed();
        return *seed;
    }

    void release()
    {
        for (const auto& [text, caption] : held) outer_.information(text, caption);
        held.clear();
    }

private:
    Host& outer_;
};

// Gives the workspace its own host back and leaves the busy state on every
// way out.
class AdvancedGuard {
public:
    AdvancedGuard(Workspace& ws, Host& outer) : ws_(ws), outer_(outer) {}
    ~AdvancedGuard()
    {
        ws_.setHost(outer_);
        outer_.progressEnd();
        ws_.stopped = true;
        outer_.updateActions();
    }
    AdvancedGuard(const AdvancedGuard&) = delete;
    AdvancedGuard& operator=(const AdvancedGuard&) = delete;

private:
    Workspace& ws_;
    Host& outer_;
};

// The picture of the snapshot, over the extent of the working arrays.
CellGrid snapshotPicture(const Workspace& ws)
{
    const WorkArrays& w = ws.work;
    CellGrid g(w.lastCol + 1, w.lastRow + 1);
    for (int r = 0; r <= w.lastRow && r < static_cast<int>(ws.undoCells.size()); ++r) {
        const auto& row = ws.undoCells[static_cast<size_t>(r)];
        for (int c = 0; c <= w.lastCol && c < static_cast<int>(row.size()); ++c)
            g.set(c, r, isFilledText(row[static_cast<size_t>(c)]));
    }
    return g;
}

std::unique_ptr<PictureUniqueness> uniquenessOf(const Workspace& ws)
{
    const WorkArrays& w = ws.work;
    std::vector<std::uint8_t> candidates(w.values.size(), 0);
    for (int c = 0; c <= w.lastCol; ++c)
        for (int r = 0; r <= w.lastRow; ++r) candidates[static_cast<size_t>(c) * static_cast<size_t>(w.rows()) + static_cast<size_t>(r)] = w.hasClue(c, r);
    return std::make_unique<PictureUniqueness>(snapshotPicture(ws), candidates);
}

int clueCount(const WorkArrays& w)
{
    int n = 0;
    for (int c = 0; c <= w.lastCol; ++c)
        for (int r = 0; r <= w.lastRow; ++r) n += w.hasClue(c, r);
    return n;
}

// Every cell of the field carries its block count.
void writeFullClues(Workspace& ws)
{
    ws.stripClues();
    ws.writeAllClues();
    ws.host().fieldChanged();
    ws.loadWorkArrays();
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

void sweep(Workspace& ws, PictureUniqueness& pu, std::uint32_t seed)
{
    WorkArrays& w = ws.work;
    const SweepDirection dir = drawSweepDirection(seed);
    const int extra = ws.difficultyMax - ws.difficulty > 0 ? ws.difficultyMax - ws.difficulty : 0;
    auto group = std::make_unique<int[][2]>(static_cast<size_t>(extra) + 1);
    struct Saved {
        int c, r;
        std::int8_t value;
    };
    std::vector<Saved> saved;
    const StopCheck stop = pumpingStopCheck(ws);

    // A visited clue that stays will not be tried again, unless it is a zero
    // with a second chance ahead, or lies in column 0 or row 0 where later
    // groups wrap or stick to.
    const bool zeroPass = ws.difficulty != ws.difficultyMax;
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
        if (visiting && !ws.stopped && staysForGood(saved.front())) pu.keepForGood(saved.front().c, saved.front().r);
    };

    // Clues that say least about their block go first, those that settle it
    // (0 and 9) last: the informative ones then carry the puzzle, which leaves
    // a quarter fewer clues than one sweep in field order.
    for (int pass = 0; pass < kSweepPasses && !ws.stopped; ++pass)
    for (int c = dir.dc > 0 ? 0 : w.lastCol; c >= 0 && c <= w.lastCol; c += dir.dc) {
        for (int r = dir.dr > 0 ? 0 : w.lastRow; r >= 0 && r <= w.lastRow; r += dir.dr) {
            ws.host().progressStep(1);
            if (ws.stopped) break;
            if (!w.hasClue(c, r) || sweepPass(w.value(c, r)) != pass) continue;
            saved.clear();
            saved.push_back({c, r, w.value(c, r)});
            const int n = groupCells(w, c, r, dir.dc, dir.dr, extra, group.get());
            for (int k = 0; k < n; ++k) {
                saved.push_back({group[k][0], group[k][1], w.value(group[k][0], group[k][1])});
                removeClue(w, group[k][0], group[k][1]);
            }
            removeClue(w, c, r);
            trial(true);
        }
    }

    // Second chance for the zero clues, one by one, as the ordinary placement gives them.
    if (!zeroPass || ws.stopped) return;
    for (int c = 0; c <= w.lastCol; ++c)
        for (int r = 0; r <= w.lastRow; ++r) {
            if (w.value(c, r) != 0) continue;
            saved.clear();
            saved.push_back({c, r, 0});
            removeClue(w, c, r);
            trial(false);
        }
}

} // namespace

void placeCluesAdvanced(Workspace& ws, std::uint32_t seed)
{
    auto pu = uniquenessOf(ws);
    sweep(ws, *pu, seed);
}

GenerateOutcome generateAdvanced(Workspace& ws, bool correcting, PlacementEngine& engine)
{
    Host& outer = ws.host();
    InnerHost inner(outer);
    const bool modifiedBefore = ws.modified; // the inner generation sets it on success

    AdvancedGuard guard(ws, outer);
    ws.stopped = false;
    outer.updateActions();
    const double start = outer.now();

    ws.setHost(inner);
    const GenerateOutcome ordinary = generate(ws, correcting, engine);
    ws.setHost(outer);

    switch (ordinary) {
    case GenerateOutcome::NoFilledCells:
    case GenerateOutcome::Interrupted:
        inner.release();
        return ordinary;
    case GenerateOutcome::FullClues:
        return ordinary;
    case GenerateOutcome::NotSolvable: // in correcting mode with the eight white lines added
    case GenerateOutcome::Solved:
    case GenerateOutcome::Stuck:
        break;
    }
    ws.stopped = false; // the inner generation left the busy state

    // The sweep starts from every clue: thinned by the SAT check alone it
    // ends with far fewer clues than from the set deduction needs. On small
    // pictures that set may still do better; it is kept for a second try.
    std::optional<WorkArrays> deductionSet;
    if (ordinary != GenerateOutcome::NotSolvable) {
        ws.loadWorkArrays();
        deductionSet = ws.work;
    }
    writeFullClues(ws);
    outer.progressStart("Ждите...", kSweepPasses * ws.field.colCount() * ws.field.rowCount());

    auto giveUp = [&](const char* text, GenerateOutcome outcome) {
        ws.restoreSnapshot(false);
        if (ws.modified != modifiedBefore) ws.setModified(modifiedBefore);
        outer.information(text, "Обсчет");
        return outcome;
    };
    auto interrupted = [&] { return giveUp("Прервано !", GenerateOutcome::Interrupted); };
    const StopCheck stop = pumpingStopCheck(ws);
    auto pu = uniquenessOf(ws);
    const auto verdict = pu->test(stop);
    if (verdict == PictureUniqueness::Verdict::Interrupted || ws.stopped) return interrupted();
    if (verdict == PictureUniqueness::Verdict::AnotherAnswer) return giveUp("Ответов несколько", GenerateOutcome::NotSolvable);

    const std::uint32_t seed = inner.seed ? *inner.seed : outer.clockSeed();
    sweep(ws, *pu, seed);
    if (ws.stopped) return interrupted();

    if (deductionSet && clueCount(*deductionSet) < clueCount(ws.work)) {
        const WorkArrays fromEveryClue = ws.work;
        ws.work = *deductionSet;
        pu = uniquenessOf(ws);
        const auto again = pu->test(stop);
        if (again == PictureUniqueness::Verdict::Interrupted || ws.stopped) return interrupted();
        if (again == PictureUniqueness::Verdict::OnlyAnswer) {
            outer.progressStart("Ждите...", kSweepPasses * ws.field.colCount() * ws.field.rowCount());
            sweep(ws, *pu, seed);
            if (ws.stopped) return interrupted();
        }
        if (again != PictureUniqueness::Verdict::OnlyAnswer || clueCount(fromEveryClue) <= clueCount(ws.work))
            ws.work = fromEveryClue;
    }

    // Marks of the ordinary generation's trials say nothing about the new clue set.
    std::fill(ws.work.states.begin(), ws.work.states.end(), std::uint8_t{0});
    ws.storeWorkArrays();
    ws.restoreSnapshot(true);
    outer.information("Ответ единственный\r\n" + elapsedText(outer.now() - start), "Решение");
    ws.setModified(true);
    return GenerateOutcome::Solved;
}

} // namespace klt
