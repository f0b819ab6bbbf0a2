#include "files/loadlimits.h"

#include "core/text.h"

namespace klt {

std::string sizeTooLargeText(const std::string& path, bool width, long long n)
{
    return "Файл " + path + " не открыт: " + (width ? "ширина" : "высота") + " поля " + decimal(n) +
           " больше допустимой (" + decimal(kMaxFileSide) + ").";
}

void clearRevealedCells(Field& field, int oldCols, int oldRows)
{
    for (int c = 0; c < field.colCount(); ++c) {
        for (int r = c < oldCols ? oldRows : 0; r < field.rowCount(); ++r) {
            field.setText(c, r, {});
            field.setMark(c, r, 0);
        }
    }
}

} // namespace klt
