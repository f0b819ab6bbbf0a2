// The puzzle commands of kletomer-cli: generate, check, convert, prize.
#include <cstdio>
#include <string>
#include <vector>

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

int runGenerate(const std::vector<std::string>& argv)
{
    Args args(argv, {"--correct", "--full", "--advanced"}, {"--difficulty", "--seed", "--engine"});
    needFiles(args);
    const int difficulty = static_cast<int>(args.integer("--difficulty", 0, 5).value_or(5));
    auto engine = engineOption(args);

    Session s;
    if (auto seed = args.value("--seed")) s.ctx.seed = parseSeed(*seed);
    GenerateOptions options;
    options.correcting = args.flag("--correct");
    options.allClues = args.flag("--full");
    options.placement.difficulty = difficulty;
    if (!s.open(args.positional()[0])) return kExitUsage;
    GenerateOutcome out = args.flag("--advanced") ? generateAdvanced(s.ws, s.ctx, *engine, options)
                                                  : generate(s.ws, s.ctx, *engine, options);
    if (out == GenerateOutcome::NoFilledCells) return 4;
    if (!s.save(args.positional()[1])) return kExitUsage;
    return out == GenerateOutcome::NotSolvable ? 3 : 0;
}

int runCheck(const std::vector<std::string>& argv)
{
    Args args(argv, {}, {"--marks", "--engine"});
    needFiles(args);
    auto engine = engineOption(args);
    Session s;
    if (!s.open(args.positional()[0])) return kExitUsage;
    CheckOutcome out = check(s.ws, s.ctx, *engine);
    if (!s.save(args.positional()[1])) return kExitUsage;
    if (auto marks = args.value("--marks"))
        if (!writeCellRows(*marks, s.ws.doc.field().colCount(), s.ws.doc.field().rowCount(),
                           [&](int c, int r) { return static_cast<char>('0' + s.ws.doc.field().mark(c, r) % 10); }))
            return kExitUsage;
    switch (out) {
    case CheckOutcome::Solved: return 0;
    case CheckOutcome::Stuck: return 1;
    case CheckOutcome::NoNumbers: return 4;
    }
    return 0;
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
    {"generate IN OUT [--difficulty N] [--correct] [--seed S] [--full] [--advanced] [--engine literal|fast]", runGenerate, 10});
const CliCommandRegistration checkCommand("check", {"check    IN OUT [--marks FILE] [--engine literal|fast]", runCheck, 20});
const CliCommandRegistration convertCommand("convert", {"convert  IN OUT", runConvert, 30});
const CliCommandRegistration prizeCommand("prize",
    {"prize    IN OUT --phrase TEXT [--rows FIRST:LAST] [--decoys N]\n"
     "                      [--alphabet ru|lat|both] [--mix] [--seed S]",
     runPrize, 60});

} // namespace
} // namespace klt::cli
