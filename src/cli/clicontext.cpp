#include "cli/clicontext.h"

#include <chrono>
#include <cstdio>

namespace klt::cli {

void printLines(std::FILE* out, const std::string& text)
{
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\r' || c == '\n') {
            std::fprintf(out, "%s\n", line.c_str());
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    std::fprintf(out, "%s\n", line.c_str());
}

void CliContext::showInformation(const std::string& text, const std::string&)
{
    printLines(stdout, text);
    std::fflush(stdout);
}

void CliContext::errorBox(const std::string& text)
{
    printLines(stderr, text);
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
