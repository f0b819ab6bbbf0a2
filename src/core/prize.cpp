#include "core/prize.h"

#include <algorithm>

#include "core/workspace.h"
#include "core/text.h"

namespace klt {

bool phraseAccepts(Alphabet a, unsigned char ch)
{
    if (ch == ' ') return true;
    const bool ru = ch >= 192;
    const bool lat = ch >= 65 && ch <= 122;
    switch (a) {
    case Alphabet::Russian: return ru;
    case Alphabet::Latin: return lat;
    case Alphabet::Both: return ru || lat;
    }
    return false;
}

void clearPrize(PuzzleDocument& doc)
{
    Field& f = doc.field();
    for (int c = 0; c < f.colCount(); ++c)
        for (int r = 0; r < f.rowCount(); ++r)
            if (!holdsNumber(doc.field(), c, r)) f.setText(c, r, f.isFilled(c, r) ? "-" : "");
    doc.notifyFieldChanged();
}

namespace {
bool isLetterCode(unsigned char ch)
{
    return (ch >= 65 && ch <= 122) || ch >= 192;
}
} // namespace

int prizeCapacity(const PuzzleDocument& doc, const PrizeSettings& s)
{
    int n = 0;
    const Field& f = doc.field();
    for (int r = std::max(s.firstRow, 1); r <= std::min(s.lastRow, f.rowCount()); ++r) {
        for (int c = 0; c < f.colCount(); ++c) {
            std::string t = trim(f.text(c, r - 1));
            if (t.empty() || isLetterCode(static_cast<unsigned char>(t[0]))) ++n;
        }
    }
    return n;
}

void placePrize(PuzzleDocument& doc, const std::string& phrase, const PrizeSettings& s, Lcg& rng)
{
    Field& f = doc.field();
    const int n = static_cast<int>(phrase.size());
    if (n > 0) {
        int step = prizeCapacity(doc, s) / n;
        if (step < 1) step = 1;
        int k = 0, next = 1;
        for (int r = std::max(s.firstRow, 1); r <= std::min(s.lastRow, f.rowCount()) && next <= n; ++r) {
            for (int c = 0; c < f.colCount() && next <= n; ++c) {
                if (!trim(f.text(c, r - 1)).empty()) continue;
                ++k;
                if (k % step == 0) f.setText(c, r - 1, std::string(1, phrase[static_cast<size_t>(next++ - 1)]));
            }
        }
    }
    int d = s.decoys, misses = 0;
    while (d > 0 && misses < 100) {
        const int c = rng.random(f.colCount());
        const int r = rng.random(f.rowCount());
        if (f.isFilled(c, r) && !holdsNumber(doc.field(), c, r)) {
            Alphabet a = s.alphabet;
            if (a == Alphabet::Both) a = rng.random(2) == 0 ? Alphabet::Russian : Alphabet::Latin;
            const char letter = a == Alphabet::Russian ? static_cast<char>(192 + rng.random(32))
                                                       : static_cast<char>('A' + rng.random(26));
            f.setText(c, r, std::string("-") + letter);
            --d;
        } else {
            ++misses;
        }
    }
    doc.notifyFieldChanged();
}

bool confirmPrize(PuzzleDocument& doc, CommandContext& ctx, const std::string& phrase, const PrizeSettings& s)
{
    if (doc.answersHidden()) doc.showAnswers();
    doc.takeSnapshot();
    if (prizeCapacity(doc, s) < static_cast<int>(phrase.size())) {
        ctx.information("Слово не помещается в игровое поле", "");
        return false;
    }
    std::string placed = phrase;
    Lcg rng;
    if (s.mix) {
        rng.setSeed(ctx.clockSeed());
        std::string rest = phrase;
        placed.clear();
        while (!rest.empty()) {
            const int i = rng.random(static_cast<int>(rest.size()));
            placed += rest[static_cast<size_t>(i)];
            rest.erase(static_cast<size_t>(i), 1);
        }
    }
    clearPrize(doc);
    rng.setSeed(ctx.clockSeed());
    placePrize(doc, placed, s, rng);
    doc.prizePhrase = phrase;
    return true;
}

} // namespace klt
