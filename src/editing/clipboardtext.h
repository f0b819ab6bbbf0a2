#pragma once
// Cell blocks on the system clipboard: the program's Windows-1251 texts are
// converted at this border only.
#include <optional>
#include <string>

namespace klt {

void putClipboardText(const std::string& text1251);
// Empty when the clipboard holds no text.
std::optional<std::string> clipboardText();

} // namespace klt
