#include <gtest/gtest.h>

#include "core/solver.h"
#include "testcontext.h"

using namespace klt;
using klt::test::RecordingContext;
using klt::test::setRows;

namespace {

struct SolverFixture : ::testing::Test {
    Workspace ws;
    RecordingContext host{ws};
    WorkArrays work;

    // A 5 × 5 field of empty cells with the given clue texts.
    void clues(std::initializer_list<std::tuple<int, int, const char*>> cells, int cols = 5, int rows = 5)
    {
        ws.doc.field().setSize(cols, rows);
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r) ws.doc.field().setText(c, r, "");
        for (auto [c, r, t] : cells) ws.doc.field().setText(c, r, t);
        loadWorkArrays(ws.doc.field(), work);
        host.startRunning();
    }
    int filledCount() const
    {
        int n = 0;
        for (auto v : work.values) n += v < 0;
        return n;
    }
};

} // namespace

TEST_F(SolverFixture, NoCluesSolvesInOnePass)
{
    clues({});
    work.quietPasses = 0;
    EXPECT_TRUE(solveLiteral(work, host, false));
    EXPECT_EQ(work.quietPasses, 1);
    EXPECT_EQ(filledCount(), 0);
}

TEST_F(SolverFixture, ZeroClueSettlesItsBlock)
{
    clues({{2, 2, "0"}});
    EXPECT_TRUE(solveLiteral(work, host, true, 0.0));
    EXPECT_EQ(work.state(2, 2), csComplete);
    for (int c = 1; c <= 3; ++c)
        for (int r = 1; r <= 3; ++r)
            if (c != 2 || r != 2) {
                EXPECT_EQ(work.state(c, r), csDecided);
            }
    EXPECT_EQ(work.state(0, 0), csUnknown);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Решение|Решается !\r\n0:00:00");
}

TEST_F(SolverFixture, FullBlockRules)
{
    // Clue 9 among clue cells: all nine filled in the first pass.
    clues({{1, 1, "9"}, {0, 0, "4"}, {1, 0, "6"}, {2, 0, "6"}, {0, 1, "6"}, {2, 1, "9"}, {0, 2, "6"}, {1, 2, "9"}, {2, 2, "9"}});
    work.quietPasses = 0;
    solveLiteral(work, host, false);
    for (int c = 0; c <= 2; ++c)
        for (int r = 0; r <= 2; ++r) EXPECT_TRUE(work.valueFilled(c, r)) << c << "," << r;

    // Clue 4 in the top-left corner fills its four cells and completes.
    clues({{0, 0, "4"}});
    EXPECT_TRUE(solveLiteral(work, host, false));
    EXPECT_EQ(filledCount(), 4);
    EXPECT_EQ(work.state(0, 0), csComplete);

    // Clue 4 in the middle of the top edge: no full-block rule, the counting rule is stuck.
    clues({{2, 0, "4"}});
    EXPECT_FALSE(solveLiteral(work, host, false));
    EXPECT_EQ(filledCount(), 0);

    // Clue 6 on a corner is taken as a full border block: four filled, never complete.
    clues({{0, 0, "6"}});
    EXPECT_FALSE(solveLiteral(work, host, false));
    EXPECT_EQ(filledCount(), 4);
    EXPECT_NE(work.state(0, 0), csComplete);
}

TEST_F(SolverFixture, StuckAndStopped)
{
    clues({{2, 2, "1"}});
    work.quietPasses = 0;
    EXPECT_FALSE(solveLiteral(work, host, true));
    EXPECT_EQ(work.quietPasses, 1);
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0], "Решение|Не получилось!\r\n0:00:00");

    clues({{0, 0, "4"}});
    work.value(0, 1) = -10; // a belief left over from an earlier run
    work.state(0, 1) = 2;
    host.requestStop();
    host.messages.clear();
    EXPECT_TRUE(solveLiteral(work, host, true));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(filledCount(), 0);
    for (auto s : work.states) EXPECT_EQ(s, 0);
}

TEST_F(SolverFixture, CountingRuleSolvesAFullClueSet)
{
    // Every cell carries its clue: the picture comes back exactly.
    setRows(ws, {{"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "-", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}});
    ws.doc.takeSnapshot();
    writeAllClues(ws.doc.field());
    loadWorkArrays(ws.doc.field(), work);
    host.startRunning();
    EXPECT_TRUE(solveLiteral(work, host, false));
    EXPECT_TRUE(matchesPicture(work, ws.doc.snapshot()));
}

TEST_F(SolverFixture, ElapsedTextIsTimeOfDay)
{
    EXPECT_EQ(elapsedText(0.4), "0:00:00");
    EXPECT_EQ(elapsedText(3725.9), "1:02:05");
}

TEST_F(SolverFixture, AnySizeIsSupported)
{
    // Clue 4 in the far corner of a field wider than 256 columns.
    clues({{299, 0, "4"}}, 300, 3);
    EXPECT_TRUE(solveLiteral(work, host, false));
    EXPECT_TRUE(work.valueFilled(298, 1));
}
