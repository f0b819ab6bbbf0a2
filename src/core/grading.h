#pragma once
// Grading a puzzle by the reasoning it needs. A solver of its own decides the
// cells from the clues alone, in levels, always with the lowest level that
// makes progress:
//   1  one clue: its open cells are exactly the filled cells it still misses,
//      or it has all its filled cells already (and cells no clue reaches are
//      white, the program's rule);
//   2  two overlapping clues: counting what their shared cells can hold
//      settles the cells of one of them, or the shared ones;
//   3  a short contradiction: one cell assumed, levels 1 and 2 followed near
//      it until a clue breaks, so the cell has the other fill.
// What these cannot finish needs trial and error. Each step records its
// level, the clues it used and the cells it decided, in order, so that the
// windows can replay the path and explain each step in words.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/uniqueness.h"

namespace klt {

constexpr int kTopGradeLevel = 3;

// What the solver knows of a cell.
constexpr std::int8_t kCellOpen = -1, kCellWhite = 0, kCellFilled = 1;

struct GradeStep {
    enum class Kind : std::uint8_t {
        OutOfReach,    // cells that no clue reaches are white (level 1)
        AllFilled,     // a clue misses as many filled cells as it has open ones (level 1)
        AllWhite,      // a clue has all its filled cells (level 1)
        PairOwn,       // two clues: the open cells only the first one has (level 2)
        PairShared,    // two clues: their open shared cells (level 2)
        Contradiction, // the other fill of the cell breaks a clue (level 3)
    };
    Kind kind = Kind::AllFilled;
    int level = 1;
    std::uint8_t filled = 0; // the fill of every cell decided
    std::vector<int> cells;  // the cells decided, [col * rows + row]
    // The clues used, [col * rows + row]: the one clue; the two of a pair
    // (the one whose own cells are decided first); for a contradiction the
    // clue that broke first, then those that decided cells on the way.
    std::vector<int> clues;
    // A pair: at least / at most this many filled among the open shared cells.
    int sharedAtLeast = 0, sharedAtMost = 0;
};

enum class Grade { VeryEasy, Easy, Medium, Hard, VeryHard, NeedsTrial };

// "Очень легко" … "Очень сложно", "Требует перебора".
std::string gradeText(Grade grade);

struct GradeResult {
    std::vector<GradeStep> steps;
    std::vector<std::int8_t> cells; // what levels 1–3 decided, kCell* per cell
    bool solved = false;            // every cell decided
    bool contradiction = false;     // a clue that cannot be met
    int brokenClue = -1;            // then that clue, [col * rows + row]
    int perLevel[kTopGradeLevel + 1] = {0, 0, 0, 0}; // steps per level, [1..3]
    Grade grade = Grade::NeedsTrial;
    bool interrupted = false;
};

struct GradeOptions {
    int maxLevel = kTopGradeLevel;
    StopCheck stop; // polled now and then; true abandons the grading
};

// The solving path of the clues from nothing known, and its grade.
GradeResult gradePuzzle(const ClueSet& clues, const GradeOptions& options = {});

// The grade of a path: its highest level and how many steps needed it.
Grade gradeOf(const GradeResult& result);

// The next step from a partial state (kCell* per cell, as a solver would have
// it), at most maxLevel: the one the graded solver takes next. Nothing when
// no level makes progress, or the state breaks a clue (then *broken, when
// given, is that clue, else -1), or fills a cell that no clue reaches, which
// the program's rule makes white (then *brokenCell is that cell, else -1).
std::optional<GradeStep> nextGradeStep(const ClueSet& clues, const std::vector<std::int8_t>& state,
                                       int maxLevel = kTopGradeLevel, int* broken = nullptr, int* brokenCell = nullptr);

// The reason of a step in words, cells named (column, row) counted from 0 as
// the status bar's readout counts them: "Число 7 в (12, 5): осталось 3
// неизвестные клетки, все закрашены".
std::string stepReason(const GradeStep& step, const ClueSet& clues);

// Whether levels up to maxLevel decide every cell of the clues within the
// rectangle region, the cells outside it as state has them (kCellOpen ones
// stay open): state is updated with what was decided, and steps, when given,
// takes the steps. Used to judge a removal near it without solving the whole
// field. The levels are monotone: knowing more cells never decides fewer.
bool solveWithin(const ClueSet& clues, std::vector<std::int8_t>& state, const BlockBounds& region, int maxLevel,
                 std::vector<GradeStep>* steps = nullptr);

// What levels up to maxLevel decide from state (kCell* per cell) on the whole
// field, taken into state; the rule for cells out of reach is left to the
// caller, who has applied it to state as the clues it knows of have it. False,
// with state unchanged, when the state breaks a clue.
bool deduceFurther(const ClueSet& clues, std::vector<std::int8_t>& state, int maxLevel);

// The same at the top level, again and again on one field whose clues change
// in parts of it between the calls (the uniqueness sweep's band): each step
// of the last call is carried over when neither its clues nor the cells it
// read changed, and the levels look only near the cells and clues that did.
// The result is the same as deduceFurther's (false, with state unchanged,
// when the state breaks a clue). answer: an answer every clue set given has
// (the picture), which agrees with every state given.
class KnownCellsTracker {
public:
    explicit KnownCellsTracker(std::vector<std::uint8_t> answer);
    ~KnownCellsTracker();
    KnownCellsTracker(const KnownCellsTracker&) = delete;
    KnownCellsTracker& operator=(const KnownCellsTracker&) = delete;

    bool deduce(const ClueSet& clues, std::vector<std::int8_t>& state);
    // The next call starts afresh (after a call at a lower level, say).
    void forget();

    // What the last call carried over, and what it decided itself.
    struct Counts {
        long carried = 0, decided = 0;
    };
    Counts lastCounts() const { return counts_; }

private:
    struct Memory;
    std::vector<std::uint8_t> answer_;
    std::unique_ptr<Memory> memory_;
    Counts counts_;
};

} // namespace klt
