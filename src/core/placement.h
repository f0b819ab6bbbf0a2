#pragma once
// Clue placement: sweep the field once in a random direction and remove every
// clue (alone or in a diagonal group, by difficulty) whose removal keeps the
// puzzle solvable back to the drawn picture; then retry the zero clues.
#include <cstdint>
#include <optional>

#include "core/workspace.h"

namespace klt {

// Draws the sweep direction from a freshly seeded generator.
struct SweepDirection {
    int dc = 1, dr = 1;
};
SweepDirection drawSweepDirection(std::uint32_t seed);

class PlacementEngine {
public:
    virtual ~PlacementEngine() = default;
    // Preconditions: ws.work holds the full solvable clue set, ws.undoCells the
    // picture, the progress display runs, ws.stopped is false.
    virtual void placeClues(Workspace& ws, std::uint32_t seed) = 0;
    // The final announcing solve of a generation and the check command's solve.
    virtual bool solve(Workspace& ws, bool showResult, std::optional<double> startTime);
};

// The reference engine: every trial solves the whole field from scratch.
class LiteralPlacement : public PlacementEngine {
public:
    void placeClues(Workspace& ws, std::uint32_t seed) override;
};

// Removing a clue keeps the sign (the fill belief) and drops the magnitude.
inline void removeClue(WorkArrays& w, int c, int r)
{
    w.value(c, r) = w.valueFilled(c, r) ? kFilled : kWhite;
}

// Fills group with the diagonal group cells of a trial at (c, r); returns their count.
int groupCells(const WorkArrays& w, int c, int r, int dc, int dr, int extra, int (*group)[2]);

} // namespace klt
