#pragma once
// Texts of file input/output error codes, as the error boxes show them.
#include <string>

namespace klt {

// The text of an I/O error code; "Ошибка <code>" for a code without one.
std::string ioErrorText(int code);

// The I/O error code of a failed file operation's errno. Errors without a
// closer code count as a read error (100).
int ioCodeFromErrno(int err);

// The system's reason for a failed file operation, in words: the text of
// ioCodeFromErrno(err).
std::string systemErrorText(int err);

// «Не удалось записать файл "<path>": <reason>».
std::string cannotWriteText(const std::string& path, int err);

} // namespace klt
