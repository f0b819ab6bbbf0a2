#pragma once
// The program's errors. Every failure a user is told about is a CommandError
// (or one derived from it) carrying its text; each boundary has one reporter
// for them: the window's error handler, the import dialog's box, the
// command-line tool's standard error. SilentAbort ends a command without a
// word (Cancel in the save question) and is no error.
#include <exception>
#include <optional>
#include <string>

namespace klt {

struct CommandError : std::exception {
    CommandError() = default;
    CommandError(std::string text) : message(std::move(text)) {} // NOLINT: built from its text
    const char* what() const noexcept override { return message.c_str(); }

    std::string message; // UTF-8
};

// Call from inside a catch block: the text of the exception being handled,
// UTF-8, or nothing for a SilentAbort.
std::optional<std::string> currentErrorText();

} // namespace klt
