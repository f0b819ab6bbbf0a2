#include <gtest/gtest.h>

#include "core/commands.h"
#include "core/text.h"
#include "testhost.h"

using namespace klt;
using klt::test::RecordingHost;
using klt::test::rowsOf;
using klt::test::setPicture;
using klt::test::setRows;
using Rows = std::vector<std::vector<std::string>>;

namespace {

struct GenerateFixture : ::testing::Test {
    RecordingHost host;
    Workspace ws{host};
    LiteralPlacement engine;

    std::vector<std::string> picture() const { return klt::test::pictureOf(ws); }
    // Every digit left on the field must be its cell's true count.
    void expectCluesAreCounts() const
    {
        for (int c = 0; c < ws.field.colCount(); ++c)
            for (int r = 0; r < ws.field.rowCount(); ++r) {
                std::string digits = removeChars(ws.field.text(c, r), "-");
                if (!digits.empty()) {
                    EXPECT_EQ(digits, std::to_string(ws.countFilledAround(c, r))) << c << "," << r;
                }
            }
    }
};

const std::vector<std::string> kMiddle = {".....", ".....", "..#..", ".....", "....."};
// Not solvable as drawn, solvable with one white column at the left.
const std::vector<std::string> kNeedsLeftColumn = {"..##.", "#....", "#....", "....#", ".#..."};

} // namespace

TEST_F(GenerateFixture, SolvablePictureKeepsPictureAndFewerClues)
{
    setPicture(ws, kMiddle);
    for (int d : {5, 0}) {
        host.messages.clear();
        ws.difficulty = d;
        setPicture(ws, kMiddle);
        ws.setModified(false);
        EXPECT_EQ(generate(ws, false, engine), GenerateOutcome::Solved);
        EXPECT_EQ(picture(), kMiddle);
        expectCluesAreCounts();
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0], "Решение|Решается !\r\n0:00:00");
        EXPECT_TRUE(ws.modified);
        EXPECT_TRUE(ws.stopped);
        int clues = 0;
        for (int c = 0; c < 5; ++c)
            for (int r = 0; r < 5; ++r) clues += !removeChars(ws.field.text(c, r), "-").empty();
        EXPECT_LT(clues, 25);
        undo(ws);
        EXPECT_EQ(rowsOf(ws), (Rows{{"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "-", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}}));
    }
}

TEST_F(GenerateFixture, PlainUnsolvableRestoresPicture)
{
    setPicture(ws, kNeedsLeftColumn);
    ws.field.setText(1, 1, "\xC6"); // a prize letter goes first
    EXPECT_EQ(generate(ws, false, engine), GenerateOutcome::NotSolvable);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Обсчет|Не решается!"});
    EXPECT_EQ(picture(), kNeedsLeftColumn);
    EXPECT_EQ(ws.field.text(1, 1), "");
    EXPECT_FALSE(ws.modified);
}

TEST_F(GenerateFixture, CorrectingAddsOneLeftColumn)
{
    setPicture(ws, kNeedsLeftColumn);
    EXPECT_EQ(generate(ws, true, engine), GenerateOutcome::Solved);
    ASSERT_EQ(ws.field.colCount(), 6);
    EXPECT_EQ(ws.field.rowCount(), 5);
    std::vector<std::string> shifted;
    for (const auto& row : kNeedsLeftColumn) shifted.push_back("." + row);
    EXPECT_EQ(picture(), shifted);
    expectCluesAreCounts();
    EXPECT_EQ(host.syncs, 1); // the insertion refreshed the size controls
}

TEST_F(GenerateFixture, CtrlKeepsFullClueSetSilently)
{
    setPicture(ws, kMiddle);
    host.ctrl = true;
    EXPECT_EQ(generate(ws, false, engine), GenerateOutcome::FullClues);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(ws.modified);
    EXPECT_EQ(ws.field.text(2, 2), "-1");
    EXPECT_EQ(ws.field.text(0, 0), "0");
    EXPECT_EQ(ws.field.text(1, 1), "1");
    EXPECT_TRUE(ws.stopped);
}

TEST_F(GenerateFixture, NothingFilled)
{
    setRows(ws, {{"3", "\xC6", ""}});
    EXPECT_EQ(generate(ws, false, engine), GenerateOutcome::NoFilledCells);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Обсчет|Нет закрашенных клеток!"});
    EXPECT_EQ(rowsOf(ws), (Rows{{"3", "", ""}}));
}

TEST_F(GenerateFixture, StopDuringPlacement)
{
    setPicture(ws, kMiddle);
    host.onStep = [&](int steps) {
        if (steps == 3) ws.stopped = true;
    };
    EXPECT_EQ(generate(ws, false, engine), GenerateOutcome::Interrupted);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Обсчет|Прервано !"});
    EXPECT_EQ(host.steps, 3 + 4); // then one step for each remaining column
    EXPECT_EQ(picture(), kMiddle);
    EXPECT_EQ(ws.field.text(0, 0), "");
}

TEST_F(GenerateFixture, ZeroThinning)
{
    setRows(ws, {{"1", "1", "1", "1", "1", "1"}, {"0", "0", "0", "0", "0", "0"}, {"1", "1", "1", "1", "1", "1"}});
    thinZeroClues(ws);
    EXPECT_EQ(rowsOf(ws)[1], (std::vector<std::string>{"0", "", "0", "", "0", "0"}));
    setRows(ws, {{"0"}, {"0"}, {"0"}, {"0"}});
    thinZeroClues(ws);
    EXPECT_EQ(rowsOf(ws), (Rows{{"0"}, {""}, {"0"}, {"0"}}));
}

TEST_F(GenerateFixture, CheckShowsConclusion)
{
    setRows(ws, {{"", "", ""}});
    EXPECT_EQ(check(ws, engine), CheckOutcome::NoNumbers);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Проверка|Нет цифр!"});

    host.messages.clear();
    setRows(ws, {{"4", "", "\xC6"}, {"", "", ""}, {"", "", ""}});
    ws.setHideAnswers(true);
    EXPECT_EQ(check(ws, engine), CheckOutcome::Solved);
    EXPECT_FALSE(ws.answersHidden);
    EXPECT_EQ(rowsOf(ws), (Rows{{"-4", "-", ""}, {"-", "-", ""}, {"", "", ""}}));
    EXPECT_EQ(ws.field.mark(0, 0), MarkComplete);
    EXPECT_EQ(ws.field.mark(1, 1), MarkDecided);
    EXPECT_EQ(ws.field.mark(2, 2), MarkNone);
    undo(ws);
    EXPECT_EQ(rowsOf(ws), (Rows{{"4", "", ""}, {"", "", ""}, {"", "", ""}}));

    host.messages.clear();
    setRows(ws, {{"", "", ""}, {"", "1", ""}, {"", "", ""}});
    EXPECT_EQ(check(ws, engine), CheckOutcome::Stuck);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Решение|Не получилось!\r\n0:00:00"});
}

TEST_F(GenerateFixture, CheckRangeErrorKeepsTextsAndLeavesIdle)
{
    setRows(ws, {{"-3", "200"}});
    EXPECT_THROW(check(ws, engine), CommandError);
    EXPECT_EQ(ws.field.text(1, 0), "200");
    EXPECT_TRUE(ws.stopped);
}

TEST_F(GenerateFixture, HideAndShowAnswers)
{
    setRows(ws, {{"-3", "-", "2", "-\xC6"}});
    toggleHideAnswers(ws);
    EXPECT_EQ(rowsOf(ws), (Rows{{"3", "", "2", "\xC6"}}));
    toggleHideAnswers(ws);
    EXPECT_EQ(rowsOf(ws), (Rows{{"-3", "-", "2", "-\xC6"}}));
    EXPECT_FALSE(ws.answersHidden);
}
