#include "files/qt/kvtpicture.h"

#include <QPainter>
#include <optional>

#include "core/cp1251.h"
#include "core/text.h"
#include "files/kvtkeys.h"
#include "files/qt/picturesource.h"

namespace klt {

using namespace pictures;

namespace {

bool endsWith(std::string_view s, std::string_view tail)
{
    return s.size() >= tail.size() && s.substr(s.size() - tail.size()) == tail;
}

bool startsWith(std::string_view s, std::string_view head)
{
    return s.substr(0, head.size()) == head;
}

void appendCapped(std::string& to, std::string_view s)
{
    to.append(s.substr(0, kMaxLine > to.size() ? kMaxLine - to.size() : 0));
}

// The keys the picture needs, taken line by line as the file is read. The
// preview removes the section lines by deleting "[Options]" CR LF and then
// CR LF "[Field]" from the text joined with CR LF, so a line ending in
// "[Options]" runs on into the next one and a line starting with "[Field]"
// runs on from the previous one; the first line of a name wins.
class KeyLines {
public:
    std::optional<std::string> height, width;
    std::vector<std::optional<std::string>> rows = std::vector<std::optional<std::string>>(kMaxSide);

    void feed(const std::string& line)
    {
        static const std::string options = "[" + std::string(kvt::kOptions) + "]";
        if (endsWith(line, options)) {
            appendCapped(joined_, std::string_view(line).substr(0, line.size() - options.size()));
            joining_ = true;
            return;
        }
        appendCapped(joined_, line);
        afterOptions(joined_);
        joined_.clear();
        joining_ = false;
    }

    void finish()
    {
        if (joining_ && !joined_.empty()) afterOptions(joined_);
        if (havePending_) take(pending_);
    }

private:
    void afterOptions(const std::string& line)
    {
        static const std::string field = "[" + std::string(kvt::kField) + "]";
        if (havePending_ && startsWith(line, field)) {
            appendCapped(pending_, std::string_view(line).substr(field.size()));
            return;
        }
        if (havePending_) take(pending_);
        pending_ = line;
        havePending_ = true;
    }

    void take(const std::string& line)
    {
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos) return;
        const std::string_view name = std::string_view(line).substr(0, eq);
        std::string value = line.substr(eq + 1);
        const std::size_t prefix = kvt::kRowPrefix.size();
        if (kvt::sameName(name, kvt::kHeight)) {
            if (!height) height = std::move(value);
        } else if (kvt::sameName(name, kvt::kWidth)) {
            if (!width) width = std::move(value);
        } else if (name.size() > prefix && kvt::sameName(name.substr(0, prefix), kvt::kRowPrefix)) {
            // The row number as the writer spells it: no leading zeros.
            const std::string_view digits = name.substr(prefix);
            if (digits.size() > 4 || (digits.size() > 1 && digits[0] == '0')) return;
            int n = 0;
            for (char c : digits) {
                if (c < '0' || c > '9') return;
                n = n * 10 + (c - '0');
            }
            if (n < kMaxSide && !rows[static_cast<std::size_t>(n)]) rows[static_cast<std::size_t>(n)] = std::move(value);
        }
    }

    std::string joined_;
    bool joining_ = false;
    std::string pending_;
    bool havePending_ = false;
};

} // namespace

void KvtPicture::loadFromFile(const QString& path)
{
    rows_.clear();
    FileBytes bytes(path);
    KeyLines keys;
    std::string line;
    // A line ends at CR LF, CR or LF.
    for (int c; (c = bytes.next()) >= 0;) {
        if (c == '\r' || c == '\n') {
            if (c == '\r' && bytes.peek() == '\n') bytes.next();
            keys.feed(line);
            line.clear();
        } else if (line.size() < kMaxLine) {
            line += static_cast<char>(c);
        }
    }
    if (!line.empty()) keys.feed(line);
    keys.finish();

    // A "Height" or "Width" that is missing or no number leaves the picture
    // empty; so does a height no puzzle file may have.
    if (!keys.height || !keys.width) return;
    const std::int32_t rows = parseNumber(*keys.height).value_or(-1);
    if (rows < 0 || rows > kMaxSide || !parseNumber(*keys.width)) return;
    for (int i = 0; i < rows; ++i) rows_.push_back(keys.rows[static_cast<std::size_t>(i)].value_or(std::string()));
}

int KvtPicture::width() const
{
    return rows_.empty() ? 0 : 10 * wordCount(rows_.front(), ";");
}

int KvtPicture::height() const
{
    return 10 * static_cast<int>(rows_.size());
}

void KvtPicture::draw(QPainter& painter, const QRect& rect) const
{
    if (rows_.empty()) return;
    const int cols = std::max(wordCount(rows_.front(), ";"), 1);
    const int rows = static_cast<int>(rows_.size());
    int s = std::min(rect.width() / cols, rect.height() / rows);
    if (s <= 1) s = 2;

    const std::optional<QRectF> visible = visibleArea(painter);
    // Cells beyond this are never drawn: their coordinates would overflow.
    constexpr long long kFar = 1LL << 30;
    painter.save();
    for (int i = 0; i < rows; ++i) {
        const long long top = rect.top() + static_cast<long long>(s) * i;
        if (top > kFar || (visible && top > visible->bottom())) break;
        if (visible && top + s + 1 < visible->top()) continue;
        const auto pieces = splitWords(rows_[static_cast<std::size_t>(i)], ";");
        for (std::size_t k = 0; k < pieces.size(); ++k) {
            const long long left = rect.left() + static_cast<long long>(s) * static_cast<long long>(k);
            if (left > kFar || (visible && left > visible->right())) break;
            if (visible && left + s + 1 < visible->left()) continue;
            const std::string_view p = pieces[k];
            const bool filled = p.find('-') != std::string_view::npos;
            const int x = static_cast<int>(left), y = static_cast<int>(top);
            // An outlined square of s + 1 pixels: neighbours share their
            // outlines, so single black lines part the cells.
            painter.fillRect(QRect(x, y, s + 1, s + 1), Qt::black);
            if (!filled) painter.fillRect(QRect(x + 1, y + 1, s - 1, s - 1), Qt::white);
            const std::string text = removeChars(p, "-");
            if (trim(text).empty()) continue;
            painter.setPen(filled ? Qt::white : Qt::black);
            painter.drawText(QRect(x, y, s, s), Qt::AlignCenter | Qt::TextSingleLine,
                             QString::fromStdString(cp1251ToUtf8(text)));
        }
    }
    painter.restore();
}

} // namespace klt
