#include <gtest/gtest.h>

#include "core/blocktext.h"
#include "testhost.h"

using namespace klt;
using klt::test::RecordingHost;
using klt::test::rowsOf;
using klt::test::setRows;
using Rows = std::vector<std::vector<std::string>>;

namespace {
struct BlockFixture : ::testing::Test {
    RecordingHost host;
    Workspace ws{host};
    void empty5() { setRows(ws, Rows(5, std::vector<std::string>(5))); }
};
} // namespace

TEST_F(BlockFixture, CopyThenPasteGrowsField)
{
    empty5();
    ws.field.setText(0, 0, "-");
    ws.field.setText(1, 0, "3");
    ws.field.setText(1, 1, "-2");
    ws.selection = CellRect{0, 0, 1, 1};
    const std::string text = copySelectionText(ws, false);
    EXPECT_EQ(text, "- \t3 \r\n \t-2 ");

    ws.setCurrentCell(4, 4);
    EXPECT_EQ(pasteText(ws, text), PasteResult::Pasted);
    EXPECT_EQ(ws.field.colCount(), 6);
    EXPECT_EQ(ws.field.rowCount(), 6);
    EXPECT_EQ(ws.field.text(4, 4), "-");
    EXPECT_EQ(ws.field.text(5, 4), "3");
    EXPECT_EQ(ws.field.text(4, 5), "");
    EXPECT_EQ(ws.field.text(5, 5), "-2");
    ws.restoreSnapshot(false);
    EXPECT_EQ(ws.field.colCount(), 5);

    ws.selection = CellRect{0, 0, 1, 0};
    ws.field.setMark(0, 0, 2);
    copySelectionText(ws, true);
    EXPECT_EQ(ws.field.text(0, 0), "");
    EXPECT_EQ(ws.field.mark(0, 0), 2);
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
        ws.setCurrentCell(0, 0);
        EXPECT_EQ(pasteText(ws, k.text), PasteResult::Pasted) << k.text;
        EXPECT_EQ(rowsOf(ws)[0], k.row) << k.text;
        EXPECT_TRUE(host.errors.empty());
    }
}

TEST_F(BlockFixture, PasteErrors)
{
    empty5();
    ws.takeSnapshot();
    ws.field.setText(0, 0, "-");
    ws.setCurrentCell(0, 0);
    EXPECT_EQ(pasteText(ws, "3 \r\n4 "), PasteResult::NoTab);
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(host.errors[0], "В буфере должен находится текстовый фрагмент с разделителями-табуляторами.\r\nЭто можно сделать в MSExcel");
    ws.restoreSnapshot(false);
    EXPECT_EQ(ws.field.text(0, 0), ""); // no snapshot was taken

    host.errors.clear();
    empty5();
    EXPECT_EQ(pasteText(ws, "1\t1\r\n4\tx\t5"), PasteResult::BadValue);
    EXPECT_EQ(host.errors, std::vector<std::string>{"Ошибка вставки из буфера - строка 2 столбец 2"});
    EXPECT_EQ(ws.field.text(1, 1), "x");
    EXPECT_EQ(ws.field.text(2, 1), "");

    host.errors.clear();
    empty5();
    EXPECT_EQ(pasteText(ws, "11\t1"), PasteResult::BadValue);
    EXPECT_EQ(host.errors, std::vector<std::string>{"Ошибка вставки из буфера - строка 1 столбец 1"});
    EXPECT_EQ(ws.field.text(1, 0), "");
}

TEST_F(BlockFixture, BlockMoveCarriesLettersAndSingleColumns)
{
    setRows(ws, {{"\xC0", "-", "", ""}, {"-\xC6", "3", "", ""}});
    ws.rememberedBlock = CellRect{0, 0, 0, 1}; // one column with letters
    moveBlock(ws, 3, 1);
    EXPECT_EQ(rowsOf(ws), (Rows{{"", "-", "", ""}, {"", "3", "", "\xC0"}, {"", "", "", "-\xC6"}}));
    EXPECT_EQ(host.clipboard, "\xC0 \r\n-\xC6 ");
    EXPECT_FALSE(ws.internalMove);

    setRows(ws, {{"1", "2", ""}, {"3", "4", ""}});
    ws.rememberedBlock = CellRect{0, 0, 1, 1};
    moveBlock(ws, 1, 0); // overlapping its old place, growing the field
    EXPECT_EQ(rowsOf(ws), (Rows{{"", "1", "2"}, {"", "3", "4"}}));
}
