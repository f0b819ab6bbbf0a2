#pragma once
// Per-cell results written as text: one line per row, one character per
// cell, LF line ends.
#include <functional>
#include <string>

namespace klt::cli {

// Writes rows × cols characters from at(c, r); prints the reason to standard
// error and returns false when the file cannot be written.
bool writeCellRows(const std::string& path, int cols, int rows, const std::function<char(int c, int r)>& at);

} // namespace klt::cli
