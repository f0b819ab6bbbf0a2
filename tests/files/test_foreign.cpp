#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "files/document.h"
#include "files/foreign.h"
#include "filestest.h"

using namespace klt;
using kltest::Puzzle;
using kltest::writeBytes;
using Row = std::vector<std::string>;

namespace {

const std::string kFc2 = "\x02" "FC2" "\x02";
// The conversion error for a text.
std::string conversion(const std::string& text)
{
    return "'" + text + "' неверное целочисленное значение";
}

// Joins lines with the given line end (also after the last one).
std::string lines(const std::vector<std::string>& ls, const std::string& eol = "\r\n")
{
    std::string out;
    for (const auto& l : ls) out += l + eol;
    return out;
}

std::string rowSet(std::vector<std::int64_t> first)
{
    first.resize(32, 0);
    std::string out;
    for (auto v : first) out += (out.empty() ? "" : " ") + std::to_string(v);
    return out;
}

struct ForeignTest : ::testing::Test {
    kltest::TempDir dir;
    std::string path = dir / "puzzle.fcr";
    Puzzle p;

    ForeignResult open(const std::string& content)
    {
        writeBytes(path, content);
        newDocument(p.ws);
        return openForeignFile(p.ws, path);
    }
    std::string failure(const std::string& reason) const
    {
        return "Ошибка чтения с диска. Файл " + path + "\r\n" + reason;
    }
};

TEST_F(ForeignTest, FcRowsFillCellsWithAColourPart)
{
    for (const std::string eol : {"\r\n", "\n"}) {
        writeBytes(path, lines({kFc2, "anything", "4 3", "255;1/ ;0/0;2", " ;0/ ;0/7;7"}, eol));
        newDocument(p.ws);
        p.ws.doc.setModified(true);
        const auto r = openForeignFile(p.ws, path);
        ASSERT_TRUE(r.ok) << r.errorText;
        EXPECT_EQ(p.ws.doc.field().colCount(), 3);
        EXPECT_EQ(p.ws.doc.field().rowCount(), 2);
        EXPECT_EQ(p.row(0), (Row{"-", "", "-"}));
        EXPECT_EQ(p.row(1), (Row{"", "", "-"}));
        EXPECT_FALSE(p.ws.doc.modified());
        EXPECT_EQ(p.ws.cursor.col, 1);
        EXPECT_EQ(p.ws.cursor.row, 1);
        EXPECT_EQ(p.host.syncs, 1);
        p.host.syncs = 0;
    }
}

TEST_F(ForeignTest, JcHeadersGiveDecimalNumbers)
{
    const std::string headers[] = {"\x02" "JC2.5" "\x02", "\x02" "JC2.4" "\x02", "\x02" "JC2" "\x02",
                                   "\x02" "JC2 and more"};
    for (const std::string& header : headers) {
        const auto r = open(lines({header, "skipped", "4 3", "0 # 1F", "  a  B   ff  "}));
        ASSERT_TRUE(r.ok) << r.errorText;
        EXPECT_EQ(p.row(0), (Row{"0", "", "31"}));
        EXPECT_EQ(p.row(1), (Row{"10", "11", "255"}));
    }
}

TEST_F(ForeignTest, HeaderlessRowsAreBitSetsOfColumnNumbers)
{
    // 33 columns: bit n of the set fills column n - 1; bit 0 is never used.
    const auto r = open(lines({"no header", "34 6", rowSet({2}), rowSet({1}), rowSet({14}), rowSet({0, 1}),
                               rowSet({-2147483648LL})}));
    ASSERT_TRUE(r.ok) << r.errorText;
    auto filled = [&](int row) {
        std::vector<int> cols;
        for (int c = 0; c < p.ws.doc.field().colCount(); ++c)
            if (p.ws.doc.field().text(c, row) == "-") cols.push_back(c);
        return cols;
    };
    EXPECT_EQ(filled(0), (std::vector<int>{0}));
    EXPECT_EQ(filled(1), (std::vector<int>{}));
    EXPECT_EQ(filled(2), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(filled(3), (std::vector<int>{31}));
    EXPECT_EQ(filled(4), (std::vector<int>{30}));
}

TEST_F(ForeignTest, ErrorsNameTheFileAndTheOffendingText)
{
    const std::string fc1 = "\x02" "FC1" "\x02", jc = "\x02" "JC2.5" "\x02";
    struct Case {
        std::string content;
        std::string reason;
        Row firstRow; // what row 0 holds afterwards
    };
    const Case cases[] = {
        {lines({fc1, "x", "3 2", ";5/1;1"}), conversion(""), {"", ""}},
        {lines({fc1, "x", "3 2", "1;1/255"}), conversion(""), {"-", ""}},
        {lines({fc1, "x", "3 2", "1;" + utf8ToCp1251("Ж")}), conversion("Ж"), {"", ""}},
        {lines({"\x02" "JC2" "\x02", "x", "3 2", "1 ##"}), conversion("$##"), {"1", ""}},
        {lines({jc, "x", "3 3", "5 6"}), conversion("$"), {"5", "6"}},
        {lines({"h", "3 3", rowSet({6})}), conversion(""), {"-", "-"}},
        {lines({"h", "3 2", "1 2 x"}), conversion("x"), {"", ""}},
        {lines({fc1, "x"}), conversion(""), {}},
        {lines({"h", "abc 3"}), conversion("abc"), {}},
        {"", conversion(""), {}},
    };
    for (const Case& c : cases) {
        const auto r = open(c.content);
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.errorText, failure(c.reason)) << c.content;
        if (!c.firstRow.empty()) {
            EXPECT_EQ(p.row(0), c.firstRow) << c.content;
        }
        EXPECT_EQ(r.kvtName, dir / "puzzle.KVT");
    }
}

TEST_F(ForeignTest, ColumnsAreSetBeforeABadRowCount)
{
    const auto r = open(lines({"h", "4 zz"}));
    EXPECT_EQ(r.errorText, failure(conversion("zz")));
    EXPECT_EQ(p.ws.doc.field().colCount(), 3);
}

TEST_F(ForeignTest, MissingFileGivesTheIoErrorText)
{
    newDocument(p.ws);
    const auto r = openForeignFile(p.ws, dir / "none.crs");
    EXPECT_EQ(r.errorText, "Ошибка чтения с диска. Файл " + (dir / "none.crs") + "\r\nФайл не найден");
}

TEST_F(ForeignTest, HeaderlessFieldWiderThanTheSetEndsWithARangeError)
{
    std::vector<std::int64_t> all(32, -1);
    const auto r = open(lines({"h", "1026 3", rowSet(all), rowSet(all)}));
    EXPECT_EQ(r.errorText,
              failure("Файл без заголовка описывает не больше 1023 колонок, а в поле их 1025."));
    EXPECT_EQ(p.ws.doc.field().text(1022, 0), "-");
    EXPECT_EQ(p.ws.doc.field().text(1023, 0), "");
    EXPECT_EQ(p.ws.doc.field().text(0, 1), "");
}

TEST_F(ForeignTest, SizesBelowOneBecomeOneAndHugeOnesAreRefused)
{
    auto r = open(lines({"h", "1 1", rowSet({})}));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(p.ws.doc.field().colCount(), 1);
    EXPECT_EQ(p.ws.doc.field().rowCount(), 1);
    EXPECT_EQ(p.ws.cursor.col, 0) << "the current cell stays inside the field";

    r = open(lines({"h", "0 -5", rowSet({2})}));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(p.ws.doc.field().text(0, 0), "-");

    for (const std::string size : {"5000 3", "3 5000", "-2147483648 2147483647"}) {
        writeBytes(path, lines({kFc2, "x", size}));
        EXPECT_NE(checkForeignSize(path), std::nullopt) << size;
    }
    writeBytes(path, lines({kFc2, "x", "4097 4097"}));
    EXPECT_EQ(checkForeignSize(path), std::nullopt);
    p.ws.doc.field().setSize(6, 6);
    r = open(lines({kFc2, "x", "5000 3"}));
    EXPECT_EQ(r.errorText, failure("Файл " + path + " не открыт: ширина поля 4999 больше допустимой (4096)."));
    EXPECT_EQ(p.ws.doc.field().colCount(), 6);
}

TEST_F(ForeignTest, CellsOfAnEarlierPuzzleDoNotReappear)
{
    p.ws.doc.field().setSize(8, 8);
    for (int c = 0; c < 8; ++c)
        for (int r = 0; r < 8; ++r) {
            p.ws.doc.field().setText(c, r, "9");
            p.ws.doc.field().setMark(c, r, 2);
        }
    p.ws.doc.field().setSize(5, 5); // the rest is hidden, and New clears only what is visible
    const auto r = open(lines({kFc2, "x", "9 9", "1;1"}));
    EXPECT_FALSE(r.ok);
    for (int c = 0; c < 8; ++c)
        for (int row = 0; row < 8; ++row) {
            EXPECT_EQ(p.ws.doc.field().text(c, row), c == 0 && row == 0 ? "-" : "") << c << "," << row;
            EXPECT_EQ(p.ws.doc.field().mark(c, row), 0);
        }
}

TEST_F(ForeignTest, GarbageEndsInAnErrorOrAPartialFieldNeverACrash)
{
    std::string noise;
    std::uint32_t seed = 777;
    const char alphabet[] = "\x02" "FCJ2.5#;/ \r\n\0-0123456789abcdef";
    for (int i = 0; i < 100000; ++i) {
        seed = seed * 134775813u + 1u;
        noise += alphabet[(seed >> 16) % (sizeof alphabet - 1)];
    }
    const std::string contents[] = {
        noise,
        lines({"h", "40 3"}) + std::string(3 << 20, '7'), // a row of 3 MiB without a line break
        lines({kFc2, "x", "4096 2"}) + std::string(200000, '/'),
        std::string("\0\0\n\0\n\0 \0\n", 9),
    };
    for (const std::string& content : contents) {
        const auto r = open(content);
        EXPECT_EQ(r.ok, r.errorText.empty());
        EXPECT_LE(p.ws.doc.field().colCount(), 4096);
        EXPECT_LE(p.ws.doc.field().rowCount(), 4096);
    }
}

TEST(ForeignName, ExtensionBecomesKvt)
{
    const std::pair<std::string, std::string> cases[] = {
        {"/a/x.crs", "/a/x.KVT"},
        {"/a/x.tar.fcr", "/a/x.tar.KVT"},
        {"/a.b/noext", "/a.b/noext.KVT"},
        {"rel", "rel.KVT"},
    };
    Puzzle p;
    for (const auto& [path, name] : cases) EXPECT_EQ(openForeignFile(p.ws, path).kvtName, name);
}

} // namespace
