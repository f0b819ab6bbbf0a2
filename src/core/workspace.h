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
#include "core/workarrays.h"

namespace klt {

// An inclusive rectangle of cells.
struct CellRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left + 1; }
    int height() const { return bottom - top + 1; }
    bool contains(int c, int r) const { return c >= left && c <= right && r >= top && r <= bottom; }
    bool operator==(const CellRect&) const = default;
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
