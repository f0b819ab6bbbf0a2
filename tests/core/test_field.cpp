#include <gtest/gtest.h>

#include "core/edits.h"
#include "testhost.h"

using namespace klt;
using klt::test::RecordingHost;
using klt::test::rowsOf;
using klt::test::setRows;

TEST(FieldStore, HiddenCellsReappear)
{
    Field f(10, 3);
    f.setText(8, 1, "-4");
    f.setColCount(6);
    EXPECT_EQ(f.colCount(), 6);
    f.setColCount(10);
    EXPECT_EQ(f.text(8, 1), "-4");
    f.setColCount(0);
    EXPECT_EQ(f.colCount(), 1);
}

TEST(Workspace, CountsAndClues)
{
    RecordingHost host;
    Workspace ws(host);
    ws.field.setSize(5, 5);
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r < 5; ++r) ws.field.setText(c, r, "-");
    ws.field.setText(2, 2, "-x"); // letters do not disturb the filled test
    ws.writeAllClues();
    EXPECT_EQ(ws.field.text(0, 0), "-4");
    EXPECT_EQ(ws.field.text(2, 0), "-6");
    EXPECT_EQ(ws.field.text(2, 2), "-x9");

    setRows(ws, {{" ", "-", ""}, {"", "", ""}});
    ws.writeAllClues();
    EXPECT_EQ(ws.field.text(0, 0), "1"); // a blank-only text gets the count alone
    EXPECT_EQ(ws.field.text(1, 0), "-1");
}

TEST(Workspace, RestoreSnapshotFillOnlyKeepsCurrentDigits)
{
    RecordingHost host;
    Workspace ws(host);
    setRows(ws, {{"-", "", "-Ж"}});
    ws.takeSnapshot();
    setRows(ws, {{"4", "-4", "7"}});
    ws.restoreSnapshot(true);
    EXPECT_EQ(rowsOf(ws), (std::vector<std::vector<std::string>>{{"-4", "4", "-7"}}));
    ws.field.setColCount(5);
    ws.restoreSnapshot(false);
    EXPECT_EQ(ws.field.colCount(), 3);
    EXPECT_EQ(rowsOf(ws), (std::vector<std::vector<std::string>>{{"-", "", "-Ж"}}));
}

TEST(Workspace, LoadAndStoreWorkArrays)
{
    RecordingHost host;
    Workspace ws(host);
    setRows(ws, {{"", "-", "-0", " 3", "-3", "11", "-100"}});
    ws.loadWorkArrays();
    const int expected[] = {10, -10, 0, 3, -3, 11, -100};
    for (int c = 0; c < 7; ++c) EXPECT_EQ(ws.work.value(c, 0), expected[c]) << c;
    EXPECT_FALSE(ws.work.hasClue(5, 0));
    for (auto& s : ws.work.states) s = 2;
    ws.storeWorkArrays();
    EXPECT_EQ(rowsOf(ws), (std::vector<std::vector<std::string>>{{"", "-", "0", "3", "-3", "11", "-100"}}));
    EXPECT_EQ(ws.field.mark(3, 0), 2);
}

TEST(Workspace, OutOfRangeNumberIsAnErrorAndKeepsTexts)
{
    RecordingHost host;
    Workspace ws(host);
    setRows(ws, {{"-3", "128"}});
    EXPECT_THROW(ws.loadWorkArrays(), CommandError);
    EXPECT_EQ(ws.field.text(1, 0), "128");
    setRows(ws, {{"-129"}});
    EXPECT_THROW(ws.loadWorkArrays(), CommandError);
}
