// kletomer-cli: runs the program's commands on puzzle files without windows.
#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "cli/cliargs.h"
#include "cli/clicommand.h"
#include "core/workspace.h"

using namespace klt;
using namespace klt::cli;

namespace klt::cli {
std::map<std::string, CliCommand>& commandTable()
{
    static std::map<std::string, CliCommand> table;
    return table;
}
} // namespace klt::cli

namespace {

std::string usage()
{
    std::vector<const CliCommand*> sorted;
    for (const auto& [name, cmd] : commandTable()) sorted.push_back(&cmd);
    std::stable_sort(sorted.begin(), sorted.end(), [](auto* a, auto* b) { return a->order < b->order; });
    std::string text = "Usage:\n";
    for (const auto* cmd : sorted) text += "  kletomer-cli " + cmd->usage + "\n";
    text += "\nIN is a puzzle file (.kvt, or a foreign .fcr/.crs file); OUT is written as a .kvt file\n"
            "unless the command says otherwise. Messages go to standard output, errors to standard error.\n"
            "Exit codes: generate 0 placed, 3 not solvable, 4 no filled cells; check 0 solved,\n"
            "1 not solved, 4 no numbers; unique 0 one answer, 1 several, 3 none, 4 no clue,\n"
            "5 one answer that is not the picture; grade 0 solved by levels 1-3, 1 needs trial and error,\n"
            "3 no answer, 4 no clue; prize 3 phrase does not fit; 2 usage or file errors.\n"
            "Batch form (--out-dir DIR, every positional an input, -j N threads, default all cores):\n"
            "one line \"INPUT: messages\" per file in input order; exit 0 every file 0, 2 a usage error\n"
            "or a file that could not be read or written, 6 some other verdict.\n";
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> rest(argv + 1, argv + argc);
    if (rest.empty() || rest[0] == "--help" || rest[0] == "-h" || rest[0] == "help") {
        std::fputs(usage().c_str(), rest.empty() ? stderr : stdout);
        return rest.empty() ? kExitUsage : 0;
    }
    auto it = commandTable().find(rest[0]);
    if (it == commandTable().end()) {
        std::fprintf(stderr, "kletomer-cli: неизвестная команда \"%s\"\n%s", rest[0].c_str(), usage().c_str());
        return kExitUsage;
    }
    try {
        return it->second.run(std::vector<std::string>(rest.begin() + 1, rest.end()));
    } catch (...) {
        const auto text = currentErrorText();
        std::fprintf(stderr, "kletomer-cli %s: %s\n", rest[0].c_str(), text ? text->c_str() : "");
    }
    return kExitUsage;
}
