#pragma once
// Texts of file input/output error codes, as the error boxes show them.
#include <string>

namespace klt {

// The text of an I/O error code; "Ошибка <code>" for a code without one.
std::string ioErrorText(int code);

// The I/O error code of a failed file operation's errno. Errors without a
// closer code count as a read error (100).
int ioCodeFromErrno(int err);

} // namespace klt
