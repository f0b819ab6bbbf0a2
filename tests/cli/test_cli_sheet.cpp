// kletomer-cli sheet end to end: the PDF's pages, and the failures that
// must neither pass for success nor leave a file.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/clitest.h"

namespace fs = std::filesystem;

namespace {

using kltest::CliRun;

class CliSheet : public kltest::CliFolderTest {
protected:
    void SetUp() override
    {
        CliFolderTest::SetUp();
        write("a.kvt", "[Options]\r\nHeight=2\r\nWidth=3\r\nCellSize=30\r\nWord=\r\n[Field]\r\nStr0=;-2;1;\r\nStr1=;-;;\r\n");
        write("b.kvt", "[Options]\r\nHeight=4\r\nWidth=2\r\nCellSize=20\r\nWord=\r\n[Field]\r\nStr0=;1;\r\nStr3=;;-1\r\n");
    }

    // Page objects of a PDF file, not the page tree.
    static int pages(const std::string& pdf)
    {
        int count = 0;
        const std::string key = "/Type /Page";
        for (size_t at = pdf.find(key); at != std::string::npos; at = pdf.find(key, at + 1)) {
            if (at + key.size() >= pdf.size() || pdf[at + key.size()] != 's') ++count;
        }
        return count;
    }

    CliRun run(const std::string& args) const { return runCli("sheet " + args); }
};

} // namespace

TEST_F(CliSheet, PagesOfTasksAndAnswers)
{
    struct Case {
        std::string out, options;
        int pages;
    } cases[] = {
        {"s.pdf", "", 1},
        {"s.PDF", "--answers", 2},
        {"one.pdf", "--per-page 1 --answers", 4},
    };
    for (const Case& c : cases) {
        const CliRun r = run(path(c.out) + " " + path("a.kvt") + " " + path("b.kvt") + " " + c.options);
        EXPECT_EQ(r.code, 0) << c.out << " " << c.options << ": " << r.err;
        EXPECT_EQ(r.out, "Готово!!!\n");
        const std::string pdf = read(path(c.out));
        EXPECT_EQ(pdf.rfind("%PDF", 0), 0u) << c.out;
        EXPECT_EQ(pages(pdf), c.pages) << c.out << " " << c.options;
    }
}

TEST_F(CliSheet, FailuresExitWithAReasonAndWriteNothing)
{
    struct Case {
        std::string args;
        const char* why;
    } cases[] = {
        {path("s.png") + " " + path("a.kvt"), "extension"},
        {path("s") + " " + path("a.kvt"), "no extension"},
        {path("s.pdf"), "no input"},
        {path("s.pdf") + " " + path("a.kvt") + " --per-page 0", "per page"},
        {path("s.pdf") + " " + path("a.kvt") + " --per-page 101", "per page"},
        {path("s.pdf") + " " + path("a.kvt") + " --cell-mm 0", "cell size"},
        {path("s.pdf") + " " + path("a.kvt") + " --cell-mm x", "cell size"},
        {path("s.pdf") + " " + path("a.kvt") + " --paper a3", "paper"},
        {path("s.pdf") + " " + path("a.kvt") + " --title A --title B", "more titles than puzzles"},
        {path("s.pdf") + " " + path("a.kvt") + " --cell-mm 50 --margin-mm 50", "a cell wider than the page"},
        {path("s.pdf") + " " + path("a.kvt") + " " + path("missing.kvt"), "missing input"},
        {path("no/such/dir/s.pdf") + " " + path("a.kvt"), "output folder"},
    };
    for (const Case& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.code, 2) << c.why;
        EXPECT_FALSE(r.err.empty()) << c.why;
        EXPECT_EQ(r.out.find("Готово"), std::string::npos) << c.why;
    }
    EXPECT_FALSE(fs::exists(path("s.pdf")));
    EXPECT_FALSE(fs::exists(path("s.png")));
    EXPECT_FALSE(fs::exists(path("s")));
}
