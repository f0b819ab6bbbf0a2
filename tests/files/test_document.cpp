#include <gtest/gtest.h>

#include "files/document.h"
#include "files/paths.h"
#include "filestest.h"

using namespace klt;
using kltest::Puzzle;
using kltest::writeBytes;

namespace {

struct FlagRecorder : DocumentObserver {
    std::vector<bool> modified, hidden;
    void modifiedChanged(bool m) override { modified.push_back(m); }
    void answersHiddenChanged(bool h) override { hidden.push_back(h); }
};

TEST(NewDocument, ClearsTheVisibleFieldAndTheEditingState)
{
    FlagRecorder host;
    Workspace ws;
    ws.doc.field().setSize(8, 8);
    ws.doc.field().setText(7, 7, "hidden");
    ws.doc.field().setSize(6, 4);
    ws.doc.field().setText(5, 3, "-3");
    ws.doc.field().setMark(5, 3, 2);
    ws.cursor.setCurrentCell(4, 2);
    ws.cursor.rememberedBlock = CellRect{1, 1, 3, 3};
    ws.cursor.internalMove = true;
    ws.doc.prizePhrase = "X";
    ws.doc.setModified(true);
    ws.doc.setCellSize(31);
    ws.doc.field().setText(0, 0, "u");
    ws.doc.hideAnswers(); // takes the snapshot
    ws.doc.field().setText(0, 0, "");
    ws.doc.addObserver(&host);

    newDocument(ws);
    EXPECT_EQ(ws.doc.field().text(5, 3), "");
    EXPECT_EQ(ws.doc.field().mark(5, 3), 0);
    // Nothing of the former puzzle may come back when the field is widened.
    EXPECT_EQ(ws.doc.field().text(7, 7), "");
    EXPECT_EQ(ws.doc.field().colCount(), 6);
    EXPECT_EQ(ws.doc.field().rowCount(), 4);
    EXPECT_EQ(ws.cursor.col, 0);
    EXPECT_EQ(ws.cursor.row, 0);
    EXPECT_EQ(ws.cursor.selection, (CellRect{0, 0, 0, 0}));
    EXPECT_EQ(ws.cursor.rememberedBlock, (CellRect{0, 0, 0, 0}));
    EXPECT_FALSE(ws.cursor.internalMove);
    EXPECT_EQ(ws.doc.prizePhrase, "");
    EXPECT_FALSE(ws.doc.answersHidden());
    EXPECT_EQ(host.hidden, std::vector<bool>{false});
    EXPECT_EQ(host.modified, std::vector<bool>{false});
    EXPECT_EQ(ws.doc.cellSize(), 31);
    EXPECT_EQ(ws.doc.snapshot().at(0, 0), "u");
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
        p.ws.doc.field().setText(2, 2, "-4");
        p.ws.doc.setModified(true);
        hooks.querySaveChanges = [this] {
            ++questions;
            return answer;
        };
    }
    void expectUntouched()
    {
        EXPECT_EQ(p.ws.doc.field().text(2, 2), "-4");
        EXPECT_TRUE(p.ws.doc.modified());
        EXPECT_TRUE(p.ws.doc.snapshot().empty());
    }
};

TEST_F(OpenTest, MissingFileOrFolderShowsNotFoundAndChangesNothing)
{
    for (const std::string& path : {dir / "absent.kvt", dir.path()}) {
        const OpenResult r = openDocument(p.ws, path, hooks);
        EXPECT_EQ(r.status, OpenResult::NotFound);
        EXPECT_EQ(r.errorText, "Файл " + path + " не найден.");
    }
    EXPECT_EQ(questions, 0);
    expectUntouched();
}

TEST_F(OpenTest, RefusedSizeOrCancelledQuestionChangesNothing)
{
    const std::string huge = dir / "huge.KVT", fine = dir / "fine.kvt";
    writeBytes(huge, "[Options]\r\nHeight=100000\r\n");
    writeBytes(fine, "[Options]\r\nHeight=7\r\n");
    const OpenResult refused = openDocument(p.ws, huge, hooks);
    EXPECT_EQ(refused.status, OpenResult::TooLarge);
    EXPECT_EQ(questions, 0);
    EXPECT_NE(refused.errorText.find("100000"), std::string::npos);

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
    EXPECT_TRUE(r.errorText.empty());
    EXPECT_EQ(p.ws.doc.field().colCount(), 5);
    EXPECT_EQ(p.ws.doc.field().rowCount(), 2);
    EXPECT_EQ(p.ws.doc.cellSize(), 17);
    EXPECT_EQ(cellSyncs, 1);
    EXPECT_FALSE(p.ws.doc.modified());
    const std::vector<std::string> snapshot{"-", "1", "", "", "", "", "", "", "", ""};
    EXPECT_EQ(p.ws.doc.snapshot().cols(), 5);
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 5; ++c) EXPECT_EQ(p.ws.doc.snapshot().at(c, r), snapshot[size_t(r * 5 + c)]) << c << "," << r;
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
    EXPECT_EQ(r.errorText, "Ошибка чтения с диска. Файл " + path + "\r\n'$' неверное целочисленное значение");
    EXPECT_EQ(p.ws.doc.field().text(0, 0), "1");
    EXPECT_FALSE(p.ws.doc.modified());
    ASSERT_FALSE(p.ws.doc.snapshot().empty());
    EXPECT_EQ(p.ws.doc.snapshot().at(1, 0), "2");
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
