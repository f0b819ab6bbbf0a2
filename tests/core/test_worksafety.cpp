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
#include "testcontext.h"

using namespace klt;
using klt::test::RecordingContext;
using klt::test::rowsOf;
using klt::test::setPicture;
using klt::test::setRows;
using Rows = std::vector<std::vector<std::string>>;

namespace {

GenerateOptions correcting()
{
    GenerateOptions options;
    options.correcting = true;
    return options;
}

struct SafetyFixture : ::testing::Test {
    Workspace ws;
    RecordingContext host{ws};
    LiteralPlacement engine;

    void select(int l, int t, int r, int b)
    {
        ws.cursor.col = l;
        ws.cursor.row = t;
        ws.cursor.selection = CellRect{l, t, r, b};
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
        ws.doc.setModified(false);
        select(1, 1, 2, 2);
        c.edit(ws);
        EXPECT_EQ(ws.doc.modified(), c.changes) << c.name;
    }
    // Undo marks the puzzle modified when it changes the field.
    setPicture(ws, {"#....", ".....", ".....", ".....", "....."});
    ws.doc.takeSnapshot();
    ws.doc.field().setText(2, 2, "-");
    ws.doc.setModified(false);
    undo(ws);
    EXPECT_TRUE(ws.doc.modified());
}

TEST_F(SafetyFixture, EditsWhileAnswersAreHiddenKeepThePicture)
{
    setRows(ws, {{"-3", "-", "2", "-"}, {"", "-", "", "1"}});
    toggleHideAnswers(ws.doc);
    ASSERT_EQ(rowsOf(ws), (Rows{{"3", "", "2", ""}, {"", "", "", "1"}}));

    select(3, 0, 3, 0);
    recolourSelection(ws, Recolour::White); // Del on one cell
    EXPECT_EQ(rowsOf(ws), (Rows{{"3", "", "2", ""}, {"", "", "", "1"}}));
    EXPECT_TRUE(ws.doc.modified());

    select(0, 0, 0, 0);
    insertColumn(ws);
    // Undo goes back to the state before the last edit, picture and all,
    // and the answers stay hidden.
    undo(ws);
    EXPECT_TRUE(ws.doc.answersHidden());
    toggleHideAnswers(ws.doc);
    EXPECT_EQ(rowsOf(ws), (Rows{{"-3", "-", "2", ""}, {"", "-", "", "1"}}));

    // The picture moves with its cells.
    toggleHideAnswers(ws.doc);
    insertColumn(ws);
    toggleHideAnswers(ws.doc);
    EXPECT_EQ(rowsOf(ws), (Rows{{"", "-3", "-", "2", ""}, {"", "", "-", "", "1"}}));
}

TEST_F(SafetyFixture, GenerateAndCheckWhileHiddenWorkOnThePicture)
{
    const std::vector<std::string> middle = {".....", ".....", "..#..", ".....", "....."};
    setPicture(ws, middle);
    toggleHideAnswers(ws.doc);
    EXPECT_EQ(generate(ws, host, engine, GenerateOptions{}), GenerateOutcome::Solved);
    EXPECT_FALSE(ws.doc.answersHidden());
    EXPECT_EQ(picture(), middle);

    toggleHideAnswers(ws.doc);
    check(ws, host, engine);
    EXPECT_FALSE(ws.doc.answersHidden());
    undo(ws); // the snapshot of the check holds the picture
    EXPECT_EQ(picture(), middle);
}

TEST_F(SafetyFixture, UndoAfterCorrectingGenerationGivesTheEnlargedPictureWithoutClues)
{
    // Not solvable as drawn, solvable with one white column at the left.
    const std::vector<std::string> needsLeft = {"..##.", "#....", "#....", "....#", ".#..."};
    setPicture(ws, needsLeft);
    ASSERT_EQ(generate(ws, host, engine, correcting()), GenerateOutcome::Solved);
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
    ws.doc.takeSnapshot();
    ws.doc.field().setText(1, 1, "-"); // differs from the snapshot
    ws.doc.setModified(false);
    const Rows before = rowsOf(ws);

    std::string wide;
    for (int i = 0; i < kMaxFieldSide; ++i) wide += "-\t";
    wide += "-\r\n-\t-";
    std::string tall;
    for (int i = 0; i <= kMaxFieldSide; ++i) tall += "1\t2\r\n";
    for (const std::string& text : {wide, tall}) {
        const PasteOutcome refused = pasteText(ws, text);
        EXPECT_EQ(refused.result, PasteResult::TooLarge);
        EXPECT_NE(refused.error.find("4096"), std::string::npos);
        EXPECT_EQ(rowsOf(ws), before);
        EXPECT_FALSE(ws.doc.modified());
    }
    undo(ws); // no snapshot was taken by the refused pastes
    EXPECT_EQ(ws.doc.field().text(1, 1), "");

    // The largest field still fits, cell for cell.
    std::string widest;
    for (int i = 0; i < kMaxFieldSide; ++i) widest += (i ? "\t" : "") + std::string("-");
    ws.cursor.setCurrentCell(0, 0);
    EXPECT_EQ(pasteText(ws, widest).result, PasteResult::Pasted);
    EXPECT_EQ(ws.doc.field().colCount(), kMaxFieldSide);
    EXPECT_EQ(ws.doc.field().text(kMaxFieldSide - 1, 0), "-");

    setRows(ws, {{"-", "1"}, {"2", ""}});
    ws.cursor.rememberedBlock = CellRect{0, 0, 1, 1};
    const MoveOutcome refused = moveBlock(ws, kMaxFieldSide - 1, 0);
    EXPECT_FALSE(refused.moved);
    EXPECT_NE(refused.error.find("4096"), std::string::npos);
    EXPECT_EQ(rowsOf(ws), (Rows{{"-", "1"}, {"2", ""}}));
}
