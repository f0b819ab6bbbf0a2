#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/advanced.h"
#include "core/engines.h"
#include "core/random.h"
#include "core/text.h"
#include "core/uniqueness.h"
#include "testcontext.h"

using namespace klt;
using klt::test::RecordingContext;
using klt::test::rowsOf;
using klt::test::setPicture;
using klt::test::setRows;
using Rows = std::vector<std::vector<std::string>>;

namespace {

// --- an independent judge: every picture of a small field, one bit per cell ---

struct BruteForce {
    long long answers = 0;
    CellGrid first, second;
};

// Counts the pictures that meet every clue (bit c * rows + r, at most 25
// cells); with unreachedWhite only pictures whose cells out of every clue's
// reach are white.
BruteForce bruteForce(const ClueSet& cs, bool unreachedWhite)
{
    const int n = cs.cols * cs.rows;
    std::vector<std::pair<std::uint32_t, int>> clues;
    std::uint32_t reach = 0;
    for (int c = 0; c < cs.cols; ++c)
        for (int r = 0; r < cs.rows; ++r) {
            if (cs.at(c, r) == kNoClue) continue;
            std::uint32_t m = 0;
            for (int x = c - 1; x <= c + 1; ++x)
                for (int y = r - 1; y <= r + 1; ++y)
                    if (x >= 0 && y >= 0 && x < cs.cols && y < cs.rows) m |= 1u << (x * cs.rows + y);
            clues.emplace_back(m, cs.at(c, r));
            reach |= m;
        }
    const std::uint32_t space = unreachedWhite ? reach : (n == 32 ? ~0u : (1u << n) - 1);
    BruteForce out;
    auto toGrid = [&](std::uint32_t p) {
        CellGrid g(cs.cols, cs.rows);
        for (int i = 0; i < n; ++i) g.cells[size_t(i)] = (p >> i) & 1;
        return g;
    };
    for (std::uint32_t p = space;; p = (p - 1) & space) {
        bool ok = true;
        for (const auto& [m, v] : clues)
            if (std::popcount(p & m) != v) {
                ok = false;
                break;
            }
        if (ok) {
            if (out.answers == 0) out.first = toGrid(p);
            if (out.answers == 1) out.second = toGrid(p);
            ++out.answers;
        }
        if (p == 0) break;
    }
    return out;
}

int blockCount(const CellGrid& g, int c, int r)
{
    int n = 0;
    for (int x = c - 1; x <= c + 1; ++x)
        for (int y = r - 1; y <= r + 1; ++y)
            if (x >= 0 && y >= 0 && x < g.cols && y < g.rows && g.at(x, y)) ++n;
    return n;
}

// An answer meets every clue, and under the program's rule leaves the cells
// out of reach white.
void expectAnswer(const ClueSet& cs, const CellGrid& g, bool unreachedWhite = true)
{
    ASSERT_EQ(g.cols, cs.cols);
    ASSERT_EQ(g.rows, cs.rows);
    std::vector<bool> reached(g.cells.size(), false);
    for (int c = 0; c < cs.cols; ++c)
        for (int r = 0; r < cs.rows; ++r) {
            if (cs.at(c, r) == kNoClue) continue;
            EXPECT_EQ(blockCount(g, c, r), cs.at(c, r)) << "clue at " << c << "," << r;
            for (int x = c - 1; x <= c + 1; ++x)
                for (int y = r - 1; y <= r + 1; ++y)
                    if (x >= 0 && y >= 0 && x < cs.cols && y < cs.rows) reached[g.index(x, y)] = true;
        }
    if (unreachedWhite)
        for (size_t i = 0; i < reached.size(); ++i)
            if (!reached[i]) {
                EXPECT_FALSE(g.cells[i]) << "cell " << i << " out of reach is filled";
            }
}

// Rows of '0'/'1' (or '#'/'.') as a cell grid.
CellGrid gridOf(const std::vector<std::string>& rows)
{
    CellGrid g(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int r = 0; r < g.rows; ++r)
        for (int c = 0; c < g.cols; ++c) g.set(c, r, rows[size_t(r)][size_t(c)] == '1' || rows[size_t(r)][size_t(c)] == '#');
    return g;
}

std::vector<std::string> fillRows(const Workspace& ws)
{
    return klt::test::pictureOf(ws);
}

int cluesLeft(const Workspace& ws)
{
    return cluesOnField(ws.doc.field()).count();
}

// A random picture with about the given share of filled cells.
std::vector<std::string> randomPicture(Lcg& rng, int cols, int rows, int percent)
{
    std::vector<std::string> out(size_t(rows), std::string(size_t(cols), '.'));
    for (auto& row : out)
        for (auto& ch : row)
            if (rng.random(100) < percent) ch = '#';
    return out;
}

} // namespace

// --- the uniqueness check ---

namespace {

// Records the progress display and the boxes in the order they come.
struct ProgressHost : RecordingContext {
    std::vector<std::string> events;
    int maximum = 0;
    void progressStart(const std::string&, int max) override
    {
        maximum = max;
        events.push_back("start");
    }
    void progressStep(int by) override
    {
        RecordingContext::progressStep(by);
        events.push_back("step");
    }
    void progressEnd() override { events.push_back("end"); }
    void showInformation(const std::string& text, const std::string& caption) override
    {
        RecordingContext::showInformation(text, caption);
        // The gauge at that moment: gone, and how far it had come.
        events.push_back("box at " + std::to_string(steps) + "/" + std::to_string(maximum));
    }
};

} // namespace

TEST(Uniqueness, SmallPuzzles)
{
    struct Case {
        const char* name;
        Rows texts;
        Answers answers;
        std::string message;
        // One: the answer; Several, OneNotPicture: the differing cells; None: the contradiction
        std::vector<std::string> cells;
    };
    const std::vector<Case> cases = {
        {"clue above its corner block", {{"5", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}},
         Answers::None, "Нет ответа\r\nПротиворечие у подсказки в столбце 0, строке 0", {"10000", "00000", "00000", "00000", "00000"}},
        {"nine beside a zero", {{"", "", "", "", ""}, {"", "9", "", "", ""}, {"", "", "0", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}},
         Answers::None, "Нет ответа\r\nПротиворечие у подсказки в столбце 1, строке 1", {"00000", "01000", "00100", "00000", "00000"}},
        {"a contradiction below clues that agree", {{"0", "", "", "", "1"}, {"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "0", "", "4"}},
         Answers::None, "Нет ответа\r\nПротиворечие у подсказки в столбце 2, строке 4", {"00000", "00000", "00000", "00000", "00101"}},
        {"zeros force every cell white, below a clue 1", {{"", "", "", "", ""}, {"", "0", "", "0", ""}, {"", "", "1", "", ""}, {"", "0", "", "0", ""}, {"", "", "", "", ""}},
         Answers::None, "Нет ответа\r\nПротиворечие у подсказки в столбце 1, строке 1", {"00000", "01010", "00100", "01010", "00000"}},
        {"every clue of a picture, fill marks and letters ignored",
         {{"-3", "-3", "1", "\xC6", "0"}, {"-4", "5", "4", "2", "1"}, {"2", "-3", "-4", "-3", "2"}, {"1", "3", "6", "-6", "4"}, {"0", "1", "-3", "-4", "-3"}},
         Answers::One, "Ответ единственный", {"##...", "#....", ".###.", "...#.", "..###"}},
        {"the same clues with the answers hidden",
         {{"3", "3", "1", "\xC6", "0"}, {"4", "5", "4", "2", "1"}, {"2", "3", "4", "3", "2"}, {"1", "3", "6", "6", "4"}, {"0", "1", "3", "4", "3"}},
         Answers::One, "Ответ единственный", {"##...", "#....", ".###.", "...#.", "..###"}},
        {"a clue 0 beside a filled cell", {{"0", "-", "", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}},
         Answers::OneNotPicture, "Ответ единственный, но не совпадает с рисунком\r\nРазличающихся клеток: 1",
         {"01000", "00000", "00000", "00000", "00000"}},
        {"a typed zero on a filled cell is a clue 0; other numbers are no clue, filled ones out of reach",
         {{"12", "", "", "", "-10"}, {"", "", "", "", ""}, {"", "", "-0", "", ""}, {"", "", "", "", ""}, {"5-", "", "", "", " 300x"}},
         Answers::OneNotPicture, "Ответ единственный, но не совпадает с рисунком\r\nРазличающихся клеток: 3",
         {"00001", "00000", "00100", "00000", "10000"}},
        {"two answers that differ in two cells", {{"", "", "6", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "1", "1", "0"}, {"", "", "", "1", "0"}},
         Answers::Several, "Ответов несколько\r\nРазличающихся клеток: 2", {"00000", "00000", "00000", "00100", "00100"}},
        {"a single clue 1 in the middle", {{"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "1", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}},
         Answers::Several, "Ответов несколько\r\nРазличающихся клеток: 2", {}},
        {"a picture without clues", {{"-", "-", "", "", ""}, {"", "", "", "", ""}, {"", "", "\xC6", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}},
         Answers::NoClues, "Нет цифр!", {}},
        {"numbers that are no clue", {{"12", "-", "", "", ""}, {"", "", "", "", ""}, {"", "", "-10", "", ""}, {"", "", "", "", ""}, {"", "", "", "", "+10"}},
         Answers::NoClues, "Нет цифр!", {}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        ProgressHost host;
        Workspace ws;
        host.attach(ws);
        setRows(ws, k.texts);
        const Rows before = rowsOf(ws);
        const ClueSet cs = cluesOnField(ws.doc.field());
        Answers shownAnswers = Answers::Interrupted;
        const UniquenessResult res = uniquenessCommand(ws.doc.field(), host, [&](const UniquenessResult& r) {
            shownAnswers = r.answers;
            EXPECT_TRUE(host.messages.empty()) << "the caller marks cells before the box";
        });

        EXPECT_EQ(res.answers, k.answers);
        EXPECT_EQ(shownAnswers, k.answers);
        EXPECT_EQ(rowsOf(ws), before) << "the check leaves the field as it is";
        EXPECT_TRUE(host.stopped());
        EXPECT_EQ(host.messages, std::vector<std::string>{"Проверка|" + k.message});
        if (k.answers == Answers::NoClues) {
            EXPECT_EQ(host.events, std::vector<std::string>{"box at 0/0"}) << "nothing to search, no gauge";
        } else {
            // The gauge reaches its end and is gone before the box appears.
            ASSERT_GE(host.events.size(), 3u);
            EXPECT_EQ(host.events.front(), "start");
            EXPECT_EQ(host.events[host.events.size() - 2], "end");
            EXPECT_EQ(host.events.back(), "box at 2/2");
        }

        switch (res.answers) {
        case Answers::One:
            expectAnswer(cs, res.first);
            EXPECT_EQ(res.first, gridOf(k.cells));
            EXPECT_TRUE(res.differs.cells.empty());
            break;
        case Answers::OneNotPicture:
            expectAnswer(cs, res.first);
            EXPECT_EQ(res.second, pictureOnField(ws.doc.field()));
            EXPECT_EQ(res.differs, gridOf(k.cells));
            break;
        case Answers::Several:
            expectAnswer(cs, res.first);
            expectAnswer(cs, res.second);
            EXPECT_NE(res.first, res.second);
            for (size_t i = 0; i < res.differs.cells.size(); ++i)
                EXPECT_EQ(res.differs.cells[i], res.first.cells[i] != res.second.cells[i]);
            if (!k.cells.empty()) {
                EXPECT_EQ(res.differs, gridOf(k.cells));
            }
            break;
        case Answers::None: EXPECT_EQ(res.contradiction, gridOf(k.cells)); break;
        default: break;
        }
    }
}

TEST(Uniqueness, CellsOutOfReachAreWhiteUnlessStrict)
{
    ClueSet cs(5, 5);
    cs.set(2, 2, 0);
    EXPECT_EQ(checkUniqueness(cs).answers, Answers::One);

    UniquenessOptions strict;
    strict.unreachedWhite = false;
    const UniquenessResult res = checkUniqueness(cs, strict);
    ASSERT_EQ(res.answers, Answers::Several);
    expectAnswer(cs, res.first, false);
    expectAnswer(cs, res.second, false);
    for (int c = 1; c <= 3; ++c)
        for (int r = 1; r <= 3; ++r) EXPECT_FALSE(res.differs.at(c, r)) << "the clue 0 settles its block";
}

TEST(Uniqueness, AgreesWithBruteForceOnRandomClueSets)
{
    Lcg rng(2024);
    int seen[3] = {0, 0, 0};
    for (int t = 0; t < 160; ++t) {
        const bool strict = t % 4 == 3;
        const auto pic = gridOf(randomPicture(rng, 4, 5, 40));
        const ClueSet full = allClues(pic);
        ClueSet cs(4, 5);
        const int share = 15 + rng.random(70);
        for (size_t i = 0; i < cs.clues.size(); ++i)
            if (rng.random(100) < share) cs.clues[i] = full.clues[i];
        // Now and then a wrong clue, so that some sets have no answer.
        if (rng.random(5) == 0) {
            const size_t i = size_t(rng.random(20));
            cs.clues[i] = static_cast<std::int8_t>(rng.random(10));
        }
        SCOPED_TRACE("case " + std::to_string(t));
        UniquenessOptions options;
        options.unreachedWhite = !strict;
        const UniquenessResult res = checkUniqueness(cs, options);
        const BruteForce bf = bruteForce(cs, !strict);
        switch (bf.answers) {
        case 0: {
            EXPECT_EQ(res.answers, Answers::None);
            ++seen[0];
            // The clues named for the contradiction have no answer by
            // themselves, and each of them is needed for that.
            ASSERT_GT(res.contradiction.count(), 0);
            ClueSet named(cs.cols, cs.rows);
            for (size_t i = 0; i < cs.clues.size(); ++i)
                if (res.contradiction.cells[i]) {
                    EXPECT_NE(cs.clues[i], kNoClue) << "cell " << i << " holds no clue";
                    named.clues[i] = cs.clues[i];
                }
            EXPECT_EQ(bruteForce(named, true).answers, 0);
            for (size_t i = 0; i < named.clues.size(); ++i) {
                if (named.clues[i] == kNoClue) continue;
                ClueSet fewer = named;
                fewer.clues[i] = kNoClue;
                EXPECT_GT(bruteForce(fewer, true).answers, 0) << "clue " << i << " is not needed";
            }
            break;
        }
        case 1:
            EXPECT_EQ(res.answers, Answers::One);
            EXPECT_EQ(res.first, bf.first);
            ++seen[1];
            break;
        default:
            EXPECT_EQ(res.answers, Answers::Several);
            expectAnswer(cs, res.first, !strict);
            expectAnswer(cs, res.second, !strict);
            EXPECT_NE(res.first, res.second);
            ++seen[2];
        }
    }
    // The draw must reach every verdict, or the comparison proves little.
    EXPECT_GT(seen[0], 5);
    EXPECT_GT(seen[1], 5);
    EXPECT_GT(seen[2], 5);
}

TEST(Uniqueness, StopAbandonsTheSearch)
{
    ClueSet cs(5, 5);
    cs.set(2, 2, 1);
    UniquenessOptions options;
    options.stop = [] { return true; };
    EXPECT_EQ(checkUniqueness(cs, options).answers, Answers::Interrupted);

    // Stopped while the clues to blame are sought: the verdict stands, alone.
    ClueSet contradictory(5, 5);
    contradictory.set(1, 1, 9);
    contradictory.set(2, 2, 0);
    bool firstDone = false;
    UniquenessOptions late;
    late.onFirstSearchDone = [&] { firstDone = true; };
    late.stop = [&] { return firstDone; };
    const UniquenessResult none = checkUniqueness(contradictory, late);
    EXPECT_EQ(none.answers, Answers::None);
    EXPECT_EQ(none.contradiction.count(), 0);
    EXPECT_EQ(uniquenessMessage(none), "Нет ответа");

    // The command: Stop clicked while the search pumps events.
    struct StoppingHost : RecordingContext {
        void progressStart(const std::string&, int) override { requestStop(); }
    } host;
    Workspace ws;
    host.attach(ws);
    setRows(ws, {{"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "1", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}});
    EXPECT_EQ(uniquenessCommand(ws.doc.field(), host).answers, Answers::Interrupted);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Проверка|Прервано !"});
    EXPECT_TRUE(host.stopped());
}

TEST(Uniqueness, OutOfRangeNumberEndsTheCommandLikeCheck)
{
    Workspace ws;
    RecordingContext host{ws};
    setRows(ws, {{"300", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}});
    EXPECT_THROW(uniquenessCommand(ws.doc.field(), host), CommandError);
    EXPECT_TRUE(host.stopped());
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(ws.doc.field().text(0, 0), "300");
}

// Puzzles whose solver would need gigabytes are refused with a message, as
// a bad number is, before any of it is built; those just inside are checked.
TEST(Uniqueness, PuzzlesBeyondTheSolversMemoryAreRefused)
{
    auto refusal = [](const ClueSet& cs) {
        try {
            checkUniqueness(cs);
        } catch (const CommandError& e) {
            return e.message;
        }
        return std::string();
    };
    EXPECT_NE(refusal(ClueSet(1025, 1024)).find("слишком велика"), std::string::npos);
    // A clue on every cell of 650 × 650: fewer cells than the limit, but
    // more literals than the solver is given memory for.
    ClueSet dense(650, 650);
    std::fill(dense.clues.begin(), dense.clues.end(), std::int8_t(4));
    EXPECT_NE(refusal(dense).find("слишком велика"), std::string::npos);
    // The largest field without clues: one answer, all white.
    EXPECT_EQ(checkUniqueness(ClueSet(1024, 1024)).answers, Answers::One);

    // The command refuses before it reads the field, and shows no verdict.
    Workspace ws;
    RecordingContext host{ws};
    ws.doc.field().setSize(2000, 600);
    EXPECT_THROW(uniquenessCommand(ws.doc.field(), host), CommandError);
    EXPECT_TRUE(host.stopped());
    EXPECT_TRUE(host.messages.empty());
}

TEST(Uniqueness, PictureStaysOnlyAnswerAsCluesComeAndGo)
{
    const CellGrid pic = gridOf({"##...", "#....", ".###.", "...#.", "..###"});
    PictureUniqueness pu(pic, std::vector<std::uint8_t>(25, 1));
    EXPECT_EQ(pu.test(), PictureUniqueness::Verdict::OnlyAnswer);
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r < 5; ++r) pu.setActive(c, r, false);
    EXPECT_EQ(pu.test(), PictureUniqueness::Verdict::AnotherAnswer) << "no clue: every filled cell is out of reach";
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r < 5; ++r) pu.setActive(c, r, true);
    EXPECT_EQ(pu.test(), PictureUniqueness::Verdict::OnlyAnswer);
    // Without its top-left corner the picture could lose its corner cell:
    // the clues around (0, 0) all see it together with other cells.
    pu.dropForGood(0, 0);
    pu.dropForGood(1, 0);
    pu.dropForGood(0, 1);
    pu.dropForGood(1, 1);
    EXPECT_EQ(pu.test(), PictureUniqueness::Verdict::AnotherAnswer);
    pu.setActive(0, 0, true); // a dropped clue stays dropped
    EXPECT_FALSE(pu.isActive(0, 0));
    EXPECT_EQ(pu.test(), PictureUniqueness::Verdict::AnotherAnswer);
    pu.keepForGood(4, 4);
    EXPECT_THROW(pu.setActive(4, 4, false), std::logic_error);
    EXPECT_THROW(pu.dropForGood(4, 4), std::logic_error);
}

// A sweep of removals on fields wide enough for the window tests (and their
// ring of assumed cells) to decide most of them, each verdict held against a
// whole-field search over the active clues.
TEST(Uniqueness, RemovalVerdictsAgreeWithTheWholeField)
{
    Lcg rng(99);
    int verdicts[2] = {0, 0};
    for (int t = 0; t < 4; ++t) {
        const int percent = t % 2 == 0 ? 50 : 25;
        const CellGrid pic = gridOf(randomPicture(rng, 15, 13, percent));
        SCOPED_TRACE("picture " + std::to_string(t));
        PictureUniqueness pu(pic, std::vector<std::uint8_t>(pic.cells.size(), 1));
        ASSERT_EQ(pu.test(), PictureUniqueness::Verdict::OnlyAnswer);
        const ClueSet full = allClues(pic);
        ClueSet active = full;
        for (int step = 0; step < 60; ++step) {
            const int c = rng.random(pic.cols), r = rng.random(pic.rows);
            if (!pu.isActive(c, r)) continue;
            pu.setActive(c, r, false);
            active.set(c, r, kNoClue);
            const UniquenessResult whole = checkUniqueness(active);
            const bool only = whole.answers == Answers::One && whole.first == pic;
            const auto verdict = pu.test();
            ASSERT_EQ(verdict, only ? PictureUniqueness::Verdict::OnlyAnswer : PictureUniqueness::Verdict::AnotherAnswer)
                << "removing (" << c << ", " << r << ") at step " << step;
            ++verdicts[only];
            if (!only) {
                pu.setActive(c, r, true);
                active.set(c, r, full.at(c, r));
            }
        }
    }
    EXPECT_GT(verdicts[0], 5);
    EXPECT_GT(verdicts[1], 5);
}

// The sweep's own pattern on a field wider than the band of guarded clues:
// column by column, a kept clue kept for good and a removed one dropped, so
// that the solver is built anew as the sweep moves and takes the cells that
// the clues behind and ahead of it decide as known. Every fourth verdict is
// held against a whole-field search.
TEST(Uniqueness, SweepVerdictsAgreeWithTheWholeFieldBeyondTheBand)
{
    Lcg rng(7);
    const CellGrid pic = gridOf(randomPicture(rng, 26, 60, 50)); // 2000 guarded cells: 16 columns either side
    PictureUniqueness pu(pic, std::vector<std::uint8_t>(pic.cells.size(), 1));
    ASSERT_EQ(pu.test(), PictureUniqueness::Verdict::OnlyAnswer);
    const ClueSet full = allClues(pic);
    ClueSet active = full;
    int verdicts[2] = {0, 0};
    for (int c = 0; c < pic.cols; ++c)
        for (int r = 0; r < pic.rows; ++r) {
            pu.setActive(c, r, false);
            active.set(c, r, kNoClue);
            const bool only = pu.test() == PictureUniqueness::Verdict::OnlyAnswer;
            if (r % 4 == c % 4) {
                const UniquenessResult whole = checkUniqueness(active);
                ASSERT_EQ(only, whole.answers == Answers::One && whole.first == pic) << "removing (" << c << ", " << r << ")";
                ++verdicts[only];
            }
            if (only) {
                pu.dropForGood(c, r);
            } else {
                pu.setActive(c, r, true);
                pu.keepForGood(c, r);
                active.set(c, r, full.at(c, r));
            }
        }
    EXPECT_GT(verdicts[0], 20);
    EXPECT_GT(verdicts[1], 20);
}

// --- advanced generation ---

namespace {

struct AdvancedFixture : ::testing::Test {
    Workspace ws;
    RecordingContext host{ws};
    std::unique_ptr<PlacementEngine> engine = makePlacementEngine(defaultEngineName());
    int difficulty = 5;
    bool ctrlHeld = false;

    GenerateOutcome advanced(bool correcting)
    {
        GenerateOptions options;
        options.correcting = correcting;
        options.allClues = ctrlHeld;
        options.placement.difficulty = difficulty;
        return generateAdvanced(ws, host, *engine, options);
    }

    // The ordinary generation of the same picture with the same seed and difficulty.
    int ordinaryClues(const std::vector<std::string>& picture, int difficulty, bool correcting = false)
    {
        RecordingContext h;
        h.seed = host.seed;
        Workspace w;
        h.attach(w);
        setPicture(w, picture);
        GenerateOptions options;
        options.correcting = correcting;
        options.placement.difficulty = difficulty;
        const GenerateOutcome out = generate(w, h, *engine, options);
        return out == GenerateOutcome::NotSolvable ? -1 : cluesLeft(w);
    }

    // The generated field: the picture, true counts as clues, and the
    // picture as the only answer by the SAT check and by brute force.
    void expectOnlyAnswer(const std::vector<std::string>& picture)
    {
        EXPECT_EQ(fillRows(ws), picture);
        for (int c = 0; c < ws.doc.field().colCount(); ++c)
            for (int r = 0; r < ws.doc.field().rowCount(); ++r) {
                const std::string digits = removeChars(ws.doc.field().text(c, r), "-");
                if (!digits.empty()) {
                    EXPECT_EQ(digits, std::to_string(countFilledAround(ws.doc.field(), c, r))) << c << "," << r;
                }
            }
        const ClueSet cs = cluesOnField(ws.doc.field());
        const UniquenessResult res = checkUniqueness(ws.doc.field());
        ASSERT_EQ(res.answers, Answers::One);
        EXPECT_EQ(res.first, gridOf(picture));
        const BruteForce bf = bruteForce(cs, true);
        EXPECT_EQ(bf.answers, 1);
        EXPECT_EQ(bf.first, gridOf(picture));
    }
};

// Needs reasoning over several clues: single-clue deduction fails even on the full set.
const std::vector<std::string> kDeductionFails = {"##.#.", "##...", "#...#", "#.#..", "..#.#"};
// Several answers even with every clue.
const std::vector<std::string> kAmbiguous = {"##..#", "#.#..", ".#.##", "###.#", "#...."};

} // namespace

TEST_F(AdvancedFixture, RandomPicturesKeepTheirOnlyAnswerWithNoMoreClues)
{
    Lcg rng(77);
    int ordinaryTotal = 0, advancedTotal = 0, solved = 0;
    for (int t = 0; t < 5; ++t) {
        // Small random pictures often keep several answers even with every
        // clue; the sweep is worth testing only on the others.
        auto picture = randomPicture(rng, 5, 5, 40);
        while (checkUniqueness(allClues(gridOf(picture))).answers != Answers::One) picture = randomPicture(rng, 5, 5, 40);
        for (int difficulty : {5, 2, 0}) {
            SCOPED_TRACE("picture " + std::to_string(t) + ", difficulty " + std::to_string(difficulty));
            host.seed = 1000u + static_cast<std::uint32_t>(t);
            host.messages.clear();
            host.steps = 0;
            host.gauges.clear();
            setPicture(ws, picture);
            this->difficulty = difficulty;
            ws.doc.setModified(false);
            const int ordinary = ordinaryClues(picture, difficulty);

            const GenerateOutcome out = advanced(false);
            EXPECT_TRUE(host.stopped());
            if (out == GenerateOutcome::NotSolvable) {
                EXPECT_EQ(ordinary, -1);
                EXPECT_GE(bruteForce(allClues(gridOf(picture)), true).answers, 2);
                EXPECT_EQ(fillRows(ws), picture);
                continue;
            }
            ASSERT_EQ(out, GenerateOutcome::Solved);
            ++solved;
            expectOnlyAnswer(picture);
            EXPECT_TRUE(ws.doc.modified());
            ASSERT_EQ(host.messages.size(), 1u);
            EXPECT_EQ(host.messages[0].rfind("Решение|Ответ единственный\r\n", 0), 0u) << host.messages[0];
            if (ordinary >= 0) {
                EXPECT_LE(cluesLeft(ws), ordinary);
                ordinaryTotal += ordinary;
                advancedTotal += cluesLeft(ws);
                // One step per cell in the ordinary sweep; the gauge of the
                // sweep from every clue (and of a second try from the
                // ordinary clues) counts its trials and ends full.
                ASSERT_TRUE(host.gauges.size() == 2 || host.gauges.size() == 3);
                EXPECT_EQ(host.gauges[0], 25);
                EXPECT_GE(host.gauges[1], 25) << "every clue is tried, the zeros twice";
                int announced = 0;
                for (int g : host.gauges) announced += g;
                EXPECT_EQ(host.steps, announced);
            }
            undo(ws);
            EXPECT_EQ(fillRows(ws), picture);
            EXPECT_EQ(cluesLeft(ws), 0) << "undo returns to the bare picture";
        }
    }
    EXPECT_EQ(solved, 15);
    EXPECT_LT(advancedTotal, ordinaryTotal) << "reasoning over several clues must save clues somewhere";
}

TEST_F(AdvancedFixture, StartsFromEveryClueWhenDeductionFails)
{
    setPicture(ws, kDeductionFails);
    ASSERT_EQ(ordinaryClues(kDeductionFails, 5), -1);
    ASSERT_EQ(advanced(false), GenerateOutcome::Solved);
    expectOnlyAnswer(kDeductionFails);
    EXPECT_LT(cluesLeft(ws), 25);
    ASSERT_EQ(host.messages.size(), 1u) << "the inner \"Не решается!\" is held back";
    EXPECT_EQ(host.messages[0].rfind("Решение|Ответ единственный", 0), 0u);
    undo(ws);
    EXPECT_EQ(fillRows(ws), kDeductionFails);
}

TEST_F(AdvancedFixture, SeveralAnswersEvenWithEveryClue)
{
    setPicture(ws, kAmbiguous);
    ws.doc.setModified(false);
    EXPECT_EQ(advanced(false), GenerateOutcome::NotSolvable);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Обсчет|Ответов несколько"});
    EXPECT_EQ(fillRows(ws), kAmbiguous);
    EXPECT_EQ(cluesLeft(ws), 0);
    EXPECT_FALSE(ws.doc.modified());
    EXPECT_TRUE(host.stopped());
}

TEST_F(AdvancedFixture, CorrectingMarginsStay)
{
    // The white margins make the ambiguous picture solvable; the sweep works
    // on the widened field.
    setPicture(ws, kAmbiguous);
    const int ordinary = ordinaryClues(kAmbiguous, 5, true);
    ASSERT_GT(ordinary, 0);
    ASSERT_EQ(advanced(true), GenerateOutcome::Solved);
    EXPECT_GT(ws.doc.field().colCount() * ws.doc.field().rowCount(), 25);
    const UniquenessResult res = checkUniqueness(ws.doc.field());
    ASSERT_EQ(res.answers, Answers::One);
    EXPECT_EQ(res.first, pictureOnField(ws.doc.field()));
    EXPECT_EQ(res.first.count(), gridOf(kAmbiguous).count());
    EXPECT_LE(cluesLeft(ws), ordinary);
}

TEST_F(AdvancedFixture, OrdinaryEndsPassThrough)
{
    struct Case {
        const char* name;
        std::vector<std::string> picture;
        bool ctrl;
        int stopAtStep; // 0: never
        GenerateOutcome outcome;
        std::vector<std::string> messages;
    };
    const std::vector<std::string> pic = {".....", ".##..", "..#..", ".....", "....."};
    const std::vector<Case> cases = {
        {"no filled cell", {".....", ".....", ".....", ".....", "....."}, false, 0, GenerateOutcome::NoFilledCells, {"Обсчет|Нет закрашенных клеток!"}},
        {"Ctrl held", pic, true, 0, GenerateOutcome::FullClues, {}},
        {"stopped in the ordinary sweep", pic, false, 3, GenerateOutcome::Interrupted, {"Обсчет|Прервано !"}},
        {"stopped in the advanced sweep", pic, false, 28, GenerateOutcome::Interrupted, {"Обсчет|Прервано !"}},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        host.messages.clear();
        host.steps = 0;
        ctrlHeld = k.ctrl;
        host.onStep = [&, k](int step) {
            if (step == k.stopAtStep) host.requestStop();
        };
        setPicture(ws, k.picture);
        ws.doc.setModified(false);
        EXPECT_EQ(advanced(false), k.outcome);
        EXPECT_EQ(host.messages, k.messages);
        EXPECT_TRUE(host.stopped());
        if (k.outcome == GenerateOutcome::Interrupted) {
            EXPECT_EQ(fillRows(ws), k.picture);
            EXPECT_EQ(cluesLeft(ws), 0);
            EXPECT_FALSE(ws.doc.modified());
        }
        if (k.outcome == GenerateOutcome::FullClues) {
            EXPECT_EQ(cluesLeft(ws), 25);
        }
    }
}

// Most removals on a larger field are proven in a small window around the
// clue; the whole-field check must agree with the result.
TEST_F(AdvancedFixture, WindowProofsHoldForTheWholeField)
{
    Lcg rng(4242);
    for (int t = 0; t < 3; ++t) {
        SCOPED_TRACE("picture " + std::to_string(t));
        const auto picture = randomPicture(rng, 18, 14, 45);
        host.seed = 77u + static_cast<std::uint32_t>(t);
        setPicture(ws, picture);
        const GenerateOutcome out = advanced(false);
        if (out == GenerateOutcome::NotSolvable) continue;
        ASSERT_EQ(out, GenerateOutcome::Solved);
        const UniquenessResult res = checkUniqueness(ws.doc.field());
        ASSERT_EQ(res.answers, Answers::One);
        EXPECT_EQ(res.first, gridOf(picture));
    }
}
