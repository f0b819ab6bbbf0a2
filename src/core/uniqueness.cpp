#include "core/uniqueness.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <memory>
#include <optional>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include <cadical.hpp>

#include "core/blockcounts.h"
#include "core/error.h"
#include "core/grading.h"
#include "core/windowsearch.h"
#include "core/grid.h"
#include "core/prize.h"
#include "core/workarrays.h"
#include "core/text.h"

namespace klt {

int CellGrid::count() const
{
    int n = 0;
    for (auto v : cells) n += v != 0;
    return n;
}

int ClueSet::count() const
{
    int n = 0;
    for (auto v : clues) n += v != kNoClue;
    return n;
}

namespace {

// The SAT variable of a cell; selectors are numbered after the cells.
int cellVar(int cols, int rows, int c, int r)
{
    (void)cols;
    return c * rows + r + 1;
}

// The variables of the block of (c, r), clipped at the border; returns their count.
int blockVars(int cols, int rows, int c, int r, int (&vars)[9])
{
    int n = 0;
    forEachInBlock(c, r, cols, rows, [&](int x, int y) { vars[n++] = cellVar(cols, rows, x, y); });
    return n;
}

// Solver variables for the cells whose fill is not known, numbered from 1
// without gaps: the solver keeps some 170 bytes for every variable up to the
// highest one, used or not: on a large field with many cells known, a good
// part of its memory.
class CellVariables {
public:
    CellVariables() = default;
    // known: per cell 0 white, 1 filled, -1 open; empty: every cell open.
    CellVariables(const std::vector<std::int8_t>& known, int cells) : var_(static_cast<size_t>(cells), 0)
    {
        for (size_t i = 0; i < var_.size(); ++i)
            if (known.empty() || known[i] < 0) var_[i] = ++count_;
    }
    // The cell's variable, 0 when its fill is known.
    int of(int i) const { return var_[static_cast<size_t>(i)]; }
    // For the block count encoder: the variable, or the known fill.
    int encoded(const std::vector<std::int8_t>& known, int i) const
    {
        if (const int v = of(i)) return v;
        return known[static_cast<size_t>(i)] ? BlockCountEncoder::kKnownFilled : BlockCountEncoder::kKnownWhite;
    }
    int count() const { return count_; }

private:
    std::vector<int> var_;
    int count_ = 0;
};

// Variables a solver may need for its open cells and the block counters
// (at most three for each open cell), and extra ones.
int variablesFor(const CellVariables& vars, int extra)
{
    return 4 * vars.count() + extra;
}

class StopTerminator : public CaDiCaL::Terminator {
public:
    explicit StopTerminator(const StopCheck& stop) : stop_(stop) {}
    bool terminate() override { return stop_ && stop_(); }

private:
    const StopCheck& stop_;
};

// Runs one solve with the stop check connected.
int solveWith(CaDiCaL::Solver& s, const StopCheck& stop)
{
    if (!stop) return s.solve();
    StopTerminator t(stop);
    s.connect_terminator(&t);
    const int res = s.solve();
    s.disconnect_terminator();
    return res;
}

// The solver's answer; the cells known beforehand (forced, when not empty)
// as they are known.
CellGrid modelOf(CaDiCaL::Solver& s, int cols, int rows, const std::vector<std::int8_t>& forced, const CellVariables& vars)
{
    CellGrid g(cols, rows);
    for (size_t i = 0; i < g.cells.size(); ++i) {
        const int v = vars.of(static_cast<int>(i));
        g.cells[i] = v ? s.val(v) > 0 : static_cast<std::uint8_t>(forced[i]);
    }
    return g;
}

// Above this many clues in the solver's first contradiction, it is named
// as it stands instead of being cut down clue by clue.
constexpr size_t kCutDownUpTo = 64;

// The clues of one contradiction of a clue set without an answer: the
// solver's failed assumptions (every clue guarded by a selector), cut down
// while they are few until each clue left is needed. Empty when stopped.
CellGrid contradictionOf(const ClueSet& clues, const StopCheck& stop)
{
    const int cols = clues.cols, rows = clues.rows;
    const int cells = cols * rows;
    CaDiCaL::Solver s;
    s.set("quiet", 1);
    std::vector<int> cellOf; // per clue, in the order of the cells
    auto selector = [&](int k) { return cells + k + 1; };
    BlockCountEncoder encoder(s, cols, rows, 0, 0, cols - 1, rows - 1, [rows](int c, int r) { return cellVar(0, rows, c, r); },
                              selector(clues.count()));
    for (int i = 0; i < cells; ++i) {
        const int v = clues.clues[static_cast<size_t>(i)];
        if (v == kNoClue) continue;
        // Building the constraints of a large field takes a while: let Stop in.
        if (cellOf.size() % 1024 == 0 && stop && stop()) return {};
        encoder.addClue(i / rows, i % rows, v, -selector(static_cast<int>(cellOf.size())));
        cellOf.push_back(i);
    }
    // A clue left out of a trial is off, so that the solver never has to
    // argue a whole field's clues into agreement to find an answer.
    for (size_t k = 0; k < cellOf.size(); ++k) s.phase(-selector(static_cast<int>(k)));
    // Solves with the given clues on; when they have no answer, keeps in
    // them only those the solver blames.
    auto contradicts = [&](std::vector<int>& set) {
        for (int k : set) s.assume(selector(k));
        const int status = solveWith(s, stop);
        if (status == 20) std::erase_if(set, [&](int k) { return !s.failed(selector(k)); });
        return status;
    };
    std::vector<int> core(cellOf.size());
    for (size_t k = 0; k < core.size(); ++k) core[k] = static_cast<int>(k);
    if (contradicts(core) != 20) return {};
    if (core.size() <= kCutDownUpTo) {
        // A clue whose removal leaves an answer is needed, and stays needed in
        // every smaller contradiction; any other one goes.
        std::vector<std::uint8_t> needed(cellOf.size(), 0);
        for (;;) {
            auto it = std::find_if(core.begin(), core.end(), [&](int k) { return !needed[static_cast<size_t>(k)]; });
            if (it == core.end()) break;
            const int k = *it;
            std::vector<int> trial = core;
            std::erase(trial, k);
            const int status = contradicts(trial);
            if (status == 20) core = std::move(trial);
            else if (status == 10) needed[static_cast<size_t>(k)] = 1;
            else break; // stopped: the contradiction as it stands
        }
    }
    CellGrid out(cols, rows);
    for (int k : core) out.cells[static_cast<size_t>(cellOf[static_cast<size_t>(k)])] = 1;
    return out;
}

std::string tooLargeText(const std::string& what)
{
    return "Задача слишком велика для проверки единственности: " + what + ".";
}

void requireCheckableCells(int cols, int rows)
{
    const long long cells = static_cast<long long>(cols) * rows;
    if (cells > kMaxUniquenessCells)
        throw CommandError{tooLargeText(decimal(cols) + " × " + decimal(rows) + " клеток, а можно не больше " +
                                        decimal(kMaxUniquenessCells))};
}

// About the literals a clue costs the solver, its share of the triple
// counters and the solver's bookkeeping included.
constexpr long long kLiteralsPerClue = 160;

// Cells known before a solve: what the clues force one at a time, then what
// levels of the graded solver decide, up to short contradictions. Each known
// cell spares the solver a variable and its clauses; on puzzles that need
// more than one clue at a time the first level alone leaves most of the
// field open. Measured on noise pictures of 250 × 250, short contradictions
// leave the solver 0.7 of the memory and the time that pairs alone leave it;
// on 100 × 100 ones the time is the same within a few percent.
constexpr int kKnownCellsLevel = kTopGradeLevel;
// The level below it: two overlapping clues.
constexpr int kPairLevel = 2;

// What the clues force one clue at a time (a clue whose block already holds
// its count of filled cells makes the rest white, one that needs all its open
// cells makes them filled), with the cells that reached marks 0 taken as
// white (none when reached is empty): per cell 0 white, 1 filled, -1 open.
// Nothing when a clue cannot be met. Every answer has these cells so.
std::optional<std::vector<std::int8_t>> forcedCells(const ClueSet& clues, const std::vector<std::uint8_t>& reached)
{
    const int cols = clues.cols, rows = clues.rows;
    const size_t cells = static_cast<size_t>(cols) * static_cast<size_t>(rows);
    std::vector<std::int8_t> value(cells, -1);
    std::vector<int> queue;
    for (size_t i = 0; i < reached.size(); ++i)
        if (!reached[i]) {
            value[i] = 0;
            queue.push_back(static_cast<int>(i));
        }
    // Settles the open cells of clue k's block when its count allows; false
    // when it cannot be met.
    auto settle = [&](int k) {
        const int v = clues.clues[static_cast<size_t>(k)];
        int filled = 0, open = 0;
        forEachInBlock(k / rows, k % rows, cols, rows, [&](int x, int y) {
            const std::int8_t c = value[static_cast<size_t>(x) * static_cast<size_t>(rows) + static_cast<size_t>(y)];
            filled += c == 1;
            open += c < 0;
        });
        if (filled > v || filled + open < v) return false;
        if (open == 0 || (filled != v && filled + open != v)) return true;
        const std::int8_t to = filled == v ? 0 : 1;
        forEachInBlock(k / rows, k % rows, cols, rows, [&](int x, int y) {
            const size_t i = static_cast<size_t>(x) * static_cast<size_t>(rows) + static_cast<size_t>(y);
            if (value[i] >= 0) return;
            value[i] = to;
            queue.push_back(static_cast<int>(i));
        });
        return true;
    };
    for (size_t k = 0; k < cells; ++k)
        if (clues.clues[k] != kNoClue && !settle(static_cast<int>(k))) return std::nullopt;
    for (size_t head = 0; head < queue.size(); ++head) {
        const int i = queue[head];
        bool ok = true;
        forEachInBlock(i / rows, i % rows, cols, rows, [&](int x, int y) {
            const int k = x * rows + y;
            if (ok && clues.clues[static_cast<size_t>(k)] != kNoClue) ok = settle(k);
        });
        if (!ok) return std::nullopt;
    }
    return value;
}

// The answer when the clues force every cell one clue at a time, cells out
// of every clue's reach white. Then it is the only answer, and no solver is
// needed: the puzzles the ordinary generation places are all of this kind.
std::optional<CellGrid> answerOf(const std::vector<std::int8_t>& forced, int cols, int rows)
{
    CellGrid answer(cols, rows);
    for (size_t i = 0; i < forced.size(); ++i) {
        if (forced[i] < 0) return std::nullopt;
        answer.cells[i] = static_cast<std::uint8_t>(forced[i]);
    }
    return answer;
}

// One answer, then another one; "none" without the clues to blame.
UniquenessResult searchAnswers(const ClueSet& clues, const UniquenessOptions& options)
{
    const int cols = clues.cols, rows = clues.rows;
    requireCheckableCells(cols, rows);
    UniquenessResult res;
    int block[9];
    long long literals = 0;
    std::vector<std::uint8_t> reached(static_cast<size_t>(cols) * static_cast<size_t>(rows), 0);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            const int v = clues.at(c, r);
            if (v == kNoClue) continue;
            const int n = blockVars(cols, rows, c, r, block);
            if (v > n) {
                // More than its block holds: this clue alone is the contradiction.
                res.answers = Answers::None;
                res.contradiction = CellGrid(cols, rows);
                res.contradiction.set(c, r, true);
                return res;
            }
            for (int k = 0; k < n; ++k) reached[static_cast<size_t>(block[k] - 1)] = 1;
            literals += kLiteralsPerClue;
        }
    if (literals > kMaxUniquenessLiterals)
        throw CommandError{tooLargeText("подсказок " + decimal(clues.count()) + ", и решателю не хватит памяти")};

    // The cells the clues force one at a time go to the solver as known
    // values: on most puzzles few cells are left to it, and its memory
    // follows them. After a contradiction the solver sees every cell.
    std::vector<std::int8_t> forced =
        forcedCells(clues, options.unreachedWhite ? reached : std::vector<std::uint8_t>()).value_or(std::vector<std::int8_t>());
    if (!forced.empty() && options.known.size() == forced.size())
        for (size_t i = 0; i < forced.size(); ++i)
            if (forced[i] < 0) forced[i] = options.known[i];
    // Then what the graded levels decide.
    if (!forced.empty()) deduceFurther(clues, forced, kKnownCellsLevel);
    if (options.unreachedWhite && !forced.empty()) {
        if (std::optional<CellGrid> answer = answerOf(forced, cols, rows)) {
            if (options.onFirstSearchDone) options.onFirstSearchDone();
            res.answers = Answers::One;
            res.first = std::move(*answer);
            return res;
        }
    }
    CaDiCaL::Solver s;
    s.set("quiet", 1); // its diagnostics would land among the program's output
    // Free cells come out white, as the deduction leaves them.
    s.set("phase", 0);
    // Two solves of short counting clauses: the solver's preprocessing costs
    // more than it saves there (a third of the time on a 150 × 150 noise
    // puzzle, nothing gained on line art or blobs).
    for (const char* option : {"probe", "elim", "subsume", "vivify"}) s.set(option, 0);
    // Garbage collected in place, without a second copy of the clauses; and
    // no compaction of the variables, which copies every watch list for a
    // moment (some 12 MB of the peak on a 250 × 250 noise field, where the
    // two solves gain nothing from it).
    s.set("arena", 0);
    s.set("compact", 0);
    const CellVariables vars(forced, cols * rows);
    s.reserve(variablesFor(vars, 0));
    BlockCountEncoder encoder(s, cols, rows, 0, 0, cols - 1, rows - 1,
                              [&](int c, int r) { return vars.encoded(forced, c * rows + r); }, vars.count() + 1);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            const int v = clues.at(c, r);
            if (v != kNoClue) encoder.addClue(c, r, v, 0);
        }
    if (options.unreachedWhite && forced.empty())
        for (int i = 0; i < cols * rows; ++i)
            if (!reached[static_cast<size_t>(i)]) {
                s.add(-vars.of(i));
                s.add(0);
            }

    int status = solveWith(s, options.stop);
    if (status != 10 && status != 20) return res; // interrupted
    if (options.onFirstSearchDone) options.onFirstSearchDone();
    if (status == 20) {
        res.answers = Answers::None;
        return res;
    }
    res.first = modelOf(s, cols, rows, forced, vars);

    // Any second answer differs from the first in at least one cell the
    // clues do not force.
    for (int i = 0; i < cols * rows; ++i)
        if (const int x = vars.of(i)) s.add(res.first.cells[static_cast<size_t>(i)] ? -x : x);
    s.add(0);
    status = solveWith(s, options.stop);
    if (status == 20) {
        res.answers = Answers::One;
    } else if (status == 10) {
        res.answers = Answers::Several;
        res.second = modelOf(s, cols, rows, forced, vars);
        res.differs = CellGrid(cols, rows);
        for (size_t i = 0; i < res.differs.cells.size(); ++i)
            res.differs.cells[i] = res.first.cells[i] != res.second.cells[i];
    }
    return res;
}

} // namespace

UniquenessResult checkUniqueness(const ClueSet& clues, const UniquenessOptions& options)
{
    UniquenessResult res = searchAnswers(clues, options);
    // Its own solver, once the first one's memory is given back.
    if (res.answers == Answers::None && res.contradiction.cells.empty())
        res.contradiction = contradictionOf(clues, options.stop);
    return res;
}

ClueSet cluesOnField(const Field& field)
{
    const int cols = field.colCount(), rows = field.rowCount();
    requireCheckableCells(cols, rows);
    // The check command's own reading, on a copy, so the field stays untouched.
    // Only the visible cells are copied: the hidden part of the store (up to
    // 4096 x 4096 cells after opening a large file) plays no part.
    PuzzleDocument copy;
    copy.field().setSize(cols, rows);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) copy.field().setText(c, r, field.text(c, r));
    clearPrize(copy);
    WorkArrays w;
    loadWorkArrays(copy.field(), w);
    ClueSet out(w.cols(), w.rows());
    for (int c = 0; c < w.cols(); ++c)
        for (int r = 0; r < w.rows(); ++r)
            if (w.hasClue(c, r)) out.set(c, r, std::abs(w.value(c, r)));
    return out;
}

ClueSet allClues(const CellGrid& picture)
{
    ClueSet out(picture.cols, picture.rows);
    for (int c = 0; c < picture.cols; ++c)
        for (int r = 0; r < picture.rows; ++r) {
            int n = 0;
            forEachInBlock(c, r, picture.cols, picture.rows, [&](int x, int y) { n += picture.at(x, y); });
            out.set(c, r, n);
        }
    return out;
}

CellGrid pictureOnField(const Field& field)
{
    CellGrid g(field.colCount(), field.rowCount());
    for (int c = 0; c < g.cols; ++c)
        for (int r = 0; r < g.rows; ++r) g.set(c, r, field.isFilled(c, r));
    return g;
}

StopCheck pumpingStopCheck(CommandContext& ctx)
{
    // The solver asks very often; the program lets events run only now and then.
    return [&ctx] {
        ctx.keepResponsive();
        return ctx.stopped();
    };
}

bool firstCell(const CellGrid& cells, int& col, int& row)
{
    for (int r = 0; r < cells.rows; ++r)
        for (int c = 0; c < cells.cols; ++c)
            if (cells.at(c, r)) {
                col = c;
                row = r;
                return true;
            }
    return false;
}

namespace {

UniquenessResult decideField(const ClueSet& clues, const Field& field, const UniquenessOptions& options)
{
    UniquenessResult res;
    if (clues.count() == 0) {
        // With nothing to check, the all-white "answer" would be no verdict on the puzzle.
        res.answers = Answers::NoClues;
        return res;
    }
    res = checkUniqueness(clues, options);
    if (res.answers != Answers::One) return res;
    // The clues alone decide the answer; the picture drawn may still be
    // another one (a clue 0 beside a filled cell, a filled cell out of reach).
    const CellGrid picture = pictureOnField(field);
    if (picture.count() == 0 || picture == res.first) return res;
    res.answers = Answers::OneNotPicture;
    res.second = picture;
    res.differs = CellGrid(picture.cols, picture.rows);
    for (size_t i = 0; i < res.differs.cells.size(); ++i) res.differs.cells[i] = res.first.cells[i] != picture.cells[i];
    return res;
}

} // namespace

UniquenessResult checkUniqueness(const Field& field, const UniquenessOptions& options)
{
    return decideField(cluesOnField(field), field, options);
}

std::string uniquenessMessage(const UniquenessResult& res)
{
    const auto differing = [&] { return "\r\nРазличающихся клеток: " + std::to_string(res.differs.count()); };
    switch (res.answers) {
    case Answers::NoClues: return "Нет цифр!";
    case Answers::One: return "Ответ единственный";
    case Answers::OneNotPicture: return "Ответ единственный, но не совпадает с рисунком" + differing();
    case Answers::Several: return "Ответов несколько" + differing();
    case Answers::None: {
        int c = 0, r = 0;
        if (!firstCell(res.contradiction, c, r)) return "Нет ответа";
        return "Нет ответа\r\nПротиворечие у подсказки в столбце " + std::to_string(c) + ", строке " + std::to_string(r);
    }
    case Answers::Interrupted: break;
    }
    return "Прервано !";
}

UniquenessResult uniquenessCommand(const Field& field, CommandContext& ctx,
                                   const std::function<void(const UniquenessResult&)>& shown)
{
    const ClueSet clues = cluesOnField(field); // throws before the busy state, as the check does
    UniquenessResult res;
    if (clues.count() == 0) {
        res.answers = Answers::NoClues;
    } else {
        BusyScope busy(ctx, true);
        busy.start();
        // Two phases: the first answer (or that there is none), then another
        // answer (or the clues of the contradiction).
        ctx.progressStart("Ждите...", 2);
        int steps = 0;
        UniquenessOptions options;
        options.stop = pumpingStopCheck(ctx);
        options.onFirstSearchDone = [&] {
            ctx.progressStep(1);
            ++steps;
        };
        res = decideField(clues, field, options);
        if (res.answers != Answers::Interrupted) ctx.progressStep(2 - steps);
        // The busy scope takes the gauge away here, before the box.
    }
    if (shown) shown(res);
    ctx.information(uniquenessMessage(res), "Проверка");
    return res;
}

// --- incremental test of a known picture ---

struct PictureUniqueness::Impl {
    std::unique_ptr<CaDiCaL::Solver> solver;
    CellGrid picture;
    ClueSet pictureClues;             // the picture's block counts
    std::vector<std::uint8_t> candidate; // per cell: its clue may be switched
    std::vector<int> selector;        // per cell: the guarded clue's selector variable in the solver, else 0
    CellVariables vars;               // the solver's variables of the free cells
    std::vector<std::uint8_t> active; // per cell
    std::vector<std::uint8_t> dropped; // per cell: off for good, a unit clause says so
    std::vector<std::uint8_t> kept;   // per cell: on for good, a unit clause says so
    std::vector<int> candidates;      // cell indices, in order
    std::vector<std::uint8_t> proven; // per cell: the active set last proven to leave one answer
    bool hasProven = false;
    // Candidates switched since proven was last brought up to date: a test
    // looks at these, not at the whole field.
    std::vector<int> touched;
    std::vector<std::uint8_t> isTouched;
    // Candidates switched off but not dropped, which every solve assumes off.
    std::vector<int> off;
    std::vector<std::uint8_t> isOff;
    // Scratch: cells where a new answer must differ.
    std::vector<int> near;
    std::vector<std::uint8_t> isNear;
    // Per cell: the candidate's clue is guarded by its selector in the
    // solver. An open clue that is not guarded is pinned: the solver holds it
    // as part of the puzzle, so no solve has to assume it on. Switching a
    // pinned clue off, or dropping it, needs a new solver.
    std::vector<std::uint8_t> guarded;
    std::vector<int> guardedList;
    // Per cell, as the solver was built: 0 or 1 when the kept and pinned
    // clues force the cell one clue at a time (it has no variable then),
    // -1 when it is free. Every answer the solver gives has these cells so.
    std::vector<std::int8_t> forced;
    std::vector<int> differ; // scratch: the literals of "differs from the picture"
    WindowSearch window;     // scratch: the small search of the window tests
    bool stale = false; // a pinned clue was dropped: the solver is wrong until rebuilt
    // The solver's search mode, by band: stable search only (which suits
    // line art and areas) or the usual alternation (which suits noise). Each
    // mode's record of whole-field solves, seconds and count, decides;
    // every eighth band tries the other one.
    int rebuilds = 0;
    bool stableOnly = false;
    double modeSeconds[2] = {0, 0};
    // Seconds spent deducing known cells with short contradictions. They
    // are left to pairs while that costs more than the whole-field solves
    // it serves (a sweep that builds its solver very often).
    double contradictionSeconds = 0;
    long modeSolves[2] = {0, 0};
    bool chooseStableOnly();
    int bandCells = 0; // the cells of the last build's band
    // The known cells of the builds with short contradictions, each carried
    // over to the next where its clues did not change.
    std::unique_ptr<KnownCellsTracker> knownCells;
    // The wider window's record: tests it was asked, and settled; tests it was skipped.
    long wideTried = 0, wideSettled = 0, wideSkipped = 0;

    // A new solver for the clues as they stand: dropped clues left out, kept
    // ones and the pinned ones as plain constraints, the others guarded:
    // those switched off, and the open ones within a band of columns around
    // focusCol (none when it is negative), where the sweeps go next.
    void rebuild(int focusCol);
    bool pinned(size_t i) const { return candidate[i] && !dropped[i] && !kept[i] && !guarded[i]; }

    void touch(size_t i)
    {
        if (!isTouched[i]) {
            isTouched[i] = 1;
            touched.push_back(static_cast<int>(i));
        }
        if (!active[i] && !dropped[i] && !isOff[i]) {
            isOff[i] = 1;
            off.push_back(static_cast<int>(i));
        }
    }
};

PictureUniqueness::PictureUniqueness(const CellGrid& picture, const std::vector<std::uint8_t>& candidates)
    : impl_(std::make_unique<Impl>())
{
    Impl& m = *impl_;
    m.picture = picture;
    m.pictureClues = allClues(picture);
    m.knownCells = std::make_unique<KnownCellsTracker>(picture.cells);
    const int cols = picture.cols, rows = picture.rows;
    const int cells = cols * rows;
    m.candidate.assign(static_cast<size_t>(cells), 0);
    m.selector.assign(static_cast<size_t>(cells), 0);
    m.active.assign(static_cast<size_t>(cells), 0);
    m.dropped.assign(static_cast<size_t>(cells), 0);
    m.kept.assign(static_cast<size_t>(cells), 0);
    m.isTouched.assign(static_cast<size_t>(cells), 0);
    m.isOff.assign(static_cast<size_t>(cells), 0);
    m.isNear.assign(static_cast<size_t>(cells), 0);
    m.guarded.assign(static_cast<size_t>(cells), 0);
    for (int i = 0; i < cells; ++i)
        if (candidates[static_cast<size_t>(i)]) {
            m.candidate[static_cast<size_t>(i)] = 1;
            m.active[static_cast<size_t>(i)] = 1;
            m.candidates.push_back(i);
        }
    m.rebuild(-1);
}

namespace {

// Cells of the band of columns guarded around the column a sweep reached:
// each whole-field solve assumes its open clues on (the solve's fixed cost
// grows with them, and the band's cells are not known beforehand), and a
// new solver is built when the sweep leaves the band. With the known cells
// carried over from one build to the next, builds are cheap enough for a
// narrow band on line art (1000 against 2000: 250 × 250 0.87 of the time,
// 150 × 150 about 0.8); on noise, whose solvers hold several times the band's
// cells, the band widens up to twice (noise 150 × 150 at 1000: 1.15 to 1.3
// of the time). At 700, noise at difficulty 0 builds too often.
constexpr int kGuardedBand = 1000;

} // namespace

bool PictureUniqueness::Impl::chooseStableOnly()
{
    if (rebuilds < 2) return rebuilds == 1;
    auto average = [&](int mode) { return modeSolves[mode] ? modeSeconds[mode] / double(modeSolves[mode]) : 0.0; };
    const bool better = average(1) < average(0);
    return rebuilds % 8 == 0 ? !better : better;
}

void PictureUniqueness::Impl::rebuild(int focusCol)
{
    const int cols = picture.cols, rows = picture.rows;
    const int cells = cols * rows;
    // A solver that holds many cells beyond its band costs more to build:
    // the band widens with their share in the last build (vars still holds
    // its free cells here), up to twice.
    const double beyond = bandCells > 0 ? std::clamp(double(vars.count()) / bandCells, 1.0, 2.0) : 1.0;
    const int halfBand = rows > 0 ? std::max(1, static_cast<int>(kGuardedBand * beyond) / rows / 2) : 0;
    bandCells = focusCol >= 0 ? (std::min(cols - 1, focusCol + halfBand) - std::max(0, focusCol - halfBand) + 1) * rows : 0;
    solver = std::make_unique<CaDiCaL::Solver>();
    CaDiCaL::Solver& s = *solver;
    s.set("quiet", 1);
    // Memory: garbage collection frees clauses in place instead of copying
    // the live ones into a new arena (which doubles the clause memory for a
    // moment), and no variable elimination builds its occurrence lists.
    // Each of the sweep's solves is short; neither costs time there.
    s.set("arena", 0);
    s.set("elim", 0);
    stableOnly = chooseStableOnly();
    if (stableOnly) s.set("stabilizeonly", 1);
    ++rebuilds;
    guardedList.clear();
    for (int i : candidates) {
        const size_t k = static_cast<size_t>(i);
        // Column 0 too: the diagonal groups of the last columns wrap to it, and
        // a new solver for each of their trials would cost more than the
        // column's assumptions.
        const bool near = focusCol >= 0 && (std::abs(i / rows - focusCol) <= halfBand || i / rows == 0);
        guarded[k] = !dropped[k] && !kept[k] && (!active[k] || near);
        if (guarded[k]) guardedList.push_back(i);
    }
    const ClueSet& counts = pictureClues;
    // What the clues that no solve switches decide: those cells are left out
    // of the solver. On a picture that the clues ahead of the sweep settle
    // one at a time, the solver holds little more than the band and what the
    // sweep has thinned out behind it.
    ClueSet firm(cols, rows);
    std::vector<std::uint8_t> reached(static_cast<size_t>(cells), 0);
    for (int i : candidates) {
        const size_t k = static_cast<size_t>(i);
        if (dropped[k]) continue;
        if (!guarded[k]) firm.clues[k] = counts.clues[k];
        forEachInBlock(i / rows, i % rows, cols, rows, [&](int x, int y) { reached[picture.index(x, y)] = 1; });
    }
    if (contradictionSeconds <= modeSeconds[0] + modeSeconds[1]) {
        // Every level from the cells out of reach on, most of it carried over.
        const auto started = std::chrono::steady_clock::now();
        std::vector<std::int8_t> start(static_cast<size_t>(cells), kCellOpen);
        for (size_t i = 0; i < start.size(); ++i)
            if (!reached[i]) start[i] = kCellWhite;
        forced = knownCells->deduce(firm, start) ? std::move(start) : std::vector<std::int8_t>();
        contradictionSeconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    } else {
        knownCells->forget();
        forced = forcedCells(firm, reached).value_or(std::vector<std::int8_t>());
        if (!forced.empty()) deduceFurther(firm, forced, kPairLevel);
    }

    // Variables: the free cells, the guarded clues' selectors, the counters.
    vars = CellVariables(forced, cells);
    int next = vars.count();
    std::fill(selector.begin(), selector.end(), 0);
    for (int i : guardedList) selector[static_cast<size_t>(i)] = ++next;
    s.reserve(variablesFor(vars, static_cast<int>(guardedList.size())));
    for (int i : guardedList) s.phase(selector[static_cast<size_t>(i)]); // tried switched on first
    // Searches start from the picture, so a nearby second answer turns up fast.
    for (int i = 0; i < cells; ++i)
        if (const int v = vars.of(i)) s.phase(picture.cells[static_cast<size_t>(i)] ? v : -v);
    BlockCountEncoder encoder(s, cols, rows, 0, 0, cols - 1, rows - 1,
                              [&](int c, int r) { return vars.encoded(forced, c * rows + r); }, next + 1);
    for (int i : candidates) {
        const size_t k = static_cast<size_t>(i);
        if (!dropped[k]) encoder.addClue(i / rows, i % rows, counts.clues[k], guarded[k] ? -selector[k] : 0);
    }
    // A filled cell needs an active clue whose block holds it: the clues of
    // its own block, which are the cells of its block. A kept or pinned one
    // settles it; otherwise one of the guarded ones must be on.
    std::vector<int> lits;
    for (int i = 0; i < cells; ++i) {
        const int v = vars.of(i);
        if (!v && forced[static_cast<size_t>(i)] == 0) continue;
        lits.clear();
        if (v) lits.push_back(-v);
        const bool settled = !forEachInBlock(i / rows, i % rows, cols, rows, [&](int x, int y) {
            const size_t k = picture.index(x, y);
            if (!candidate[k] || dropped[k]) return true;
            if (!guarded[k]) return false; // a kept or pinned clue reaches it
            lits.push_back(selector[k]);
            return true;
        });
        if (settled) continue;
        for (int l : lits) s.add(l);
        s.add(0);
    }
    stale = false;
}

PictureUniqueness::~PictureUniqueness() = default;

void PictureUniqueness::setActive(int c, int r, bool on)
{
    Impl& m = *impl_;
    const size_t i = m.picture.index(c, r);
    if (!m.candidate[i] || m.dropped[i]) return;
    if (m.kept[i] && !on) throw std::logic_error("a clue kept for good cannot be switched off");
    m.active[i] = on ? 1 : 0;
    m.touch(i);
}

bool PictureUniqueness::isActive(int c, int r) const
{
    return impl_->active[impl_->picture.index(c, r)] != 0;
}

bool PictureUniqueness::isKeptForGood(int c, int r) const
{
    return impl_->kept[impl_->picture.index(c, r)] != 0;
}

void PictureUniqueness::keepForGood(int c, int r)
{
    Impl& m = *impl_;
    const size_t i = m.picture.index(c, r);
    if (!m.candidate[i] || m.dropped[i] || m.kept[i]) return;
    m.active[i] = 1;
    m.kept[i] = 1;
    m.touch(i);
    if (!m.guarded[i]) return; // pinned: already a plain constraint
    m.solver->add(m.selector[i]);
    m.solver->add(0);
}

void PictureUniqueness::dropForGood(int c, int r)
{
    Impl& m = *impl_;
    const size_t i = m.picture.index(c, r);
    if (m.kept[i]) throw std::logic_error("a clue kept for good cannot be dropped");
    if (!m.candidate[i] || m.dropped[i]) return;
    const bool wasPinned = m.pinned(i);
    m.active[i] = 0;
    m.dropped[i] = 1;
    m.touch(i);
    if (wasPinned) {
        m.stale = true;
        return;
    }
    m.solver->add(-m.selector[i]);
    m.solver->add(0);
}

namespace {

// Cells around the blocks of the clues taken away that the window test looks
// at first, and then in the wider window (still wider ones cost more than
// they save), and the largest box of those blocks it takes on.
constexpr int kAroundMargin = 2;
constexpr int kWideMargin = 5;
constexpr int kAroundMaxBox = 12 * 12;
// Before the whole field is asked, a second answer is looked for in a window
// this wide with its ring fixed: on noise-like pictures most of them lie this
// near, and the small search finds them for a fraction of a whole-field solve
// (noise 100 × 100: 0.81 of the time, line art 150 × 150: 0.95).
constexpr int kAnswerMargin = 5;
// Branchings the small search may take before the whole field is asked.
constexpr long kSearchBudget = 200;

} // namespace

// A second answer would differ from the picture in the near cells. Asked of
// a window around them: the window's cells free, the ring of two cells
// around it assumed to be the picture (further out nothing is asked), every
// active clue whose block meets the window, and the reach rule inside it.
// An answer is then a second answer of the whole field: nothing outside the
// window changed. No answer even with the ring free means none of the whole
// field either: without the ring the question only drops constraints.
// Otherwise the window was too small, or the search ran out of budget.
PictureUniqueness::Around PictureUniqueness::settleAround(Impl& m, int margin, bool answerOnly)
{
    const int cols = m.picture.cols, rows = m.picture.rows;
    int left = cols, right = -1, top = rows, bottom = -1;
    for (int i : m.near) {
        left = std::min(left, i / rows);
        right = std::max(right, i / rows);
        top = std::min(top, i % rows);
        bottom = std::max(bottom, i % rows);
    }
    if (right < 0 || (right - left + 1) * (bottom - top + 1) > kAroundMaxBox) return Around::Unknown;
    left = std::max(0, left - margin);
    top = std::max(0, top - margin);
    right = std::min(cols - 1, right + margin);
    bottom = std::min(rows - 1, bottom + margin);
    // The window with its ring, clipped to the field.
    const int outerLeft = std::max(0, left - 2), outerTop = std::max(0, top - 2);
    const int outerRight = std::min(cols - 1, right + 2), outerBottom = std::min(rows - 1, bottom + 2);

    // Whether an active clue's block holds (c, r): the block of (c, r) holds one.
    auto reached = [&](int c, int r) {
        return !forEachInBlock(c, r, cols, rows, [&](int x, int y) { return m.active[m.picture.index(x, y)] == 0; });
    };
    auto inWindow = [&](int c, int r) { return c >= left && c <= right && r >= top && r <= bottom; };
    const int outerRows = outerBottom - outerTop + 1;
    auto cellOf = [&](int c, int r) { return (c - outerLeft) * outerRows + (r - outerTop); };

    // A small search: the ring free (a proof there needs nothing outside the
    // window), then fixed to the picture (an answer there is an answer of
    // the field); with answerOnly only the latter.
    WindowSearch& search = m.window;
    search.clear();
    std::vector<int> ring;
    for (int c = outerLeft; c <= outerRight; ++c)
        for (int r = outerTop; r <= outerBottom; ++r) {
            const bool filled = m.picture.at(c, r);
            const int fixed = !inWindow(c, r) ? (answerOnly ? int(filled) : -1) : reached(c, r) ? -1 : 0;
            const int cell = search.addCell(filled, fixed);
            if (!inWindow(c, r)) ring.push_back(cell);
        }
    std::vector<int> block;
    for (int c = std::max(0, left - 1); c <= std::min(cols - 1, right + 1); ++c)
        for (int r = std::max(0, top - 1); r <= std::min(rows - 1, bottom + 1); ++r) {
            if (!m.active[m.picture.index(c, r)]) continue;
            block.clear();
            int count = 0;
            forEachInBlock(c, r, cols, rows, [&](int x, int y) {
                block.push_back(cellOf(x, y));
                count += m.picture.at(x, y);
            });
            search.addCount(block, count);
        }
    std::vector<int> differ;
    for (int i : m.near) differ.push_back(cellOf(i / rows, i % rows));
    if (answerOnly) return search.search(differ, kSearchBudget) == WindowSearch::Result::Found ? Around::Another : Around::Unknown;
    switch (search.search(differ, kSearchBudget)) {
    case WindowSearch::Result::None: return Around::Proven;
    case WindowSearch::Result::GaveUp: break;
    case WindowSearch::Result::Found: {
        bool fits = true;
        for (int cell : ring) fits = fits && search.value(cell) == search.preferred(cell);
        if (fits) return Around::Another;
        for (int cell : ring) search.fix(cell, search.preferred(cell));
        switch (search.search(differ, kSearchBudget)) {
        case WindowSearch::Result::Found: return Around::Another;
        case WindowSearch::Result::None: return Around::Unknown;
        case WindowSearch::Result::GaveUp: break;
        }
        break;
    }
    }

    // What the search cannot decide within its budget goes to the whole
    // field: a SAT solver built for the window costs more than the whole
    // field's solver, which holds only the cells the known ones leave open.
    return Around::Unknown;
}

PictureUniqueness::Verdict PictureUniqueness::test(const StopCheck& stop)
{
    Impl& m = *impl_;
    // Only for this solve: the answer must differ from the picture. Once a
    // clue set is proven to leave the picture alone, an answer of a smaller
    // set breaks one of the clues taken away since, so it differs from the
    // picture within their blocks; the solver then looks only there.
    const int cols = m.picture.cols, rows = m.picture.rows;
    const int cells = cols * rows;
    for (int i : m.near) m.isNear[static_cast<size_t>(i)] = 0;
    m.near.clear();
    bool local = m.hasProven;
    if (local) {
        int vars[9];
        for (int i : m.touched) {
            const size_t k = static_cast<size_t>(i);
            if (m.active[k] && !m.proven[k]) {
                local = false; // a clue came back: nothing is known about this set
                break;
            }
            if (!m.active[k] && m.proven[k]) {
                const int n = blockVars(cols, rows, i / rows, i % rows, vars);
                for (int j = 0; j < n; ++j) {
                    const size_t v = static_cast<size_t>(vars[j] - 1);
                    if (!m.isNear[v]) {
                        m.isNear[v] = 1;
                        m.near.push_back(vars[j] - 1);
                    }
                }
            }
        }
    }
    // The set is proven: proven takes the switches since, and they are forgotten.
    auto proven = [&] {
        if (!m.hasProven) {
            m.proven = m.active;
            m.hasProven = true;
        } else {
            for (int i : m.touched) m.proven[static_cast<size_t>(i)] = m.active[static_cast<size_t>(i)];
        }
        for (int i : m.touched) m.isTouched[static_cast<size_t>(i)] = 0;
        m.touched.clear();
        return Verdict::OnlyAnswer;
    };
    if (local && m.near.empty()) return proven();
    if (local) {
        Around around = settleAround(m, kAroundMargin);
        // The wider window pays where it settles a good share of what the
        // small one leaves (areas and lines), not on noise-like pictures;
        // its record decides, and every sixteenth test asks it anyway.
        if (around == Around::Unknown && (m.wideSettled * 4 >= m.wideTried || m.wideSkipped++ % 16 == 0)) {
            ++m.wideTried;
            around = settleAround(m, kWideMargin);
            if (around != Around::Unknown) ++m.wideSettled;
        }
        if (around == Around::Proven) return proven();
        if (around == Around::Unknown) around = settleAround(m, kAnswerMargin, true);
        if (around == Around::Another) return Verdict::AnotherAnswer;
    }

    // The clues switched off are assumed off (the solver must not switch
    // them on to bring cells into reach) and the guarded open ones on; the
    // pinned ones are constraints of the solver. Pinning keeps these
    // assumptions to the band the sweep works in, instead of every open clue.
    size_t kept = 0;
    for (int i : m.off) {
        const size_t k = static_cast<size_t>(i);
        if (!m.active[k] && !m.dropped[k]) m.off[kept++] = i;
        else m.isOff[k] = 0;
    }
    m.off.resize(kept);
    // A pinned clue switched off, or dropped, needs a solver that guards it.
    int focus = -1;
    for (int i : m.off)
        if (m.pinned(static_cast<size_t>(i))) {
            focus = i / rows;
            break;
        }
    if (focus >= 0 || m.stale) m.rebuild(focus);
    // The answer must differ from the picture in a cell that the solver
    // holds: the forced cells have the same fill in every answer. None left:
    // no answer differs. One forced away from the picture: every answer does.
    std::vector<int>& differ = m.differ;
    differ.clear();
    bool differs = false;
    auto ask = [&](int i) {
        const std::uint8_t filled = m.picture.cells[static_cast<size_t>(i)];
        if (const int v = m.vars.of(i)) differ.push_back(filled ? -v : v);
        else differs = differs || m.forced[static_cast<size_t>(i)] != filled;
    };
    if (local) {
        for (int i : m.near) ask(i);
    } else {
        for (int i = 0; i < cells; ++i) ask(i);
    }
    if (!differs && differ.empty()) return proven();
    CaDiCaL::Solver& solver = *m.solver;
    for (int i : m.off) solver.assume(-m.selector[static_cast<size_t>(i)]);
    for (int i : m.guardedList) {
        const size_t k = static_cast<size_t>(i);
        if (m.active[k] && !m.kept[k]) solver.assume(m.selector[k]);
    }
    if (!differs) {
        for (int lit : differ) solver.constrain(lit);
        solver.constrain(0);
    }
    const auto started = std::chrono::steady_clock::now();
    const int status = solveWith(solver, stop);
    m.modeSeconds[m.stableOnly] += std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    ++m.modeSolves[m.stableOnly];
    switch (status) {
    case 20: return proven();
    case 10: return Verdict::AnotherAnswer;
    default: return Verdict::Interrupted;
    }
}

} // namespace klt
