#pragma once
// One command on one file: a fresh workspace, IN opened as the Open command
// opens it, OUT written as Save writes the whole field.
#include <string>

#include "cli/clicontext.h"
#include "core/workspace.h"

namespace klt::cli {

struct Session {
    Workspace ws;
    CliContext ctx;

    // capture: keep the messages instead of printing them (a batch job).
    explicit Session(CapturedLines* capture = nullptr) : ctx(ws, capture) {}
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // False (with the reason on standard error) when IN cannot be read whole.
    bool open(const std::string& path);
    // False (with the reason on standard error) when OUT cannot be written.
    bool save(const std::string& path);
};

// A 32-bit seed from the command line; negative values wrap.
std::uint32_t parseSeed(const std::string& text);

} // namespace klt::cli
