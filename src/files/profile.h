#pragma once
// Initialisation (profile) files: "[Section]" headers and "key=value" lines,
// read and written the way the platform's private-profile functions do it.
// Names and values are byte strings (Windows-1251 in our files).
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/workspace.h"

namespace klt {

// Longest value a read returns; longer values lose their tail.
constexpr std::size_t kProfileValueMax = 2047;

// A key could not be written. keyIndex counts the keys of the failed flush
// from 0; the keys before it are in the file.
struct ProfileWriteError : CommandError {
    int keyIndex = 0;
};

// Reads a profile file once. Section and key names match without regard to
// letter case; only the first section of a name counts, and within it the
// first key of a name. Filters (given upper-cased names) choose what is kept,
// so that reading a big or hostile file holds only the wanted values.
class ProfileReader {
public:
    using SectionFilter = std::function<bool(std::string_view sectionUpper)>;
    using KeyFilter = std::function<bool(std::string_view sectionUpper, std::string_view keyUpper)>;

    // A file that cannot be opened reads as empty.
    explicit ProfileReader(const std::string& path, SectionFilter sections = {}, KeyFilter keys = {});

    // The value with blanks and tabs trimmed, one enclosing pair of double or
    // single quotes removed, cut to kProfileValueMax characters.
    std::string readString(std::string_view section, std::string_view key, std::string_view def) const;
    // readString converted as the field's numbers are, except that "0x"/"0X"
    // followed by more text is hexadecimal; def when it does not convert.
    std::int32_t readInteger(std::string_view section, std::string_view key, std::int32_t def) const;

private:
    std::unordered_map<std::string, std::string> values_; // "SECTION\nKEY" -> value
};

// Collects keys and puts them into a profile file. An existing file is
// updated in place: the first key of a name in the first section of a name
// gets the new value, a missing key goes to the end of its section, a missing
// section to the end of the file; every other line stays. New files get
// "[Section]" and "key=value" lines ending in CR LF, with no blank lines.
class ProfileWriter {
public:
    explicit ProfileWriter(std::string path) : path_(std::move(path)) {}

    // Queues one key; the disk is touched only by flush().
    void writeString(std::string_view section, std::string_view key, std::string_view value);

    // Writes the queued keys, in order, as if each had been written by itself:
    // the file is never left half-written, and when a key cannot be written
    // ProfileWriteError("Unable to write to <path>") names it, the keys before
    // it being in the file.
    void flush();

private:
    struct Entry {
        std::string section, key, value;
    };
    std::string path_;
    std::vector<Entry> queue_;
};

// One key written by itself.
void writeProfileString(const std::string& path, std::string_view section, std::string_view key,
                        std::string_view value);

} // namespace klt
