#include "files/qt/crspicture.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <string>

#include "core/text.h"
#include "files/qt/picturesource.h"
#include "widgets/eventpump.h"

namespace klt {

using namespace pictures;

namespace {

constexpr std::int32_t kWhite = 0xFFFFFF;

// The 16 standard colours that JC indexes below 16 name.
constexpr std::array<std::int32_t, 16> kStandardColours = {
    0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080, 0x808000, 0x808080,
    0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF, 0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF,
};

// Lines end at CR; an LF right after it belongs to the line end. A last line
// without CR still counts. False when nothing is left, or for a line too
// long to be part of a puzzle.
bool readLine(FileBytes& bytes, std::string& line)
{
    line.clear();
    bool any = false;
    for (int c; (c = bytes.next()) >= 0;) {
        any = true;
        if (c == '\r') {
            if (bytes.peek() == '\n') bytes.next();
            return true;
        }
        if (line.size() >= kMaxLine) return false;
        line += static_cast<char>(c);
    }
    return any;
}

std::optional<CrsPicture::Layout> headerLayout(const std::string& line)
{
    using L = CrsPicture::Layout;
    if (line == "\x02" "FC1\x02" || line == "\x02" "FC2\x02" || line == "\x02" "FC3\x02") return L::Fc;
    if (line == "\x02" "JC2.5\x02" || line == "\x02" "JC2.4\x02") return L::JcIndexed;
    if (line == "\x02" "JC2\x02") return L::JcDirect;
    return std::nullopt;
}

// Fills one row's entries from its line; false at the first entry it cannot
// read (the entries after it stay 0, black).
bool fillRow(CrsPicture::Layout layout, const std::string& line, std::vector<std::int32_t>& row)
{
    const std::size_t cols = row.size();
    switch (layout) {
    case CrsPicture::Layout::Fc: {
        const auto words = splitWords(line, "/", cols);
        for (std::size_t c = 0; c < cols; ++c) {
            const std::string colour = trim(wordAt(c < words.size() ? words[c] : std::string_view(), ";", 1));
            if (colour.empty()) {
                row[c] = kWhite;
                continue;
            }
            const auto v = parseNumber(wordAt(colour, " ", 1));
            if (!v) return false;
            row[c] = *v;
        }
        return true;
    }
    case CrsPicture::Layout::JcIndexed: {
        const auto words = splitWords(line, " ", cols);
        for (std::size_t c = 0; c < cols; ++c) {
            if (c >= words.size() || words[c] == "#") {
                row[c] = kWhite;
                continue;
            }
            const auto v = parseNumber("$" + std::string(words[c]));
            if (!v) return false;
            row[c] = *v >= 0 && *v < 16 ? kStandardColours[static_cast<std::size_t>(*v)] : *v;
        }
        return true;
    }
    case CrsPicture::Layout::JcDirect: {
        const auto words = splitWords(line, " ", cols);
        for (std::size_t c = 0; c < cols; ++c) {
            if (c >= words.size() || words[c] == "##") {
                row[c] = kWhite;
                continue;
            }
            const auto v = parseNumber(words[c]);
            if (!v) return false;
            row[c] = *v;
        }
        return true;
    }
    case CrsPicture::Layout::BitSet: {
        // 32 integers hold the bits of the numbers 0..1023; column c is
        // filled when the number c + 1 is in the set.
        const auto words = splitWords(line, " ", 32);
        std::array<std::uint32_t, 32> bits{};
        for (std::size_t i = 0; i < bits.size(); ++i) {
            const auto v = i < words.size() ? parseNumber(words[i]) : std::nullopt;
            if (!v) return false;
            bits[i] = static_cast<std::uint32_t>(*v);
        }
        for (std::size_t c = 0; c < cols; ++c) {
            const std::size_t n = c + 1;
            if (n > 1023) return false;
            row[c] = (bits[n / 32] >> (n % 32)) & 1u ? 0 : kWhite;
        }
        return true;
    }
    }
    return false;
}

} // namespace

void CrsPicture::loadFromFile(const QString& path)
{
    rows_.clear();
    cols_ = 0;
    layout_ = Layout::BitSet;
    FileBytes bytes(path);

    // Line 1 is a header or any other text; a header is followed by a line
    // of its own that nothing uses. Then comes the size line.
    std::string line;
    if (!readLine(bytes, line)) return;
    if (const auto header = headerLayout(line)) {
        layout_ = *header;
        if (!readLine(bytes, line)) return;
    }
    if (!readLine(bytes, line)) return;
    // Both numbers are one more than the counts they stand for.
    const auto w = parseNumber(wordAt(line, " ", 1));
    const auto h = parseNumber(wordAt(line, " ", 2));
    if (!w || !h) return;
    const int cols = *w - 1, rows = *h - 1;
    if (cols < 1 || rows < 1 || cols > kMaxSide || rows > kMaxSide) return;

    // Rows the reading does not get to stay without entries; what was read
    // is kept when a later row fails. A row gets its entries before its line
    // is read, so the row at which the file ends early stays black.
    std::vector<std::vector<std::int32_t>> matrix(static_cast<std::size_t>(rows));
    cols_ = cols;
    for (auto& row : matrix) {
        row.assign(static_cast<std::size_t>(cols), 0);
        if (!readLine(bytes, line)) break;
        const bool ok = fillRow(layout_, line, row);
        runPendingEventsSometimes();
        if (!ok) break;
    }
    rows_ = std::move(matrix);
}

void CrsPicture::draw(QPainter& painter, const QRect& rect) const
{
    if (rows_.empty() || rows_.front().empty()) return;
    const std::size_t cols = rows_.front().size();
    const int colCount = static_cast<int>(cols), rowCount = static_cast<int>(rows_.size());
    int s = std::min(rect.width() / colCount, rect.height() / rowCount);
    if (s <= 1) s = 2;

    const std::optional<QRectF> visible = visibleArea(painter);
    int firstRow = 0, lastRow = rowCount - 1, firstCol = 0, lastCol = colCount - 1;
    if (visible) {
        // Only the cells the device can show; a huge file still draws fast.
        auto clampIndex = [s](double at, int origin, int last) {
            const double i = std::floor((at - origin) / s);
            return static_cast<int>(std::clamp(i, -1.0, static_cast<double>(last) + 1));
        };
        firstRow = std::max(clampIndex(visible->top(), rect.top(), lastRow), 0);
        lastRow = std::min(clampIndex(visible->bottom(), rect.top(), lastRow), lastRow);
        firstCol = std::max(clampIndex(visible->left(), rect.left(), lastCol), 0);
        lastCol = std::min(clampIndex(visible->right(), rect.left(), lastCol), lastCol);
    }
    // No outline: each square is s - 1 pixels, so a line of the background
    // stays between neighbours.
    for (int i = 0; i < rowCount && i <= lastRow; ++i) {
        const auto& row = rows_[static_cast<std::size_t>(i)];
        if (row.size() < cols) break; // a row the loading did not reach
        if (i < firstRow) continue;
        for (int j = firstCol; j <= lastCol; ++j)
            painter.fillRect(QRect(rect.left() + s * j, rect.top() + s * i, s - 1, s - 1),
                             colorOfValue(row[static_cast<std::size_t>(j)]));
    }
}

} // namespace klt
