#include "core/workspace.h"

#include "core/cp1251.h"
#include "core/text.h"

namespace klt {

void Workspace::setModified(bool value)
{
    modified = value;
    host_->modifiedChanged(value);
}

bool Workspace::holdsNumber(int c, int r) const
{
    return parseNumber(field.text(c, r)).has_value();
}

int Workspace::countFilledAround(int c, int r) const
{
    int n = 0;
    for (int x = c - 1; x <= c + 1; ++x)
        for (int y = r - 1; y <= r + 1; ++y)
            if (field.inside(x, y) && field.isFilled(x, y)) ++n;
    return n;
}

void Workspace::takeSnapshot()
{
    const int cols = field.colCount(), rows = field.rowCount();
    undoCells.assign(static_cast<size_t>(rows), std::vector<std::string>(static_cast<size_t>(cols)));
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < cols; ++c) undoCells[static_cast<size_t>(r)][static_cast<size_t>(c)] = field.text(c, r);
    host_->snapshotTaken();
}

void Workspace::restoreSnapshot(bool fillOnly)
{
    if (undoCells.empty() || undoCells[0].empty()) return; // nothing to restore yet
    const int rows = static_cast<int>(undoCells.size());
    const int cols = static_cast<int>(undoCells[0].size());
    field.setRowCount(rows);
    field.setColCount(cols);
    for (int r = 0; r < rows; ++r) {
        const auto& row = undoCells[static_cast<size_t>(r)];
        for (int c = 0; c < cols && c < static_cast<int>(row.size()); ++c) {
            const std::string& snap = row[static_cast<size_t>(c)];
            if (!fillOnly) {
                field.setText(c, r, snap);
            } else {
                std::string t = isFilledText(snap) ? "-" : "";
                t += removeChars(field.text(c, r), "-");
                field.setText(c, r, std::move(t));
            }
        }
    }
    host_->fieldChanged();
}

void Workspace::loadWorkArrays()
{
    const int cols = field.colCount(), rows = field.rowCount();
    work.reset(cols, rows);
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
            work.value(c, r) = v;
        }
    }
}

void Workspace::storeWorkArrays()
{
    const int cols = work.lastCol + 1, rows = work.lastRow + 1;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            field.setMark(c, r, work.state(c, r));
            auto v = work.value(c, r);
            field.setText(c, r, v == kWhite ? std::string() : v == kFilled ? std::string("-") : decimal(v));
        }
    }
    host_->fieldChanged();
    host_->pumpEvents();
}

bool Workspace::stripClues()
{
    bool any = false;
    for (int c = 0; c < field.colCount(); ++c) {
        for (int r = 0; r < field.rowCount(); ++r) {
            bool filled = field.isFilled(c, r);
            any = any || filled;
            field.setText(c, r, filled ? "-" : "");
        }
    }
    host_->fieldChanged();
    return any;
}

void Workspace::writeAllClues()
{
    for (int c = 0; c < field.colCount(); ++c)
        for (int r = 0; r < field.rowCount(); ++r)
            field.setText(c, r, trim(field.text(c, r)) + decimal(countFilledAround(c, r)));
    host_->fieldChanged();
}

bool Workspace::matchesSnapshot() const
{
    for (int c = 0; c <= work.lastCol; ++c)
        for (int r = 0; r <= work.lastRow; ++r)
            if (work.valueFilled(c, r) != isFilledText(undoCells[static_cast<size_t>(r)][static_cast<size_t>(c)]))
                return false;
    return true;
}

void Workspace::setCurrentCell(int c, int r)
{
    curCol = c;
    curRow = r;
    selection = CellRect{c, r, c, r};
}

void Workspace::setHideAnswers(bool checked)
{
    answersHidden = checked;
    host_->hideAnswersChanged(checked);
}

} // namespace klt
