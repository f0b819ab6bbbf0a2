#pragma once
// The names in the own puzzle file (".kvt"), written down once for the save
// (putKvtKeys), the opening readers (readKvt, checkKvtSize) and the puzzle
// picture (files/qt/kvtpicture): section "Options" with the field's size,
// the cell size and the prize phrase, then section "Field" with one
// "Str<n>" key per row. The save writes them as spelled here; readers match
// them without regard to letter case.
#include <array>
#include <string>
#include <string_view>

namespace klt::kvt {

inline constexpr std::string_view kOptions = "Options";
inline constexpr std::string_view kHeight = "Height";
inline constexpr std::string_view kWidth = "Width";
inline constexpr std::string_view kCellSize = "CellSize";
inline constexpr std::string_view kWord = "Word";
// The keys of "Options" in the order a save writes them, before the rows.
inline constexpr std::array<std::string_view, 4> kOptionKeys = {kHeight, kWidth, kCellSize, kWord};

inline constexpr std::string_view kField = "Field";
// A row's key: the prefix and the row number from 0, without leading zeros.
inline constexpr std::string_view kRowPrefix = "Str";
inline std::string rowKey(int row)
{
    return std::string(kRowPrefix) + std::to_string(row);
}

// Names are ASCII; a profile file may spell them in any letter case.
constexpr bool sameName(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i])) return false;
    return true;
}

} // namespace klt::kvt
