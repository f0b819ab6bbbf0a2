#pragma once
// The engines' working arrays: the clue values and solver states of every
// cell while a generation or a check runs, on the core's one cell layout
// (Grid, column by column). The engine owns them; a command loads them from
// the field and stores them back.
#include <cstdint>
#include <string>

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
    // An index bound that only reset() sets, so that it always matches the
    // grids; reads as an int.
    class LastIndex {
    public:
        constexpr operator int() const { return value_; }

    private:
        friend struct WorkArrays;
        int value_ = -1;
    };

    Grid<std::int8_t> values;  // see kWhite, kFilled
    Grid<std::uint8_t> states; // CellState
    LastIndex lastCol, lastRow; // cols() - 1, rows() - 1
    std::int32_t quietPasses = 0;

    // Both grids cols × rows, every value white without clue, every state
    // unknown; the quiet-pass count is kept.
    void reset(int cols, int rows)
    {
        values.assign(cols, rows, kWhite);
        states.assign(cols, rows, csUnknown);
        lastCol.value_ = values.cols() - 1;
        lastRow.value_ = values.rows() - 1;
    }

    int cols() const { return values.cols(); }
    int rows() const { return values.rows(); }
    bool inside(int c, int r) const { return values.inside(c, r); }

    std::int8_t& value(int c, int r) { return values.at(c, r); }
    std::int8_t value(int c, int r) const { return values.at(c, r); }
    std::uint8_t& state(int c, int r) { return states.at(c, r); }
    std::uint8_t state(int c, int r) const { return states.at(c, r); }
    bool valueFilled(int c, int r) const { return value(c, r) < 0; }
    bool hasClue(int c, int r) const
    {
        const auto v = value(c, r);
        return v >= -9 && v <= 9;
    }
    void setState(int c, int r, std::uint8_t s)
    {
        auto& cur = state(c, r);
        if (cur != s) {
            quietPasses = 0;
            cur = s;
        }
    }

    // The clipped block walk of (c, r), as klt::forEachInBlock.
    template <class F>
    bool forEachInBlock(int c, int r, F&& f) const
    {
        return values.forEachInBlock(c, r, static_cast<F&&>(f));
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
