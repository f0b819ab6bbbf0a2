// kletomer-cli export end to end: the format by OUT's extension, the
// options, the failures that must not pass for success, and the batch form.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QImage>
#include <QRegularExpression>
#include <map>
#include <filesystem>

#include "metafilereader.h"
#include "support/clitest.h"

namespace fs = std::filesystem;

namespace {

using kltest::CliRun;

class CliExport : public kltest::CliFolderTest {
protected:
    void SetUp() override
    {
        CliFolderTest::SetUp();
        // A 3 × 2 puzzle: a filled clue, a white clue, a letter.
        write("p.kvt", "[Options]\r\nHeight=2\r\nWidth=3\r\nCellSize=30\r\nWord=\r\n[Field]\r\nStr0=;-2;1;\xC6\r\nStr1=;-;;\r\n");
    }

    static QByteArray read(const std::string& p) { return QByteArray::fromStdString(CliFolderTest::read(p)); }

    CliRun run(const std::string& args) const { return runCli("export " + args); }
};

} // namespace

TEST_F(CliExport, FormatFollowsTheExtension)
{
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string start;
    } cases[] = {{"t.bmp", "BM"}, {"t.PNG", "\x89PNG"}, {"t.svg", "<?xml"}, {"t.pdf", "%PDF"},
                 {"t.wmf", "\xD7\xCD\xC6\x9A"}, {"t.EMF", "\x01\0\0\0"s}};
    for (const Case& c : cases) {
        const CliRun r = run(path("p.kvt") + " " + path(c.name));
        EXPECT_EQ(r.code, 0) << c.name << ": " << r.err;
        EXPECT_EQ(r.out, "Экспорт.\nГотово!!!\n") << c.name;
        EXPECT_TRUE(read(path(c.name)).startsWith(QByteArray::fromStdString(c.start))) << c.name;
    }
    // The file's cell size, 30, unless the command line says otherwise.
    EXPECT_EQ(QImage::fromData(read(path("t.PNG"))).size(), QSize(110, 80));
    ASSERT_EQ(run(path("p.kvt") + " " + path("s.png") + " --cell-size 10").code, 0);
    EXPECT_EQ(QImage::fromData(read(path("s.png"))).size(), QSize(50, 40));
}

TEST_F(CliExport, OptionsReachThePicture)
{
    ASSERT_EQ(run(path("p.kvt") + " " + path("task.emf")).code, 0);
    const mfr::Drawing task = mfr::readEmf(read(path("task.emf")));
    EXPECT_TRUE(task.problems.isEmpty()) << task.problems.join("; ").toStdString();
    ASSERT_EQ(task.texts.size(), 3u);
    EXPECT_EQ(task.texts[2].text, QStringLiteral("Ж"));
    EXPECT_EQ(task.rectangles.at(1), QRect(QPoint(10, 10), QPoint(41, 41))); // shared lines

    ASSERT_EQ(run(path("p.kvt") + " " + path("ans.emf") + " --answers --no-numbers --corel --frame 4").code, 0);
    const mfr::Drawing answers = mfr::readEmf(read(path("ans.emf")));
    EXPECT_TRUE(answers.texts.empty());
    EXPECT_EQ(answers.rectangles.at(1), QRect(QPoint(10, 10), QPoint(40, 40)));
    EXPECT_EQ(answers.penWidths.front(), 4);

    // The task keeps its numbers whatever --no-numbers says.
    ASSERT_EQ(run(path("p.kvt") + " " + path("t2.emf") + " --no-numbers").code, 0);
    EXPECT_EQ(mfr::readEmf(read(path("t2.emf"))).texts.size(), 3u);

    ASSERT_EQ(run(path("p.kvt") + " " + path("ans.bmp") + " --answers --fill 00C000").code, 0);
    const QImage bmp = QImage::fromData(read(path("ans.bmp")));
    EXPECT_EQ(bmp.pixelColor(12, 12), QColor(0, 0xC0, 0));    // the filled clue
    EXPECT_EQ(bmp.pixelColor(12 + 30, 12), QColor(Qt::white)); // the white clue
}

TEST_F(CliExport, FailuresExitWithAReason)
{
    struct Case {
        std::string args;
        const char* why;
    } cases[] = {
        {path("p.kvt") + " " + path("t.gif"), "extension"},
        {path("p.kvt") + " " + path("t.png") + " --cell-size 4", "cell size"},
        {path("p.kvt") + " " + path("t.png") + " --frame 26", "frame"},
        {path("p.kvt") + " " + path("t.png") + " --fill red", "fill"},
        {path("p.kvt") + " " + path("t.png") + " --digit-size 9", "digit size below 10"},
        {path("p.kvt") + " " + path("t.png") + " --digit-size 101", "digit size above 100"},
        {path("p.kvt") + " " + path("t.png") + " --digit-size -1", "negative digit size"},
        {path("p.kvt") + " " + path("t.png") + " --digit-size big", "digit size not a number"},
        {path("missing.kvt") + " " + path("t.png"), "input"},
        {path("p.kvt") + " " + path("no/such/dir/t.png"), "output folder"},
    };
    for (const Case& c : cases) {
        const CliRun r = run(c.args);
        EXPECT_EQ(r.code, 2) << c.why;
        EXPECT_FALSE(r.err.empty()) << c.why;
        EXPECT_EQ(r.out.find("Готово"), std::string::npos) << c.why;
    }
    EXPECT_FALSE(fs::exists(path("t.png")));
}

// --digit-size sets the clue digits' height for any format; without it SVG,
// PDF and PNG take 60 % of the cell and the rest the grid's font.
TEST_F(CliExport, DigitSizeSetsTheDigitsHeight)
{
    // The height of the dark pixels of the white clue "1" (cell 1, 0; cells of 30).
    const auto digitHeight = [](const QImage& image) {
        int top = -1, bottom = -1;
        for (int y = 11; y < 40; ++y)
            for (int x = 41; x < 70; ++x)
                if (qGray(image.pixel(x, y)) < 128) {
                    if (top < 0) top = y;
                    bottom = y;
                }
        return top < 0 ? 0 : bottom - top + 1;
    };
    struct Case {
        const char* option;
        int height; // in pixels, give or take one or two
    } cases[] = {{"", 18}, {"--digit-size 30", 9}, {"--digit-size 60", 18}, {"--digit-size 90", 27},
                 {"--digit-size 100", 30}, {"--digit-size 0", 8}};
    std::map<std::string, QByteArray> png;
    for (const Case& c : cases) {
        const std::string name = "d" + std::to_string(png.size()) + ".png";
        const CliRun r = run(path("p.kvt") + " " + path(name) + " " + c.option);
        ASSERT_EQ(r.code, 0) << c.option << ": " << r.err;
        png[c.option] = read(path(name));
        EXPECT_NEAR(digitHeight(QImage::fromData(png[c.option])), c.height, 2) << c.option;
    }
    EXPECT_EQ(png[""], png["--digit-size 60"]);

    // The metafiles and BMP keep the grid's font unless told otherwise.
    for (const std::string option : {"", "--digit-size 0", "--digit-size 90"}) {
        ASSERT_EQ(run(path("p.kvt") + " " + path("d.emf") + " " + option).code, 0);
        const mfr::Drawing d = mfr::readEmf(read(path("d.emf")));
        ASSERT_EQ(d.texts.size(), 3u);
        EXPECT_EQ(d.texts[1].height == -11, option != "--digit-size 90") << option << ": " << d.texts[1].height;
        EXPECT_EQ(d.texts[2].height, -11) << "the letter keeps its font";
        ASSERT_EQ(run(path("p.kvt") + " " + path("d.bmp") + " " + option).code, 0);
        EXPECT_NEAR(digitHeight(QImage::fromData(read(path("d.bmp")))), option == "--digit-size 90" ? 27 : 8, 2) << option;
    }

    // In the SVG, the clues' font size on their layer.
    const auto clueFontSize = [&](const std::string& option) {
        EXPECT_EQ(run(path("p.kvt") + " " + path("d.svg") + " " + option).code, 0);
        const QByteArray svg = read(path("d.svg"));
        const QRegularExpressionMatch m =
            QRegularExpression(QStringLiteral("<g id=\"clues\"[^>]* font-size=\"([0-9.]+)\"")).match(QString::fromUtf8(svg));
        EXPECT_TRUE(m.hasMatch()) << option;
        return m.captured(1).toDouble();
    };
    const double atDefault = clueFontSize(""), at30 = clueFontSize("--digit-size 30"), atGrid = clueFontSize("--digit-size 0");
    EXPECT_DOUBLE_EQ(atDefault, clueFontSize("--digit-size 60"));
    EXPECT_NEAR(at30 * 2, atDefault, 1);
    EXPECT_NEAR(atGrid, 8 * 96 / 72.0, 0.01);
}

// The batch form: each picture equals a single run's, named after its input
// with the format's extension; a missing input fails alone.
TEST_F(CliExport, BatchPicturesEqualSingleRuns)
{
    write("b.kvt", "[Options]\r\nHeight=4\r\nWidth=2\r\nCellSize=20\r\nWord=\r\n[Field]\r\nStr0=;1;\r\nStr3=;;-1\r\n");
    for (const std::string format : {"png", "svg", "wmf"}) {
        SCOPED_TRACE(format);
        const std::string out = path("out-" + format);
        const CliRun r = run("--answers -j 2 --out-dir " + out + " --format " + format + " " + path("p.kvt") + " " +
                             path("missing.kvt") + " " + path("b.kvt"));
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.out.substr(0, r.out.find('\n') + 1), path("p.kvt") + ": Экспорт.; Готово!!!\n");
        EXPECT_NE(r.out.find("\n" + path("missing.kvt") + ": Файл "), std::string::npos) << r.out;
        for (const std::string name : {"p", "b"}) {
            const CliRun single = run("--answers " + path(name + ".kvt") + " " + path(name + "." + format));
            ASSERT_EQ(single.code, 0) << single.err;
            EXPECT_EQ(read(out + "/" + name + "." + format), read(path(name + "." + format))) << name;
        }
        EXPECT_FALSE(fs::exists(out + "/missing." + format));
    }
}

TEST_F(CliExport, FormatBelongsToTheBatchForm)
{
    const std::string cases[] = {
        path("p.kvt") + " " + path("p.png") + " --format png",
        "--out-dir " + path("out") + " " + path("p.kvt"),
        "--out-dir " + path("out") + " --format gif " + path("p.kvt"),
    };
    for (const std::string& args : cases) {
        const CliRun r = run(args);
        EXPECT_EQ(r.code, 2) << args;
        EXPECT_NE(r.err.find("--format"), std::string::npos) << r.err;
        EXPECT_FALSE(fs::exists(path("out"))) << args;
        EXPECT_FALSE(fs::exists(path("p.png"))) << args;
    }
}

// The web page: one file with the puzzle's data, titled by IN's name; the
// picture options are refused rather than silently dropped.
TEST_F(CliExport, WebPage)
{
    const CliRun r = run(path("p.kvt") + " " + path("p.html"));
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Экспорт.\nГотово!!!\n");
    const QByteArray page = read(path("p.html"));
    EXPECT_TRUE(page.startsWith("<!DOCTYPE html>"));
    EXPECT_TRUE(page.contains("<title>p</title>"));
    EXPECT_TRUE(page.contains("\"cols\":3,\"rows\":2"));
    EXPECT_TRUE(page.contains("\"clues\":\"21....\""));
    EXPECT_TRUE(page.contains("\"texts\":[[2,\"\\u0416\"]]"));
    EXPECT_TRUE(page.contains("\"digits\":60"));
    EXPECT_FALSE(page.contains("@PUZZLE@") || page.contains("@SCRIPT@") || page.contains("@STYLE@"));
    EXPECT_FALSE(page.contains("src=") || page.contains("href=\"http"));

    ASSERT_EQ(run(path("p.kvt") + " " + path("big.HTM") + " --digit-size 80").code, 0);
    EXPECT_TRUE(read(path("big.HTM")).contains("\"digits\":80"));

    const CliRun batch = run("--out-dir " + path("pages") + " --format html " + path("p.kvt"));
    ASSERT_EQ(batch.code, 0) << batch.err;
    EXPECT_EQ(read(path("pages/p.html")), page);

    for (const std::string option : {"--answers", "--corel", "--cell-size 10", "--fill 00C000"}) {
        const CliRun bad = run(path("p.kvt") + " " + path("x.html") + " " + option);
        EXPECT_EQ(bad.code, 2) << option;
        EXPECT_NE(bad.err.find(option.substr(0, option.find(' '))), std::string::npos) << bad.err;
        EXPECT_FALSE(fs::exists(path("x.html"))) << option;
    }
}
