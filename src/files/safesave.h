#pragma once
// Writing a whole file so that a failure never leaves a half-written one:
// every file the program writes (puzzle files, exported pictures, the file
// association) goes through here.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace klt {

// Replaces the file's content as one step: a new file beside it (with the
// old one's permissions and owner), then a rename over it; a symbolic link
// stays a link to the file it names. Where no new file can be made beside a
// writable file, the file is overwritten in place after the space is
// reserved. 0, or the errno of the failure (the old content then stands).
int saveFileSafely(const std::string& path, std::string_view content);

// The same for content made piece by piece, too large to hold at once (a
// bitmap of a huge field): produce calls put with each piece in order and
// returns 0, or an errno (put's own, or one of its making) to give up; size
// is the content's total length when known beforehand (0: not known), which
// is reserved before a file is overwritten in place.
using ContentPut = std::function<int(std::string_view)>;
int saveFileSafely(const std::string& path, std::uint64_t size, const std::function<int(const ContentPut&)>& produce);

} // namespace klt
