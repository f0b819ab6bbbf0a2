#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

#include "core/commands.h"
#include "core/placement.h"
#include "core/random.h"
#include "core/solver.h"
#include "testcontext.h"

using namespace klt;
using klt::test::RecordingContext;

TEST(Placement, GeneratorAndDirections)
{
    Lcg rng(0);
    EXPECT_EQ(rng.random(2), 0); // seed becomes 1
    EXPECT_EQ(rng.seed(), 1u);
    EXPECT_EQ(rng.random(2), 0); // seed becomes 134775814
    EXPECT_EQ(rng.seed(), 134775814u);
    Lcg big(0xFFFFFFFFu);
    EXPECT_EQ(big.random(100), static_cast<int>((std::uint64_t(0xFFFFFFFFu * 134775813u + 1u) * 100) >> 32));

    // Every direction is reachable; seed 0 sweeps forward.
    int seen = 0;
    for (std::uint32_t s = 0; s < 64; ++s) {
        auto d = drawSweepDirection(s);
        seen |= 1 << ((d.dc > 0) * 2 + (d.dr > 0));
    }
    EXPECT_EQ(seen, 15);
    EXPECT_EQ(drawSweepDirection(0).dc, 1);
}

TEST(Placement, GroupCellsWrapAndStick)
{
    WorkArrays w;
    w.reset(10, 10);
    struct Case {
        int c, r, dc, dr;
        std::vector<std::pair<int, int>> cells;
    };
    const Case cases[] = {
        {2, 2, 1, 1, {{3, 3}, {4, 4}, {5, 5}, {6, 6}, {7, 7}}},
        {8, 3, 1, 1, {{9, 4}, {0, 5}, {0, 6}, {0, 7}, {0, 8}}}, // past the right edge: column 0
        {8, 8, 1, 1, {{9, 9}}},                                 // past both edges: no more cells
        {1, 8, -1, 1, {{0, 9}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}},
        {0, 0, -1, -1, {{0, 0}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}}, // the corner: the cell itself
        {5, 1, -1, -1, {{4, 0}, {3, 0}, {2, 0}, {1, 0}, {0, 0}}}, // stuck to row 0
    };
    for (const auto& k : cases) {
        std::vector<std::pair<int, int>> got;
        for (const CellPos& p : groupCells(w, k.c, k.r, k.dc, k.dr, 5)) got.push_back({p.col, p.row});
        EXPECT_EQ(got, k.cells) << k.c << "," << k.r;
    }
}

TEST(Placement, GroupHoldsEightCellsAtMost)
{
    WorkArrays w;
    w.reset(20, 20);
    EXPECT_EQ(groupCells(w, 0, 0, 1, 1, 8).size(), 8);
    EXPECT_EQ(groupCells(w, 0, 0, 1, 1, 0).size(), 0);
    EXPECT_EQ(groupCells(w, 0, 0, 1, 1, -3).size(), 0);
    EXPECT_THROW(groupCells(w, 0, 0, 1, 1, 9), std::length_error);
    const CellGroup g = groupCells(w, 3, 4, 1, 1, 2);
    EXPECT_EQ(g[1], (CellPos{5, 6}));
    EXPECT_THROW(g[2], std::out_of_range);
}

namespace {

// Random pictures through the whole generate command; the result must be the
// picture, solvable from the remaining clues, and at difficulty 5 no single
// remaining clue may be removable.
void runRandomPictures(int difficulty)
{
    std::mt19937 gen(1234 + difficulty);
    int solved = 0;
    for (int it = 0; it < 40; ++it) {
        RecordingContext host;
        host.seed = gen();
        Workspace ws;
        host.attach(ws);
        GenerateOptions options;
        options.correcting = true;
        options.placement.difficulty = difficulty;
        const int cols = 5 + int(gen() % 6), rows = 5 + int(gen() % 6);
        ws.doc.field().setSize(cols, rows);
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r) ws.doc.field().setText(c, r, gen() % 100 < 20 ? "-" : "");
        LiteralPlacement engine;
        auto out = generate(ws, host, engine, options);
        if (out != GenerateOutcome::Solved) continue;
        ++solved;
        // The final clue set solves back to the snapshot (the drawn picture).
        WorkArrays work;
        loadWorkArrays(ws.doc.field(), work);
        host.startRunning();
        ASSERT_TRUE(solveLiteral(work, host, false));
        ASSERT_TRUE(matchesPicture(work, ws.doc.snapshot()));
        if (difficulty != 5) continue;
        for (int c = 0; c < ws.doc.field().colCount(); ++c)
            for (int r = 0; r < ws.doc.field().rowCount(); ++r) {
                if (!work.hasClue(c, r)) continue;
                loadWorkArrays(ws.doc.field(), work);
                removeClue(work, c, r);
                EXPECT_FALSE(solveLiteral(work, host, false) && matchesPicture(work, ws.doc.snapshot())) << "clue at " << c << "," << r << " was spare";
            }
    }
    EXPECT_GT(solved, 10);
}

} // namespace

TEST(Placement, EveryDifficultyKeepsThePuzzleSolvable)
{
    for (int d = 0; d <= 5; ++d) runRandomPictures(d);
}
