#include <gtest/gtest.h>

#include "files/document.h"
#include "files/paths.h"
#include "filestest.h"

using namespace klt;
using kltest::Puzzle;
using kltest::writeBytes;

namespace {

struct RecordingHostFlags : kltest::RecordingHost {
    std::vector<bool> modified, hidden;
    void modifiedChanged(bool m) override { modified.push_back(m); }
    void hideAnswersChanged(bool h) override { hidden.push_back(h); }
};

TEST(NewDocument, ClearsTheVisibleFieldAndTheEditingState)
{
    RecordingHostFlags host;
    Workspace ws(host);
    ws.field.setSize(8, 8);
    ws.field.setText(7, 7, "hidden");
    ws.field.setSize(6, 4);
    ws.field.setText(5, 3, "-3");
    ws.field.setMark(5, 3, 2);
    ws.setCurrentCell(4, 2);
    ws.rememberedBlock = CellRect{1, 1, 3, 3};
    ws.internalMove = true;
    ws.prizePhrase = "X";
    ws.answersHidden = true;
    ws.modified = true;
    ws.cellSize = 31;
    ws.undoCells = {{"u"}};

    newDocument(ws);
    EXPECT_EQ(ws.field.text(5, 3), "");
    EXPECT_EQ(ws.field.mark(5, 3), 0);
    // Nothing of the former puzzle may come back when the field is widened.
    EXPECT_EQ(ws.field.text(7, 7), "");
    EXPECT_EQ(ws.field.colCount(), 6);
    EXPECT_EQ(ws.field.rowCount(), 4);
    EXPECT_EQ(ws.curCol, 0);
    EXPECT_EQ(ws.curRow, 0);
    EXPECT_EQ(ws.selection, (CellRect{0, 0, 0, 0}));
    EXPECT_EQ(ws.rememberedBlock, (CellRect{0, 0, 0, 0}));
    EXPECT_FALSE(ws.internalMove);
    EXPECT_EQ(ws.prizePhrase, "");
    EXPECT_FALSE(ws.answersHidden);
    EXPECT_EQ(host.hidden, std::vector<bool>{false});
    EXPECT_EQ(host.modified, std::vector<bool>{false});
    EXPECT_EQ(ws.cellSize, 31);
    EXPECT_EQ(ws.undoCells, (std::vector<std::vector<std::string>>{{"u"}}));
}

struct OpenTest : ::testing::Test {
    kltest::TempDir dir;
    Puzzle p;
    int questions = 0;
    bool answer = true;
    OpenHooks hooks;

    OpenTest()
    {
        p.withControls();
        p.ws.field.setText(2, 2, "-4");
        p.ws.modified = true;
        hooks.querySaveChanges = [this] {
            ++questions;
            return answer;
        };
    }
    void expectUntouched()
    {
        EXPECT_EQ(p.ws.field.text(2, 2), "-4");
        EXPECT_TRUE(p.ws.modified);
        EXPECT_TRUE(p.ws.undoCells.empty());
    }
};

TEST_F(OpenTest, MissingFileOrFolderShowsNotFoundAndChangesNothing)
{
    for (const std::string& path : {dir / "absent.kvt", dir.path()}) {
        p.host.errors.clear();
        const OpenResult r = openDocument(p.ws, path, hooks);
        EXPECT_EQ(r.status, OpenResult::NotFound);
        EXPECT_EQ(p.host.errors, std::vector<std::string>{"Файл " + path + " не найден."});
    }
    EXPECT_EQ(questions, 0);
    expectUntouched();
}

TEST_F(OpenTest, RefusedSizeOrCancelledQuestionChangesNothing)
{
    const std::string huge = dir / "huge.KVT", fine = dir / "fine.kvt";
    writeBytes(huge, "[Options]\r\nHeight=100000\r\n");
    writeBytes(fine, "[Options]\r\nHeight=7\r\n");
    EXPECT_EQ(openDocument(p.ws, huge, hooks).status, OpenResult::TooLarge);
    EXPECT_EQ(questions, 0);
    ASSERT_EQ(p.host.errors.size(), 1u);
    EXPECT_NE(p.host.errors[0].find("100000"), std::string::npos);

    answer = false;
    EXPECT_EQ(openDocument(p.ws, fine, hooks).status, OpenResult::Cancelled);
    EXPECT_EQ(questions, 1);
    expectUntouched();
}

TEST_F(OpenTest, OwnFormatInAnyLetterCaseIsReadAndBecomesTheSnapshot)
{
    const std::string path = dir / "Puzzle.KvT";
    writeBytes(path, "[Options]\nWidth=3\nHeight=2\nCellSize=17\n[Field]\nStr0=;-;1\n");
    int cellSyncs = 0;
    hooks.syncCellSize = [&](Workspace& ws) {
        ++cellSyncs;
        p.controls.syncCellSize(ws);
    };
    p.controls.width.value = 9; // so the narrow file is widened to 5 columns
    const OpenResult r = openDocument(p.ws, path, hooks);
    EXPECT_TRUE(r.opened());
    EXPECT_FALSE(r.foreign);
    EXPECT_TRUE(r.readOk);
    EXPECT_EQ(r.documentName, path);
    EXPECT_TRUE(p.host.errors.empty());
    EXPECT_EQ(p.ws.field.colCount(), 5);
    EXPECT_EQ(p.ws.field.rowCount(), 2);
    EXPECT_EQ(p.ws.cellSize, 17);
    EXPECT_EQ(cellSyncs, 1);
    EXPECT_FALSE(p.ws.modified);
    EXPECT_EQ(p.ws.undoCells, (std::vector<std::vector<std::string>>{{"-", "1", "", "", ""}, {"", "", "", "", ""}}));
}

TEST_F(OpenTest, ForeignFileErrorIsShownAndTheDocumentIsNamedKvt)
{
    const std::string path = dir / "x.crs";
    writeBytes(path, "\x02" "JC2.5" "\x02\r\n\r\n3 3\r\n1 2\r\n");
    const OpenResult r = openDocument(p.ws, path, hooks);
    EXPECT_TRUE(r.opened());
    EXPECT_TRUE(r.foreign);
    EXPECT_FALSE(r.readOk);
    EXPECT_EQ(r.documentName, dir / "x.KVT");
    EXPECT_EQ(p.host.errors, std::vector<std::string>{r.errorText});
    EXPECT_EQ(r.errorText, "Ошибка чтения с диска. Файл " + path + "\r\n'$' неверное целочисленное значение");
    EXPECT_EQ(p.ws.field.text(0, 0), "1");
    EXPECT_FALSE(p.ws.modified);
    ASSERT_FALSE(p.ws.undoCells.empty());
    EXPECT_EQ(p.ws.undoCells[0][1], "2");
}

TEST(DocumentPaths, OwnFormatIsTheKvtExtensionInAnyCase)
{
    const std::pair<const char*, bool> cases[] = {
        {"a.kvt", true},     {"/x/A.KVT", true}, {"b.Kvt", true},  {"dir.kvt/file", false},
        {"a.kvt.bak", false}, {"kvt", false},     {".kvt", true},   {"a.fcr", false},
    };
    for (const auto& [path, own] : cases) EXPECT_EQ(isOwnFormatPath(path), own) << path;
}

} // namespace
