// Edits that must never lose the author's work: the modified flag, hidden
// answers, the cells of a former puzzle, undo after generation, and pastes
// that would make a field no file can hold.
#include <gtest/gtest.h>

#include <functional>

#include "core/blocktext.h"
#include "core/commands.h"
#include "core/edits.h"
#include "core/fieldedit.h"
#include "core/regionfill.h"
#include "core/text.h"
#include "testhost.h"

using namespace klt;
using klt::test::RecordingHost;
using klt::test::rowsOf;
using klt::test::setPicture;
using klt::test::setRows;
using Rows = std::vector<std::vector<std::string>>;

namespace {

struct SafetyFixture : ::testing::Test {
    RecordingHost host;
    Workspace ws{host};
    LiteralPlacement engine;

    void select(int l, int t, int r, int b)
    {
        ws.curCol = l;
        ws.curRow = t;
        ws.selection = CellRect{l, t, r, b};
    }
    std::vector<std::string> picture() const { return klt::test::pictureOf(ws); }
};

} // namespace

TEST_F(SafetyFixture, EveryEditOfCellsOrSizeMarksThePuzzleModified)
{
    struct Case {
        const char* name;
        std::function<void(Workspace&)> edit;
        bool changes;
    };
    const std::vector<Case> cases = {
        {"Del", [](Workspace& w) { recolourSelection(w, Recolour::White); }, true},
        {"Ins", [](Workspace& w) { recolourSelection(w, Recolour::Black); }, true},
        {"invert", [](Workspace& w) { recolourSelection(w, Recolour::Invert); }, true},
        {"invert all", [](Workspace& w) { invertAll(w); }, true},
        {"insert column", [](Workspace& w) { insertColumn(w); }, true},
        {"insert row", [](Workspace& w) { insertRow(w); }, true},
        {"delete columns", [](Workspace& w) { deleteSelectedColumns(w); }, true},
        {"delete rows", [](Workspace& w) { deleteSelectedRows(w); }, true},
        {"mirror right", [](Workspace& w) { mirrorRight(w); }, true},
        {"mirror down", [](Workspace& w) { mirrorDown(w); }, true},
        {"crop to filled", [](Workspace& w) { cropToFilled(w); }, true},
        {"crop to selection", [](Workspace& w) { cropToSelection(w); }, true},
        {"cut", [](Workspace& w) { copySelectionText(w, true); }, true},
        {"paste", [](Workspace& w) { pasteText(w, "3\t-\r\n"); }, true},
        {"fill", [](Workspace& w) { fillRegion(w, true, 0, 0); }, true},
        // A mirror that does not fit changes nothing and marks nothing.
        {"mirror left at the edge", [](Workspace& w) { mirrorLeft(w); }, false},
        {"copy", [](Workspace& w) { copySelectionText(w, false); }, false},
    };
    for (const auto& c : cases) {
        setPicture(ws, {"#......", ".#.....", "..#....", ".......", ".......", ".......", "......."});
        ws.modified = false;
        select(1, 1, 2, 2);
        c.edit(ws);
        EXPECT_EQ(ws.modified, c.changes) << c.name;
    }
    // Undo marks the puzzle modified when it changes the field.
    setPicture(ws, {"#....", ".....", ".....", ".....", "....."});
    ws.takeSnapshot();
    ws.field.setText(2, 2, "-");
    ws.modified = false;
    undo(ws);
    EXPECT_TRUE(ws.modified);
}

TEST_F(SafetyFixture, EditsWhileAnswersAreHiddenKeepThePicture)
{
    setRows(ws, {{"-3", "-", "2", "-"}, {"", "-", "", "1"}});
    toggleHideAnswers(ws);
    ASSERT_EQ(rowsOf(ws), (Rows{{"3", "", "2", ""}, {"", "", "", "1"}}));

    select(3, 0, 3, 0);
    recolourSelection(ws, Recolour::White); // Del on one cell
    EXPECT_EQ(rowsOf(ws), (Rows{{"3", "", "2", ""}, {"", "", "", "1"}}));
    EXPECT_TRUE(ws.modified);

    select(0, 0, 0, 0);
    insertColumn(ws);
    // Undo goes back to the state before the last edit, picture and all,
    // and the answers stay hidden.
    undo(ws);
    EXPECT_TRUE(ws.answersHidden);
    toggleHideAnswers(ws);
    EXPECT_EQ(rowsOf(ws), (Rows{{"-3", "-", "2", ""}, {"", "-", "", "1"}}));

    // The picture moves with its cells.
    toggleHideAnswers(ws);
    insertColumn(ws);
    toggleHideAnswers(ws);
    EXPECT_EQ(rowsOf(ws), (Rows{{"", "-3", "-", "2", ""}, {"", "", "-", "", "1"}}));
}

TEST_F(SafetyFixture, GenerateAndCheckWhileHiddenWorkOnThePicture)
{
    const std::vector<std::string> middle = {".....", ".....", "..#..", ".....", "....."};
    setPicture(ws, middle);
    toggleHideAnswers(ws);
    EXPECT_EQ(generate(ws, false, engine), GenerateOutcome::Solved);
    EXPECT_FALSE(ws.answersHidden);
    EXPECT_EQ(picture(), middle);

    toggleHideAnswers(ws);
    check(ws, engine);
    EXPECT_FALSE(ws.answersHidden);
    undo(ws); // the snapshot of the check holds the picture
    EXPECT_EQ(picture(), middle);
}

TEST_F(SafetyFixture, UndoAfterCorrectingGenerationGivesTheEnlargedPictureWithoutClues)
{
    // Not solvable as drawn, solvable with one white column at the left.
    const std::vector<std::string> needsLeft = {"..##.", "#....", "#....", "....#", ".#..."};
    setPicture(ws, needsLeft);
    ASSERT_EQ(generate(ws, true, engine), GenerateOutcome::Solved);
    undo(ws);
    Rows expected;
    for (const auto& row : needsLeft) {
        std::vector<std::string> cells{""};
        for (char ch : row) cells.push_back(ch == '#' ? "-" : "");
        expected.push_back(cells);
    }
    EXPECT_EQ(rowsOf(ws), expected);
}

TEST_F(SafetyFixture, HugePastesAndBlockMovesAreRefusedWhole)
{
    setRows(ws, {{"-", "1"}, {"2", ""}});
    ws.takeSnapshot();
    ws.field.setText(1, 1, "-"); // differs from the snapshot
    ws.modified = false;
    const Rows before = rowsOf(ws);

    std::string wide;
    for (int i = 0; i < kMaxFieldSide; ++i) wide += "-\t";
    wide += "-\r\n-\t-";
    std::string tall;
    for (int i = 0; i <= kMaxFieldSide; ++i) tall += "1\t2\r\n";
    for (const std::string& text : {wide, tall}) {
        host.errors.clear();
        EXPECT_EQ(pasteText(ws, text), PasteResult::TooLarge);
        ASSERT_EQ(host.errors.size(), 1u);
        EXPECT_NE(host.errors[0].find("4096"), std::string::npos);
        EXPECT_EQ(rowsOf(ws), before);
        EXPECT_FALSE(ws.modified);
    }
    undo(ws); // no snapshot was taken by the refused pastes
    EXPECT_EQ(ws.field.text(1, 1), "");

    // The largest field still fits, cell for cell.
    std::string widest;
    for (int i = 0; i < kMaxFieldSide; ++i) widest += (i ? "\t" : "") + std::string("-");
    ws.setCurrentCell(0, 0);
    EXPECT_EQ(pasteText(ws, widest), PasteResult::Pasted);
    EXPECT_EQ(ws.field.colCount(), kMaxFieldSide);
    EXPECT_EQ(ws.field.text(kMaxFieldSide - 1, 0), "-");

    setRows(ws, {{"-", "1"}, {"2", ""}});
    ws.rememberedBlock = CellRect{0, 0, 1, 1};
    host.errors.clear();
    EXPECT_FALSE(moveBlock(ws, kMaxFieldSide - 1, 0));
    EXPECT_EQ(host.errors.size(), 1u);
    EXPECT_EQ(rowsOf(ws), (Rows{{"-", "1"}, {"2", ""}}));
}
