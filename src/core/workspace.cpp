#include "core/workspace.h"

#include "core/text.h"

namespace klt {

bool holdsNumber(const Field& f, int c, int r)
{
    return parseNumber(f.text(c, r)).has_value();
}

int countFilledAround(const Field& f, int c, int r)
{
    int n = 0;
    forEachInBlock(c, r, f.colCount(), f.rowCount(), [&](int x, int y) { n += f.isFilled(x, y); });
    return n;
}

bool stripClues(Field& f)
{
    bool any = false;
    for (int c = 0; c < f.colCount(); ++c) {
        for (int r = 0; r < f.rowCount(); ++r) {
            bool filled = f.isFilled(c, r);
            any = any || filled;
            f.setText(c, r, filled ? "-" : "");
        }
    }
    return any;
}

void writeAllClues(Field& f)
{
    for (int c = 0; c < f.colCount(); ++c)
        for (int r = 0; r < f.rowCount(); ++r) f.setText(c, r, trim(f.text(c, r)) + decimal(countFilledAround(f, c, r)));
}

} // namespace klt
