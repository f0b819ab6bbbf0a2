#include <gtest/gtest.h>

#include "core/edits.h"
#include "core/regionfill.h"
#include "testcontext.h"

using namespace klt;
using klt::test::RecordingContext;
using klt::test::rowsOf;
using klt::test::setRows;
using Rows = std::vector<std::vector<std::string>>;

namespace {
struct EditFixture : ::testing::Test {
    Workspace ws;
    RecordingContext host{ws};
    void select(int l, int t, int r, int b)
    {
        ws.cursor.col = l;
        ws.cursor.row = t;
        ws.cursor.selection = CellRect{l, t, r, b};
    }
    // One row of numbered cells "0".."n-1".
    void numberedRow(int n)
    {
        ws.doc.field().setSize(n, 1);
        for (int c = 0; c < n; ++c) ws.doc.field().setText(c, 0, std::to_string(c));
    }
};
} // namespace

TEST_F(EditFixture, RecolourAndInvert)
{
    setRows(ws, {{"-3", "", "5", "x"}});
    select(0, 0, 2, 0);
    recolourSelection(ws, Recolour::Invert);
    EXPECT_EQ(rowsOf(ws), (Rows{{"", "-", "-", "x"}}));
    invertAll(ws);
    EXPECT_EQ(rowsOf(ws), (Rows{{"-", "", "", "-"}}));
    ws.doc.restoreSnapshot(false); // one snapshot for the whole inversion
    EXPECT_EQ(rowsOf(ws), (Rows{{"", "-", "-", "x"}}));
}

TEST_F(EditFixture, InsertAndDeleteColumnsKeepHiddenCells)
{
    numberedRow(10);
    select(4, 0, 4, 0);
    insertColumn(ws);
    EXPECT_EQ(ws.doc.field().colCount(), 11);
    EXPECT_EQ(ws.doc.field().text(4, 0), "");
    EXPECT_EQ(ws.doc.field().text(5, 0), "4");
    EXPECT_EQ(ws.doc.field().text(10, 0), "9");
    EXPECT_EQ(ws.cursor.col, 4);
    EXPECT_EQ(host.syncs, 1);

    numberedRow(10);
    select(2, 0, 4, 0);
    deleteSelectedColumns(ws);
    EXPECT_EQ(ws.doc.field().colCount(), 7);
    EXPECT_EQ(ws.doc.field().text(2, 0), "5");
    ws.doc.field().setColCount(10);
    EXPECT_EQ(ws.doc.field().text(7, 0), "2");
    EXPECT_EQ(ws.doc.field().text(8, 0), "3");
    EXPECT_EQ(ws.doc.field().text(9, 0), "4");

    ws.doc.field().setSize(3, 3);
    select(0, 0, 2, 2);
    deleteSelectedRows(ws);
    EXPECT_EQ(ws.doc.field().rowCount(), 2); // never below two
}

TEST_F(EditFixture, Mirrors)
{
    numberedRow(8);
    select(1, 0, 3, 0);
    mirrorLeft(ws); // would reach column -2: nothing happens
    EXPECT_EQ(ws.doc.field().text(0, 0), "0");
    select(3, 0, 5, 0);
    mirrorLeft(ws);
    EXPECT_EQ(rowsOf(ws)[0], (std::vector<std::string>{"5", "4", "3", "3", "4", "5", "6", "7"}));

    numberedRow(5);
    select(3, 0, 4, 0);
    mirrorRight(ws); // past the right edge: the visible field is untouched
    EXPECT_EQ(ws.doc.field().colCount(), 5);
    EXPECT_EQ(rowsOf(ws)[0], (std::vector<std::string>{"0", "1", "2", "3", "4"}));

    setRows(ws, {{"a"}, {"b"}, {""}, {""}, {""}});
    select(0, 0, 0, 1);
    mirrorDown(ws);
    EXPECT_EQ(rowsOf(ws), (Rows{{"a"}, {"b"}, {"b"}, {"a"}, {""}}));
    select(0, 2, 0, 3);
    mirrorUp(ws);
    EXPECT_EQ(rowsOf(ws), (Rows{{"a"}, {"b"}, {"b"}, {"a"}, {""}}));
}

TEST_F(EditFixture, CropToFilledAndToSelection)
{
    ws.doc.field().setSize(20, 20);
    for (int c = 3; c <= 8; ++c)
        for (int r = 10; r <= 12; ++r) ws.doc.field().setText(c, r, "-");
    ws.doc.field().setText(0, 0, "5"); // clues without fill do not keep a border line
    ws.doc.field().setText(3, 13, "x");
    cropToFilled(ws);
    EXPECT_EQ(ws.doc.field().colCount(), 6);
    EXPECT_EQ(ws.doc.field().rowCount(), 5);
    EXPECT_EQ(ws.doc.field().text(0, 0), "-");
    EXPECT_EQ(ws.doc.field().text(0, 3), "x");
    EXPECT_EQ(ws.doc.field().text(0, 4), "");

    setRows(ws, Rows(6, std::vector<std::string>(6)));
    select(2, 1, 4, 1);
    ws.doc.field().setText(2, 1, "a");
    ws.doc.field().setText(4, 1, "b");
    cropToSelection(ws);
    EXPECT_EQ(rowsOf(ws), (Rows{{"a", "", "b"}}));
}

TEST_F(EditFixture, RegionFill)
{
    // Two white regions touching only at a corner stay apart.
    setRows(ws, {{"", "-", "3"}, {"-", "", ""}});
    fillRegion(ws, true, 0, 0);
    EXPECT_EQ(rowsOf(ws), (Rows{{"-", "-", "3"}, {"-", "", ""}}));
    fillRegion(ws, true, 2, 1); // the clue in the region is lost
    EXPECT_EQ(rowsOf(ws), (Rows{{"-", "-", "-"}, {"-", "-", "-"}}));
    EXPECT_TRUE(ws.doc.modified());

    setRows(ws, {{"-4", "-", ""}, {"", "-", "-"}});
    fillRegion(ws, true, 0, 0); // already filled: only the start cell loses its clue
    EXPECT_EQ(rowsOf(ws), (Rows{{"-", "-", ""}, {"", "-", "-"}}));
    fillRegion(ws, false, 1, 1);
    EXPECT_EQ(rowsOf(ws), (Rows{{"", "", ""}, {"", "", ""}}));
}

TEST_F(EditFixture, RegionFillCoversHugeField)
{
    ws.doc.field().setSize(250, 250);
    ws.doc.field().setText(249, 249, "-");
    fillRegion(ws, true, 0, 0);
    int filled = 0;
    for (int c = 0; c < 250; ++c)
        for (int r = 0; r < 250; ++r) filled += ws.doc.field().isFilled(c, r);
    EXPECT_EQ(filled, 250 * 250);

    ws.doc.field().setSize(1000, 1000); // a serpentine would overflow a recursive fill
    fillRegion(ws, false, 0, 0);
    EXPECT_FALSE(ws.doc.field().isFilled(999, 999));
}
