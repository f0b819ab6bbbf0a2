#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/commands.h"
#include "core/cp1251.h"
#include "files/document.h"
#include "files/kvtformat.h"
#include "files/profile.h"
#include "filestest.h"

using namespace klt;
using kltest::Puzzle;
using kltest::readBytes;
using kltest::writeBytes;
using Row = std::vector<std::string>;

namespace {

const std::string kCat = utf8ToCp1251("КОТ");
const std::string kA = utf8ToCp1251("А");

// The field of the worked example: 3 x 2, cell size 24, phrase КОТ.
void fillExample(Puzzle& p)
{
    p.ws.doc.field().setSize(3, 2);
    p.ws.doc.setCellSize(24);
    p.ws.doc.prizePhrase = kCat;
    p.setRow(0, {"-3", "", "2"});
    p.setRow(1, {kA, "-", "-"});
}

// Reads a file into a fresh field of cols x rows, as Open does.
void load(Puzzle& p, const std::string& path)
{
    newDocument(p.ws);
    readKvt(p.ws, path);
}

TEST(KvtFormat, WorkedExampleIsWrittenByteForByteAndReadsBack)
{
    kltest::TempDir dir;
    const std::string path = dir / "example.kvt";
    Puzzle p;
    fillExample(p);
    saveKvt(p.ws, path);
    EXPECT_EQ(readBytes(path), "[Options]\r\nHeight=2\r\nWidth=3\r\nCellSize=24\r\nWord=" + kCat +
                                   "\r\n[Field]\r\nStr0=;-3; ;2\r\nStr1=;" + kA + ";-;-\r\n");

    Puzzle back(7, 6);
    back.ws.doc.setCellSize(40);
    int synced = 0;
    newDocument(back.ws);
    readKvt(back.ws, path, [&](Workspace&) { ++synced; });
    EXPECT_EQ(back.ws.doc.field().colCount(), 3);
    EXPECT_EQ(back.ws.doc.field().rowCount(), 2);
    EXPECT_EQ(back.row(0), (Row{"-3", " ", "2"}));
    EXPECT_EQ(back.row(1), (Row{kA, "-", "-"}));
    EXPECT_EQ(back.ws.doc.cellSize(), 24);
    EXPECT_EQ(back.ws.doc.prizePhrase, kCat);
    EXPECT_EQ(synced, 1);
}

TEST(KvtFormat, SavingTrimsTheStoredCellsButWritesThemUntrimmed)
{
    kltest::TempDir dir;
    const std::string path = dir / "trim.kvt";
    Puzzle p(3, 5);
    p.setRow(0, {" ", " 7 ", "-"});
    p.setRow(1, {"-", "", ""}); // a row ending in an empty cell
    saveKvt(p.ws, path);
    ProfileReader file(path);
    EXPECT_EQ(file.readString("Field", "Str0", "?"), "; ; 7 ;-");
    EXPECT_EQ(file.readString("Field", "Str1", "?"), ";-; ;");
    EXPECT_EQ(p.row(0), (Row{"", "7", "-"}));

    Puzzle back(3, 5);
    load(back, path);
    EXPECT_EQ(back.row(1), (Row{"-", " ", ""}));
    EXPECT_EQ(back.row(4), (Row{" ", " ", ""})); // an empty field reads back blanks and one empty cell
}

TEST(KvtFormat, HiddenAnswersAreSavedWithThePicture)
{
    kltest::TempDir dir;
    const std::string path = dir / "hidden.kvt";
    Puzzle p(3, 1);
    p.setRow(0, {"-3", "-", "2"});
    toggleHideAnswers(p.ws.doc);
    ASSERT_EQ(p.row(0), (Row{"3", "", "2"}));
    saveKvt(p.ws, path);
    EXPECT_EQ(ProfileReader(path).readString("Field", "Str0", "?"), ";-3;-;2");
    EXPECT_EQ(p.row(0), (Row{"3", "", "2"})); // still hidden on the screen
}

TEST(KvtFormat, SelectionOfOneCellStoresAOneByOneField)
{
    kltest::TempDir dir;
    const std::string path = dir / "one.kvt";
    Puzzle p;
    p.ws.doc.field().setText(3, 2, "-5");
    const CellRect cell{3, 2, 3, 2};
    saveKvt(p.ws, path, &cell);
    EXPECT_EQ(readBytes(path), "[Options]\r\nHeight=1\r\nWidth=1\r\nCellSize=24\r\nWord=\r\n[Field]\r\nStr0=;-5\r\n");
}

TEST(KvtFormat, BackupKeepsTheStateBeforeTheFirstSaveAndStaleRowsAreIgnored)
{
    kltest::TempDir dir;
    const std::string path = dir / "cat.kvt";
    writeBytes(path, "earlier file");
    Puzzle p(5, 10);
    for (int r = 0; r < 10; ++r) p.ws.doc.field().setText(0, r, std::to_string(r));
    saveKvt(p.ws, path);
    EXPECT_EQ(readBytes(path + ".bak"), "earlier file");

    p.ws.doc.field().setRowCount(6);
    p.ws.doc.field().setText(0, 0, "-");
    saveKvt(p.ws, path);
    EXPECT_EQ(readBytes(path + ".bak"), "earlier file");
    const std::string bytes = readBytes(path);
    EXPECT_NE(bytes.find("\r\nHeight=6\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nStr0=;-; ; ; ; \r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nStr9=;9; ; ; ; \r\n"), std::string::npos);

    Puzzle back;
    load(back, path);
    EXPECT_EQ(back.ws.doc.field().rowCount(), 6);
    EXPECT_EQ(back.ws.doc.field().text(0, 5), "5");
    EXPECT_EQ(back.ws.doc.field().text(0, 9), "") << "a stale row was read";
}

TEST(KvtFormat, ReadOnlyTargetFailsBeforeAnyCellIsTrimmed)
{
    kltest::TempDir dir;
    const std::string path = dir / "ro.kvt";
    writeBytes(path, "[Options]\r\nHeight=1\r\n");
    writeBytes(path + ".bak", "taken"); // so the file stays where it is
    ::chmod(path.c_str(), 0444);
    Puzzle p;
    p.ws.doc.field().setText(0, 0, " ");
    try {
        saveKvt(p.ws, path);
        ADD_FAILURE() << "no error";
    } catch (const CommandError& e) {
        EXPECT_EQ(e.message, "Не удалось записать файл \"" + path + "\": Доступ к файлу запрещен");
    }
    EXPECT_EQ(p.ws.doc.field().text(0, 0), " ");
    EXPECT_EQ(readBytes(path), "[Options]\r\nHeight=1\r\n");
    EXPECT_EQ(readBytes(path + ".bak"), "taken");
}

TEST(KvtFormat, FailedRowKeepsEarlierKeysAndTrimsOnlyRowsUpToIt)
{
    kltest::TempDir dir;
    const std::string path = dir / "full.kvt";
    Puzzle p;
    for (int r = 0; r < 5; ++r) p.setRow(r, {" ", " ", " ", " ", " "});
    const std::string head = "[Options]\r\nHeight=5\r\nWidth=5\r\nCellSize=24\r\nWord=\r\n[Field]\r\n";
    const std::string row = "; ; ; ; ; \r\n";
    {
        // The options and two rows fit; the third row does not.
        kltest::FileSizeCap cap(head.size() + 2 * (5 + row.size()) + 5);
        EXPECT_THROW(saveKvt(p.ws, path), ProfileWriteError);
    }
    EXPECT_EQ(readBytes(path), head + "Str0=" + row + "Str1=" + row);
    for (int r = 0; r < 5; ++r) EXPECT_EQ(p.ws.doc.field().text(0, r), r <= 2 ? "" : " ") << "row " << r;
}

TEST(KvtFormat, KeysTakeTheirDefaultsAndLimits)
{
    kltest::TempDir dir;
    const std::string path = dir / "keys.kvt";
    struct Case {
        std::string options;
        int cols, rows, cellSize;
        std::string phrase;
    };
    // The field starts 7 x 6 with cell size 30.
    const Case cases[] = {
        {"Height=0x0A\r\nWidth=abc", 7, 10, 30, ""},
        {"Width=0\r\nHeight=-5", 1, 1, 30, ""},
        // The phrase edit is upper-case: whatever the file holds is raised.
        {"Word=\"two words\"\r\nCellSize=3", 7, 6, 5, "TWO WORDS"},
        {"Word=" + utf8ToCp1251("кот ёж"), 7, 6, 30, utf8ToCp1251("КОТ ЁЖ")},
        {"CellSize=500\r\nWord=  '" + kCat + "'  ", 7, 6, 100, kCat},
        {"", 7, 6, 30, ""},
    };
    for (const Case& c : cases) {
        writeBytes(path, "[Options]\r\n" + c.options + "\r\n");
        Puzzle p(7, 6);
        p.ws.doc.setCellSize(30);
        load(p, path);
        EXPECT_EQ(p.ws.doc.field().colCount(), c.cols) << c.options;
        EXPECT_EQ(p.ws.doc.field().rowCount(), c.rows) << c.options;
        EXPECT_EQ(p.ws.doc.cellSize(), c.cellSize) << c.options;
        EXPECT_EQ(p.ws.doc.prizePhrase, c.phrase) << c.options;
    }
}

TEST(KvtFormat, WideFileIsReadWholeThenNarrowedByTheSizeControls)
{
    kltest::TempDir dir;
    const std::string path = dir / "wide.kvt";
    std::string row;
    for (int c = 0; c < 300; ++c) row += c == 299 ? ";-" : "; ";
    writeBytes(path, "[Options]\r\nWidth=300\r\nHeight=1\r\n[Field]\r\nStr0=" + row + "\r\n");
    Puzzle p;
    p.withControls();
    p.controls.width.value = 20;
    ASSERT_TRUE(openDocument(p.ws, path).opened());
    EXPECT_EQ(p.ws.doc.field().colCount(), 250);
    EXPECT_EQ(p.ws.doc.field().text(299, 0), "-") << "the 300th piece belongs to a hidden cell";
}

TEST(KvtFormat, HugeSizesAreRefusedBeforeTheFieldChanges)
{
    kltest::TempDir dir;
    const std::string wide = dir / "wide.kvt", tall = dir / "tall.kvt", edge = dir / "edge.kvt";
    writeBytes(wide, "[Options]\r\nWidth=5000\r\nHeight=2\r\n");
    writeBytes(tall, "[Options]\r\nWidth=2\r\nHeight=0x1001\r\n");
    writeBytes(edge, "[Options]\r\nWidth=4096\r\nHeight=2\r\n");
    EXPECT_EQ(checkKvtSize(wide), "Файл " + wide + " не открыт: ширина поля 5000 больше допустимой (4096).");
    EXPECT_EQ(checkKvtSize(tall), "Файл " + tall + " не открыт: высота поля 4097 больше допустимой (4096).");
    EXPECT_EQ(checkKvtSize(edge), std::nullopt);

    Puzzle p;
    p.ws.doc.field().setText(1, 1, "-");
    EXPECT_THROW(readKvt(p.ws, wide), CommandError);
    EXPECT_EQ(p.ws.doc.field().colCount(), 5);
    EXPECT_EQ(p.ws.doc.field().text(1, 1), "-");
    readKvt(p.ws, edge);
    EXPECT_EQ(p.ws.doc.field().colCount(), 4096);
}

TEST(KvtFormat, GarbageFilesOpenAsEmptyFieldsOfTheCurrentSize)
{
    kltest::TempDir dir;
    std::string noise;
    std::uint32_t seed = 12345;
    const char alphabet[] = "[]=;\"' \t\r\n\0abcStrOptionsField0123456789-";
    for (int i = 0; i < 200000; ++i) {
        seed = seed * 134775813u + 1u;
        noise += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
    }
    const std::string contents[] = {
        "",
        noise,
        std::string(3 << 20, 'x'), // one line of 3 MiB
        "[Options]\r\nHeight=2\r\nWidth=3\r\n[Field]\r\nStr0=" + std::string(100000, ';') + "\r\nStr1",
        std::string("\0\0\0[Options]\0Width=9\r\n", 23),
    };
    for (const std::string& content : contents) {
        const std::string path = dir / "garbage.kvt";
        writeBytes(path, content);
        Puzzle p(6, 7);
        p.withControls();
        ASSERT_TRUE(openDocument(p.ws, path).opened());
        EXPECT_GE(p.ws.doc.field().colCount(), 1);
        EXPECT_LE(p.ws.doc.field().colCount(), 250);
        EXPECT_LE(p.ws.doc.field().rowCount(), 250);
    }
}

} // namespace
