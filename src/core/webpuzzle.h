#pragma once
// The puzzle as a web page carries it: the task (clues and other cell
// texts) and the answer the page checks the reader against, masked so that
// the answer is not readable in the page's text. The page's script repeats
// the masking (puzzleKey, maskStream) to unmask it, and keys the reader's
// saved progress by puzzleId.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/field.h"
#include "core/uniqueness.h"

namespace klt {

struct WebPuzzle {
    std::string title; // UTF-8
    int cols = 0, rows = 0;
    // Row by row, one character a cell: '0'..'9' a clue, '.' none.
    std::string clues;
    // Texts other than clues (prize letters, UTF-8), by row-major cell index.
    std::vector<std::pair<int, std::string>> texts;
    // Row-major, 1 filled; empty when the puzzle has no answer to check against.
    std::vector<std::uint8_t> answer;
};

// Where the answer comes from: the field's fill marks when it has any (the
// author's picture), otherwise the clues' only answer; when the clues
// allow none or several the page goes without one. Throws CommandError as
// the check does for a field it cannot read.
WebPuzzle webPuzzleOf(const Field& field, const std::string& title);

// FNV-1a of the text.
std::uint32_t textHash(const std::string& text);
// What the mask and the saved progress are keyed by: size and clues.
std::string puzzleKeyText(const WebPuzzle& puzzle);
// Lowercase hex of textHash(puzzleKeyText).
std::string puzzleId(const WebPuzzle& puzzle);
// The answer's bits, row-major, eight to a byte (first cell in the high
// bit), each byte XORed with xorshift32 steps seeded by the key's hash.
std::vector<std::uint8_t> maskedAnswer(const WebPuzzle& puzzle);

// The puzzle as a JSON object for the page (ASCII only; "</" never appears).
std::string webPuzzleJson(const WebPuzzle& puzzle, int digitPercent, const std::string& fontFamily);

} // namespace klt
