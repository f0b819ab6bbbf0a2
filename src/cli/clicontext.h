#pragma once
// The context of the command-line tool: message boxes become lines on
// standard output, errors go to standard error, the size controls are
// modelled and follow the document as the window's do.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

#include "core/context.h"
#include "core/sizecontrols.h"
#include "core/workspace.h"

namespace klt::cli {

class CliContext : public CommandContext, public DocumentObserver {
public:
    explicit CliContext(Workspace& ws) : ws_(ws) { ws_.doc.addObserver(this); }
    ~CliContext() override { ws_.doc.removeObserver(this); }
    CliContext(const CliContext&) = delete;
    CliContext& operator=(const CliContext&) = delete;

    SizeControls controls;
    std::optional<std::uint32_t> seed; // --seed; from the clock when empty

    void errorBox(const std::string& text) override;
    double now() override;
    std::uint32_t clockSeed() override;

    void sizeChanged() override { controls.sync(ws_); }

protected:
    void showInformation(const std::string& text, const std::string& caption) override;

private:
    Workspace& ws_;
};

// Prints a message with CR LF line breaks as separate lines.
void printLines(std::FILE* out, const std::string& text);

} // namespace klt::cli
