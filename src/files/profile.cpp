#include "files/profile.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

#include "core/text.h"
#include "files/ioerror.h"
#include "files/linereader.h"
#include "files/safesave.h"

namespace klt {

namespace {

// Lines are judged by their first 64 KiB; beyond that only the last
// non-blank character matters (trailing blanks and a closing quote).
constexpr std::size_t kLineHead = 64 * 1024;

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isQuote(char c) { return c == '"' || c == '\''; }

std::string_view trimBlanksView(std::string_view s)
{
    while (!s.empty() && isBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && isBlank(s.back())) s.remove_suffix(1);
    return s;
}

std::string upperName(std::string_view s)
{
    std::string out(s);
    for (char& c : out) c = static_cast<char>(upper1251(static_cast<unsigned char>(c)));
    return out;
}

struct ProfileLine {
    enum Kind { Other, Section, Key } kind = Other;
    std::string_view name;
    std::string_view rawValue; // text after the first "=", untrimmed
};

ProfileLine parseLine(std::string_view line)
{
    while (!line.empty() && isBlank(line.front())) line.remove_prefix(1);
    if (line.empty()) return {};
    if (line.front() == '[') {
        std::size_t close = line.rfind(']');
        if (close != std::string_view::npos && close > 0)
            return {ProfileLine::Section, trimBlanksView(line.substr(1, close - 1)), {}};
    }
    std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return {};
    return {ProfileLine::Key, trimBlanksView(line.substr(0, eq)), line.substr(eq + 1)};
}

std::string valueOf(std::string_view raw, const LineReader::Tail& tail)
{
    while (!raw.empty() && isBlank(raw.front())) raw.remove_prefix(1);
    if (!tail.nonBlank) {
        while (!raw.empty() && isBlank(raw.back())) raw.remove_suffix(1);
        if (raw.size() >= 2 && isQuote(raw.front()) && raw.back() == raw.front())
            raw = raw.substr(1, raw.size() - 2);
    } else if (!raw.empty() && isQuote(raw.front()) && tail.lastNonBlank == raw.front()) {
        // The value runs on past the kept part and ends in its opening quote.
        raw.remove_prefix(1);
    }
    return std::string(raw.substr(0, kProfileValueMax));
}

std::string lookupKey(std::string_view section, std::string_view key)
{
    return upperName(section) + '\n' + upperName(key);
}

// A line break inside a name or value would split the line and corrupt the
// file, so it is written as a blank.
std::string oneLine(std::string_view s)
{
    std::string out(s);
    for (char& c : out)
        if (c == '\r' || c == '\n') c = ' ';
    return out;
}

// The whole text of a profile file, kept line by line for in-place updates.
class ProfileText {
public:
    ProfileText() { sections_.emplace_back(); }

    // 0, or the errno that kept the file from being read. A missing file is
    // an empty text.
    int load(const std::string& path)
    {
        LineReader reader;
        int err = reader.open(path);
        if (err == ENOENT || err == ENOTDIR) return 0;
        if (err) return err;
        std::string line;
        std::size_t current = 0;
        bool indexed = false; // keys are looked up only in the first section of a name
        while (reader.next(line)) {
            ProfileLine p = parseLine(line);
            if (p.kind == ProfileLine::Section) {
                std::string up = upperName(p.name);
                sections_.push_back(Section{true, std::move(line), {}, {}});
                current = sections_.size() - 1;
                indexed = firstSection_.try_emplace(std::move(up), current).second;
                continue;
            }
            Section& s = sections_[current];
            if (p.kind == ProfileLine::Key && indexed) s.keys.try_emplace(upperName(p.name), s.lines.size());
            s.lines.push_back(std::move(line));
        }
        return reader.error();
    }

    void set(std::string_view section, std::string_view key, std::string_view value)
    {
        std::string line = oneLine(key) + '=' + oneLine(value);
        std::string up = upperName(oneLine(section));
        auto found = firstSection_.find(up);
        if (found == firstSection_.end()) {
            sections_.push_back(Section{true, '[' + oneLine(section) + ']', {std::move(line)}, {}});
            sections_.back().keys.emplace(upperName(oneLine(key)), 0);
            firstSection_.emplace(std::move(up), sections_.size() - 1);
            return;
        }
        Section& s = sections_[found->second];
        std::string keyUp = upperName(oneLine(key));
        auto k = s.keys.find(keyUp);
        if (k != s.keys.end()) {
            s.lines[k->second] = std::move(line);
            return;
        }
        // After the last line with content, so that a blank line before the
        // next section stays there. Only blank lines move, so no key index shifts.
        std::size_t pos = s.lines.size();
        while (pos > 0 && trimBlanksView(s.lines[pos - 1]).empty()) --pos;
        s.lines.insert(s.lines.begin() + static_cast<std::ptrdiff_t>(pos), std::move(line));
        s.keys.emplace(std::move(keyUp), pos);
    }

    std::string serialize() const
    {
        std::size_t size = 0;
        for (const Section& s : sections_) {
            size += s.header.size() + 2;
            for (const std::string& l : s.lines) size += l.size() + 2;
        }
        std::string out;
        out.reserve(size);
        for (const Section& s : sections_) {
            if (s.hasHeader) out.append(s.header).append("\r\n");
            for (const std::string& l : s.lines) out.append(l).append("\r\n");
        }
        return out;
    }

private:
    struct Section {
        bool hasHeader = false; // false only for the lines before the first header
        std::string header;
        std::vector<std::string> lines;
        std::unordered_map<std::string, std::size_t> keys;
    };
    std::vector<Section> sections_;
    std::unordered_map<std::string, std::size_t> firstSection_;
};

} // namespace

ProfileReader::ProfileReader(const std::string& path, SectionFilter sections, KeyFilter keys)
{
    LineReader reader(kLineHead);
    if (reader.open(path) != 0) return;
    std::unordered_set<std::string> seen;
    std::string line, current;
    bool wanted = false;
    while (reader.next(line)) {
        ProfileLine p = parseLine(line);
        if (p.kind == ProfileLine::Section) {
            current = upperName(p.name);
            wanted = (!sections || sections(current)) && seen.insert(current).second;
        } else if (p.kind == ProfileLine::Key && wanted) {
            std::string key = upperName(p.name);
            if (keys && !keys(current, key)) continue;
            auto slot = values_.try_emplace(current + '\n' + key);
            if (slot.second) slot.first->second = valueOf(p.rawValue, reader.tail());
        }
    }
}

std::string ProfileReader::readString(std::string_view section, std::string_view key, std::string_view def) const
{
    auto it = values_.find(lookupKey(section, key));
    return it == values_.end() ? std::string(def) : it->second;
}

std::int32_t ProfileReader::readInteger(std::string_view section, std::string_view key, std::int32_t def) const
{
    std::string v = readString(section, key, "");
    if (v.size() > 2 && v[0] == '0' && (v[1] == 'x' || v[1] == 'X')) v = '$' + v.substr(2);
    return parseNumber(v).value_or(def);
}

void ProfileWriter::writeString(std::string_view section, std::string_view key, std::string_view value)
{
    queue_.push_back(Entry{std::string(section), std::string(key), std::string(value)});
}

void ProfileWriter::flush()
{
    if (queue_.empty()) return;
    std::vector<Entry> queue;
    queue.swap(queue_);
    auto fail = [&](std::size_t i, int err) {
        ProfileWriteError e;
        e.message = cannotWriteText(path_, err);
        e.keyIndex = static_cast<int>(i);
        throw e;
    };
    ProfileText original;
    if (const int err = original.load(path_); err != 0) fail(0, err);
    ProfileText text = original;
    for (const Entry& e : queue) text.set(e.section, e.key, e.value);
    if (saveFileSafely(path_, text.serialize()) == 0) return;
    // Find the key that cannot be written by writing them one at a time, as
    // separate writes would have left the keys before it in the file.
    text = original;
    for (std::size_t i = 0; i < queue.size(); ++i) {
        text.set(queue[i].section, queue[i].key, queue[i].value);
        if (const int err = saveFileSafely(path_, text.serialize()); err != 0) fail(i, err);
    }
}

void writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value)
{
    ProfileWriter writer(path);
    writer.writeString(section, key, value);
    writer.flush();
}

} // namespace klt
