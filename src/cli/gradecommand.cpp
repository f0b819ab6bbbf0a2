// kletomer-cli grade: the difficulty of a puzzle and its solving path.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cellrows.h"
#include "cli/cliargs.h"
#include "cli/clicommand.h"
#include "cli/session.h"
#include "core/gradecommand.h"

namespace klt::cli {
namespace {

// Exit codes: 0 levels 1–3 solve it, 1 they do not (trial and error), 3 the
// clues contradict each other, 4 no clue; 2 usage and file errors.
constexpr int kExitSolved = 0;
constexpr int kExitNeedsTrial = 1;
constexpr int kExitNoAnswer = 3;
constexpr int kExitNoClues = 4;

std::string cellText(int i, int rows)
{
    return std::to_string(i / rows) + "," + std::to_string(i % rows);
}

// One line per step: level; clue cells; decided cells with their fill
// (c,r=1 filled, c,r=0 white), cells as column,row counted from 0.
bool writeSteps(CliContext& ctx, const std::string& path, const FieldGrade& g)
{
    std::string text;
    const int rows = g.clues.rows;
    for (const GradeStep& s : g.path.steps) {
        text += std::to_string(s.level) + ";";
        for (size_t i = 0; i < s.clues.size(); ++i) text += (i ? " " : "") + cellText(s.clues[i], rows);
        text += ";";
        for (size_t i = 0; i < s.cells.size(); ++i)
            text += (i ? " " : "") + cellText(s.cells[i], rows) + "=" + (s.filled ? "1" : "0");
        text += "\n";
    }
    std::ofstream out(path, std::ios::binary);
    out << text;
    out.close();
    if (!out) {
        ctx.error("Не удалось записать " + path);
        return false;
    }
    return true;
}

int runGrade(const std::vector<std::string>& argv)
{
    Args args(argv, {"--json"}, {"--answer", "--steps"});
    if (args.positional().size() != 1) throw UsageError{"нужен файл IN"};
    Session s;
    if (!s.open(args.positional()[0])) return kExitUsage;
    const FieldGrade g = gradeCommand(s.ws.doc.field(), s.ctx);
    if (g.answers == Answers::NoClues) {
        std::printf("%s\n", args.flag("--json") ? gradeJson(g).c_str() : "Нет цифр!");
        return kExitNoClues;
    }
    if (const auto steps = args.value("--steps"); steps && !writeSteps(s.ctx, *steps, g)) return kExitUsage;
    if (const auto answer = args.value("--answer"); answer && g.answers == Answers::One &&
        !writeCellRows(s.ctx, *answer, g.answer.cols, g.answer.rows, [&](int c, int r) { return g.answer.at(c, r) ? '#' : '.'; }))
        return kExitUsage;
    std::printf("%s\n", args.flag("--json") ? gradeJson(g).c_str() : gradeSummary(g).c_str());
    if (g.path.solved) return kExitSolved;
    return g.path.contradiction ? kExitNoAnswer : kExitNeedsTrial;
}

const CliCommandRegistration gradeCommandRegistration("grade",
    {"grade    IN [--answer FILE] [--steps FILE] [--json]\n"
     "                      (exit 0 solved by levels 1-3, 1 needs trial and error, 3 no answer,\n"
     "                      4 no clue; --answer writes the answer, # filled and . white, when\n"
     "                      there is exactly one; --steps one line per step: level;clue cells;\n"
     "                      decided cells as col,row=fill)",
     runGrade, 26});

} // namespace
} // namespace klt::cli
