// The SAT-backed commands of kletomer-cli: unique.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cliargs.h"
#include "cli/clicommand.h"
#include "cli/session.h"
#include "core/uniqueness.h"

namespace klt::cli {
namespace {

// The cells where two answers differ, one line of 0/1 per row.
bool writeDifference(const CellGrid& differs, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    for (int r = 0; r < differs.rows && out; ++r) {
        std::string line;
        for (int c = 0; c < differs.cols; ++c) line += differs.at(c, r) ? '1' : '0';
        out << line << '\n';
    }
    out.close();
    if (!out) {
        std::fprintf(stderr, "Unable to write to %s\n", path.c_str());
        return false;
    }
    return true;
}

int runUnique(const std::vector<std::string>& argv)
{
    Args args(argv, {}, {"--diff"});
    if (args.positional().size() != 1) throw UsageError{"expected IN"};
    Session s;
    if (!s.open(args.positional()[0])) return kExitUsage;
    const UniquenessResult res = uniquenessCommand(s.ws);
    switch (res.answers) {
    case Answers::One: return 0;
    case Answers::Several:
        if (auto diff = args.value("--diff"))
            if (!writeDifference(res.differs, *diff)) return kExitUsage;
        return 1;
    case Answers::None: return 4;
    case Answers::Interrupted: break; // nothing stops a command-line run
    }
    return kExitUsage;
}

const CliCommandRegistration uniqueCommand("unique",
    {"unique   IN [--diff FILE]     (exit 0 one answer, 1 several, 4 none;\n"
     "                      --diff writes the cells where two answers differ as rows of 0/1)",
     runUnique, 25});

} // namespace
} // namespace klt::cli
