#include "cli/clicontext.h"

#include <chrono>
#include <cstdio>

namespace klt::cli {

std::string splitLines(const std::string& text)
{
    std::string lines;
    bool cut = false; // a NUL ends what is printed of a line
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines += '\n';
            cut = false;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\0') {
            cut = true;
        } else if (!cut) {
            lines += c;
        }
    }
    return lines + '\n';
}

void printLines(std::FILE* out, const std::string& text)
{
    const std::string lines = splitLines(text);
    std::fwrite(lines.data(), 1, lines.size(), out);
}

void CliContext::showInformation(const std::string& text, const std::string&)
{
    if (capture_) {
        capture_->out += splitLines(text);
        return;
    }
    printLines(stdout, text);
    std::fflush(stdout);
}

void CliContext::errorBox(const std::string& text)
{
    error(text);
}

void CliContext::error(const std::string& text)
{
    if (capture_)
        capture_->err += splitLines(text);
    else
        printLines(stderr, text);
}

void CliContext::errorLine(const std::string& text)
{
    if (capture_)
        capture_->err += std::string(text.c_str()) + '\n';
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

double CliContext::now()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::uint32_t CliContext::clockSeed()
{
    if (seed) return *seed;
    using namespace std::chrono;
    return static_cast<std::uint32_t>(high_resolution_clock::now().time_since_epoch().count());
}

} // namespace klt::cli
