#pragma once
// Test fields written as rows of cell texts.
#include <algorithm>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "core/field.h"

namespace klt::test {

// A field from rows of cell texts separated by '|', in UTF-8.
inline Field fieldOf(const std::vector<std::string>& rows)
{
    Field f;
    f.setSize(static_cast<int>(std::count(rows[0].begin(), rows[0].end(), '|')) + 1, static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        int c = 0;
        std::string cell;
        for (char ch : rows[static_cast<size_t>(r)] + "|") {
            if (ch == '|') {
                f.setText(c++, r, utf8ToCp1251(cell));
                cell.clear();
            } else {
                cell += ch;
            }
        }
    }
    return f;
}

} // namespace klt::test
