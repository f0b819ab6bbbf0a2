#pragma once
// Whether the clues of a puzzle admit exactly one picture. The deduction
// solver looks at one clue at a time; this asks a SAT solver (CaDiCaL) about
// all clues at once, so it also settles puzzles that need reasoning over
// several clues.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/context.h"
#include "core/field.h"
#include "core/grid.h"

namespace klt {

// One bit per cell, indexed [col * rows + row] like the working arrays. A
// picture (1 = filled) or a set of cells (1 = member).
struct CellGrid {
    int cols = 0, rows = 0;
    std::vector<std::uint8_t> cells;

    CellGrid() = default;
    CellGrid(int c, int r) : cols(c), rows(r), cells(static_cast<size_t>(c) * static_cast<size_t>(r), 0) {}
    size_t index(int c, int r) const { return static_cast<size_t>(c) * static_cast<size_t>(rows) + static_cast<size_t>(r); }
    bool at(int c, int r) const { return cells[index(c, r)] != 0; }
    void set(int c, int r, bool on) { cells[index(c, r)] = on ? 1 : 0; }
    int count() const;
    bool operator==(const CellGrid&) const = default;
};

// The clues of a puzzle, [col * rows + row]: 0..9, or kNoClue. Values above
// 9 are not clues the field can hold; treat them as kNoClue before calling.
constexpr std::int8_t kNoClue = -1;
struct ClueSet {
    int cols = 0, rows = 0;
    std::vector<std::int8_t> clues;

    ClueSet() = default;
    ClueSet(int c, int r) : cols(c), rows(r), clues(static_cast<size_t>(c) * static_cast<size_t>(r), kNoClue) {}
    std::int8_t at(int c, int r) const { return clues[static_cast<size_t>(c) * static_cast<size_t>(rows) + static_cast<size_t>(r)]; }
    void set(int c, int r, int v) { clues[static_cast<size_t>(c) * static_cast<size_t>(rows) + static_cast<size_t>(r)] = static_cast<std::int8_t>(v); }
    int count() const;
};

enum class Answers {
    NoClues,       // "Нет цифр!": no clue stands on the field
    None,          // "Нет ответа"
    One,           // "Ответ единственный"
    OneNotPicture, // "Ответ единственный, но не совпадает с рисунком"
    Several,       // "Ответов несколько"
    Interrupted,   // stopped by the user before the search ended
};

struct UniquenessResult {
    Answers answers = Answers::Interrupted;
    CellGrid first;   // One, OneNotPicture: the answer; Several: one of two answers
    CellGrid second;  // Several: another answer; OneNotPicture: the field's picture
    CellGrid differs; // Several: where first and second differ; OneNotPicture:
                      // where the answer differs from the picture
    // None: the clues of one contradiction, each of them needed for it when
    // the set was small enough to cut down. Empty when the search was stopped
    // before it found them.
    CellGrid contradiction;
};

// The first set cell of a grid in reading order (row by row from the top,
// each row from the left); false when none is set.
bool firstCell(const CellGrid& cells, int& col, int& row);

// Polled now and then during a search; returning true abandons it.
using StopCheck = std::function<bool()>;

struct UniquenessOptions {
    // A cell that lies in no clue's block is white: the program's own rule,
    // by which the deduction solver leaves such cells white and the generator
    // counts the picture reproduced. False leaves such cells free, as strict
    // mosaic rules have it; then every generated puzzle with a cell out of
    // reach of its clues has several answers.
    bool unreachedWhite = true;
    StopCheck stop;
    // Runs once the first search has ended and the second begins: the search
    // for another answer, or for the clues of the contradiction.
    std::function<void()> onFirstSearchDone;
    // Cells already known to have one fill in every answer (0 white, 1
    // filled, -1 open; empty: none), as a sound deduction from the same
    // clues found them: the solver takes them as given.
    std::vector<std::int8_t> known;
};

// The largest puzzles the check takes on. The solver holds a few variables
// per cell and some twenty short clauses per clue, so a big field, or one
// packed with clues, would need gigabytes: those are refused with a
// CommandError before anything is allocated for them.
constexpr long long kMaxUniquenessCells = 1024LL * 1024;
constexpr long long kMaxUniquenessLiterals = 64LL * 1024 * 1024;

// Throws CommandError when the clues are too many for the limits above.
UniquenessResult checkUniqueness(const ClueSet& clues, const UniquenessOptions& options = {});

// The clues standing on the field, read exactly as the check command reads
// them: a text that is a number -9..9 is the clue of its magnitude ("-3" is a
// filled cell with clue 3); letters, other numbers and other texts are no
// clue. The field is not changed. Throws CommandError for a number outside
// -128..127, as the check command does, and for a field of more than
// kMaxUniquenessCells cells.
ClueSet cluesOnField(const Field& field);

// The block counts of a picture at every cell (the full clue set).
ClueSet allClues(const CellGrid& picture);

// The picture of the field's fill marks.
CellGrid pictureOnField(const Field& field);

// A stop check for long searches on the UI thread: lets the program's pending
// events run now and then (so "Стоп" can be clicked) and reports the stop
// request.
StopCheck pumpingStopCheck(CommandContext& ctx);

// The field's verdict: NoClues when no clue stands on it; otherwise its
// clues (cluesOnField) decided, and a unique answer compared with the
// field's picture (OneNotPicture where they differ). A field without filled
// cells (a task without its answers, or with the answers hidden) is decided
// by its clues alone. The field is not touched.
UniquenessResult checkUniqueness(const Field& field, const UniquenessOptions& options = {});

// The verdict's message, CR LF between lines: the verdict, then for Several
// and OneNotPicture the count of differing cells, for None the clue named
// from the contradiction (column and row counted from 0, as the status bar's
// cell readout counts them).
std::string uniquenessMessage(const UniquenessResult& res);

// The uniqueness command as the windows and kletomer-cli run it: busy state
// and a two-phase progress display while it runs, idle state on every way
// out, and uniquenessMessage in an information box with caption "Проверка"
// ("Прервано !" when stopped). The progress display is gone before the box
// appears; shown, when given, runs just before it so that the caller can
// mark cells under the box. The field is left as it is.
UniquenessResult uniquenessCommand(const Field& field, CommandContext& ctx,
                                   const std::function<void(const UniquenessResult&)>& shown = {});

// Whether a known picture stays the only answer while clues are taken away:
// an incremental SAT solver in which the candidate clues near the ones being
// switched (a band of columns, as the sweeps go column by column) are guarded
// by selectors and the others are plain constraints, so that each test is a
// single solve under a few assumptions; the solver is built anew when a
// switch leaves the band. Clue values are the picture's own block counts. Cells out of
// reach of the active clues are white (UniquenessOptions::unreachedWhite), so
// a removal that leaves a filled cell out of reach fails the test.
class PictureUniqueness {
public:
    // candidates: the cells whose clues may be active, given as [col * rows + row]
    // flags; all start active.
    PictureUniqueness(const CellGrid& picture, const std::vector<std::uint8_t>& candidates);
    ~PictureUniqueness();
    PictureUniqueness(const PictureUniqueness&) = delete;
    PictureUniqueness& operator=(const PictureUniqueness&) = delete;

    // Switches a candidate's clue on or off for the following tests.
    void setActive(int c, int r, bool active);
    bool isActive(int c, int r) const;
    bool isKeptForGood(int c, int r) const;
    // A clue that will never come back: lets the solver drop its constraint.
    void dropForGood(int c, int r);
    // A clue that will never be switched off: its constraint becomes part of
    // the puzzle for the solver, which saves work on every later test.
    // Switching it off or dropping it afterwards throws std::logic_error.
    void keepForGood(int c, int r);

    enum class Verdict { OnlyAnswer, AnotherAnswer, Interrupted };
    // Is the picture the only answer of the active clues?
    Verdict test(const StopCheck& stop = {});

private:
    struct Impl;
    enum class Around { Proven, Another, Unknown };
    static Around settleAround(Impl& m, int margin, bool answerOnly = false);
    std::unique_ptr<Impl> impl_;
};

} // namespace klt
