#pragma once
// The prize phrase: letters in white cells spread over a band of rows, decoy
// letters in filled cells.
#include <cstdint>
#include <string>

#include "core/random.h"
#include "core/context.h"
#include "core/document.h"

namespace klt {

enum class Alphabet { Russian = 0, Latin = 1, Both = 2 };

// Whether a Windows-1251 character may stand in a phrase of the alphabet
// (the blank always may).
bool phraseAccepts(Alphabet a, unsigned char ch);

struct PrizeSettings {
    int firstRow = 1;  // rxMin, 1-based
    int lastRow = 1;   // rxMax, 1-based
    int decoys = 0;    // rxsBadLetters
    Alphabet alphabet = Alphabet::Russian;
    bool mix = false;
};

// Removes prize and decoy letters: texts that are not numbers become "-" or "".
void clearPrize(PuzzleDocument& doc);
// Cells of the row band whose trimmed text is empty or starts with a letter.
int prizeCapacity(const PuzzleDocument& doc, const PrizeSettings& s);
// Writes the phrase (Windows-1251) into the band, then the decoys.
void placePrize(PuzzleDocument& doc, const std::string& phrase, const PrizeSettings& s, Lcg& decoyRandom);

// Confirming the prize dialog: answers shown, snapshot, capacity check (the
// message and false when the phrase does not fit), optional shuffle, clear,
// place; the phrase stays unshuffled in doc.prizePhrase. The shuffle and the
// decoys each seed the generator from the context's clock.
bool confirmPrize(PuzzleDocument& doc, CommandContext& ctx, const std::string& phrase, const PrizeSettings& s);

} // namespace klt
