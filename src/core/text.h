#pragma once
// Text helpers shared by every reader and by the field model. All texts are
// 8-bit Windows-1251 strings held in std::string.
#include <cstdint>
#include <optional>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace klt {

// Removes leading and trailing characters with codes 0..32.
std::string trim(std::string_view s);

// Removes leading and trailing blanks and tabs only (the profile reader's rule).
std::string trimBlanks(std::string_view s);

// The ordinary string-to-integer conversion: optional leading spaces, an
// optional sign, decimal digits or a "$", "x", "X" or "0x" hexadecimal
// prefix, and nothing after the number. Empty result when it does not convert.
std::optional<std::int32_t> parseNumber(std::string_view s);

// A cell is filled iff its text holds "-" anywhere.
inline bool isFilledText(std::string_view s) { return s.find('-') != std::string_view::npos; }

// The k-th word (counted from 1) of s, words being maximal runs of characters
// outside the separator set; a word past the end is the empty text.
std::string wordAt(std::string_view s, std::string_view separators, int k);

// The words of s in order, at most max of them.
std::vector<std::string_view> splitWords(std::string_view s, std::string_view separators,
                                         std::size_t max = static_cast<std::size_t>(-1));

// Number of words of s.
int wordCount(std::string_view s, std::string_view separators);

// s with every character of chars removed.
std::string removeChars(std::string_view s, std::string_view chars);

// Decimal form of an integer.
std::string decimal(long long v);

// Windows-1251 upper-casing of one byte (Latin and Cyrillic letters).
unsigned char upper1251(unsigned char c);

} // namespace klt
