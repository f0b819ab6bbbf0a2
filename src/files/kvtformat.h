#pragma once
// The own puzzle file (".kvt"): a profile file with the field size, the cell
// size, the prize phrase in section "Options" and one "Str<n>" key per row in
// section "Field", each row written as ";" before every cell text.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/workspace.h"

namespace klt {

// Hands the column width just read to the window's cell-size control, which
// holds it to its range and applies a changed value back (SizeControls::
// syncCellSize does this for a window that is not on screen).
using CellSizeSync = std::function<void(Workspace&)>;

// Receives the keys of a puzzle file one by one, in file order.
using KvtKeySink = std::function<void(std::string_view section, std::string_view key, std::string_view value)>;

// The keys a save writes for the whole field or for *selection (held inside
// the field): Height, Width, CellSize, Word in "Options", then "Str<n>" per
// row in "Field", each cell as the field holds it (an empty one as " ").
// The field is not touched.
void putKvtKeys(const Workspace& ws, const CellRect* selection, const KvtKeySink& sink);

// The write step of a save: renames an existing file to path + ".bak" unless
// that name is taken (failure ignored), then writes Height, Width, CellSize,
// Word and the rows of the whole field or of *selection. Every stored cell
// is trimmed afterwards (the file gets the untrimmed text, an empty cell as
// " "). Throws ProfileWriteError("Unable to write to <path>"); the keys
// before the failing one are in the file, and the cells of rows up to the
// failing one are trimmed, as if each key had been written by itself.
void saveKvt(Workspace& ws, const std::string& path, const CellRect* selection = nullptr);

// The refusal text when the file asks for more than 4096 columns or rows,
// else nothing; run it before the field is cleared for reading.
std::optional<std::string> checkKvtSize(const std::string& path);

// Reads the file into the field, which the caller has just emptied: size
// (below 1 taken as 1; absent or malformed keys keep the current value),
// cell size, prize phrase, then every row. Never fails on content; a size
// above 4096 throws CommandError before anything changes.
// syncCellSize runs last; without it the cell size is held to 5..100.
void readKvt(Workspace& ws, const std::string& path, const CellSizeSync& syncCellSize = {});

} // namespace klt
