#include "core/workarrays.h"

#include "core/cp1251.h"
#include "core/error.h"
#include "core/text.h"

namespace klt {

void loadWorkArrays(const Field& field, WorkArrays& w)
{
    const int cols = field.colCount(), rows = field.rowCount();
    w.reset(cols, rows);
    for (int c = 0; c < cols; ++c) {
        for (int r = 0; r < rows; ++r) {
            const std::string& t = field.text(c, r);
            std::string tt = trim(t);
            std::int8_t v;
            if (tt.empty()) {
                v = kWhite;
            } else if (tt == "-") {
                v = kFilled;
            } else {
                auto num = parseNumber(t);
                if (!num)
                    throw CommandError{"'" + cp1251ToUtf8(t) + "' неверное целочисленное значение"};
                if (*num < -128 || *num > 127)
                    throw CommandError{"Число " + decimal(*num) + " в клетке (" + decimal(c) + ", " + decimal(r) +
                                       ") вне диапазона -128..127"};
                v = static_cast<std::int8_t>(*num);
            }
            w.value(c, r) = v;
        }
    }
}

void storeWorkArrays(const WorkArrays& w, Field& field)
{
    const int cols = w.cols(), rows = w.rows();
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            field.setMark(c, r, w.state(c, r));
            auto v = w.value(c, r);
            field.setText(c, r, v == kWhite ? std::string() : v == kFilled ? std::string("-") : decimal(v));
        }
    }
}

bool matchesPicture(const WorkArrays& w, const Grid<std::string>& picture)
{
    // Arrays of another field than the picture's can only differ from it.
    if (picture.cols() != w.cols() || picture.rows() != w.rows()) return false;
    for (int c = 0; c <= w.lastCol; ++c)
        for (int r = 0; r <= w.lastRow; ++r)
            if (w.valueFilled(c, r) != isFilledText(picture.at(c, r))) return false;
    return true;
}

} // namespace klt
