#pragma once
// The generate, check, undo and hide-answers commands, shared by the main
// window and the command-line tool.
#include "core/placement.h"
#include "core/workspace.h"

namespace klt {

enum class GenerateOutcome {
    NoFilledCells, // "Нет закрашенных клеток!"
    NotSolvable,   // "Не решается!"
    Interrupted,   // "Прервано !"
    FullClues,     // Ctrl held: every cell carries its clue
    Solved,        // placement done, final solve "Решается !"
    Stuck,         // placement done, final solve "Не получилось!"
};

enum class CheckOutcome {
    NoNumbers, // "Нет цифр!"
    Solved,    // "Решается !"
    Stuck,     // "Не получилось!"
};

// Generate; correcting adds white margins until the picture is solvable.
// Errors inside throw CommandError after the busy state was restored.
GenerateOutcome generate(Workspace& ws, bool correcting, PlacementEngine& engine);

CheckOutcome check(Workspace& ws, PlacementEngine& engine);

// Empties a "0" whose left and right (else upper and lower) neighbours are
// both exactly "0", seeing the cells already emptied.
void thinZeroClues(Workspace& ws);

// Selects cell (0, 0) and restores the last snapshot.
void undo(Workspace& ws);

// Toggles "Убрать ответы".
void toggleHideAnswers(Workspace& ws);

} // namespace klt
