#include <gtest/gtest.h>

#include <cstdint>
#include <type_traits>
#include <vector>

#include "core/grid.h"
#include "core/workarrays.h"

using namespace klt;

namespace {

std::vector<CellPos> blockOf(int c, int r, int cols, int rows)
{
    std::vector<CellPos> cells;
    forEachInBlock(c, r, cols, rows, [&](int x, int y) { cells.push_back({x, y}); });
    return cells;
}

} // namespace

TEST(Grid, BlockWalkIsClippedAndColumnByColumn)
{
    EXPECT_EQ(blockOf(2, 2, 5, 5), (std::vector<CellPos>{{1, 1}, {1, 2}, {1, 3}, {2, 1}, {2, 2}, {2, 3}, {3, 1}, {3, 2}, {3, 3}}));
    EXPECT_EQ(blockOf(0, 0, 5, 5), (std::vector<CellPos>{{0, 0}, {0, 1}, {1, 0}, {1, 1}}));
    EXPECT_EQ(blockOf(4, 2, 5, 3), (std::vector<CellPos>{{3, 1}, {3, 2}, {4, 1}, {4, 2}}));
    EXPECT_EQ(blockOf(0, 0, 1, 1), (std::vector<CellPos>{{0, 0}}));

    // A walk stopped by f returns false after the cell that stopped it.
    int seen = 0;
    EXPECT_FALSE(forEachInBlock(1, 1, 3, 3, [&](int x, int y) {
        ++seen;
        return !(x == 1 && y == 0);
    }));
    EXPECT_EQ(seen, 4);
    EXPECT_TRUE(forEachInBlock(1, 1, 3, 3, [](int, int) { return true; }));
}

TEST(Grid, SquareWalkAndBounds)
{
    std::vector<CellPos> cells;
    forEachInSquare(1, 5, 2, 4, 6, [&](int x, int y) { cells.push_back({x, y}); });
    std::vector<CellPos> expected;
    for (int x = 0; x <= 3; ++x)
        for (int y = 3; y <= 5; ++y) expected.push_back({x, y});
    EXPECT_EQ(cells, expected);
    const BlockBounds b = blockAround(0, 5, 4, 6);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.top, 4);
    EXPECT_EQ(b.right, 1);
    EXPECT_EQ(b.bottom, 5);
}

TEST(Grid, ColumnMajorCells)
{
    Grid<int> g(3, 2, 7);
    EXPECT_EQ(g.size(), 6u);
    g.at(1, 0) = 1;
    g.at(2, 1) = 2;
    EXPECT_EQ(g[2], 1);
    EXPECT_EQ(g[5], 2);
    EXPECT_EQ(g.column(1)[0], 1);
    EXPECT_EQ(g.column(2)[1], 2);
    int sum = 0;
    for (int v : g) sum += v;
    EXPECT_EQ(sum, 4 * 7 + 1 + 2);
    g.fill(0);
    EXPECT_EQ(g, Grid<int>(3, 2));
    // A flat vector's calls (a count of cells and a value) do not compile.
    static_assert(!std::is_constructible_v<Grid<std::int8_t>, std::size_t, std::int8_t>);
    static_assert(std::is_constructible_v<Grid<std::int8_t>, int, int, std::int8_t>);
}

TEST(PaddedLayout, IndicesAndWalksMatchTheField)
{
    for (int margin = 1; margin <= 2; ++margin) {
        const int cols = 4, rows = 3;
        const PaddedLayout layout(cols, rows, margin);
        EXPECT_EQ(layout.stride(), rows + 2 * margin);
        EXPECT_EQ(layout.size(), size_t((cols + 2 * margin) * (rows + 2 * margin)));
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r) {
                const int k = layout.index(c, r);
                EXPECT_EQ(layout.fromLinear(c * rows + r), k);
                EXPECT_EQ(layout.pos(k), (CellPos{c, r}));
                // The unclipped block, in forEachInBlock's order.
                std::vector<CellPos> got;
                layout.forEachInBlock(k, [&](int n) {
                    EXPECT_GE(n, 0);
                    EXPECT_LT(size_t(n), layout.size());
                    got.push_back(layout.pos(n));
                });
                std::vector<CellPos> expected;
                for (int x = c - 1; x <= c + 1; ++x)
                    for (int y = r - 1; y <= r + 1; ++y) expected.push_back({x, y});
                EXPECT_EQ(got, expected);
                if (margin == 2) {
                    got.clear();
                    layout.forEachInSquare5(k, [&](int n) {
                        EXPECT_GE(n, 0);
                        EXPECT_LT(size_t(n), layout.size());
                        got.push_back(layout.pos(n));
                    });
                    expected.clear();
                    for (int x = c - 2; x <= c + 2; ++x)
                        for (int y = r - 2; y <= r + 2; ++y) expected.push_back({x, y});
                    EXPECT_EQ(got, expected);
                }
            }
        int seen = 0;
        EXPECT_FALSE(layout.forEachInBlock(layout.index(1, 1), [&](int) { return ++seen < 5; }));
        EXPECT_EQ(seen, 5);
    }
}

TEST(WorkArrays, ResetSizesBothGridsAndTheBounds)
{
    WorkArrays w;
    EXPECT_EQ(w.lastCol, -1);
    EXPECT_EQ(w.lastRow, -1);
    w.quietPasses = 3;
    w.reset(4, 2);
    EXPECT_EQ(w.cols(), 4);
    EXPECT_EQ(w.rows(), 2);
    EXPECT_EQ(w.lastCol, 3);
    EXPECT_EQ(w.lastRow, 1);
    EXPECT_EQ(w.values.size(), 8u);
    EXPECT_EQ(w.states.size(), 8u);
    EXPECT_EQ(w.quietPasses, 3);
    for (auto v : w.values) EXPECT_EQ(v, kWhite);
    for (auto s : w.states) EXPECT_EQ(s, csUnknown);

    w.value(2, 1) = -4;
    EXPECT_EQ(w.values[5], -4);
    EXPECT_TRUE(w.hasClue(2, 1));
    EXPECT_TRUE(w.valueFilled(2, 1));
    EXPECT_FALSE(w.hasClue(0, 0));
    w.setState(2, 1, csComplete);
    EXPECT_EQ(w.quietPasses, 0);
    w.quietPasses = 2;
    w.setState(2, 1, csComplete); // no change: the count stays
    EXPECT_EQ(w.quietPasses, 2);

    const WorkArrays copy = w;
    EXPECT_EQ(copy.lastCol, 3);
    EXPECT_EQ(copy.value(2, 1), -4);
    // The bounds are set only through reset().
    static_assert(!std::is_assignable_v<decltype((w.lastCol)), int>);
}
