#include <gtest/gtest.h>

#include "core/commands.h"
#include "core/text.h"
#include "testcontext.h"

using namespace klt;
using klt::test::RecordingContext;
using klt::test::rowsOf;
using klt::test::setPicture;
using klt::test::setRows;
using Rows = std::vector<std::vector<std::string>>;

namespace {

struct GenerateFixture : ::testing::Test {
    Workspace ws;
    RecordingContext host{ws};
    LiteralPlacement engine;

    GenerateOutcome generateWith(bool correcting, int difficulty = 5, bool allClues = false)
    {
        GenerateOptions options;
        options.correcting = correcting;
        options.allClues = allClues;
        options.placement.difficulty = difficulty;
        return generate(ws, host, engine, options);
    }

    std::vector<std::string> picture() const { return klt::test::pictureOf(ws); }
    // Every digit left on the field must be its cell's true count.
    void expectCluesAreCounts() const
    {
        for (int c = 0; c < ws.doc.field().colCount(); ++c)
            for (int r = 0; r < ws.doc.field().rowCount(); ++r) {
                std::string digits = removeChars(ws.doc.field().text(c, r), "-");
                if (!digits.empty()) {
                    EXPECT_EQ(digits, std::to_string(countFilledAround(ws.doc.field(), c, r))) << c << "," << r;
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
        setPicture(ws, kMiddle);
        ws.doc.setModified(false);
        EXPECT_EQ(generateWith(false, d), GenerateOutcome::Solved);
        EXPECT_EQ(picture(), kMiddle);
        expectCluesAreCounts();
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_EQ(host.messages[0], "Решение|Решается !\r\n0:00:00");
        EXPECT_TRUE(ws.doc.modified());
        EXPECT_TRUE(host.stopped());
        int clues = 0;
        for (int c = 0; c < 5; ++c)
            for (int r = 0; r < 5; ++r) clues += !removeChars(ws.doc.field().text(c, r), "-").empty();
        EXPECT_LT(clues, 25);
        undo(ws);
        EXPECT_EQ(rowsOf(ws), (Rows{{"", "", "", "", ""}, {"", "", "", "", ""}, {"", "", "-", "", ""}, {"", "", "", "", ""}, {"", "", "", "", ""}}));
    }
}

TEST_F(GenerateFixture, PlainUnsolvableRestoresPicture)
{
    setPicture(ws, kNeedsLeftColumn);
    ws.doc.field().setText(1, 1, "\xC6"); // a prize letter goes first
    EXPECT_EQ(generateWith(false), GenerateOutcome::NotSolvable);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Обсчет|Не решается!"});
    EXPECT_EQ(picture(), kNeedsLeftColumn);
    EXPECT_EQ(ws.doc.field().text(1, 1), "");
    EXPECT_FALSE(ws.doc.modified());
}

TEST_F(GenerateFixture, CorrectingAddsOneLeftColumn)
{
    setPicture(ws, kNeedsLeftColumn);
    EXPECT_EQ(generateWith(true), GenerateOutcome::Solved);
    ASSERT_EQ(ws.doc.field().colCount(), 6);
    EXPECT_EQ(ws.doc.field().rowCount(), 5);
    std::vector<std::string> shifted;
    for (const auto& row : kNeedsLeftColumn) shifted.push_back("." + row);
    EXPECT_EQ(picture(), shifted);
    expectCluesAreCounts();
    EXPECT_EQ(host.syncs, 1); // the insertion refreshed the size controls
}

TEST_F(GenerateFixture, CtrlKeepsFullClueSetSilently)
{
    setPicture(ws, kMiddle);
    EXPECT_EQ(generateWith(false, 5, true), GenerateOutcome::FullClues);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_FALSE(ws.doc.modified());
    EXPECT_EQ(ws.doc.field().text(2, 2), "-1");
    EXPECT_EQ(ws.doc.field().text(0, 0), "0");
    EXPECT_EQ(ws.doc.field().text(1, 1), "1");
    EXPECT_TRUE(host.stopped());
}

TEST_F(GenerateFixture, NothingFilled)
{
    setRows(ws, {{"3", "\xC6", ""}});
    EXPECT_EQ(generateWith(false), GenerateOutcome::NoFilledCells);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Обсчет|Нет закрашенных клеток!"});
    EXPECT_EQ(rowsOf(ws), (Rows{{"3", "", ""}}));
}

TEST_F(GenerateFixture, StopDuringPlacement)
{
    setPicture(ws, kMiddle);
    host.onStep = [&](int steps) {
        if (steps == 3) host.requestStop();
    };
    EXPECT_EQ(generateWith(false), GenerateOutcome::Interrupted);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Обсчет|Прервано !"});
    EXPECT_EQ(host.steps, 3 + 4); // then one step for each remaining column
    EXPECT_EQ(picture(), kMiddle);
    EXPECT_EQ(ws.doc.field().text(0, 0), "");
}

TEST_F(GenerateFixture, ZeroThinning)
{
    setRows(ws, {{"1", "1", "1", "1", "1", "1"}, {"0", "0", "0", "0", "0", "0"}, {"1", "1", "1", "1", "1", "1"}});
    thinZeroClues(ws.doc.field());
    EXPECT_EQ(rowsOf(ws)[1], (std::vector<std::string>{"0", "", "0", "", "0", "0"}));
    setRows(ws, {{"0"}, {"0"}, {"0"}, {"0"}});
    thinZeroClues(ws.doc.field());
    EXPECT_EQ(rowsOf(ws), (Rows{{"0"}, {""}, {"0"}, {"0"}}));
}

TEST_F(GenerateFixture, CheckShowsConclusion)
{
    setRows(ws, {{"", "", ""}});
    EXPECT_EQ(check(ws, host, engine), CheckOutcome::NoNumbers);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Проверка|Нет цифр!"});

    host.messages.clear();
    setRows(ws, {{"4", "", "\xC6"}, {"", "", ""}, {"", "", ""}});
    ws.doc.hideAnswers(); // no fill marks to take off
    EXPECT_EQ(check(ws, host, engine), CheckOutcome::Solved);
    EXPECT_FALSE(ws.doc.answersHidden());
    EXPECT_EQ(rowsOf(ws), (Rows{{"-4", "-", ""}, {"-", "-", ""}, {"", "", ""}}));
    EXPECT_EQ(ws.doc.field().mark(0, 0), MarkComplete);
    EXPECT_EQ(ws.doc.field().mark(1, 1), MarkDecided);
    EXPECT_EQ(ws.doc.field().mark(2, 2), MarkNone);
    undo(ws);
    EXPECT_EQ(rowsOf(ws), (Rows{{"4", "", ""}, {"", "", ""}, {"", "", ""}}));

    host.messages.clear();
    setRows(ws, {{"", "", ""}, {"", "1", ""}, {"", "", ""}});
    EXPECT_EQ(check(ws, host, engine), CheckOutcome::Stuck);
    EXPECT_EQ(host.messages, std::vector<std::string>{"Решение|Не получилось!\r\n0:00:00"});
}

TEST_F(GenerateFixture, CheckRangeErrorKeepsTextsAndLeavesIdle)
{
    setRows(ws, {{"-3", "200"}});
    EXPECT_THROW(check(ws, host, engine), CommandError);
    EXPECT_EQ(ws.doc.field().text(1, 0), "200");
    EXPECT_TRUE(host.stopped());
}

TEST_F(GenerateFixture, HideAndShowAnswers)
{
    setRows(ws, {{"-3", "-", "2", "-\xC6"}});
    toggleHideAnswers(ws.doc);
    EXPECT_EQ(rowsOf(ws), (Rows{{"3", "", "2", "\xC6"}}));
    toggleHideAnswers(ws.doc);
    EXPECT_EQ(rowsOf(ws), (Rows{{"-3", "-", "2", "-\xC6"}}));
    EXPECT_FALSE(ws.doc.answersHidden());
}
