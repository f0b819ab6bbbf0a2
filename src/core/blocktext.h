#pragma once
// Cell blocks as tab-separated text (cells end with a blank, rows with CR LF),
// the form spreadsheets also exchange.
#include <string>

#include "core/workspace.h"

namespace klt {

// Text of the selection; when cutting, the selected cells become empty.
std::string copySelectionText(Workspace& ws, bool cut);

enum class PasteResult { Pasted, NoTab, BadValue, TooLarge };

struct PasteOutcome {
    PasteResult result = PasteResult::Pasted;
    std::string error; // the error box's text, UTF-8; empty when pasted
};

// Pastes Windows-1251 text with its top-left value at the current cell.
// Takes a snapshot unless a block move runs. A text that would grow the field
// past kMaxFieldSide is refused whole. A bad value stops the paste where it
// stands (the cells before it stay pasted).
PasteOutcome pasteText(Workspace& ws, const std::string& text);

struct MoveOutcome {
    bool moved = false;
    std::string clipboard; // what the clipboard gets (Windows-1251), when moved
    std::string error;     // the error box's text when refused
};

// Moves the remembered block so that its top-left cell lands at (col, row).
// The block's text goes to the clipboard as a cut would put it; the cells
// themselves are carried whole, so letters and one-column blocks move too.
// Refused, with nothing changed, when the block would reach past
// kMaxFieldSide.
MoveOutcome moveBlock(Workspace& ws, int col, int row);

// Whether a trimmed cell text may be pasted: empty, "-" or a number -10..10.
bool pasteAdmits(const std::string& trimmed);

} // namespace klt
