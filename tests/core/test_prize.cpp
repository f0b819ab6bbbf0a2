#include <gtest/gtest.h>

#include <algorithm>

#include "core/commands.h"
#include "core/prize.h"
#include "testcontext.h"

using namespace klt;
using klt::test::RecordingContext;
using klt::test::rowsOf;
using klt::test::setRows;
using Rows = std::vector<std::vector<std::string>>;

TEST(Prize, ClearPrizeKeepsNumbers)
{
    Workspace ws;
    RecordingContext host{ws};
    setRows(ws, {{"\xC0", "-\xC6", "-", "5", "-5", ""}});
    clearPrize(ws.doc);
    EXPECT_EQ(rowsOf(ws), (Rows{{"", "-", "-", "5", "-5", ""}}));
}

TEST(Prize, PhraseSpreadsOverEmptyCells)
{
    Workspace ws;
    RecordingContext host{ws};
    // Capacity 10 in rows 1..2: the letters go to the 3rd, 6th and 9th empty cells.
    setRows(ws, {{"", "", "", "-", "", "", "", "3"}, {"", "", "", "-1", "-2", "-", "", "-"}});
    PrizeSettings s;
    s.firstRow = 1;
    s.lastRow = 2;
    EXPECT_EQ(prizeCapacity(ws.doc, s), 10);
    ASSERT_TRUE(confirmPrize(ws.doc, host, "\xCA\xCE\xD2", s)); // КОТ
    EXPECT_EQ(rowsOf(ws), (Rows{{"", "", "\xCA", "-", "", "", "\xCE", "3"}, {"", "", "\xD2", "-1", "-2", "-", "", "-"}}));
    EXPECT_EQ(ws.doc.prizePhrase, "\xCA\xCE\xD2");
    ws.doc.restoreSnapshot(false);
    EXPECT_EQ(ws.doc.field().text(2, 0), "");
}

TEST(Prize, TooLongPhraseChangesNothingButShowsAnswers)
{
    Workspace ws;
    RecordingContext host{ws};
    setRows(ws, {{"-", "", "2", ""}});
    toggleHideAnswers(ws.doc);
    PrizeSettings s;
    EXPECT_FALSE(confirmPrize(ws.doc, host, "ABC", s));
    EXPECT_EQ(host.messages, std::vector<std::string>{"|Слово не помещается в игровое поле"});
    EXPECT_FALSE(ws.doc.answersHidden());
    EXPECT_EQ(rowsOf(ws), (Rows{{"-", "", "2", ""}}));
    s.firstRow = 2; // an empty band
    EXPECT_EQ(prizeCapacity(ws.doc, s), 0);
}

TEST(Prize, MixPlacesAPermutationAndKeepsPhrase)
{
    Workspace ws;
    RecordingContext host{ws};
    setRows(ws, {{"", "", "", "", "", ""}});
    PrizeSettings s;
    s.mix = true;
    s.alphabet = Alphabet::Latin;
    const std::string phrase = "ABCDEF";
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        host.seed = seed;
        ASSERT_TRUE(confirmPrize(ws.doc, host, phrase, s));
        std::string placed;
        const auto rows = rowsOf(ws);
        for (const auto& t : rows[0]) placed += t;
        EXPECT_TRUE(std::is_permutation(placed.begin(), placed.end(), phrase.begin()));
        EXPECT_EQ(ws.doc.prizePhrase, phrase);
    }
}

TEST(Prize, Decoys)
{
    Workspace ws;
    RecordingContext host{ws};
    setRows(ws, {{"-", "-", "-"}, {"", "", ""}});
    PrizeSettings s;
    s.firstRow = s.lastRow = 2;
    s.decoys = 50;
    s.alphabet = Alphabet::Russian;
    ASSERT_TRUE(confirmPrize(ws.doc, host, "\xC0", s));
    const auto rows = rowsOf(ws);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"", "", "\xC0"}));
    for (const auto& t : rows[0]) {
            ASSERT_EQ(t.size(), 2u);
            EXPECT_GE(static_cast<unsigned char>(t[1]), 192);
            EXPECT_LE(static_cast<unsigned char>(t[1]), 223);
    }

    // Every filled cell carries a clue: the loop gives up after 100 misses.
    setRows(ws, {{"-1", "", "-2"}});
    s.firstRow = s.lastRow = 1;
    s.decoys = 5;
    ASSERT_TRUE(confirmPrize(ws.doc, host, "\xC0", s));
    EXPECT_EQ(rowsOf(ws), (Rows{{"-1", "\xC0", "-2"}}));
}

TEST(Prize, AlphabetFilter)
{
    EXPECT_TRUE(phraseAccepts(Alphabet::Russian, 0xC6));
    EXPECT_FALSE(phraseAccepts(Alphabet::Russian, 'Q'));
    EXPECT_TRUE(phraseAccepts(Alphabet::Latin, '_'));
    EXPECT_FALSE(phraseAccepts(Alphabet::Latin, 0xC6));
    EXPECT_TRUE(phraseAccepts(Alphabet::Both, 'Q'));
    EXPECT_TRUE(phraseAccepts(Alphabet::Both, ' '));
    EXPECT_FALSE(phraseAccepts(Alphabet::Both, '1'));
}
