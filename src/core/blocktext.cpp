#include "core/blocktext.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string_view>
#include <vector>

#include "core/fieldedit.h"
#include "core/text.h"

namespace klt {

std::string copySelectionText(Workspace& ws, bool cut)
{
    std::optional<FieldEdit> edit;
    if (cut) edit.emplace(ws);
    const CellRect s = ws.cursor.selection;
    std::string text;
    for (int r = s.top; r <= s.bottom; ++r) {
        text += "\r\n";
        for (int c = s.left; c <= s.right; ++c) {
            if (c != s.left) text += '\t';
            text += ws.doc.field().text(c, r);
            text += ' ';
            if (cut) ws.doc.field().setText(c, r, "");
        }
    }
    if (cut) ws.doc.notifyFieldChanged();
    return text.substr(std::min<size_t>(2, text.size()));
}

bool pasteAdmits(const std::string& t)
{
    if (t.empty() || t == "-") return true;
    auto v = parseNumber(t);
    return v && *v >= -10 && *v <= 10;
}

namespace {

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string cur;
    for (size_t i = 0; i < text.size(); ++i) {
        char ch = text[i];
        if (ch == '\r' || ch == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            cur += ch;
        }
    }
    if (!cur.empty()) lines.push_back(cur);
    return lines;
}

std::string growthRefusal(const char* what)
{
    return std::string(what) + ": поле не может быть больше " + decimal(kMaxFieldSide) + " × " + decimal(kMaxFieldSide) +
           " клеток.";
}

} // namespace

PasteOutcome pasteText(Workspace& ws, const std::string& input)
{
    if (input.find('\t') == std::string::npos)
        return {PasteResult::NoTab, "В буфере должен находится текстовый фрагмент с разделителями-табуляторами.\r\n"
                                    "Это можно сделать в MSExcel"};

    // Every empty field between two tabs becomes one blank.
    std::string text;
    text.reserve(input.size() * 2);
    for (size_t i = 0; i < input.size(); ++i) {
        text += input[i];
        if (input[i] == '\t' && i + 1 < input.size() && input[i + 1] == '\t') text += ' ';
    }
    std::vector<std::string> lines = splitLines(text);
    // The first line's fields count before a blank goes in front of a
    // leading tab: such a line counts one field fewer than it has.
    const int firstCount = lines.empty() ? 0 : wordCount(lines[0], "\t");
    std::vector<std::vector<std::string_view>> runs(lines.size());
    size_t widest = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].empty() && lines[i][0] == '\t') lines[i].insert(lines[i].begin(), ' ');
        runs[i] = splitWords(lines[i], "\t");
        widest = std::max(widest, runs[i].size());
    }
    const int C = ws.cursor.col, R = ws.cursor.row;
    // A paste that would make a field no file can hold changes nothing.
    if (static_cast<long long>(C) + static_cast<long long>(widest) > kMaxFieldSide ||
        static_cast<long long>(R) + static_cast<long long>(lines.size()) > kMaxFieldSide) {
        return {PasteResult::TooLarge, growthRefusal("Вставка не выполнена")};
    }

    FieldEdit edit(ws);
    if (!ws.cursor.internalMove) ws.doc.takeSnapshot();
    const int n = static_cast<int>(lines.size());
    Field& f = ws.doc.field();
    f.setRowCount(std::max(R + n, f.rowCount()));
    f.setColCount(std::max(C + firstCount, f.colCount()));

    PasteOutcome result;
    for (int i = 0; i < n && result.result == PasteResult::Pasted; ++i) {
        const auto& line = runs[static_cast<size_t>(i)];
        for (int j = 1; j <= static_cast<int>(line.size()); ++j) {
            const int col = C + j - 1;
            if (col > f.colCount() - 1) f.setColCount(f.colCount() + 1);
            std::string t = trim(line[static_cast<size_t>(j - 1)]);
            f.setText(col, R + i, t);
            if (!pasteAdmits(t)) {
                char msg[128];
                std::snprintf(msg, sizeof msg, "Ошибка вставки из буфера - строка %d столбец %d", i + 1, j);
                result = {PasteResult::BadValue, msg};
                break;
            }
        }
    }
    ws.doc.notifyFieldChanged();
    return result;
}

MoveOutcome moveBlock(Workspace& ws, int col, int row)
{
    MoveOutcome out;
    col = std::max(col, 0);
    row = std::max(row, 0);
    const CellRect& held = ws.cursor.rememberedBlock;
    if (static_cast<long long>(col) + held.width() > kMaxFieldSide ||
        static_cast<long long>(row) + held.height() > kMaxFieldSide) {
        out.error = growthRefusal("Блок не перенесён");
        return out;
    }
    FieldEdit edit(ws);
    ws.cursor.internalMove = true;
    // SelectClamped with the remembered block.
    CellRect b = ws.cursor.rememberedBlock;
    b.left = std::max(b.left, 0);
    b.top = std::max(b.top, 0);
    b.right = std::min(b.right, ws.doc.field().colCount() - 1);
    b.bottom = std::min(b.bottom, ws.doc.field().rowCount() - 1);
    ws.cursor.selection = b;

    std::vector<std::string> cells;
    for (int r = b.top; r <= b.bottom; ++r)
        for (int c = b.left; c <= b.right; ++c) cells.push_back(trim(ws.doc.field().text(c, r)));
    out.clipboard = copySelectionText(ws, true);

    ws.cursor.setCurrentCell(col, row);
    Field& f = ws.doc.field();
    f.setRowCount(std::max(row + b.height(), f.rowCount()));
    f.setColCount(std::max(col + b.width(), f.colCount()));
    size_t k = 0;
    for (int r = 0; r < b.height(); ++r)
        for (int c = 0; c < b.width(); ++c) f.setText(col + c, row + r, cells[k++]);
    ws.cursor.internalMove = false;
    ws.doc.notifyFieldChanged();
    out.moved = true;
    return out;
}

} // namespace klt
