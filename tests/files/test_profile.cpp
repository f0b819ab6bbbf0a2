#include <gtest/gtest.h>
#include <sys/stat.h>

#include "files/profile.h"
#include "filestest.h"

using namespace klt;
using kltest::readBytes;
using kltest::writeBytes;

namespace {

struct StringCase {
    const char* section;
    const char* key;
    std::string expected;
};

TEST(ProfileReader, ReadsValuesByThePlatformRules)
{
    kltest::TempDir dir;
    const std::string path = dir / "rules.ini";
    writeBytes(path, "Lost=before any section\n"
                     "[Alpha]\r\n"
                     "Plain=value\r\n"
                     "  Spaced  =  \t padded value \t \r\n"
                     "Eq=a=b=c\n"
                     "\n"
                     "Dq=\"quoted  \"\n"
                     "Sq='single'\n"
                     "Half=\"open\n"
                     "Mixed=\"mixed'\n"
                     "Lone=\"\n"
                     "EmptyQ=\"\"\n"
                     "Dup=first\n"
                     "Dup=second\n"
                     "NoEquals\n"
                     "Cr=tail\r\r\n"
                     "Long=" + std::string(3000, 'x') + "\n"
                     "LongQ=\"" + std::string(3000, 'y') + "\"\n"
                     "[alpha]\n"
                     "Plain=from the second section\n"
                     "Only=in the second section\n"
                     "[ Beta ]\n"
                     "Key=beta\n"
                     "[Gamma]\n"
                     "Key=");
    ProfileReader ini(path);
    const StringCase cases[] = {
        {"alpha", "PLAIN", "value"},
        {"ALPHA", "spaced", "padded value"},
        {"Alpha", "Eq", "a=b=c"},
        {"Alpha", "Dq", "quoted  "},
        {"Alpha", "Sq", "single"},
        {"Alpha", "Half", "\"open"},
        {"Alpha", "Mixed", "\"mixed'"},
        {"Alpha", "Lone", "\""},
        {"Alpha", "EmptyQ", ""},
        {"Alpha", "Dup", "first"},
        {"Alpha", "NoEquals", "<default>"},
        {"Alpha", "Cr", "tail\r"},
        {"Alpha", "Long", std::string(2047, 'x')},
        {"Alpha", "LongQ", std::string(2047, 'y')},
        {"Alpha", "Only", "<default>"},
        {"Alpha", "Missing", "<default>"},
        {"Beta", "key", "beta"},
        {"Gamma", "Key", ""},
        {"", "Lost", "<default>"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ini.readString(c.section, c.key, "<default>"), c.expected) << c.section << "/" << c.key;
}

TEST(ProfileReader, ConvertsIntegersOrKeepsTheDefault)
{
    kltest::TempDir dir;
    const std::string path = dir / "n.ini";
    writeBytes(path, "[N]\r\nHex=0x0A\r\nHexUpper=0X1f\r\nDollar=$10\r\nNegative=-7\r\nPadded=  12\t\r\n"
                     "Quoted='42'\r\nWord=abc\r\nBarePrefix=0x\r\nBadHex=0xZZ\r\nTrailing=3x\r\nEmpty=\r\n"
                     "Huge=99999999999\r\nAllBits=0xFFFFFFFF\r\n");
    ProfileReader ini(path);
    const std::pair<const char*, std::int32_t> cases[] = {
        {"Hex", 10},      {"HexUpper", 31}, {"Dollar", 16},     {"Negative", -7}, {"Padded", 12},
        {"Quoted", 42},   {"Word", -99},    {"BarePrefix", -99}, {"BadHex", -99}, {"Trailing", -99},
        {"Empty", -99},   {"Huge", -99},    {"AllBits", -1},    {"Missing", -99},
    };
    for (const auto& [key, expected] : cases) EXPECT_EQ(ini.readInteger("n", key, -99), expected) << key;
}

TEST(ProfileReader, HugeLinesKeepOnlyWhatAValueCanHold)
{
    kltest::TempDir dir;
    const std::string path = dir / "long.ini";
    // Longer than the part of a line the reader keeps; the last line has no
    // line break at all.
    writeBytes(path, "[S]\n"
                     "Blanks=" + std::string(100000, 'a') + std::string(50000, ' ') + "\n"
                     "Quote=\"" + std::string(100000, 'b') + "\"  \n"
                     "Last=" + std::string(300000, 'c'));
    ProfileReader ini(path);
    EXPECT_EQ(ini.readString("S", "Blanks", ""), std::string(2047, 'a'));
    EXPECT_EQ(ini.readString("S", "Quote", ""), std::string(2047, 'b'));
    EXPECT_EQ(ini.readString("S", "Last", ""), std::string(2047, 'c'));
}

TEST(ProfileReader, FiltersKeepOnlyWantedKeys)
{
    kltest::TempDir dir;
    const std::string path = dir / "f.ini";
    writeBytes(path, "[A]\nx=1\ny=2\n[B]\nx=3\n");
    ProfileReader ini(path, [](std::string_view s) { return s == "A"; },
                      [](std::string_view, std::string_view k) { return k == "X"; });
    EXPECT_EQ(ini.readString("A", "x", "-"), "1");
    EXPECT_EQ(ini.readString("A", "y", "-"), "-");
    EXPECT_EQ(ini.readString("B", "x", "-"), "-");
}

TEST(ProfileWriter, NewFileHasOneLinePerKeyInCrLf)
{
    kltest::TempDir dir;
    const std::string path = dir / "new.ini";
    writeProfileString(path, "Options", "Height", "2");
    writeProfileString(path, "Options", "Width", "3");
    writeProfileString(path, "Field", "Str0", ";a");
    EXPECT_EQ(readBytes(path), "[Options]\r\nHeight=2\r\nWidth=3\r\n[Field]\r\nStr0=;a\r\n");
}

TEST(ProfileWriter, UpdatesAnExistingFileInPlace)
{
    kltest::TempDir dir;
    const std::string path = dir / "old.ini";
    writeBytes(path, "; note\n[options]\nheight=1\nExtra=keep\n\n[Field]\nStr0=old\nStr5=stale\n[Options]\nWidth=99\n");
    ProfileWriter writer(path);
    writer.writeString("Options", "Height", "7"); // replaces the key whatever its letter case
    writer.writeString("Options", "Width", "3");  // only the first [Options] counts: appended there
    writer.writeString("Field", "Str0", "new");
    writer.writeString("New", "K", "line\r\nbreak"); // a line break must not split the line
    writer.flush();
    EXPECT_EQ(readBytes(path), "; note\r\n[options]\r\nHeight=7\r\nExtra=keep\r\nWidth=3\r\n\r\n"
                               "[Field]\r\nStr0=new\r\nStr5=stale\r\n[Options]\r\nWidth=99\r\n"
                               "[New]\r\nK=line  break\r\n");
    EXPECT_EQ(ProfileReader(path).readInteger("Options", "Width", 0), 3);
}

TEST(ProfileWriter, RefusedTargetsReportUnableToWrite)
{
    kltest::TempDir dir;
    const std::string readOnly = dir / "ro.ini";
    writeBytes(readOnly, "[S]\r\nK=old\r\n");
    ::chmod(readOnly.c_str(), 0444);
    // Each failure names the file and the system's reason in words.
    const std::pair<std::string, std::string> targets[] = {{readOnly, "Доступ к файлу запрещен"},
                                                           {dir / "missing/folder.ini", "Путь не найден"},
                                                           {dir.path(), "Доступ к файлу запрещен"}};
    for (const auto& [path, reason] : targets) {
        ProfileWriter writer(path);
        writer.writeString("S", "K", "new");
        try {
            writer.flush();
            ADD_FAILURE() << "no error for " << path;
        } catch (const ProfileWriteError& e) {
            EXPECT_EQ(e.message, "Не удалось записать файл \"" + path + "\": " + reason);
            EXPECT_EQ(e.keyIndex, 0);
        }
    }
    EXPECT_EQ(readBytes(readOnly), "[S]\r\nK=old\r\n");
}

TEST(ProfileWriter, KeysBeforeTheFailingOneStayAndTheFileStaysWhole)
{
    kltest::TempDir dir;
    const std::string path = dir / "full.ini";
    const std::string v(30, 'v');
    writeBytes(path, "[S]\r\nOld=1\r\n"); // 12 bytes
    ProfileWriter writer(path);
    for (const char* key : {"A", "B", "C", "D"}) writer.writeString("S", key, v);
    {
        // 12 + 34 + 34 = 80 bytes fit, the third key does not.
        kltest::FileSizeCap cap(100);
        try {
            writer.flush();
            ADD_FAILURE() << "no error";
        } catch (const ProfileWriteError& e) {
            EXPECT_EQ(e.keyIndex, 2);
        }
    }
    EXPECT_EQ(readBytes(path), "[S]\r\nOld=1\r\nA=" + v + "\r\nB=" + v + "\r\n");
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_EQ(entry.path().filename(), "full.ini") << "a scratch file was left behind";
}

} // namespace
