#pragma once
// The deduction solver: one clue at a time, passes over the whole field in
// column-major order, exactly as the puzzle's rules define them.
#include <optional>
#include <string>

#include "core/context.h"
#include "core/workarrays.h"

namespace klt {

// Elapsed time as a time of day, "H:MM:SS".
std::string elapsedText(double seconds);

// Runs the solver on w. With showResult the outcome is announced through the
// context ("Решается !" / "Не получилось!" with the elapsed time since
// startTime, or since now when startTime is empty). Returns true when every
// clue was completed, or when a stop was asked.
bool solveLiteral(WorkArrays& w, CommandContext& ctx, bool showResult, std::optional<double> startTime = std::nullopt);

// One clue step for the clue cell (q, s); exposed for the faster engines.
void clueStep(WorkArrays& w, int q, int s);

} // namespace klt
