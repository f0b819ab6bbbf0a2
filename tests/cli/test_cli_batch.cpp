// The batch form of kletomer-cli: many inputs, outputs into one folder, the
// files worked on several threads, one summary line per file in input order.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/clitest.h"

namespace fs = std::filesystem;

namespace {

using kltest::CliRun;

class CliBatch : public kltest::CliFolderTest {
protected:
    void SetUp() override
    {
        CliFolderTest::SetUp();
        fs::create_directories(dir / "in");
        picture("in/mid.kvt", {".....", ".....", "..#..", ".....", "....."});
        picture("in/col.kvt", {"..##.", "#....", "#....", "....#", ".#..."}); // "Не решается!" without --correct
        picture("in/ring.kvt", {".###.", "#...#", "#...#", "#...#", ".###."});
        picture("in/empty.kvt", {".....", ".....", ".....", ".....", "....."}); // "Нет закрашенных клеток!"
        write("in/x.fcr", "\x02" "FC2\x02\r\nanything\r\n4 3\r\n255;1/ ;0/0;2\r\n ;0/ ;0/1;1\r\n");
    }


    std::string in(const std::string& name) const { return path("in/" + name); }

    // A single run's lines as a batch's line shows them: joined by "; ".
    static std::string joined(const std::string& lines)
    {
        std::string text;
        for (size_t start = 0, end; start < lines.size(); start = end + 1) {
            end = lines.find('\n', start);
            if (end == std::string::npos) end = lines.size();
            if (end == start) continue;
            if (!text.empty()) text += "; ";
            text += lines.substr(start, end - start);
        }
        return text;
    }
};

} // namespace

TEST_F(CliBatch, GenerateEqualsSingleRunsWithTheSeed)
{
    // Input order, not the order in which threads finish; a missing file and
    // verdicts other than success in between.
    const std::vector<std::string> names = {"ring.kvt", "missing.kvt", "mid.kvt", "col.kvt", "x.fcr", "empty.kvt"};
    std::string inputs, expectedOut, expectedErr;
    for (const std::string& name : names) {
        inputs += " " + in(name);
        const CliRun single = runCli("generate " + in(name) + " " + path("single-" + name) + " --seed 7");
        expectedOut += in(name) + ": " + joined(single.out + single.err) + "\n";
        if (!single.err.empty()) expectedErr += in(name) + ": " + joined(single.err) + "\n";
    }
    for (const std::string jobs : {"1", "4"}) {
        SCOPED_TRACE(jobs);
        const std::string out = path("out" + jobs);
        const CliRun r = runCli("generate --out-dir " + out + " -j " + jobs + inputs + " --seed 7");
        EXPECT_EQ(r.code, 2); // a file could not be read
        EXPECT_EQ(r.out, expectedOut);
        EXPECT_EQ(r.err, expectedErr); // no progress line: standard error is no terminal
        for (const char* name : {"ring.kvt", "mid.kvt", "col.kvt"})
            EXPECT_EQ(read(out + "/" + name), read(path(std::string("single-") + name))) << name;
        // A foreign input is written as .kvt under its own name.
        EXPECT_EQ(read(out + "/x.kvt"), read(path("single-x.fcr")));
        EXPECT_FALSE(fs::exists(out + "/empty.kvt"));
        EXPECT_FALSE(fs::exists(out + "/missing.kvt"));
    }
}

TEST_F(CliBatch, ExitCodeSaysWhetherEveryFileSucceeded)
{
    const struct {
        std::vector<std::string> names;
        int code;
    } cases[] = {
        {{"mid.kvt", "ring.kvt"}, 0},
        {{"mid.kvt", "empty.kvt"}, 6},   // a verdict other than success
        {{"col.kvt", "mid.kvt"}, 6},
        {{"empty.kvt", "missing.kvt", "mid.kvt"}, 2}, // a file that cannot be read outweighs verdicts
    };
    for (const auto& c : cases) {
        std::string inputs;
        for (const std::string& name : c.names) inputs += " " + in(name);
        SCOPED_TRACE(inputs);
        const CliRun r = runCli("generate --out-dir " + path("out") + inputs);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), static_cast<long>(c.names.size())) << r.out;
    }
}

TEST_F(CliBatch, CheckAndUniqueWriteWhatSingleRunsWrite)
{
    write("in/solved.kvt", "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\nStr0=;4\r\n");
    write("in/stuck.kvt", "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\nStr2=; ; ;1\r\n"); // two answers
    write("in/other.kvt", "[Options]\r\nHeight=5\r\nWidth=5\r\n[Field]\r\nStr1=;0;-\r\n"); // one, not the picture
    const std::vector<std::string> names = {"solved.kvt", "stuck.kvt", "mid.kvt", "other.kvt"};
    std::string inputs, checkOut, uniqueOut;
    for (const std::string& name : names) {
        inputs += " " + in(name);
        const CliRun c = runCli("check " + in(name) + " " + path("c-" + name) + " --marks " + path("m-" + name));
        checkOut += in(name) + ": " + joined(c.out + c.err) + "\n";
        const CliRun u = runCli("unique " + in(name) + " --diff " + path("d-" + name));
        uniqueOut += in(name) + ": " + joined(u.out + u.err) + "\n";
    }
    CliRun r = runCli("check -j 3 --out-dir " + path("checked") + " --marks " + path("marks") + inputs);
    EXPECT_EQ(r.code, 6) << r.err; // "Не получилось!" and "Нет цифр!" among them
    EXPECT_EQ(r.out, checkOut);
    r = runCli("unique --out-dir " + path("diffs") + inputs + " --jobs=2");
    EXPECT_EQ(r.code, 6) << r.err;
    EXPECT_EQ(r.out, uniqueOut);
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(read(path("checked/" + name)), read(path("c-" + name)));
        EXPECT_EQ(read(path("marks/" + name + ".txt")), read(path("m-" + name)));
        EXPECT_EQ(fs::exists(path("diffs/" + name + ".txt")), fs::exists(path("d-" + name)));
        EXPECT_EQ(read(path("diffs/" + name + ".txt")), read(path("d-" + name)));
    }
}

TEST_F(CliBatch, RefusedCallsRunNothing)
{
    fs::create_directories(dir / "other");
    picture("other/mid.kvt", {"#....", ".....", ".....", ".....", "....."});
    write("in/mid.fcr", "\x02" "FC2\x02\r\nanything\r\n4 3\r\n255;1/ ;0/0;2\r\n ;0/ ;0/1;1\r\n");
    write("file", "");
    const std::string out = " --out-dir " + path("out") + " ";
    const std::string cases[] = {
        "generate" + out + in("mid.kvt") + " " + path("other/mid.kvt"), // one output for two inputs
        "generate" + out + in("mid.kvt") + " " + in("mid.kvt"),
        "check" + out + in("mid.kvt") + " " + in("mid.fcr"),           // both become mid.kvt
        "generate" + out + in("mid.kvt") + " -j 0",
        "generate" + out,
        "generate -j 2 " + in("mid.kvt") + " " + path("o.kvt"),           // -j belongs to the batch form
        "unique" + out + in("mid.kvt") + " --diff " + path("d.txt"),
        "generate --out-dir " + path("file") + " " + in("mid.kvt"),      // the folder cannot be made
    };
    for (const std::string& args : cases) {
        const CliRun r = runCli(args);
        EXPECT_EQ(r.code, 2) << args;
        EXPECT_EQ(r.out, "") << args;
        EXPECT_NE(r.err.find("kletomer-cli "), std::string::npos) << args << ": " << r.err;
        EXPECT_FALSE(fs::exists(path("out"))) << args;
        EXPECT_FALSE(fs::exists(path("o.kvt"))) << args;
    }
}
