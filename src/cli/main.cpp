// kletomer-cli: runs the program's commands on puzzle files without windows.
// Each command starts from the state of a fresh start, opens IN as the Open
// command does, runs, and writes OUT as Save writes the whole field.
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "cli/cliargs.h"
#include "cli/clihost.h"
#include "core/commands.h"
#include "core/cp1251.h"
#include "core/engines.h"
#include "core/prize.h"
#include "core/text.h"
#include "files/document.h"
#include "files/kvtformat.h"
#include "files/profile.h"

using namespace klt;
using namespace klt::cli;

namespace {

constexpr int kExitUsage = 2;

const char* const kUsage =
    "Usage:\n"
    "  kletomer-cli generate IN OUT [--difficulty N] [--correct] [--seed S] [--full] [--engine literal|fast]\n"
    "  kletomer-cli check    IN OUT [--marks FILE]\n"
    "  kletomer-cli convert  IN OUT\n"
    "  kletomer-cli prize    IN OUT --phrase TEXT [--rows FIRST:LAST] [--decoys N]\n"
    "                        [--alphabet ru|lat|both] [--mix] [--seed S]\n"
    "\n"
    "IN is a puzzle file (.kvt, or a foreign .fcr/.crs file); OUT is written as a .kvt file.\n"
    "Messages go to standard output, errors to standard error.\n"
    "Exit codes: generate 0 placed, 3 not solvable, 4 no filled cells; check 0 solved,\n"
    "1 not solved, 4 no numbers; prize 3 phrase does not fit; 2 usage or file errors.\n";

// A session of one command on one file.
struct Session {
    CliHost host;
    Workspace ws{host};

    Session() { host.workspace = &ws; }

    // Opens IN; false (with the reason printed) when it cannot be read.
    bool open(const std::string& path)
    {
        OpenHooks hooks;
        hooks.syncCellSize = [this](Workspace& w) { host.controls.syncCellSize(w); };
        OpenResult r = openDocument(ws, path, hooks);
        if (!r.opened()) return false;
        return r.readOk;
    }

    bool save(const std::string& path)
    {
        try {
            saveKvt(ws, path);
            return true;
        } catch (const CommandError& e) {
            std::fprintf(stderr, "%s\n", e.message.c_str());
        }
        return false;
    }
};

std::uint32_t parseSeed(const std::string& text)
{
    return static_cast<std::uint32_t>(parseInteger(text, "--seed", -2147483648LL, 4294967295LL));
}

void needFiles(const Args& args)
{
    if (args.positional().size() != 2) throw UsageError{"expected IN and OUT"};
}

int runGenerate(const std::vector<std::string>& argv)
{
    Args args(argv, {"--correct", "--full"}, {"--difficulty", "--seed", "--engine"});
    needFiles(args);
    const int difficulty = static_cast<int>(args.integer("--difficulty", 0, 5).value_or(5));
    const std::string engineName = args.value("--engine").value_or(defaultEngineName());
    auto engine = makePlacementEngine(engineName);
    if (!engine) throw UsageError{"unknown engine \"" + engineName + "\" (literal or fast)"};

    Session s;
    if (auto seed = args.value("--seed")) s.host.seed = parseSeed(*seed);
    s.host.ctrl = args.flag("--full");
    if (!s.open(args.positional()[0])) return kExitUsage;
    s.ws.difficulty = difficulty;
    GenerateOutcome out = generate(s.ws, args.flag("--correct"), *engine);
    if (out == GenerateOutcome::NoFilledCells) return 4;
    if (!s.save(args.positional()[1])) return kExitUsage;
    return out == GenerateOutcome::NotSolvable ? 3 : 0;
}

bool writeMarks(const Workspace& ws, const std::string& path)
{
    std::ofstream out(path, std::ios::binary);
    for (int r = 0; r < ws.field.rowCount() && out; ++r) {
        std::string line;
        for (int c = 0; c < ws.field.colCount(); ++c) line += static_cast<char>('0' + ws.field.mark(c, r) % 10);
        out << line << '\n';
    }
    out.close();
    if (!out) {
        std::fprintf(stderr, "Unable to write to %s\n", path.c_str());
        return false;
    }
    return true;
}

int runCheck(const std::vector<std::string>& argv)
{
    Args args(argv, {}, {"--marks", "--engine"});
    needFiles(args);
    const std::string engineName = args.value("--engine").value_or(defaultEngineName());
    auto engine = makePlacementEngine(engineName);
    if (!engine) throw UsageError{"unknown engine \"" + engineName + "\" (literal or fast)"};
    Session s;
    if (!s.open(args.positional()[0])) return kExitUsage;
    CheckOutcome out = check(s.ws, *engine);
    if (!s.save(args.positional()[1])) return kExitUsage;
    if (auto marks = args.value("--marks"))
        if (!writeMarks(s.ws, *marks)) return kExitUsage;
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
    if (!phraseUtf8) throw UsageError{"--phrase is required"};

    PrizeSettings settings;
    const std::string alphabet = args.value("--alphabet").value_or("ru");
    if (alphabet == "ru")
        settings.alphabet = Alphabet::Russian;
    else if (alphabet == "lat")
        settings.alphabet = Alphabet::Latin;
    else if (alphabet == "both")
        settings.alphabet = Alphabet::Both;
    else
        throw UsageError{"--alphabet must be ru, lat or both"};
    settings.decoys = static_cast<int>(args.integer("--decoys", 0, 999).value_or(0));
    settings.mix = args.flag("--mix");

    // The phrase edit is upper-case and takes only the alphabet's letters and blanks.
    std::string bad;
    auto phrase = utf8ToCp1251Strict(*phraseUtf8, &bad);
    if (!phrase) throw UsageError{"the phrase holds \"" + bad + "\", which is not a letter of the alphabet"};
    for (char& ch : *phrase) {
        ch = static_cast<char>(upper1251(static_cast<unsigned char>(ch)));
        if (!phraseAccepts(settings.alphabet, static_cast<unsigned char>(ch)))
            throw UsageError{"the phrase holds \"" + cp1251ToUtf8(std::string(1, ch)) +
                             "\", which is not a letter of the alphabet"};
    }
    if (trim(*phrase).empty()) throw UsageError{"the phrase is blank"};

    Session s;
    if (auto seed = args.value("--seed")) s.host.seed = parseSeed(*seed);
    if (!s.open(args.positional()[0])) return kExitUsage;

    settings.firstRow = 1;
    settings.lastRow = s.ws.field.rowCount();
    if (auto rows = args.value("--rows")) {
        auto colon = rows->find(':');
        if (colon == std::string::npos) throw UsageError{"--rows takes FIRST:LAST"};
        settings.firstRow = static_cast<int>(parseInteger(rows->substr(0, colon), "FIRST of --rows", 1, 250));
        settings.lastRow = static_cast<int>(parseInteger(rows->substr(colon + 1), "LAST of --rows", 1, 250));
        // The last-row control reaches no further than the field's rows.
        if (settings.lastRow > s.ws.field.rowCount()) settings.lastRow = s.ws.field.rowCount();
    }
    if (!confirmPrize(s.ws, *phrase, settings)) return 3;
    s.ws.setModified(true);
    return s.save(args.positional()[1]) ? 0 : kExitUsage;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> rest(argv + 1, argv + argc);
    if (rest.empty() || rest[0] == "--help" || rest[0] == "-h" || rest[0] == "help") {
        std::fputs(kUsage, rest.empty() ? stderr : stdout);
        return rest.empty() ? kExitUsage : 0;
    }
    const std::map<std::string, std::function<int(const std::vector<std::string>&)>> commands = {
        {"generate", runGenerate}, {"check", runCheck}, {"convert", runConvert}, {"prize", runPrize}};
    auto it = commands.find(rest[0]);
    if (it == commands.end()) {
        std::fprintf(stderr, "kletomer-cli: unknown command \"%s\"\n%s", rest[0].c_str(), kUsage);
        return kExitUsage;
    }
    try {
        return it->second(std::vector<std::string>(rest.begin() + 1, rest.end()));
    } catch (const UsageError& e) {
        std::fprintf(stderr, "kletomer-cli %s: %s\n", rest[0].c_str(), e.message.c_str());
    } catch (const CommandError& e) {
        std::fprintf(stderr, "kletomer-cli %s: %s\n", rest[0].c_str(), e.message.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kletomer-cli %s: %s\n", rest[0].c_str(), e.what());
    }
    return kExitUsage;
}
