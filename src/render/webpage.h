#pragma once
// The puzzle as one self-contained HTML page on which a reader solves it:
// the task drawn from the clues, clicks and keys to fill cells, undo,
// a check against the (masked) answer, progress kept in the browser. The
// page's markup, style and script live in render/webpage/ and are put
// together here with the puzzle's data; the page asks for nothing outside
// itself.
#include <QByteArray>
#include <QString>

#include "core/field.h"
#include "render/picturestyle.h"

namespace klt {

// title names the puzzle on the page (its file name without extension);
// digitPercent is the clue digits' height in the cell (0: the default).
// Throws CommandError where the check would, for a field it cannot read.
QByteArray puzzlePageHtml(const Field& field, const QString& title, const PictureStyle& style, int digitPercent);

} // namespace klt
