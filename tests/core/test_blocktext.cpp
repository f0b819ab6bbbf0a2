#include <gtest/gtest.h>

#include "core/blocktext.h"
#include "testcontext.h"

using namespace klt;
using klt::test::RecordingContext;
using klt::test::rowsOf;
using klt::test::setRows;
using Rows = std::vector<std::vector<std::string>>;

namespace {
struct BlockFixture : ::testing::Test {
    Workspace ws;
    RecordingContext host{ws};
    void empty5() { setRows(ws, Rows(5, std::vector<std::string>(5))); }
};
} // namespace

TEST_F(BlockFixture, CopyThenPasteGrowsField)
{
    empty5();
    ws.doc.field().setText(0, 0, "-");
    ws.doc.field().setText(1, 0, "3");
    ws.doc.field().setText(1, 1, "-2");
    ws.cursor.selection = CellRect{0, 0, 1, 1};
    const std::string text = copySelectionText(ws, false);
    EXPECT_EQ(text, "- \t3 \r\n \t-2 ");

    ws.cursor.setCurrentCell(4, 4);
    EXPECT_EQ(pasteText(ws, text).result, PasteResult::Pasted);
    EXPECT_EQ(ws.doc.field().colCount(), 6);
    EXPECT_EQ(ws.doc.field().rowCount(), 6);
    EXPECT_EQ(ws.doc.field().text(4, 4), "-");
    EXPECT_EQ(ws.doc.field().text(5, 4), "3");
    EXPECT_EQ(ws.doc.field().text(4, 5), "");
    EXPECT_EQ(ws.doc.field().text(5, 5), "-2");
    ws.doc.restoreSnapshot(false);
    EXPECT_EQ(ws.doc.field().colCount(), 5);

    ws.cursor.selection = CellRect{0, 0, 1, 0};
    ws.doc.field().setMark(0, 0, 2);
    copySelectionText(ws, true);
    EXPECT_EQ(ws.doc.field().text(0, 0), "");
    EXPECT_EQ(ws.doc.field().mark(0, 0), 2);
}

TEST_F(BlockFixture, SpreadsheetLines)
{
    struct Case {
        std::string text;
        std::vector<std::string> row;
    };
    const Case cases[] = {
        {"1\t\t2", {"1", "", "2", "x", "x"}},
        {"\t5\r\n", {"", "5", "x", "x", "x"}},
        {"-10\t10\n", {"-10", "10", "x", "x", "x"}},
        {" -3 \t\t\t4", {"-3", "", "", "4", "x"}},
    };
    for (const auto& k : cases) {
        setRows(ws, {{"x", "x", "x", "x", "x"}});
        ws.cursor.setCurrentCell(0, 0);
        EXPECT_EQ(pasteText(ws, k.text).result, PasteResult::Pasted) << k.text;
        EXPECT_EQ(rowsOf(ws)[0], k.row) << k.text;
        EXPECT_TRUE(host.errors.empty());
    }
}

TEST_F(BlockFixture, PasteErrors)
{
    empty5();
    ws.doc.takeSnapshot();
    ws.doc.field().setText(0, 0, "-");
    ws.cursor.setCurrentCell(0, 0);
    const PasteOutcome noTab = pasteText(ws, "3 \r\n4 ");
    EXPECT_EQ(noTab.result, PasteResult::NoTab);
    EXPECT_EQ(noTab.error, "В буфере должен находится текстовый фрагмент с разделителями-табуляторами.\r\nЭто можно сделать в MSExcel");
    ws.doc.restoreSnapshot(false);
    EXPECT_EQ(ws.doc.field().text(0, 0), ""); // no snapshot was taken

    empty5();
    const PasteOutcome badX = pasteText(ws, "1\t1\r\n4\tx\t5");
    EXPECT_EQ(badX.result, PasteResult::BadValue);
    EXPECT_EQ(badX.error, "Ошибка вставки из буфера - строка 2 столбец 2");
    EXPECT_EQ(ws.doc.field().text(1, 1), "x");
    EXPECT_EQ(ws.doc.field().text(2, 1), "");

    empty5();
    const PasteOutcome bad11 = pasteText(ws, "11\t1");
    EXPECT_EQ(bad11.result, PasteResult::BadValue);
    EXPECT_EQ(bad11.error, "Ошибка вставки из буфера - строка 1 столбец 1");
    EXPECT_EQ(ws.doc.field().text(1, 0), "");
}

TEST_F(BlockFixture, BlockMoveCarriesLettersAndSingleColumns)
{
    setRows(ws, {{"\xC0", "-", "", ""}, {"-\xC6", "3", "", ""}});
    ws.cursor.rememberedBlock = CellRect{0, 0, 0, 1}; // one column with letters
    const MoveOutcome moved = moveBlock(ws, 3, 1);
    EXPECT_TRUE(moved.moved);
    EXPECT_EQ(rowsOf(ws), (Rows{{"", "-", "", ""}, {"", "3", "", "\xC0"}, {"", "", "", "-\xC6"}}));
    EXPECT_EQ(moved.clipboard, "\xC0 \r\n-\xC6 ");
    EXPECT_FALSE(ws.cursor.internalMove);

    setRows(ws, {{"1", "2", ""}, {"3", "4", ""}});
    ws.cursor.rememberedBlock = CellRect{0, 0, 1, 1};
    moveBlock(ws, 1, 0); // overlapping its old place, growing the field
    EXPECT_EQ(rowsOf(ws), (Rows{{"", "1", "2"}, {"", "3", "4"}}));
}
