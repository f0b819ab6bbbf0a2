// kletomer-cli end to end: files in a temporary folder, exit codes, messages.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/clitest.h"

namespace fs = std::filesystem;

namespace {

using kltest::CliRun;

class CliTest : public kltest::CliFolderTest {
protected:
    CliRun run(const std::string& args) const { return runCli(args); }

};

const std::vector<std::string> kMiddle = {".....", ".....", "..#..", ".....", "....."};

} // namespace

TEST_F(CliTest, ConvertKeepsTheWorkedExampleByteForByte)
{
    const std::string example = "[Options]\r\nHeight=2\r\nWidth=3\r\nCellSize=24\r\nWord=\xCA\xCE\xD2\r\n[Field]\r\n"
                                "Str0=;-3; ;2\r\nStr1=;\xC0;-;-\r\n";
    write("in.kvt", example);
    CliRun r = run("convert " + path("in.kvt") + " " + path("out.kvt"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(read(path("out.kvt")), example);
}

TEST_F(CliTest, GenerateOutcomes)
{
    picture("mid.kvt", kMiddle);
    CliRun r = run("generate " + path("mid.kvt") + " " + path("a.kvt") + " --seed 7");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Решается !");
    const std::string first = read(path("a.kvt"));
    EXPECT_NE(first.find("Str2=; ; ;-"), std::string::npos);

    // The same seed gives the same clues, whichever engine runs.
    run("generate " + path("mid.kvt") + " " + path("b.kvt") + " --seed 7 --engine literal");
    EXPECT_EQ(read(path("b.kvt")), first);

    picture("empty.kvt", {".....", ".....", ".....", ".....", "....."});
    r = run("generate " + path("empty.kvt") + " " + path("c.kvt"));
    EXPECT_EQ(r.code, 4);
    EXPECT_EQ(r.out, "Нет закрашенных клеток!\n");
    EXPECT_FALSE(fs::exists(path("c.kvt")));

    const std::vector<std::string> needsColumn = {"..##.", "#....", "#....", "....#", ".#..."};
    picture("col.kvt", needsColumn);
    r = run("generate " + path("col.kvt") + " " + path("d.kvt"));
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out, "Не решается!\n");
    r = run("generate " + path("col.kvt") + " " + path("e.kvt") + " --correct --difficulty 0 --seed 3");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(read(path("e.kvt")).find("Width=6\r\n"), std::string::npos);

    r = run("generate " + path("mid.kvt") + " " + path("f.kvt") + " --full");
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(read(path("f.kvt")).find("Str2=;0;1;-1;1;0\r\n"), std::string::npos);
}

TEST_F(CliTest, CheckOutcomesAndMarks)
{
    picture("none.kvt", kMiddle);
    CliRun r = run("check " + path("none.kvt") + " " + path("a.kvt"));
    EXPECT_EQ(r.code, 4);
    EXPECT_EQ(r.out, "Нет цифр!\n");

    write("corner.kvt", "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\nStr0=;4\r\n");
    r = run("check " + path("corner.kvt") + " " + path("b.kvt") + " --marks " + path("m.txt"));
    EXPECT_EQ(r.code, 0);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Решается !");
    EXPECT_EQ(read(path("m.txt")), "21000\n11000\n00000\n00000\n00000\n");
    EXPECT_NE(read(path("b.kvt")).find("Str0=;-4;-; ; ; \r\nStr1=;-;-; ; ; \r\n"), std::string::npos);

    write("stuck.kvt", "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\nStr2=; ; ;1\r\n");
    r = run("check " + path("stuck.kvt") + " " + path("c.kvt"));
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out.substr(0, r.out.find('\n')), "Не получилось!");

    write("range.kvt", "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\nStr0=;300\r\n");
    r = run("check " + path("range.kvt") + " " + path("d.kvt"));
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("300"), std::string::npos);
    EXPECT_FALSE(fs::exists(path("d.kvt")));
}

TEST_F(CliTest, UniqueVerdictsExitCodesAndDiff)
{
    struct Case {
        const char* name;
        std::string field; // the [Field] section's lines of a 5 x 5 puzzle
        int code;
        std::string out;
        std::string diff; // "" when --diff writes nothing
    };
    const std::string none = "00000\n00000\n00000\n00000\n00000\n";
    const Case cases[] = {
        {"clues alone", "Str0=;4\r\n", 0, "Ответ единственный\n", ""},
        {"clues and their picture", "Str0=;-4;-\r\nStr1=;-;-\r\n", 0, "Ответ единственный\n", ""},
        {"several answers", "Str2=; ; ;1\r\n", 1, "Ответов несколько\nРазличающихся клеток: 2\n", "two cells"},
        {"no answer", "Str0=; ; ; ;6\r\nStr1=; ; ;0\r\n", 3, "Нет ответа\nПротиворечие у подсказки в столбце 3, строке 0\n", ""},
        {"no clue", "Str0=;-;-;12\r\n", 4, "Нет цифр!\n", ""},
        {"one answer that is not the picture", "Str1=;0;-\r\n", 5,
         "Ответ единственный, но не совпадает с рисунком\nРазличающихся клеток: 1\n", "00000\n01000\n00000\n00000\n00000\n"},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        write("u.kvt", "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\n" + k.field);
        fs::remove(path("d.txt"));
        CliRun r = run("unique " + path("u.kvt") + " --diff " + path("d.txt"));
        EXPECT_EQ(r.code, k.code) << r.err;
        EXPECT_EQ(r.out, k.out);
        EXPECT_EQ(r.err, "");
        if (k.diff.empty()) {
            EXPECT_FALSE(fs::exists(path("d.txt")));
        } else if (k.diff == "two cells") {
            // Which two cells depends on the answers the solver finds.
            const std::string d = read(path("d.txt"));
            EXPECT_EQ(d.size(), none.size());
            EXPECT_EQ(std::count(d.begin(), d.end(), '1'), 2);
        } else {
            EXPECT_EQ(read(path("d.txt")), k.diff);
        }
    }

    // A difference that cannot be written is an output error.
    write("u.kvt", "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\nStr1=;0;-\r\n");
    CliRun r = run("unique " + path("u.kvt") + " --diff " + path("no/such/dir/d.txt"));
    EXPECT_EQ(r.code, 2);
    EXPECT_FALSE(r.err.empty());
}

TEST_F(CliTest, GradeVerdictsAnswerAndSteps)
{
    struct Case {
        const char* name;
        std::string field; // the [Field] section's lines of a 5 x 5 puzzle
        int code;
        std::string last;   // the last line of the text
        std::string answer; // "" when --answer writes nothing
    };
    const Case cases[] = {
        {"one clue at a time", "Str0=;4\r\n", 0, "Шагов уровня 3 (противоречие): 0", "##...\n##...\n.....\n.....\n.....\n"},
        {"several answers", "Str2=; ; ;1\r\n", 1, "Перебор: ответов несколько", ""},
        {"no answer", "Str0=; ; ; ;6\r\nStr1=; ; ;0\r\n", 3,
         "Числа противоречат друг другу: число 6 в (3, 0) не сходится", ""},
        {"no clue", "Str0=;-;-;12\r\n", 4, "Нет цифр!", ""},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        write("g.kvt", "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\n" + k.field);
        fs::remove(path("a.txt"));
        CliRun r = run("grade " + path("g.kvt") + " --answer " + path("a.txt") + " --steps " + path("s.txt"));
        EXPECT_EQ(r.code, k.code) << r.err;
        ASSERT_FALSE(r.out.empty());
        const std::string text = r.out.substr(0, r.out.size() - 1);
        EXPECT_EQ(text.substr(text.rfind('\n') + 1), k.last);
        if (k.answer.empty()) {
            EXPECT_FALSE(fs::exists(path("a.txt")));
        } else {
            EXPECT_EQ(read(path("a.txt")), k.answer);
        }
    }

    write("g.kvt", "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\nStr0=;4\r\n");
    CliRun r = run("grade " + path("g.kvt") + " --json --steps " + path("s.txt"));
    EXPECT_EQ(r.out, "{\"grade\": \"Очень легко\", \"solved\": true, \"steps\": {\"1\": 2, \"2\": 0, \"3\": 0}}\n");
    // First the cells no clue reaches, white; then the 4 in the corner fills its block.
    const std::string steps = read(path("s.txt"));
    EXPECT_EQ(steps.substr(0, 12), "1;;0,2=0 0,3");
    EXPECT_EQ(steps.substr(steps.find('\n') + 1), "1;0,0;0,0=1 0,1=1 1,0=1 1,1=1\n");
}

TEST_F(CliTest, Prize)
{
    picture("p.kvt", kMiddle);
    CliRun r = run("prize " + path("p.kvt") + " " + path("a.kvt") + " --phrase 'кот' --rows 1:1");
    EXPECT_EQ(r.code, 0) << r.err;
    const std::string a = read(path("a.kvt"));
    EXPECT_NE(a.find("Word=\xCA\xCE\xD2\r\n"), std::string::npos);
    EXPECT_NE(a.find("Str0=;\xCA;\xCE;\xD2; ; \r\n"), std::string::npos); // step 5 div 3 = 1

    r = run("prize " + path("p.kvt") + " " + path("b.kvt") + " --phrase 'котик' --rows 2:1");
    EXPECT_EQ(r.code, 3);
    EXPECT_EQ(r.out, "Слово не помещается в игровое поле\n");
    EXPECT_FALSE(fs::exists(path("b.kvt")));

    for (const std::string bad : {"--phrase 'cat'", "--phrase '   '", "--phrase 'кот' --alphabet xx", "--phrase 'кот' --decoys 1000"}) {
        r = run("prize " + path("p.kvt") + " " + path("c.kvt") + " " + bad);
        EXPECT_EQ(r.code, 2) << bad;
        EXPECT_FALSE(r.err.empty());
    }
    r = run("prize " + path("p.kvt") + " " + path("c.kvt") + " --phrase 'Cat' --alphabet lat --mix --decoys 3 --seed 9");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(read(path("c.kvt")).find("Word=CAT\r\n"), std::string::npos);
}

TEST_F(CliTest, UsageAndInputErrors)
{
    picture("p.kvt", kMiddle);
    const std::string cases[] = {
        "",
        "frobnicate a b",
        "generate " + path("p.kvt"),
        "generate " + path("p.kvt") + " " + path("o.kvt") + " --difficulty 6",
        "generate " + path("p.kvt") + " " + path("o.kvt") + " --engine quick",
        "generate " + path("p.kvt") + " " + path("o.kvt") + " --bogus",
        "check " + path("missing.kvt") + " " + path("o.kvt"),
        "convert " + path("p.kvt") + " " + path("no/such/dir/o.kvt"),
    };
    for (const auto& args : cases) {
        CliRun r = run(args);
        EXPECT_EQ(r.code, 2) << args;
        EXPECT_FALSE(r.err.empty()) << args;
        // Errors speak Russian, as the program does; the usage text may not.
        const std::string firstLine = r.err.substr(0, r.err.find('\n'));
        if (!args.empty()) {
            EXPECT_NE(firstLine.find_first_of("\xD0\xD1"), std::string::npos) << firstLine;
        }
    }
    // A file that cannot be written names the system's reason in words.
    EXPECT_NE(run("convert " + path("p.kvt") + " " + path("no/such/dir/o.kvt")).err.find("Путь не найден"),
              std::string::npos);
    CliRun r = run("--help");
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("kletomer-cli generate"), std::string::npos);
}

TEST_F(CliTest, ForeignFileConvertsToOwnFormat)
{
    write("x.fcr", "\x02" "FC2\x02\r\nanything\r\n4 3\r\n255;1/ ;0/0;2\r\n ;0/ ;0/1;1\r\n");
    CliRun r = run("convert " + path("x.fcr") + " " + path("x.kvt"));
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(read(path("x.kvt")),
              "[Options]\r\nHeight=2\r\nWidth=3\r\nCellSize=24\r\nWord=\r\n[Field]\r\nStr0=;-; ;-\r\nStr1=; ; ;-\r\n");

    write("bad.fcr", "\x02" "FC2\x02\r\nanything\r\n4 3\r\n255;1/ ;0/0;2\r\n");
    r = run("convert " + path("bad.fcr") + " " + path("bad.kvt"));
    EXPECT_EQ(r.code, 2);
    EXPECT_NE(r.err.find("Ошибка чтения с диска. Файл "), std::string::npos);
}

// The puzzle commands start without Qt and the picture libraries: the
// program itself needs none of them (the picture commands load a module).
TEST_F(CliTest, ProgramNeedsNoQt)
{
    FILE* p = ::popen(("LD_TRACE_LOADED_OBJECTS=1 " + std::string(KLETOMER_CLI)).c_str(), "r");
    std::string libs;
    char buf[4096];
    for (size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) libs.append(buf, n);
    ::pclose(p);
    EXPECT_NE(libs.find("libc.so"), std::string::npos) << libs;
    EXPECT_EQ(libs.find("Qt"), std::string::npos) << libs;
    EXPECT_EQ(libs.find("Magick"), std::string::npos) << libs;
}
