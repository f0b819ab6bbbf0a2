#pragma once
// Per-cell results written as text: one line per row, one character per
// cell, LF line ends.
#include <functional>
#include <string>

namespace klt::cli {

class CliContext;

// Writes rows × cols characters from at(c, r); reports the reason as an error
// of ctx and returns false when the file cannot be written.
bool writeCellRows(CliContext& ctx, const std::string& path, int cols, int rows,
                   const std::function<char(int c, int r)>& at);

} // namespace klt::cli
