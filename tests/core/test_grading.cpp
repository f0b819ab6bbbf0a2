#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/advanced.h"
#include "core/engines.h"
#include "core/gradecommand.h"
#include "core/grading.h"
#include "core/leveljudge.h"
#include "core/random.h"
#include "testcontext.h"

using namespace klt;
using klt::test::RecordingContext;
using klt::test::setPicture;

namespace {

// Clues as rows of digits, '.' for no clue.
ClueSet cluesOf(const std::vector<std::string>& rows)
{
    ClueSet cs(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    for (int r = 0; r < cs.rows; ++r)
        for (int c = 0; c < cs.cols; ++c) {
            const char ch = rows[size_t(r)][size_t(c)];
            if (ch != '.') cs.set(c, r, ch - '0');
        }
    return cs;
}

std::vector<std::int8_t> stateOf(const std::vector<std::string>& rows)
{
    const int cols = static_cast<int>(rows[0].size()), n = static_cast<int>(rows.size());
    std::vector<std::int8_t> st(size_t(cols * n), kCellOpen);
    for (int r = 0; r < n; ++r)
        for (int c = 0; c < cols; ++c) {
            const char ch = rows[size_t(r)][size_t(c)];
            if (ch != '?') st[size_t(c * n + r)] = ch == '#' ? kCellFilled : kCellWhite;
        }
    return st;
}

using Cells = std::set<std::pair<int, int>>;

Cells cellsOf(const std::vector<int>& cells, int rows)
{
    Cells out;
    for (int i : cells) out.insert({i / rows, i % rows});
    return out;
}

int topLevel(const GradeResult& g)
{
    if (!g.solved) return 4;
    return g.perLevel[3] ? 3 : g.perLevel[2] ? 2 : 1;
}

const GradeStep* firstOfLevel(const GradeResult& g, int level)
{
    for (const GradeStep& s : g.steps)
        if (s.level == level) return &s;
    return nullptr;
}

// Small puzzles with one answer that need exactly one level more than the
// one before (4: trial and error), each with the first step of that level.
struct LevelCase {
    const char* name;
    std::vector<std::string> clues;
    std::vector<std::string> answer;
    int level;
    GradeStep::Kind kind;
    int filled;
    Cells cells;
    Cells clueCells; // the first ones listed
};

const std::vector<LevelCase> kLevelCases = {
    {"one clue", {"...", ".9.", "..."}, {"###", "###", "###"}, 1, GradeStep::Kind::AllFilled, 1,
     {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {1, 1}, {1, 2}, {2, 0}, {2, 1}, {2, 2}}, {{1, 1}}},
    // 7 needs at least two of the four cells it shares with 2, which then has
    // all it needs there.
    {"a pair", {"..1.", ".2..", "..7.", "3..."}, {"....", "...#", ".###", "####"}, 2, GradeStep::Kind::PairOwn, 0,
     {{0, 0}, {0, 1}, {0, 2}, {1, 0}, {2, 0}}, {{1, 1}, {2, 2}}},
    {"a contradiction", {"243.", "..5.", ".2.2", "...."}, {"###.", "..#.", ".#.#", "...."}, 3,
     GradeStep::Kind::Contradiction, 1, {{0, 0}}, {}},
    {"trial and error",
     {"..334..", "2..6..4", "..5.675", "354.6..", "3.3.543", "3534432", "..23..."},
     {"...###.", ".##..##", "#.###.#", "#..####", "#.#..#.", "#..#...", "#.#.##."}, 4, GradeStep::Kind::AllFilled, 0, {}, {}},
};

} // namespace

TEST(Grading, EachLevelWithItsFirstStep)
{
    for (const LevelCase& k : kLevelCases) {
        SCOPED_TRACE(k.name);
        const ClueSet cs = cluesOf(k.clues);
        const GradeResult g = gradePuzzle(cs);
        ASSERT_EQ(topLevel(g), k.level);
        // What the levels decided is the answer, solved or not.
        const std::vector<std::int8_t> answer = stateOf(k.answer);
        for (size_t i = 0; i < g.cells.size(); ++i)
            if (g.cells[i] != kCellOpen) {
                EXPECT_EQ(g.cells[i], answer[i]) << i;
            }
        // Counts per level add up to the steps, and no level is skipped.
        EXPECT_EQ(g.perLevel[1] + g.perLevel[2] + g.perLevel[3], static_cast<int>(g.steps.size()));
        if (k.level == 4) continue;
        const GradeStep* s = firstOfLevel(g, k.level);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->kind, k.kind);
        EXPECT_EQ(s->filled, k.filled);
        EXPECT_EQ(cellsOf(s->cells, cs.rows), k.cells);
        std::vector<int> first(s->clues.begin(), s->clues.begin() + std::ptrdiff_t(std::min(s->clues.size(), k.clueCells.size())));
        EXPECT_EQ(cellsOf(first, cs.rows), k.clueCells);
        // A lower level could not have taken this step: capped below it, the
        // path stops short.
        if (k.level > 1) {
            GradeOptions lower;
            lower.maxLevel = k.level - 1;
            EXPECT_FALSE(gradePuzzle(cs, lower).solved);
        }
    }
}

TEST(Grading, AgreesWithTheProverOnRandomPuzzles)
{
    Lcg rng(2026);
    int solved = 0, several = 0;
    for (int t = 0; t < 400; ++t) {
        const int cols = 4 + rng.random(6), rows = 4 + rng.random(6);
        CellGrid pic(cols, rows);
        for (auto& v : pic.cells) v = rng.random(100) < 50;
        const ClueSet all = allClues(pic);
        ClueSet cs(cols, rows);
        const int share = 30 + rng.random(60);
        for (size_t i = 0; i < cs.clues.size(); ++i)
            if (rng.random(100) < share) cs.clues[i] = all.clues[i];
        // Now and then a wrong clue, so that contradictions come up too.
        if (t % 7 == 0) cs.clues[size_t(rng.random(cols * rows))] = std::int8_t(rng.random(10));
        const GradeResult g = gradePuzzle(cs);
        const UniquenessResult u = checkUniqueness(cs);
        SCOPED_TRACE("case " + std::to_string(t));
        if (g.contradiction) {
            EXPECT_EQ(u.answers, Answers::None);
            continue;
        }
        // Every cell the levels decide has that fill in every answer.
        for (size_t i = 0; i < g.cells.size(); ++i) {
            if (g.cells[i] == kCellOpen) continue;
            if (u.answers == Answers::One || u.answers == Answers::Several) {
                EXPECT_EQ(g.cells[i], u.first.cells[i]) << i;
            }
            if (u.answers == Answers::Several) {
                EXPECT_EQ(g.cells[i], u.second.cells[i]) << i;
            }
        }
        if (g.solved) {
            ++solved;
            EXPECT_EQ(u.answers, Answers::One);
        } else if (u.answers == Answers::Several) {
            ++several;
        }
    }
    // The random cases reach both outcomes (a unique puzzle the levels do not
    // finish is the trial case above).
    EXPECT_GT(solved, 50);
    EXPECT_GT(several, 20);
}

TEST(Grading, OrdinaryPuzzlesNeedOnlyOneClueAtATime)
{
    Lcg rng(11);
    std::unique_ptr<PlacementEngine> engine = makePlacementEngine(defaultEngineName());
    int generated = 0;
    for (int t = 0; t < 150; ++t) {
        Workspace ws;
        RecordingContext host{ws};
        host.seed = std::uint32_t(t + 1);
        // A few rectangles with some noise: pictures the ordinary generation
        // mostly manages.
        const int cols = 5 + rng.random(12), rows = 5 + rng.random(12);
        std::vector<std::string> pic(size_t(rows), std::string(size_t(cols), '.'));
        for (int b = 0; b < 3; ++b) {
            const int c0 = rng.random(cols), r0 = rng.random(rows), w = 1 + rng.random(5), h = 1 + rng.random(5);
            for (int r = r0; r < std::min(rows, r0 + h); ++r)
                for (int c = c0; c < std::min(cols, c0 + w); ++c) pic[size_t(r)][size_t(c)] = '#';
        }
        for (auto& row : pic)
            for (auto& ch : row)
                if (rng.random(100) < 4) ch = ch == '#' ? '.' : '#';
        setPicture(ws, pic);
        GenerateOptions options;
        options.placement.difficulty = rng.random(6);
        if (generate(ws, host, *engine, options) != GenerateOutcome::Solved) continue;
        ++generated;
        const GradeResult g = gradePuzzle(cluesOnField(ws.doc.field()));
        SCOPED_TRACE("case " + std::to_string(t));
        EXPECT_TRUE(g.solved);
        EXPECT_EQ(g.perLevel[2] + g.perLevel[3], 0);
        EXPECT_EQ(g.grade, Grade::VeryEasy);
    }
    EXPECT_GT(generated, 60);
}

TEST(Grading, NextStepFromAPartialState)
{
    const ClueSet cs = cluesOf({"..1.", ".2..", "..7.", "3..."});
    // Nothing known: the pair step.
    std::optional<GradeStep> s = nextGradeStep(cs, stateOf({"????", "????", "????", "????"}));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->level, 2);
    // Its cells known white: now the 3 in the corner has two open cells
    // left beside a known filled one... whatever comes, it is level 1.
    s = nextGradeStep(cs, stateOf({"...?", ".???", ".???", "????"}));
    ASSERT_TRUE(s);
    EXPECT_EQ(s->level, 1);
    // Capped at level 1 from nothing known: no step.
    EXPECT_FALSE(nextGradeStep(cs, stateOf({"????", "????", "????", "????"}), 1));
    // A state that breaks a clue: no step, and the clue named, though other
    // clues could still decide cells.
    int broken = -1;
    EXPECT_FALSE(nextGradeStep(cs, stateOf({"####", "????", "????", "????"}), kTopGradeLevel, &broken));
    EXPECT_EQ(broken, 1 * cs.rows + 1); // the 2 at (1, 1), the first of the two broken
    // The broken clue comes first in the order; the 4 after it could still
    // fill its corner, but a broken state has no next step.
    broken = -1;
    EXPECT_FALSE(nextGradeStep(cluesOf({"0..", "...", "..4"}), stateOf({"???", "?#?", "???"}), kTopGradeLevel, &broken));
    EXPECT_EQ(broken, 0);
    // A filled cell that no clue reaches: white by the rule, so no step either.
    int brokenCell = -1;
    EXPECT_FALSE(nextGradeStep(cluesOf({"4...", "....", "....", "...."}), stateOf({"????", "????", "????", "???#"}),
                               kTopGradeLevel, &broken, &brokenCell));
    EXPECT_EQ(broken, -1);
    EXPECT_EQ(brokenCell, 3 * 4 + 3);
}

// What the levels add to a state the caller already holds, without the rule
// for cells out of reach: other clues, not given, may reach those.
TEST(Grading, DeducingFurtherFromAState)
{
    const ClueSet cs = cluesOf({"..1.", ".2..", "..7.", "3..."});
    const std::vector<std::int8_t> open = stateOf({"????", "????", "????", "????"});
    std::vector<std::int8_t> state = open;
    EXPECT_TRUE(deduceFurther(cs, state, 1));
    EXPECT_EQ(state, open) << "one clue at a time decides nothing here";
    EXPECT_TRUE(deduceFurther(cs, state, kTopGradeLevel));
    EXPECT_NE(state, open);
    const GradeResult path = gradePuzzle(cs);
    for (size_t i = 0; i < state.size(); ++i)
        if (state[i] != kCellOpen) {
            EXPECT_EQ(state[i], path.cells[i]) << "cell " << i;
        }

    state = stateOf({"?????", "?????", "?????", "?????", "?????"});
    EXPECT_TRUE(deduceFurther(cluesOf({"4....", ".....", ".....", ".....", "....."}), state, kTopGradeLevel));
    EXPECT_EQ(state, stateOf({"##???", "##???", "?????", "?????", "?????"}));

    // A state that breaks a clue stays as it was.
    const std::vector<std::int8_t> breaking = stateOf({"####", "????", "????", "????"});
    state = breaking;
    EXPECT_FALSE(deduceFurther(cs, state, kTopGradeLevel));
    EXPECT_EQ(state, breaking);
}

// Clue sets that change in parts of the field, one after another: the
// tracker carries over what still holds and ends where a fresh deduction ends.
TEST(Grading, KnownCellsCarriedOverMatchAFreshDeduction)
{
    Lcg rng(17);
    long carried = 0;
    for (const int percent : {50, 15, 85}) {
        const int cols = 40, rows = 30;
        CellGrid pic(cols, rows);
        for (auto& v : pic.cells) v = rng.random(100) < percent;
        const ClueSet all = allClues(pic);
        KnownCellsTracker tracker(pic.cells);
        // What the caller knows beforehand: the white cells no clue reaches,
        // every other time with what single clues decide.
        int calls = 0;
        auto startOf = [&](const ClueSet& cs) {
            std::vector<std::int8_t> st(cs.clues.size(), kCellOpen);
            for (int c = 0; c < cols; ++c)
                for (int r = 0; r < rows; ++r)
                    if (!pic.at(c, r) && forEachInBlock(c, r, cols, rows, [&](int x, int y) { return cs.at(x, y) < 0; }))
                        st[pic.index(c, r)] = kCellWhite;
            if (++calls % 2) deduceFurther(cs, st, 1);
            return st;
        };
        auto compare = [&](const ClueSet& cs, const std::string& what) {
            SCOPED_TRACE(std::to_string(percent) + " % filled, " + what);
            std::vector<std::int8_t> fresh = startOf(cs), tracked = fresh;
            const bool ok = deduceFurther(cs, fresh, kTopGradeLevel);
            EXPECT_EQ(tracker.deduce(cs, tracked), ok);
            EXPECT_EQ(tracked, fresh);
            carried += tracker.lastCounts().carried;
        };
        // A sweep: the columns around it without clues, half of those behind
        // it taken away for good.
        std::vector<std::uint8_t> keep(all.clues.size());
        for (auto& k : keep) k = rng.random(100) < 50;
        for (int focus = 0; focus < cols; focus += 4) {
            ClueSet cs(cols, rows);
            for (int c = 0; c < cols; ++c)
                for (int r = 0; r < rows; ++r)
                    if (c > focus + 3 || (c < focus - 3 && keep[pic.index(c, r)])) cs.set(c, r, all.at(c, r));
            compare(cs, "sweep at column " + std::to_string(focus));
        }
        // Clues taken away and brought back in small patches here and there.
        ClueSet cs = all;
        for (int round = 0; round < 12; ++round) {
            for (int patch = 0; patch < 3; ++patch) {
                const int c0 = rng.random(cols - 4), r0 = rng.random(rows - 4);
                for (int c = c0; c < c0 + 4; ++c)
                    for (int r = r0; r < r0 + 4; ++r) cs.set(c, r, cs.at(c, r) < 0 && rng.random(2) ? all.at(c, r) : kNoClue);
            }
            compare(cs, "patches, round " + std::to_string(round));
        }
        // Single clues taken away or brought back: next to cells the last
        // deduction could not decide, with no cell of its own to take back.
        for (int round = 0; round < 40; ++round) {
            for (int flip = 0; flip < 4; ++flip) {
                const int c = rng.random(cols), r = rng.random(rows);
                cs.set(c, r, cs.at(c, r) < 0 ? all.at(c, r) : kNoClue);
            }
            compare(cs, "single clues, round " + std::to_string(round));
        }
        tracker.forget();
        compare(cs, "after forgetting");
    }
    EXPECT_GT(carried, 1000) << "the cases carry deductions over";
}

TEST(Grading, ReasonsInWords)
{
    ClueSet cs(20, 10);
    cs.set(12, 5, 7);
    cs.set(13, 5, 2);
    cs.set(3, 3, 0);
    const int k = 12 * 10 + 5, other = 13 * 10 + 5;
    auto single = [&](int n, GradeStep::Kind kind, int clue) {
        GradeStep s{kind, 1, std::uint8_t(kind == GradeStep::Kind::AllFilled), std::vector<int>(size_t(n), 0), {clue}};
        return stepReason(s, cs);
    };
    EXPECT_EQ(single(3, GradeStep::Kind::AllFilled, k), "Число 7 в (12, 5): осталось 3 неизвестные клетки, все закрашены");
    EXPECT_EQ(single(1, GradeStep::Kind::AllFilled, k), "Число 7 в (12, 5): осталось 1 неизвестная клетка, все закрашены");
    EXPECT_EQ(single(5, GradeStep::Kind::AllFilled, k), "Число 7 в (12, 5): осталось 5 неизвестных клеток, все закрашены");
    EXPECT_EQ(single(2, GradeStep::Kind::AllWhite, k), "Число 7 в (12, 5): все закрашенные клетки уже найдены, остальные белые");
    EXPECT_EQ(single(9, GradeStep::Kind::AllWhite, 3 * 10 + 3), "Число 0 в (3, 3): все клетки вокруг белые");
    GradeStep pair{GradeStep::Kind::PairOwn, 2, 1, {0}, {k, other}, 1, 2};
    EXPECT_EQ(stepReason(pair, cs),
              "Числа 7 в (12, 5) и 2 в (13, 5): в общих клетках закрашено не больше 2, значит, неизвестные клетки только у "
              "первого числа закрашены");
    GradeStep probe{GradeStep::Kind::Contradiction, 3, 0, {4 * 10 + 6}, {k}};
    EXPECT_EQ(stepReason(probe, cs), "Если клетку (4, 6) закрасить, число 7 в (12, 5) не сойдётся: клетка белая");
}

TEST(Grading, GradeFromTheLevelsTheSolvingNeeds)
{
    struct Case {
        bool solved;
        int pairs, probes;
        Grade grade;
    };
    // Shares of the 100 + pairs + probes steps; up to 5 % is the easier grade.
    for (const Case& k : std::vector<Case>{{true, 0, 0, Grade::VeryEasy},
                                           {true, 1, 0, Grade::Easy},
                                           {true, 5, 0, Grade::Easy},
                                           {true, 6, 0, Grade::Medium},
                                           {true, 400, 0, Grade::Medium},
                                           {true, 40, 1, Grade::Hard},
                                           {true, 3, 5, Grade::Hard},
                                           {true, 3, 6, Grade::VeryHard},
                                           {false, 0, 0, Grade::NeedsTrial}}) {
        GradeResult g;
        g.solved = k.solved;
        g.perLevel[1] = 100;
        g.perLevel[2] = k.pairs;
        g.perLevel[3] = k.probes;
        EXPECT_EQ(gradeOf(g), k.grade) << k.pairs << " " << k.probes;
    }
}

TEST(Grading, AdvancedGenerationUpToALevel)
{
    Lcg rng(5);
    std::unique_ptr<PlacementEngine> engine = makePlacementEngine(defaultEngineName());
    int done = 0;
    for (int t = 0; t < 24; ++t) {
        const int level = 1 + t % 3;
        Workspace ws;
        RecordingContext host{ws};
        host.seed = std::uint32_t(t + 7);
        const int cols = 8 + rng.random(10), rows = 8 + rng.random(10);
        std::vector<std::string> pic(size_t(rows), std::string(size_t(cols), '.'));
        for (auto& row : pic)
            for (auto& ch : row)
                if (rng.random(100) < 45) ch = '#';
        setPicture(ws, pic);
        GenerateOptions options;
        options.maxLevel = level;
        options.placement.difficulty = rng.random(6);
        SCOPED_TRACE("case " + std::to_string(t));
        const GenerateOutcome out = generateAdvanced(ws, host, *engine, options);
        if (out != GenerateOutcome::Solved) continue;
        ++done;
        EXPECT_EQ(klt::test::pictureOf(ws), pic);
        // Solved by the levels asked for, and by no lower cap when it needed that level.
        GradeOptions capped;
        capped.maxLevel = level;
        const GradeResult g = gradePuzzle(cluesOnField(ws.doc.field()), capped);
        EXPECT_TRUE(g.solved);
        EXPECT_EQ(checkUniqueness(cluesOnField(ws.doc.field())).answers, Answers::One);
    }
    EXPECT_GT(done, 12);
}

TEST(Grading, AdvancedGenerationRefusesWhatTheLevelCannotSolve)
{
    // Needs reasoning over several clues even with every clue: one clue at a
    // time cannot solve it, and neither can the ordinary generation.
    Workspace ws;
    RecordingContext host{ws};
    const std::vector<std::string> pic = {"##.#.", "##...", "#...#", "#.#..", "..#.#"};
    setPicture(ws, pic);
    std::unique_ptr<PlacementEngine> engine = makePlacementEngine(defaultEngineName());
    GenerateOptions options;
    options.maxLevel = 1;
    EXPECT_EQ(generateAdvanced(ws, host, *engine, options), GenerateOutcome::NotSolvable);
    ASSERT_FALSE(host.messages.empty());
    EXPECT_EQ(host.messages.back(), "Обсчет|Не решается логикой до уровня 1");
    EXPECT_EQ(klt::test::pictureOf(ws), pic);
    EXPECT_FALSE(ws.doc.modified());
}

TEST(Grading, RemovalVerdictsAgreeWithSolvingTheWholeField)
{
    // Every verdict of the judge, near the clue or not, is what solving the
    // whole field from nothing says (solved, and to the picture).
    Lcg rng(314);
    int tried = 0;
    for (int t = 0; t < 12; ++t) {
        const int cols = 9 + rng.random(6), rows = 9 + rng.random(6), level = 1 + t % 3;
        CellGrid pic(cols, rows);
        for (auto& v : pic.cells) v = rng.random(100) < 45;
        // Cells out of every clue's reach stay white: a border of white cells.
        for (int c = 0; c < cols; ++c) pic.set(c, 0, false);
        ClueSet active = allClues(pic);
        const std::vector<std::uint8_t> candidates(pic.cells.size(), 1);
        LevelJudge judge(pic, candidates, level);
        GradeOptions capped;
        capped.maxLevel = level;
        auto truth = [&] {
            const GradeResult g = gradePuzzle(active, capped);
            if (!g.solved) return false;
            for (size_t i = 0; i < g.cells.size(); ++i)
                if ((g.cells[i] == kCellFilled) != (pic.cells[i] != 0)) return false;
            return true;
        };
        if ((judge.test() == LevelJudge::Verdict::OnlyAnswer) != truth()) ADD_FAILURE() << "start of case " << t;
        if (!truth()) continue;
        for (int k = 0; k < cols * rows; ++k) {
            const int i = (k * 7 + t) % (cols * rows);
            const int c = i / rows, r = i % rows;
            if (judge.isKeptForGood(c, r) || active.at(c, r) == kNoClue) continue;
            const std::int8_t v = active.at(c, r);
            judge.setActive(c, r, false);
            active.set(c, r, kNoClue);
            const bool holds = judge.test() == LevelJudge::Verdict::OnlyAnswer;
            ++tried;
            ASSERT_EQ(holds, truth()) << "case " << t << ", clue at " << c << "," << r;
            if (holds) {
                judge.dropForGood(c, r);
            } else {
                judge.setActive(c, r, true);
                active.set(c, r, v);
                if (k % 2) judge.keepForGood(c, r);
            }
        }
    }
    EXPECT_GT(tried, 600);
}

TEST(Grading, SolvingPartOfTheFieldIgnoresCellsBeyondItsClues)
{
    // A 9 fills the middle; a filled cell in the corner has no clue on this
    // part of the field, but lies outside the region solved.
    const ClueSet cs = cluesOf({".....", ".....", "..9..", ".....", "....."});
    std::vector<std::int8_t> state = stateOf({"#....", ".???.", ".???.", ".???.", "....."});
    EXPECT_TRUE(solveWithin(cs, state, BlockBounds{1, 1, 3, 3}, 1));
    EXPECT_EQ(state, stateOf({"#....", ".###.", ".###.", ".###.", "....."}));
}
