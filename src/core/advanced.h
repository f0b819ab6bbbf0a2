#pragma once
// Advanced generation: puzzles that single-clue deduction cannot finish but
// that still have exactly one answer. The ordinary generation runs first; then
// a sweep from every clue removes clues as long as the SAT solver proves the
// drawn picture the only answer.
#include <cstdint>

#include "core/commands.h"
#include "core/uniqueness.h"

namespace klt {

// The advanced variant of the generate command, for the windows and
// kletomer-cli alike. It runs generate() with its messages held back (for its
// verdicts and the correcting mode's added white lines), then writes every
// clue of the picture and thins them as long as the SAT check proves the
// picture the only answer: the ordinary sweep with its difficulty groups and
// Stop, run in three passes (clues 3 to 6, then 1, 2, 7 and 8, then 0 and 9),
// one progress step per cell and pass, in the direction of the ordinary
// sweep. Outcomes:
// - NoFilledCells, Interrupted, FullClues: as the ordinary generation, with
//   its messages;
// - Solved: the field holds the picture's fill marks and the remaining clue
//   digits, solver marks cleared, modified flag set; the box
//   "Ответ единственный" CR LF elapsed time, caption "Решение";
// - NotSolvable: even the full clue set leaves several answers; the box
//   "Ответов несколько", caption "Обсчет", and the field is left as
//   "Не решается!" leaves it.
// The undo snapshot holds the picture, as after the ordinary generation.
// Errors inside throw CommandError after the busy state was restored.
GenerateOutcome generateAdvanced(Workspace& ws, CommandContext& ctx, PlacementEngine& engine, GenerateOptions options);

// The second sweep alone. Preconditions: w holds a clue set under which the
// picture is the only answer (clue values are the picture's counts), the
// progress display runs, the context is busy. Effect: w without the clues
// removed; ends early when a stop is asked.
void placeCluesAdvanced(WorkArrays& w, const Grid<std::string>& picture, const PlacementOptions& options,
                        CommandContext& ctx, std::uint32_t seed);

} // namespace klt
