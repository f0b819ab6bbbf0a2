#pragma once
// The context of the command-line tool: message boxes become lines on
// standard output, errors go to standard error, the size controls are
// modelled and follow the document as the window's do. A batch job keeps its
// lines instead, so that each file's result is printed whole, in order.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "core/context.h"
#include "core/sizecontrols.h"
#include "core/workspace.h"

namespace klt::cli {

// The lines one command would have printed, LF-terminated.
struct CapturedLines {
    std::string out, err;
};

class CliContext : public CommandContext, public DocumentObserver {
public:
    // Prints to standard output and error, or keeps the lines in *capture.
    explicit CliContext(Workspace& ws, CapturedLines* capture = nullptr) : ws_(ws), capture_(capture)
    {
        ws_.doc.addObserver(this);
    }
    ~CliContext() override { ws_.doc.removeObserver(this); }
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    SizeControls controls;
    std::optional<std::uint32_t> seed; // --seed; from the clock when empty

    void errorBox(const std::string& text) override;
    // An error line (a message with CR LF breaks is split into lines).
    void error(const std::string& text);
    // An error printed as it is, as one line.
    void errorLine(const std::string& text);
    double now() override;
    std::uint32_t clockSeed() override;

    void sizeChanged() override { controls.sync(ws_); }

protected:
    void showInformation(const std::string& text, const std::string& caption) override;

private:
    Workspace& ws_;
    CapturedLines* capture_;
};

// A message with CR LF line breaks as separate lines, each ending in LF.
std::string splitLines(const std::string& text);
// Prints a message with CR LF line breaks as separate lines.
void printLines(std::FILE* out, const std::string& text);

} // namespace klt::cli
