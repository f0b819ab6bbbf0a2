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

// Exit codes of unique, one per verdict (2 stays the usage and input errors
// of every command; 4 is "Нет цифр!" as for check).
constexpr int kExitOneAnswer = 0;
constexpr int kExitSeveral = 1;
constexpr int kExitNoAnswer = 3;
constexpr int kExitNoClues = 4;
constexpr int kExitNotThePicture = 5;

int runUnique(const std::vector<std::string>& argv)
{
    Args args(argv, {}, {"--diff"});
    if (args.positional().size() != 1) throw UsageError{"нужен файл IN"};
    Session s;
    if (!s.open(args.positional()[0])) return kExitUsage;
    const UniquenessResult res = uniquenessCommand(s.ws.doc.field(), s.ctx);
    const auto writeDiff = [&] {
        const auto diff = args.value("--diff");
        return !diff || writeCellRows(*diff, res.differs.cols, res.differs.rows,
                                      [&](int c, int r) { return res.differs.at(c, r) ? '1' : '0'; });
    };
    switch (res.answers) {
    case Answers::One: return kExitOneAnswer;
    case Answers::Several: return writeDiff() ? kExitSeveral : kExitUsage;
    case Answers::OneNotPicture: return writeDiff() ? kExitNotThePicture : kExitUsage;
    case Answers::None: return kExitNoAnswer;
    case Answers::NoClues: return kExitNoClues;
    case Answers::Interrupted: break; // nothing stops a command-line run
    }
    return kExitUsage;
}

const CliCommandRegistration uniqueCommand("unique",
    {"unique   IN [--diff FILE]     (exit 0 one answer, 1 several, 3 none, 4 no clue,\n"
     "                      5 one answer that is not the picture; --diff writes the\n"
     "                      differing cells of 1 and 5 as rows of 0/1)",
     runUnique, 25});

} // namespace
} // namespace klt::cli
