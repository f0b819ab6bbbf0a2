// The difficulty grading on the program's own puzzles, one picture kind and
// size per line: for the plain puzzle, the advanced one and those generated
// up to level 2 and 3, the grade, the steps of levels 1/2/3 and the CPU
// seconds and peak memory of `kletomer-cli grade`. Then, with --check N, N
// plain puzzles of random kinds and sizes (10 to 40): every one that `check`
// solves must grade "Очень легко" with level-1 steps only. With --stress
// SIZE, the hard case of grading: a noise picture of SIZE × SIZE with the
// clues of a random share of its cells (40 to 85 %), which leaves thousands
// of steps at every level and much of the field to the check.
//
//   grading_bench [--sizes 30,60] [--kinds noise,blob,lines,dense] [--modes plain,adv,l2,l3]
//                 [--check N] [--stress SIZE] [--seed S] [--cli PATH]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "support/benchsupport.h"

using namespace klt::bench;

namespace {

struct Graded {
    std::string grade = "-";
    int steps[4] = {0, 0, 0, 0};
    bool solved = false;
    Run run;
};

// Reads {"grade": "…", "solved": …, "steps": {"1": n1, "2": n2, "3": n3}}.
Graded grade(const std::string& cli, const std::string& puzzle, const std::string& scratch)
{
    Graded g;
    g.run = run({cli, "grade", puzzle, "--json"}, scratch);
    std::ifstream in(scratch);
    std::string json((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t q = json.find("\"grade\": \"");
    if (q == std::string::npos) return g;
    const size_t start = q + 10;
    g.grade = json.substr(start, json.find('"', start) - start);
    g.solved = json.find("\"solved\": true") != std::string::npos;
    for (int level = 1; level <= 3; ++level) {
        const size_t at = json.find("\"" + std::to_string(level) + "\": ");
        if (at != std::string::npos) g.steps[level] = std::atoi(json.c_str() + at + 5);
    }
    return g;
}

// A puzzle of the picture's counts on a share of its cells, written as a
// .kvt file (no fill marks: a task).
void writeRandomClues(const std::string& path, const Picture& g, int percent, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    const int rows = int(g.size()), cols = int(g[0].size());
    std::string s = "[Options]\r\nHeight=" + std::to_string(rows) + "\r\nWidth=" + std::to_string(cols) +
                    "\r\nCellSize=24\r\nWord=\r\n[Field]\r\n";
    for (int r = 0; r < rows; ++r) {
        s += "Str" + std::to_string(r) + "=";
        for (int c = 0; c < cols; ++c) {
            int n = 0;
            for (int y = std::max(0, r - 1); y <= std::min(rows - 1, r + 1); ++y)
                for (int x = std::max(0, c - 1); x <= std::min(cols - 1, c + 1); ++x) n += g[size_t(y)][size_t(x)] == '#';
            s += int(rng() % 100) < percent ? ";" + std::to_string(n) : "; ";
        }
        s += "\r\n";
    }
    std::ofstream(path, std::ios::binary) << s;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> kinds = {"noise", "blob", "lines", "dense"};
    std::vector<std::string> modes = {"plain", "adv", "l2", "l3"};
    std::vector<int> sizes = {30, 60};
    std::uint32_t seed = 7;
    int checks = 0, stress = 0;
    std::string cli = KLETOMER_CLI;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const std::string v = i + 1 < argc ? argv[i + 1] : "";
        if (a == "--sizes") sizes = numbers(v), ++i;
        else if (a == "--kinds") kinds = split(v), ++i;
        else if (a == "--modes") modes = split(v), ++i;
        else if (a == "--check") checks = std::atoi(v.c_str()), ++i;
        else if (a == "--stress") stress = std::atoi(v.c_str()), ++i;
        else if (a == "--seed") seed = std::uint32_t(std::strtoul(v.c_str(), nullptr, 10)), ++i;
        else if (a == "--cli") cli = v, ++i;
        else {
            std::fprintf(stderr, "usage: %s [--sizes L] [--kinds K] [--modes plain,adv,l2,l3] [--check N] [--stress SIZE] [--seed S] [--cli PATH]\n",
                         argv[0]);
            return 2;
        }
    }
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("grading-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string scratch = (dir / "grade.json").string();
    const std::map<std::string, std::vector<std::string>> options = {
        {"plain", {}}, {"adv", {"--advanced"}}, {"l2", {"--advanced", "--max-level", "2"}}, {"l3", {"--advanced", "--max-level", "3"}}};

    std::printf("kletomer-cli: %s\n", cli.c_str());
    std::printf("%-6s %5s %-5s | %6s %6s | %-18s %6s %6s %6s | %7s %7s\n", "kind", "size", "mode", "gen s", "clues", "grade",
                "L1", "L2", "L3", "grade s", "MiB");
    std::map<std::string, int> distribution;
    for (const auto& kind : kinds)
        for (int size : sizes) {
            const std::string base = (dir / (kind + std::to_string(size))).string();
            writeKvt(base + ".kvt", makePicture(kind, size, seed + std::uint32_t(size)));
            for (const auto& mode : modes) {
                const std::string out = base + "-" + mode + ".kvt";
                std::vector<std::string> args = {cli, "generate", base + ".kvt", out, "--seed", std::to_string(seed)};
                for (const auto& o : options.at(mode)) args.push_back(o);
                const Run gen = run(args);
                if (gen.exit != 0) {
                    std::printf("%-6s %5d %-5s | %6.2f %6s | (not generated: exit %d)\n", kind.c_str(), size, mode.c_str(), gen.cpu,
                                "-", gen.exit);
                    continue;
                }
                const Graded g = grade(cli, out, scratch);
                ++distribution[mode + " " + g.grade];
                std::printf("%-6s %5d %-5s | %6.2f %6d | %-18s %6d %6d %6d | %7.2f %7.1f\n", kind.c_str(), size, mode.c_str(),
                            gen.cpu, cluesIn(out), g.grade.c_str(), g.steps[1], g.steps[2], g.steps[3], g.run.cpu,
                            g.run.peakMiB);
                std::fflush(stdout);
            }
        }
    if (!distribution.empty()) {
        std::printf("\ngrades by generation:\n");
        for (const auto& [key, n] : distribution) std::printf("  %-30s %d\n", key.c_str(), n);
    }

    if (checks > 0) {
        std::mt19937 rng(seed);
        int solvedByCheck = 0, levelOne = 0, tried = 0;
        const std::vector<std::string> all = {"noise", "blob", "lines", "dense"};
        for (int t = 0; t < checks; ++t) {
            const std::string kind = all[rng() % all.size()];
            const int size = 10 + int(rng() % 31);
            const std::string base = (dir / ("check" + std::to_string(t))).string();
            writeKvt(base + ".kvt", makePicture(kind, size, seed + std::uint32_t(t) * 7919u));
            ++tried;
            if (run({cli, "generate", base + ".kvt", base + "-p.kvt", "--seed", std::to_string(t + 1),
                     "--difficulty", std::to_string(t % 6)}).exit != 0)
                continue;
            if (run({cli, "check", base + "-p.kvt", base + "-c.kvt"}).exit != 0) continue;
            ++solvedByCheck;
            const Graded g = grade(cli, base + "-p.kvt", scratch);
            if (g.solved && g.steps[2] == 0 && g.steps[3] == 0 && g.grade == "Очень легко") ++levelOne;
            else std::printf("  puzzle %d (%s %d): %s, steps %d/%d/%d\n", t, kind.c_str(), size, g.grade.c_str(), g.steps[1],
                             g.steps[2], g.steps[3]);
        }
        std::printf("\nplain puzzles: %d generated of %d pictures, %d solved by check, %d of them graded by level 1 alone%s\n",
                    solvedByCheck, tried, solvedByCheck, levelOne, levelOne == solvedByCheck ? "" : "  <- some are not");
    }
    if (stress > 0) {
        std::printf("\nrandom clues on a %d x %d noise picture:\n", stress, stress);
        for (int percent : {40, 55, 70, 85}) {
            const std::string puzzle = (dir / ("stress" + std::to_string(percent) + ".kvt")).string();
            writeRandomClues(puzzle, makePicture("noise", stress, seed), percent, seed + std::uint32_t(percent));
            const Graded g = grade(cli, puzzle, scratch);
            std::printf("  %3d %% | %-18s %6d %6d %6d | %7.2f s %7.1f MiB\n", percent, g.grade.c_str(), g.steps[1], g.steps[2],
                        g.steps[3], g.run.cpu, g.run.peakMiB);
        }
    }
    fs::remove_all(dir);
    return 0;
}
