#pragma once
// Windows-1251 <-> UTF-8. Cell texts, the prize phrase and the files are
// Windows-1251; the screen, the clipboard and the command line speak UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace klt {

std::string cp1251ToUtf8(std::string_view s);

// Characters without a Windows-1251 code become '?'.
std::string utf8ToCp1251(std::string_view s);

// Strict variant: empty result when a character has no Windows-1251 code;
// badChar then holds that character in UTF-8.
std::optional<std::string> utf8ToCp1251Strict(std::string_view s, std::string* badChar = nullptr);

} // namespace klt
