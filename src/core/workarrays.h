#pragma once
// The engines' working arrays: the clue values and solver states of every
// cell while a generation or a check runs. The engine owns them; a command
// loads them from the field and stores them back.
#include <cstdint>
#include <string>
#include <vector>

#include "core/field.h"
#include "core/grid.h"

namespace klt {

// Cell states of the solver.
enum CellState : std::uint8_t { csUnknown = 0, csDecided = 1, csComplete = 2 };

// Values of CellValues: +10 white without clue, -10 filled without clue,
// 0..9 white with clue, -1..-9 filled with clue. The sign is the fill.
constexpr std::int8_t kWhite = 10;
constexpr std::int8_t kFilled = -10;

struct WorkArrays {
    std::vector<std::int8_t> values; // [col * rows + row]
    std::vector<std::uint8_t> states;
    int lastCol = -1;
    int lastRow = -1;
    std::int32_t quietPasses = 0;

    int rows() const { return lastRow + 1; }
    std::int8_t& value(int c, int r) { return values[static_cast<size_t>(c) * static_cast<size_t>(rows()) + static_cast<size_t>(r)]; }
    std::int8_t value(int c, int r) const { return values[static_cast<size_t>(c) * static_cast<size_t>(rows()) + static_cast<size_t>(r)]; }
    std::uint8_t& state(int c, int r) { return states[static_cast<size_t>(c) * static_cast<size_t>(rows()) + static_cast<size_t>(r)]; }
    std::uint8_t state(int c, int r) const { return states[static_cast<size_t>(c) * static_cast<size_t>(rows()) + static_cast<size_t>(r)]; }
    bool valueFilled(int c, int r) const { return value(c, r) < 0; }
    bool hasClue(int c, int r) const { auto v = value(c, r); return v >= -9 && v <= 9; }
    void setState(int c, int r, std::uint8_t s)
    {
        auto& cur = state(c, r);
        if (cur != s) {
            quietPasses = 0;
            cur = s;
        }
    }
};

// Loads the field's texts. Throws CommandError for a text that is not a
// number in -128..127.
void loadWorkArrays(const Field& field, WorkArrays& w);
// Writes values and states back into the field's texts and marks.
void storeWorkArrays(const WorkArrays& w, Field& field);
// Whether the fill the arrays arrived at is the picture's (the snapshot's);
// false when the two are not of one size.
bool matchesPicture(const WorkArrays& w, const Grid<std::string>& picture);

} // namespace klt
