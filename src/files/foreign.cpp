#include "files/foreign.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/cp1251.h"
#include "core/text.h"
#include "files/ioerror.h"
#include "files/linereader.h"
#include "files/loadlimits.h"
#include "files/paths.h"

namespace klt {

namespace {

// Far more than a 4096-column row needs; a longer line is read up to here.
constexpr std::size_t kLineLimit = 1024 * 1024;
// Columns the 1024-bit row set of a headerless file can tell about.
constexpr int kSetColumns = 1023;

// A failure with its own message (conversion and range errors).
struct ReadFailure {
    std::string message;
};
// A failed file operation, by I/O error code.
struct IoFailure {
    int code;
};

enum class Layout { Fc, Jc, RowSet };

Layout layoutOf(const std::string& line)
{
    if (line == "\x02" "FC1" "\x02" || line == "\x02" "FC2" "\x02" || line == "\x02" "FC3" "\x02") return Layout::Fc;
    if (line.starts_with("\x02" "JC2")) return Layout::Jc;
    return Layout::RowSet;
}

class Lines {
public:
    explicit Lines(const std::string& path)
    {
        if (int err = reader_.open(path)) throw IoFailure{ioCodeFromErrno(err)};
    }
    // A line past the end of the file is empty.
    std::string next()
    {
        std::string line;
        if (!reader_.next(line) && reader_.error()) throw IoFailure{ioCodeFromErrno(reader_.error())};
        return line;
    }

private:
    LineReader reader_{kLineLimit};
};

std::string_view wordOf(const std::vector<std::string_view>& w, std::size_t k)
{
    return k < w.size() ? w[k] : std::string_view();
}

std::int32_t toInteger(std::string_view s)
{
    auto v = parseNumber(s);
    if (!v) throw ReadFailure{"'" + cp1251ToUtf8(s) + "' неверное целочисленное значение"};
    return *v;
}

void emptyRow(Field& f, int r)
{
    for (int c = 0; c < f.colCount(); ++c) {
        f.setText(c, r, {});
        f.setMark(c, r, 0);
    }
}

void keepCursorInside(Workspace& ws)
{
    const Field& f = ws.doc.field();
    if (ws.cursor.col >= f.colCount() || ws.cursor.row >= f.rowCount())
        ws.cursor.setCurrentCell(std::min(ws.cursor.col, f.colCount() - 1), std::min(ws.cursor.row, f.rowCount() - 1));
}

// The size line: columns and rows, each one less than its number.
void applySize(Workspace& ws, const std::string& path, const std::string& line)
{
    Field& f = ws.doc.field();
    const auto w = splitWords(line, " ");
    const long long cols = std::max(1LL, static_cast<long long>(toInteger(wordOf(w, 0))) - 1);
    if (cols > kMaxFileSide) throw ReadFailure{sizeTooLargeText(path, true, cols)};
    const auto rowsNumber = parseNumber(wordOf(w, 1));
    if (!rowsNumber) {
        f.setColCount(static_cast<int>(cols)); // the columns were set before the rows failed
        toInteger(wordOf(w, 1));
    }
    const long long rows = std::max(1LL, static_cast<long long>(*rowsNumber) - 1);
    if (rows > kMaxFileSide) throw ReadFailure{sizeTooLargeText(path, false, rows)};
    f.setColCount(static_cast<int>(cols));
    f.setRowCount(static_cast<int>(rows));
    keepCursorInside(ws);
}

void readFcRows(Field& f, Lines& lines)
{
    for (int r = 0; r < f.rowCount(); ++r) {
        const std::string line = lines.next();
        emptyRow(f, r);
        const auto cells = splitWords(line, "/");
        for (int c = 0; c < f.colCount(); ++c) {
            const auto parts = splitWords(wordOf(cells, static_cast<std::size_t>(c)), ";");
            toInteger(wordOf(parts, 1)); // the number is not used, but must be one
            if (!trim(wordOf(parts, 0)).empty()) f.setText(c, r, "-");
        }
    }
}

void readJcRows(Field& f, Lines& lines)
{
    for (int r = 0; r < f.rowCount(); ++r) {
        const std::string line = lines.next();
        emptyRow(f, r);
        const auto w = splitWords(line, " ");
        for (int c = 0; c < f.colCount(); ++c) {
            const std::string_view word = wordOf(w, static_cast<std::size_t>(c));
            if (word == "#") continue;
            f.setText(c, r, decimal(toInteger("$" + std::string(word))));
        }
    }
}

using RowSet = std::array<std::uint32_t, 32>;

void markRowFromSet(Field& f, int r, const RowSet& set)
{
    emptyRow(f, r);
    for (int c = 0; c < f.colCount(); ++c) {
        const int n = c + 1;
        if (n > kSetColumns)
            throw ReadFailure{"Файл без заголовка описывает не больше " + decimal(kSetColumns) +
                              " колонок, а в поле их " + decimal(f.colCount()) + "."};
        if (set[static_cast<std::size_t>(n / 32)] >> (n % 32) & 1u) f.setText(c, r, "-");
    }
}

void readRowSets(Field& f, Lines& lines)
{
    for (int r = 0; r < f.rowCount(); ++r) {
        const std::string line = lines.next();
        emptyRow(f, r);
        RowSet set{};
        const auto w = splitWords(line, " ");
        for (std::size_t i = 0; i < set.size(); ++i) set[i] = static_cast<std::uint32_t>(toInteger(wordOf(w, i)));
        markRowFromSet(f, r, set);
    }
}

} // namespace

ForeignResult openForeignFile(Workspace& ws, const std::string& path)
{
    ForeignResult result;
    result.kvtName = changeFileExt(path, ".KVT");
    std::string reason;
    try {
        Lines lines(path);
        const Layout layout = layoutOf(lines.next());
        if (layout != Layout::RowSet) lines.next();
        const std::string sizeLine = lines.next();
        ws.cursor.setCurrentCell(1, 1);
        applySize(ws, path, sizeLine);
        switch (layout) {
        case Layout::Fc: readFcRows(ws.doc.field(), lines); break;
        case Layout::Jc: readJcRows(ws.doc.field(), lines); break;
        case Layout::RowSet: readRowSets(ws.doc.field(), lines); break;
        }
        ws.doc.setModified(false);
        result.ok = true;
    } catch (const IoFailure& e) {
        reason = ioErrorText(e.code);
    } catch (const ReadFailure& e) {
        reason = e.message;
    }
    if (!result.ok) result.errorText = "Ошибка чтения с диска. Файл " + path + "\r\n" + reason;
    keepCursorInside(ws);
    ws.doc.notifyFieldChanged();
    ws.doc.notifySizeChanged();
    return result;
}

std::optional<std::string> checkForeignSize(const std::string& path)
{
    try {
        Lines lines(path);
        if (layoutOf(lines.next()) != Layout::RowSet) lines.next();
        const std::string sizeLine = lines.next();
        const auto w = splitWords(sizeLine, " ");
        if (auto cols = parseNumber(wordOf(w, 0)); cols && static_cast<long long>(*cols) - 1 > kMaxFileSide)
            return sizeTooLargeText(path, true, static_cast<long long>(*cols) - 1);
        if (auto rows = parseNumber(wordOf(w, 1)); rows && static_cast<long long>(*rows) - 1 > kMaxFileSide)
            return sizeTooLargeText(path, false, static_cast<long long>(*rows) - 1);
    } catch (const IoFailure&) {
        // Reading proper reports it.
    }
    return std::nullopt;
}

} // namespace klt
