#include "files/kvtformat.h"

#include <algorithm>
#include <string_view>
#include <vector>

#include "core/fieldedit.h"
#include "core/text.h"
#include "files/kvtkeys.h"
#include "files/loadlimits.h"
#include "files/paths.h"
#include "files/profile.h"

namespace klt {

namespace {

constexpr int kKeysBeforeRows = static_cast<int>(kvt::kOptionKeys.size());

bool isOptions(std::string_view section) { return kvt::sameName(section, kvt::kOptions); }
bool isField(std::string_view section) { return kvt::sameName(section, kvt::kField); }

// "Str<n>" with n written as the writer writes it (no leading zeros), n < rows.
bool isRowKey(std::string_view key, int rows)
{
    const std::size_t prefix = kvt::kRowPrefix.size();
    if (key.size() <= prefix || key.size() > prefix + 5 || !kvt::sameName(key.substr(0, prefix), kvt::kRowPrefix))
        return false;
    std::string_view digits = key.substr(prefix);
    if (digits.size() > 1 && digits[0] == '0') return false;
    long n = 0;
    for (char c : digits) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    return n < rows;
}

CellRect storedRange(const Field& f, const CellRect* selection)
{
    CellRect r{0, 0, f.colCount() - 1, f.rowCount() - 1};
    if (!selection) return r;
    // Held inside the field: the selection of a grid never leaves it.
    r.left = std::clamp(selection->left, 0, f.colCount() - 1);
    r.right = std::clamp(selection->right, r.left, f.colCount() - 1);
    r.top = std::clamp(selection->top, 0, f.rowCount() - 1);
    r.bottom = std::clamp(selection->bottom, r.top, f.rowCount() - 1);
    return r;
}

void trimRows(Field& f, const CellRect& range, int lastRow)
{
    for (int r = range.top; r <= lastRow; ++r)
        for (int c = range.left; c <= range.right; ++c) f.setText(c, r, trim(f.text(c, r)));
}

} // namespace

void putKvtKeys(const Workspace& ws, const CellRect* selection, const KvtKeySink& sink)
{
    const Field& f = ws.doc.field();
    const CellRect range = storedRange(f, selection);
    sink(kvt::kOptions, kvt::kHeight, decimal(range.height()));
    sink(kvt::kOptions, kvt::kWidth, decimal(range.width()));
    sink(kvt::kOptions, kvt::kCellSize, decimal(ws.doc.cellSize()));
    sink(kvt::kOptions, kvt::kWord, ws.doc.prizePhrase);
    std::string value;
    for (int r = range.top; r <= range.bottom; ++r) {
        value.clear();
        for (int c = range.left; c <= range.right; ++c) {
            // The file holds the picture also while the answers are hidden.
            const std::string t = ws.doc.pictureText(c, r);
            value += ';';
            value += t.empty() ? std::string_view(" ") : std::string_view(t);
        }
        sink(kvt::kField, kvt::rowKey(r - range.top), value);
    }
}

void saveKvt(Workspace& ws, const std::string& path, const CellRect* selection)
{
    Field& f = ws.doc.field();
    const CellRect range = storedRange(f, selection);

    // The first save keeps the earlier file; later ones find the name taken
    // and update the file in place.
    if (fileExists(path)) renameNoReplace(path, path + ".bak");

    ProfileWriter writer(path);
    putKvtKeys(ws, selection, [&writer](std::string_view section, std::string_view key, std::string_view value) {
        writer.writeString(section, key, value);
    });
    try {
        writer.flush();
    } catch (const ProfileWriteError& e) {
        // The row whose key failed was trimmed while its value was built.
        trimRows(f, range, range.top + e.keyIndex - kKeysBeforeRows);
        ws.doc.notifyFieldChanged();
        throw;
    }
    trimRows(f, range, range.bottom);
    ws.doc.notifyFieldChanged();
}

std::optional<std::string> checkKvtSize(const std::string& path)
{
    ProfileReader options(path, isOptions);
    std::int32_t w = options.readInteger(kvt::kOptions, kvt::kWidth, 1);
    if (w > kMaxFileSide) return sizeTooLargeText(path, true, w);
    std::int32_t h = options.readInteger(kvt::kOptions, kvt::kHeight, 1);
    if (h > kMaxFileSide) return sizeTooLargeText(path, false, h);
    return std::nullopt;
}

void readKvt(Workspace& ws, const std::string& path, const CellSizeSync& syncCellSize)
{
    Field& f = ws.doc.field();
    const int oldCols = f.colCount(), oldRows = f.rowCount();
    ProfileReader options(path, isOptions);
    const std::int32_t w = options.readInteger(kvt::kOptions, kvt::kWidth, oldCols);
    const std::int32_t h = options.readInteger(kvt::kOptions, kvt::kHeight, oldRows);
    if (w > kMaxFileSide) throw CommandError{sizeTooLargeText(path, true, w)};
    if (h > kMaxFileSide) throw CommandError{sizeTooLargeText(path, false, h)};

    f.setColCount(w);
    f.setRowCount(h);
    ws.doc.setCellSize(std::max(1, options.readInteger(kvt::kOptions, kvt::kCellSize, ws.doc.cellSize())));
    // The phrase goes into an upper-case edit, which raises every letter it
    // is given; saving writes the phrase back as the edit holds it.
    ws.doc.prizePhrase = options.readString(kvt::kOptions, kvt::kWord, "");
    for (char& ch : ws.doc.prizePhrase) ch = static_cast<char>(upper1251(static_cast<unsigned char>(ch)));

    const int cols = f.colCount(), rows = f.rowCount();
    ProfileReader field(path, isField, [rows](std::string_view, std::string_view key) { return isRowKey(key, rows); });
    for (int r = 0; r < rows; ++r) {
        const std::string v = field.readString(kvt::kField, kvt::rowKey(r), "");
        const auto p = splitWords(v, ";");
        for (int c = 0; c < cols; ++c)
            f.setText(c, r, c < static_cast<int>(p.size()) ? std::string(p[static_cast<std::size_t>(c)]) : std::string());
    }

    if (syncCellSize)
        syncCellSize(ws);
    else
        ws.doc.setCellSize(std::clamp(ws.doc.cellSize(), 5, 100));
    ws.doc.notifyFieldChanged();
}

} // namespace klt
