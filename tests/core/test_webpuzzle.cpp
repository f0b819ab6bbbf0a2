#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/cp1251.h"
#include "core/uniqueness.h"
#include "core/webpuzzle.h"
#include "core/workspace.h"
#include "testcontext.h"

using namespace klt;

namespace {

const std::vector<std::string> kPicture = {
    "##....",
    "##..#.",
    ".....#",
    "..##..",
};

// The picture with a clue in every cell: "-n" on filled cells, "n" on white
// ones; without marks, "n" everywhere.
void setFullPuzzle(Workspace& ws, bool withMarks)
{
    test::setPicture(ws, kPicture);
    const ClueSet all = allClues(pictureOnField(ws.doc.field()));
    for (int c = 0; c < all.cols; ++c)
        for (int r = 0; r < all.rows; ++r) {
            const bool filled = kPicture[static_cast<size_t>(r)][static_cast<size_t>(c)] == '#';
            ws.doc.field().setText(c, r, (withMarks && filled ? "-" : "") + std::to_string(all.at(c, r)));
        }
}

std::string answerRows(const WebPuzzle& p)
{
    std::string out;
    for (size_t i = 0; i < p.answer.size(); ++i) out += p.answer[i] ? '#' : '.';
    return out;
}

std::string joined(const std::vector<std::string>& rows)
{
    std::string out;
    for (const auto& r : rows) out += r;
    return out;
}

} // namespace

TEST(WebPuzzle, AnswerFromTheMarksElseFromTheOnlyAnswerElseNone)
{
    Workspace ws;
    setFullPuzzle(ws, true);
    WebPuzzle p = webPuzzleOf(ws.doc.field(), "a");
    EXPECT_EQ(answerRows(p), joined(kPicture));
    // Clues row by row, one digit a cell.
    EXPECT_EQ(p.clues.size(), 24u);
    EXPECT_EQ(p.clues.substr(0, 6), "442111");

    // A task without its marks: the clues' only answer.
    setFullPuzzle(ws, false);
    p = webPuzzleOf(ws.doc.field(), "a");
    EXPECT_EQ(answerRows(p), joined(kPicture));

    // One clue that two pictures meet, no marks: nothing to check against.
    test::setRows(ws, {{"", "", ""}, {"", "1", ""}, {"", "", ""}});
    p = webPuzzleOf(ws.doc.field(), "a");
    EXPECT_TRUE(p.answer.empty());
    EXPECT_EQ(p.clues, "....1....");
}

TEST(WebPuzzle, LettersAreTextsAndTheJsonIsSafeAscii)
{
    Workspace ws;
    test::setRows(ws, {{"-" + utf8ToCp1251("Ж"), "2"}, {"-", ""}});
    const WebPuzzle p = webPuzzleOf(ws.doc.field(), "Ёлка \"</script><b>\" & x");
    ASSERT_EQ(p.texts.size(), 1u);
    EXPECT_EQ(p.texts[0].first, 0);
    EXPECT_EQ(p.texts[0].second, "Ж");
    EXPECT_EQ(p.clues, ".2..");

    const std::string json = webPuzzleJson(p, 60, "DejaVu Sans");
    for (unsigned char ch : json) EXPECT_LT(ch, 0x80);
    EXPECT_EQ(json.find("</"), std::string::npos);
    EXPECT_NE(json.find("\"title\":\"\\u0401\\u043b\\u043a\\u0430 \\\"\\u003c/script\\u003e"), std::string::npos) << json;
    EXPECT_NE(json.find("[[0,\"\\u0416\"]]"), std::string::npos) << json;
    EXPECT_NE(json.find("\"id\":\"" + puzzleId(p) + "\""), std::string::npos);
    EXPECT_EQ(puzzleId(p).size(), 8u);
    EXPECT_NE(json.find("\"answer\":\""), std::string::npos);
}

TEST(WebPuzzle, TheMaskHidesTheAnswerAndUndoesItself)
{
    Workspace ws;
    setFullPuzzle(ws, true);
    const WebPuzzle p = webPuzzleOf(ws.doc.field(), "a");
    WebPuzzle blank = p;
    std::fill(blank.answer.begin(), blank.answer.end(), 0);
    // The mask depends on the clues alone, so the blank answer's mask is the
    // key stream, and the key stream laid over the masked answer gives the bits.
    const auto masked = maskedAnswer(p), stream = maskedAnswer(blank);
    ASSERT_EQ(masked.size(), 3u);
    std::vector<std::uint8_t> plain(3, 0);
    for (size_t i = 0; i < p.answer.size(); ++i)
        if (p.answer[i]) plain[i / 8] |= static_cast<std::uint8_t>(0x80u >> (i % 8));
    EXPECT_NE(masked, plain);
    for (size_t k = 0; k < masked.size(); ++k) EXPECT_EQ(masked[k] ^ stream[k], plain[k]);
    // Another clue set, another stream.
    WebPuzzle other = blank;
    other.clues[0] = '5';
    EXPECT_NE(maskedAnswer(other), stream);
}
