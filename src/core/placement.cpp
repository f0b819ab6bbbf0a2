#include "core/placement.h"

#include <utility>
#include <vector>

#include "core/random.h"
#include "core/solver.h"

namespace klt {

SweepDirection drawSweepDirection(std::uint32_t seed)
{
    Lcg rng(seed);
    SweepDirection d;
    d.dc = rng.random(2) == 0 ? 1 : -1;
    d.dr = rng.random(2) == 0 ? 1 : -1;
    return d;
}

bool PlacementEngine::solve(CommandContext& ctx, bool showResult, std::optional<double> startTime)
{
    return solveLiteral(work_, ctx, showResult, startTime);
}

CellGroup groupCells(const WorkArrays& w, int c, int r, int dc, int dr, int extra)
{
    CellGroup group;
    for (int k = 1; k <= extra; ++k) {
        int x = c + k * dc, y = r + k * dr;
        if (x > w.lastCol && y > w.lastRow) break;
        if (y > w.lastRow) y = 0;
        if (x > w.lastCol) x = 0;
        if (y < 0) y = 0;
        if (x < 0) x = 0;
        group.push_back({x, y});
    }
    return group;
}


void LiteralPlacement::placeClues(const Grid<std::string>& picture, const PlacementOptions& options, CommandContext& ctx,
                                  std::uint32_t seed)
{
    WorkArrays& w = work_;
    const SweepDirection dir = drawSweepDirection(seed);
    const int extra = options.extra();
    std::vector<std::pair<CellPos, std::int8_t>> saved;

    auto trialSucceeds = [&] { return solveLiteral(w, ctx, false) && matchesPicture(w, picture); };
    auto rollBack = [&] {
        for (auto it = saved.rbegin(); it != saved.rend(); ++it) w.value(it->first.col, it->first.row) = it->second;
    };

    for (int c = dir.dc > 0 ? 0 : w.lastCol; c >= 0 && c <= w.lastCol; c += dir.dc) {
        for (int r = dir.dr > 0 ? 0 : w.lastRow; r >= 0 && r <= w.lastRow; r += dir.dr) {
            ctx.progressStep(1);
            if (ctx.stopped()) break;
            if (!w.hasClue(c, r)) continue;
            saved.clear();
            saved.push_back({{c, r}, w.value(c, r)});
            for (const CellPos& g : groupCells(w, c, r, dir.dc, dir.dr, extra)) {
                saved.push_back({g, w.value(g.col, g.row)});
                removeClue(w, g.col, g.row);
            }
            removeClue(w, c, r);
            if (!trialSucceeds()) rollBack();
        }
    }

    // Second pass over the zero clues, one by one.
    if (options.extra() == 0) return;
    for (int c = 0; c <= w.lastCol; ++c) {
        for (int r = 0; r <= w.lastRow; ++r) {
            if (w.value(c, r) != 0) continue;
            removeClue(w, c, r);
            if (!trialSucceeds()) w.value(c, r) = 0;
        }
    }
}

} // namespace klt
