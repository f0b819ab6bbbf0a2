#pragma once
// The puzzle as the program holds it: the field, the undo snapshot, the
// working arrays of the solver and the flags around them. The main window and
// the command-line tool both own one and run the same operations on it.
#include <cstdint>
#include <string>
#include <vector>

#include "core/error.h"
#include "core/field.h"
#include "core/host.h"

namespace klt {

// An inclusive rectangle of cells.
struct CellRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    bool contains(int c, int r) const { return c >= left && c <= right && r >= top && r <= bottom; }
    bool operator==(const CellRect&) const = default;
};

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


class Workspace {
public:
    explicit Workspace(Host& host) : host_(&host) {}
    Host& host() { return *host_; }
    void setHost(Host& host) { host_ = &host; }

    Field field;
    std::vector<std::vector<std::string>> undoCells; // [row][col]
    WorkArrays work;
    bool stopped = true;      // true while no long computation runs
    bool modified = false;
    bool answersHidden = false; // "Убрать ответы" checked
    // While the answers are hidden the texts carry no fill marks; this keeps
    // which cells of the picture are filled ([col * rows + row] over
    // answerCols × answerRows), so that no edit can lose the picture.
    std::vector<std::uint8_t> answerMask;
    int answerCols = 0, answerRows = 0;
    // Nesting depth of the edits under way (see FieldEdit).
    int editDepth = 0;
    std::string prizePhrase;    // Windows-1251
    int cellSize = 24;          // the grid's column width
    int difficulty = 5;         // rxN
    int difficultyMax = 5;

    // Grid cursor: the current cell and the selection (which contains it).
    int curCol = 0, curRow = 0;
    CellRect selection;
    // Remembered block of the mouse editing and the internal-move flag.
    CellRect rememberedBlock;
    bool internalMove = false;

    // Field operations.
    void setModified(bool value);
    bool holdsNumber(int c, int r) const;
    int countFilledAround(int c, int r) const;
    void takeSnapshot();
    void restoreSnapshot(bool fillOnly);
    // Throws CommandError for a text that is not a number in -128..127.
    void loadWorkArrays();
    void storeWorkArrays();
    bool stripClues();
    void writeAllClues();
    bool matchesSnapshot() const;

    // Moves the current cell, collapsing the selection onto it.
    void setCurrentCell(int c, int r);
    void setHideAnswers(bool checked);

private:
    Host* host_;
};

} // namespace klt
