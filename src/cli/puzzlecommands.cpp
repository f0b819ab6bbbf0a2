// The puzzle commands of kletomer-cli: generate, check, convert, prize.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/batch.h"
#include "cli/cellrows.h"
#include "cli/cliargs.h"
#include "cli/clicommand.h"
#include "cli/session.h"
#include "core/advanced.h"
#include "core/commands.h"
#include "core/cp1251.h"
#include "core/engines.h"
#include "core/prize.h"
#include "core/text.h"
#include "files/paths.h"

namespace klt::cli {
namespace {

// The placement engine --engine names, the default one without it.
std::unique_ptr<PlacementEngine> engineOption(const Args& args)
{
    const std::string name = args.value("--engine").value_or(defaultEngineName());
    auto engine = makePlacementEngine(name);
    if (!engine) throw UsageError{"неизвестный обсчёт \"" + name + "\" (literal или fast)"};
    return engine;
}

void needFiles(const Args& args)
{
    if (args.positional().size() != 2) throw UsageError{"нужны IN и OUT"};
}

// The batch form's output for an input: the input's file name, with ".kvt"
// in place of a foreign extension, since the output is written as a .kvt file.
std::string kvtOutputName(const std::string& fileName)
{
    return isOwnFormatPath(fileName) ? fileName : changeFileExt(fileName, ".kvt");
}

// -j belongs to the batch form only.
void noJobsWithoutBatch(const std::optional<std::string>& jobs)
{
    if (jobs) throw UsageError{"-j задаётся только вместе с --out-dir"};
}

int runGenerate(const std::vector<std::string>& argv)
{
    std::vector<std::string> words = argv;
    const auto jobs = takeJobsOption(words);
    Args args(words, {"--correct", "--full", "--advanced"}, {"--difficulty", "--seed", "--engine", "--out-dir", "--max-level"});
    const auto outDir = args.value("--out-dir");
    if (!outDir) {
        noJobsWithoutBatch(jobs);
        needFiles(args);
    }
    const int difficulty = static_cast<int>(args.integer("--difficulty", 0, 5).value_or(5));
    auto engine = engineOption(args);
    std::optional<std::uint32_t> seed;
    if (auto text = args.value("--seed")) seed = parseSeed(*text);
    GenerateOptions options;
    options.correcting = args.flag("--correct");
    options.allClues = args.flag("--full");
    options.placement.difficulty = difficulty;
    const bool advanced = args.flag("--advanced");
    options.maxLevel = static_cast<int>(args.integer("--max-level", 1, 3).value_or(0));
    if (options.maxLevel && !advanced) throw UsageError{"--max-level задаётся только вместе с --advanced"};

    const auto generateFile = [&](Session& s, PlacementEngine& eng, const std::string& in, const std::string& out) {
        s.ctx.seed = seed;
        if (!s.open(in)) return kExitUsage;
        GenerateOutcome outcome = advanced ? generateAdvanced(s.ws, s.ctx, eng, options) : generate(s.ws, s.ctx, eng, options);
        if (outcome == GenerateOutcome::NoFilledCells) return 4;
        if (!s.save(out)) return kExitUsage;
        return outcome == GenerateOutcome::NotSolvable ? 3 : 0;
    };
    if (outDir) {
        const std::string engineName = args.value("--engine").value_or(defaultEngineName());
        return runBatch("generate", makeBatchCall(args.positional(), *outDir, jobs, kvtOutputName),
                        [&](Session& s, const BatchFile& f) {
                            auto own = makePlacementEngine(engineName);
                            return generateFile(s, *own, f.input, f.output);
                        });
    }
    Session s;
    return generateFile(s, *engine, args.positional()[0], args.positional()[1]);
}

int checkExitCode(CheckOutcome out)
{
    switch (out) {
    case CheckOutcome::Solved: return 0;
    case CheckOutcome::Stuck: return 1;
    case CheckOutcome::NoNumbers: return 4;
    }
    return 0;
}

int runCheck(const std::vector<std::string>& argv)
{
    std::vector<std::string> words = argv;
    const auto jobs = takeJobsOption(words);
    Args args(words, {}, {"--marks", "--engine", "--out-dir"});
    const auto outDir = args.value("--out-dir");
    if (!outDir) {
        noJobsWithoutBatch(jobs);
        needFiles(args);
    }
    auto engine = engineOption(args);
    const auto marks = args.value("--marks");

    const auto checkFile = [&](Session& s, PlacementEngine& eng, const std::string& in, const std::string& out,
                               const std::optional<std::string>& marksPath) {
        if (!s.open(in)) return kExitUsage;
        CheckOutcome outcome = check(s.ws, s.ctx, eng);
        if (!s.save(out)) return kExitUsage;
        const Field& f = s.ws.doc.field();
        if (marksPath && !writeCellRows(s.ctx, *marksPath, f.colCount(), f.rowCount(),
                                        [&](int c, int r) { return static_cast<char>('0' + f.mark(c, r) % 10); }))
            return kExitUsage;
        return checkExitCode(outcome);
    };
    if (outDir) {
        // In the batch form --marks names a folder: FOLDER/<input's file name>.txt.
        const BatchCall call = makeBatchCall(args.positional(), *outDir, jobs, kvtOutputName);
        if (marks) makeBatchFolder(*marks, "--marks");
        const std::string engineName = args.value("--engine").value_or(defaultEngineName());
        return runBatch("check", call, [&](Session& s, const BatchFile& f) {
            auto own = makePlacementEngine(engineName);
            std::optional<std::string> marksPath;
            if (marks) marksPath = rowsFilePath(*marks, f);
            return checkFile(s, *own, f.input, f.output, marksPath);
        });
    }
    Session s;
    return checkFile(s, *engine, args.positional()[0], args.positional()[1], marks);
}

int runConvert(const std::vector<std::string>& argv)
{
    Args args(argv, {}, {});
    needFiles(args);
    Session s;
    if (!s.open(args.positional()[0])) return kExitUsage;
    return s.save(args.positional()[1]) ? 0 : kExitUsage;
}

int runPrize(const std::vector<std::string>& argv)
{
    Args args(argv, {"--mix"}, {"--phrase", "--rows", "--decoys", "--alphabet", "--seed"});
    needFiles(args);
    auto phraseUtf8 = args.value("--phrase");
    if (!phraseUtf8) throw UsageError{"нужна фраза: --phrase"};

    PrizeSettings settings;
    const std::string alphabet = args.value("--alphabet").value_or("ru");
    if (alphabet == "ru")
        settings.alphabet = Alphabet::Russian;
    else if (alphabet == "lat")
        settings.alphabet = Alphabet::Latin;
    else if (alphabet == "both")
        settings.alphabet = Alphabet::Both;
    else
        throw UsageError{"--alphabet: ru, lat или both"};
    settings.decoys = static_cast<int>(args.integer("--decoys", 0, 999).value_or(0));
    settings.mix = args.flag("--mix");

    // The phrase edit is upper-case and takes only the alphabet's letters and blanks.
    std::string bad;
    auto phrase = utf8ToCp1251Strict(*phraseUtf8, &bad);
    if (!phrase) throw UsageError{"во фразе есть \"" + bad + "\" — это не буква алфавита"};
    for (char& ch : *phrase) {
        ch = static_cast<char>(upper1251(static_cast<unsigned char>(ch)));
        if (!phraseAccepts(settings.alphabet, static_cast<unsigned char>(ch)))
            throw UsageError{"во фразе есть \"" + cp1251ToUtf8(std::string(1, ch)) + "\" — это не буква алфавита"};
    }
    if (trim(*phrase).empty()) throw UsageError{"фраза пуста"};

    Session s;
    if (auto seed = args.value("--seed")) s.ctx.seed = parseSeed(*seed);
    if (!s.open(args.positional()[0])) return kExitUsage;

    settings.firstRow = 1;
    settings.lastRow = s.ws.doc.field().rowCount();
    if (auto rows = args.value("--rows")) {
        auto colon = rows->find(':');
        if (colon == std::string::npos) throw UsageError{"--rows: нужно FIRST:LAST"};
        settings.firstRow = static_cast<int>(parseInteger(rows->substr(0, colon), "FIRST of --rows", 1, 250));
        settings.lastRow = static_cast<int>(parseInteger(rows->substr(colon + 1), "LAST of --rows", 1, 250));
        // The last-row control reaches no further than the field's rows.
        if (settings.lastRow > s.ws.doc.field().rowCount()) settings.lastRow = s.ws.doc.field().rowCount();
    }
    if (!confirmPrize(s.ws.doc, s.ctx, *phrase, settings)) return 3;
    s.ws.doc.setModified(true);
    return s.save(args.positional()[1]) ? 0 : kExitUsage;
}


const CliCommandRegistration generateCommand("generate",
    {"generate IN OUT [--difficulty N] [--correct] [--seed S] [--full] [--advanced [--max-level 1|2|3]]\n"
     "                      [--engine literal|fast]\n"
     "  kletomer-cli generate --out-dir DIR [-j N] IN... [the same options]", runGenerate, 10});
const CliCommandRegistration checkCommand("check", {"check    IN OUT [--marks FILE] [--engine literal|fast]\n"
                                                    "  kletomer-cli check    --out-dir DIR [-j N] IN... [--marks FOLDER] [--engine literal|fast]",
                                                    runCheck, 20});
const CliCommandRegistration convertCommand("convert", {"convert  IN OUT", runConvert, 30});
const CliCommandRegistration prizeCommand("prize",
    {"prize    IN OUT --phrase TEXT [--rows FIRST:LAST] [--decoys N]\n"
     "                      [--alphabet ru|lat|both] [--mix] [--seed S]",
     runPrize, 60});

} // namespace
} // namespace klt::cli
