#pragma once
// Reading the pictures of foreign puzzle files (".fcr", ".crs") into the
// field. The layout of the rows follows the file's first line, never its
// extension: an FC header gives "colour;number" cells separated by "/", a
// JC header hexadecimal numbers separated by blanks ("#" an empty cell), and
// no header 32 integers per row holding the filled columns as bits.
#include <optional>
#include <string>

#include "core/workspace.h"

namespace klt {

struct ForeignResult {
    bool ok = false;         // the whole file was read
    std::string errorText;   // for the error box when !ok, UTF-8
    std::string kvtName;     // the new document name: the path with ".KVT"
};

// Reads the file into the field, which the caller has just emptied. On
// success the modified flag is cleared. In every case the views and the size
// controls are brought up to date afterwards; on failure the rows read
// before the error stay, and errorText is "Ошибка чтения с диска. Файл
// <path>" CR LF and the reason. The caller shows the box and disables undo.
ForeignResult openForeignFile(Workspace& ws, const std::string& path);

// The refusal text when the file's size line asks for more than 4096
// columns or rows, else nothing; run it before the field is cleared.
std::optional<std::string> checkForeignSize(const std::string& path);

} // namespace klt
