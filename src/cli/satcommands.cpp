// The SAT-backed commands of kletomer-cli: unique.
#include <optional>
#include <string>
#include <vector>

#include "cli/batch.h"
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
    std::vector<std::string> words = argv;
    const auto jobs = takeJobsOption(words);
    Args args(words, {}, {"--diff", "--out-dir"});
    const auto outDir = args.value("--out-dir");
    if (!outDir) {
        if (jobs) throw UsageError{"-j задаётся только вместе с --out-dir"};
        if (args.positional().size() != 1) throw UsageError{"нужен файл IN"};
    }
    const auto uniqueFile = [](Session& s, const std::string& in, const std::optional<std::string>& diff) {
        if (!s.open(in)) return kExitUsage;
        const UniquenessResult res = uniquenessCommand(s.ws.doc.field(), s.ctx);
        const auto writeDiff = [&] {
            return !diff || writeCellRows(s.ctx, *diff, res.differs.cols, res.differs.rows,
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
    };
    if (outDir) {
        // unique writes no puzzle: the output folder takes the differing
        // cells of each file, FOLDER/<input's file name>.txt.
        if (args.value("--diff")) throw UsageError{"--diff не задаётся вместе с --out-dir: различия пишутся в папку --out-dir"};
        const BatchCall call = makeBatchCall(args.positional(), *outDir, jobs, [](const std::string& name) { return name + ".txt"; });
        return runBatch("unique", call, [&](Session& s, const BatchFile& f) { return uniqueFile(s, f.input, f.output); });
    }
    Session s;
    return uniqueFile(s, args.positional()[0], args.value("--diff"));
}

const CliCommandRegistration uniqueCommand("unique",
    {"unique   IN [--diff FILE]     (exit 0 one answer, 1 several, 3 none, 4 no clue,\n"
     "                      5 one answer that is not the picture; --diff writes the\n"
     "                      differing cells of 1 and 5 as rows of 0/1)\n"
     "  kletomer-cli unique   --out-dir DIR [-j N] IN...   (DIR takes each file's differing cells,\n"
     "                      <file name>.txt)",
     runUnique, 25});

} // namespace
} // namespace klt::cli
