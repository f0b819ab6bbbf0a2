#pragma once
// Path helpers of the document commands. Paths are the platform's bytes
// (UTF-8 on Linux).
#include <string>
#include <string_view>

namespace klt {

// True for an existing regular file (a folder or a device is not a puzzle file).
bool fileExists(const std::string& path);

// True for a regular file whose bytes can be read without waiting: not a
// device, a FIFO or a socket, and not on a file system that the kernel makes
// up as it is read (/proc, /sys …), where a read may block for good.
bool isOrdinaryFile(const std::string& path);

// The extension of the file-name part, from its last "." (dot included);
// empty when the name has none.
std::string fileExtension(std::string_view path);

// path with its extension replaced by ext, or ext appended when it has none.
std::string changeFileExt(std::string_view path, std::string_view ext);

// ASCII letters upper-cased, every other byte kept.
std::string upperAscii(std::string_view s);

// True when path names a file of the own format (extension ".KVT" in any case).
bool isOwnFormatPath(std::string_view path);

// Renames from to to unless to already exists; false when nothing was moved.
bool renameNoReplace(const std::string& from, const std::string& to);

} // namespace klt
