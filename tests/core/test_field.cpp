#include <gtest/gtest.h>

#include "core/edits.h"
#include "testcontext.h"

using namespace klt;
using klt::test::RecordingContext;
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
    Workspace ws;
    RecordingContext host{ws};
    ws.doc.field().setSize(5, 5);
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r < 5; ++r) ws.doc.field().setText(c, r, "-");
    ws.doc.field().setText(2, 2, "-x"); // letters do not disturb the filled test
    writeAllClues(ws.doc.field());
    EXPECT_EQ(ws.doc.field().text(0, 0), "-4");
    EXPECT_EQ(ws.doc.field().text(2, 0), "-6");
    EXPECT_EQ(ws.doc.field().text(2, 2), "-x9");

    setRows(ws, {{" ", "-", ""}, {"", "", ""}});
    writeAllClues(ws.doc.field());
    EXPECT_EQ(ws.doc.field().text(0, 0), "1"); // a blank-only text gets the count alone
    EXPECT_EQ(ws.doc.field().text(1, 0), "-1");
}

TEST(Workspace, RestoreSnapshotFillOnlyKeepsCurrentDigits)
{
    Workspace ws;
    RecordingContext host{ws};
    setRows(ws, {{"-", "", "-Ж"}});
    ws.doc.takeSnapshot();
    setRows(ws, {{"4", "-4", "7"}});
    ws.doc.restoreSnapshot(true);
    EXPECT_EQ(rowsOf(ws), (std::vector<std::vector<std::string>>{{"-4", "4", "-7"}}));
    ws.doc.field().setColCount(5);
    ws.doc.restoreSnapshot(false);
    EXPECT_EQ(ws.doc.field().colCount(), 3);
    EXPECT_EQ(rowsOf(ws), (std::vector<std::vector<std::string>>{{"-", "", "-Ж"}}));
}

TEST(Workspace, LoadAndStoreWorkArrays)
{
    Workspace ws;
    WorkArrays work;
    setRows(ws, {{"", "-", "-0", " 3", "-3", "11", "-100"}});
    loadWorkArrays(ws.doc.field(), work);
    const int expected[] = {10, -10, 0, 3, -3, 11, -100};
    for (int c = 0; c < 7; ++c) EXPECT_EQ(work.value(c, 0), expected[c]) << c;
    EXPECT_FALSE(work.hasClue(5, 0));
    for (auto& s : work.states) s = 2;
    storeWorkArrays(work, ws.doc.field());
    EXPECT_EQ(rowsOf(ws), (std::vector<std::vector<std::string>>{{"", "-", "0", "3", "-3", "11", "-100"}}));
    EXPECT_EQ(ws.doc.field().mark(3, 0), 2);
}

TEST(Workspace, OutOfRangeNumberIsAnErrorAndKeepsTexts)
{
    Workspace ws;
    WorkArrays work;
    setRows(ws, {{"-3", "128"}});
    EXPECT_THROW(loadWorkArrays(ws.doc.field(), work), CommandError);
    EXPECT_EQ(ws.doc.field().text(1, 0), "128");
    setRows(ws, {{"-129"}});
    EXPECT_THROW(loadWorkArrays(ws.doc.field(), work), CommandError);
}
