// The speed and memory of kletomer-cli against its targets, one picture kind
// and size per line:
//   plain    CPU seconds of `generate` (target: under 2 s at every size);
//   advanced CPU seconds and peak memory of `generate --advanced`, and its
//            time over the plain one's (target: within 10 times, or 5 s,
//            whichever is larger; under 150 MiB);
//   unique   CPU seconds and peak memory of `unique` on the advanced puzzle
//            (target: under 150 MiB), and its verdict (it must be 0);
//   clues    left by the plain and the advanced generation ("-" where the
//            plain one ends without a placement, as on pictures that the
//            one-clue deduction cannot solve).
// Each command runs in its own process; times and peaks are the system's
// accounting of that process.
//
//   targets_bench [--sizes 30,60,100] [--kinds noise,blob,lines,dense] [--seed S]
//                 [--cli PATH] [--keep DIR]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/benchsupport.h"

using namespace klt::bench;

int main(int argc, char** argv)
{
    std::vector<std::string> kinds = {"noise", "blob", "lines", "dense"};
    std::vector<int> sizes = {30, 60, 100};
    std::uint32_t seed = 7;
    std::string cli = KLETOMER_CLI, keep;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const std::string v = i + 1 < argc ? argv[i + 1] : "";
        if (a == "--sizes") sizes = numbers(v), ++i;
        else if (a == "--kinds") kinds = split(v), ++i;
        else if (a == "--seed") seed = std::uint32_t(std::strtoul(v.c_str(), nullptr, 10)), ++i;
        else if (a == "--cli") cli = v, ++i;
        else if (a == "--keep") keep = v, ++i;
        else {
            std::fprintf(stderr, "usage: %s [--sizes L] [--kinds noise,blob,lines,dense] [--seed S] [--cli PATH] [--keep DIR]\n", argv[0]);
            return 2;
        }
    }
    namespace fs = std::filesystem;
    const fs::path dir = keep.empty() ? fs::temp_directory_path() / ("targets-bench-" + std::to_string(::getpid())) : fs::path(keep);
    fs::create_directories(dir);
    std::printf("kletomer-cli: %s\n", cli.c_str());
    std::printf("%-6s %5s | %8s | %8s %8s %7s %6s | %7s %8s %4s | %6s %6s\n", "kind", "size", "plain s", "adv s", "adv MiB",
                "adv/pl", "bound", "uniq s", "uniq MiB", "exit", "plain", "adv");
    bool allMet = true;
    for (const auto& kind : kinds)
        for (int size : sizes) {
            const std::string base = (dir / (kind + std::to_string(size))).string();
            writeKvt(base + ".kvt", makePicture(kind, size, seed + std::uint32_t(size)));
            const std::string s = std::to_string(seed);
            const Run plain = run({cli, "generate", base + ".kvt", base + "-plain.kvt", "--seed", s});
            const Run adv = run({cli, "generate", base + ".kvt", base + "-adv.kvt", "--advanced", "--seed", s});
            const Run uniq = run({cli, "unique", base + "-adv.kvt"});
            const double bound = std::max(10 * plain.cpu, 5.0);
            const bool met = plain.cpu < 2 && adv.cpu <= bound && adv.peakMiB < 150 && uniq.peakMiB < 150 && uniq.exit == 0;
            allMet = allMet && met;
            const std::string plainClues = plain.exit == 0 ? std::to_string(cluesIn(base + "-plain.kvt")) : "-";
            std::printf("%-6s %5d | %8.2f | %8.2f %8.1f %7.1f %6.1f | %7.2f %8.1f %4d | %6s %6d %s\n", kind.c_str(), size,
                        plain.cpu, adv.cpu, adv.peakMiB, plain.cpu > 0 ? adv.cpu / plain.cpu : 0.0, bound, uniq.cpu,
                        uniq.peakMiB, uniq.exit, plainClues.c_str(), cluesIn(base + "-adv.kvt"),
                        met ? "" : "  <- misses a target");
            std::fflush(stdout);
        }
    if (keep.empty()) fs::remove_all(dir);
    std::printf("%s\n", allMet ? "every target met" : "some targets missed");
    return 0;
}
