#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/text.h"

using namespace klt;

TEST(NumberTest, ConversionTable)
{
    struct Case {
        const char* text;
        bool ok;
        int value;
    };
    const Case cases[] = {
        {"3", true, 3},        {"-3", true, -3},       {"+7", true, 7},         {"  12", true, 12},
        {"$1F", true, 31},     {"x10", true, 16},      {"X10", true, 16},       {"0x0A", true, 10},
        {"-$10", true, -16},   {"0", true, 0},         {"-0", true, 0},         {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},        {"$FFFFFFFF", true, -1}, {"2147483648", false, 0},
        {"", false, 0},        {"-", false, 0},        {"3 ", false, 0},        {"5-", false, 0},
        {"0x", false, 0},      {"$", false, 0},        {"\t3", false, 0},       {"1e3", false, 0},
        {"\xC6", false, 0},    {"-\xC6", false, 0},
    };
    for (const auto& c : cases) {
        auto v = parseNumber(c.text);
        EXPECT_EQ(v.has_value(), c.ok) << '"' << c.text << '"';
        if (c.ok && v) {
            EXPECT_EQ(*v, c.value) << c.text;
        }
    }
}

TEST(TextHelpers, WordsTrimAndRemoval)
{
    EXPECT_EQ(wordAt("//a;b//c/", "/", 1), "a;b");
    EXPECT_EQ(wordAt("//a;b//c/", "/", 2), "c");
    EXPECT_EQ(wordAt("//a;b//c/", "/", 3), "");
    EXPECT_EQ(wordCount("\t5\t", "\t"), 1);
    EXPECT_EQ(trim(std::string("\x01 -3 \t", 6)), "-3");
    EXPECT_EQ(removeChars("-3-", "-"), "3");
    EXPECT_TRUE(isFilledText("5-"));
    EXPECT_FALSE(isFilledText("5"));
}

TEST(Codec, RoundTripsRussianAndRefusesOthers)
{
    const std::string utf8 = "Клетомер ЁёАЯая №";
    std::string cp = utf8ToCp1251(utf8);
    EXPECT_EQ(static_cast<unsigned char>(cp[0]), 0xCA); // К
    EXPECT_EQ(cp1251ToUtf8(cp), utf8);
    std::string bad;
    EXPECT_FALSE(utf8ToCp1251Strict("a€b✓", &bad).has_value());
    EXPECT_EQ(bad, "✓");
    EXPECT_EQ(utf8ToCp1251("✓"), "?");
}
