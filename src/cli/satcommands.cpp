// The SAT-backed commands of kletomer-cli: unique.
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cellrows.h"
#include "cli/cliargs.h"
#include "cli/clicommand.h"
#include "cli/session.h"
#include "core/uniqueness.h"

namespace klt::cli {
namespace {

int runUnique(const std::vector<std::string>& argv)
{
    Args args(argv, {}, {"--diff"});
    if (args.positional().size() != 1) throw UsageError{"нужен файл IN"};
    Session s;
    if (!s.open(args.positional()[0])) return kExitUsage;
    const UniquenessResult res = uniquenessCommand(s.ws);
    switch (res.answers) {
    case Answers::One: return 0;
    case Answers::Several:
        if (auto diff = args.value("--diff"))
            if (!writeCellRows(*diff, res.differs.cols, res.differs.rows,
                               [&](int c, int r) { return res.differs.at(c, r) ? '1' : '0'; }))
                return kExitUsage;
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
