#pragma once
// The host of the command-line tool: message boxes become lines on standard
// output, errors go to standard error, the size controls are modelled.
#include <cstdint>
#include <optional>
#include <string>

#include "core/host.h"
#include "core/sizecontrols.h"

namespace klt::cli {

class CliHost : public Host {
public:
    Workspace* workspace = nullptr;
    SizeControls controls;
    bool ctrl = false;
    std::optional<std::uint32_t> seed;

    void information(const std::string& text, const std::string& caption) override;
    void errorBox(const std::string& text) override;
    void syncSizeControls() override;
    bool ctrlDown() override { return ctrl; }
    double now() override;
    std::uint32_t clockSeed() override;
};

// Prints a message with CR LF line breaks as separate lines.
void printLines(std::FILE* out, const std::string& text);

} // namespace klt::cli
