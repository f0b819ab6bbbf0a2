#pragma once
// What the edit commands work on: the puzzle document and the editing
// cursor. The main window and the command-line tool each keep one, for as
// long as they show or process the puzzle.
#include "core/cursor.h"
#include "core/document.h"
#include "core/error.h"
#include "core/workarrays.h"

namespace klt {

struct Workspace {
    PuzzleDocument doc;
    EditCursor cursor;
};

// Whether the cell's text is a number (a clue, or a filled cell's "-n").
bool holdsNumber(const Field& f, int c, int r);
// The filled cells of the clipped block of (c, r).
int countFilledAround(const Field& f, int c, int r);
// Every cell keeps only its fill mark; false when no cell is filled.
bool stripClues(Field& f);
// Every cell gets its block count after its fill mark.
void writeAllClues(Field& f);

} // namespace klt
