#pragma once
// The generate, check, undo and hide-answers commands, shared by the main
// window and the command-line tool.
#include <cstdint>
#include <optional>

#include "core/context.h"
#include "core/placement.h"
#include "core/workspace.h"

namespace klt {

enum class GenerateOutcome {
    NoFilledCells, // "Нет закрашенных клеток!"
    NotSolvable,   // "Не решается!"
    Interrupted,   // "Прервано !"
    FullClues,     // every cell carries its clue (allClues)
    Solved,        // placement done, final solve "Решается !"
    Stuck,         // placement done, final solve "Не получилось!"
};

enum class CheckOutcome {
    NoNumbers, // "Нет цифр!"
    Solved,    // "Решается !"
    Stuck,     // "Не получилось!"
};

struct GenerateOptions {
    // Adds white margins until the picture is solvable.
    bool correcting = false;
    // Stops after writing every cell's clue (Ctrl held).
    bool allClues = false;
    PlacementOptions placement;
    // The sweep's seed; from the context's clock when empty.
    std::optional<std::uint32_t> seed;
    // Advanced generation only: 0 thins the clues as long as the SAT check
    // proves the picture the only answer; 1 to 3 as long as the graded
    // levels up to this one solve the puzzle (which proves it too).
    int maxLevel = 0;
};

// Generate. Errors inside throw CommandError after the busy state was
// restored.
GenerateOutcome generate(Workspace& ws, CommandContext& ctx, PlacementEngine& engine, const GenerateOptions& options);

CheckOutcome check(Workspace& ws, CommandContext& ctx, PlacementEngine& engine);

// Empties a "0" whose left and right (else upper and lower) neighbours are
// both exactly "0", seeing the cells already emptied.
void thinZeroClues(Field& f);

// Selects cell (0, 0) and restores the last snapshot.
void undo(Workspace& ws);

// Toggles "Убрать ответы".
void toggleHideAnswers(PuzzleDocument& doc);

} // namespace klt
