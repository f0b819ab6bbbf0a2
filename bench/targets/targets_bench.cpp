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
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace {

using Picture = std::vector<std::string>; // rows of '#' and '.'

Picture makePicture(const std::string& kind, int size, std::uint32_t seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> unit(0, 1);
    Picture g(size_t(size), std::string(size_t(size), '.'));
    auto rnd = [&](int n) { return int(rng() % std::uint32_t(n)); };
    if (kind == "noise") {
        for (auto& row : g)
            for (char& ch : row) ch = unit(rng) < 0.5 ? '#' : '.';
    } else if (kind == "blob" || kind == "dense") {
        const double share = kind == "blob" ? 0.45 : 0.95;
        const int radius = std::max(2, size / 12);
        long filled = 0;
        while (filled < share * size * size) {
            const int cx = rnd(size), cy = rnd(size), rr = 1 + rnd(radius);
            for (int y = std::max(0, cy - rr); y <= std::min(size - 1, cy + rr); ++y)
                for (int x = std::max(0, cx - rr); x <= std::min(size - 1, cx + rr); ++x)
                    if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= rr * rr && g[size_t(y)][size_t(x)] != '#') {
                        g[size_t(y)][size_t(x)] = '#';
                        ++filled;
                    }
        }
    } else { // lines: strokes across the field
        for (int k = 0; k < size * size / 150 + 3; ++k) {
            const int x0 = rnd(size), y0 = rnd(size), x1 = rnd(size), y1 = rnd(size);
            const int n = std::max(std::abs(x1 - x0), std::abs(y1 - y0)) + 1;
            for (int i = 0; i < n; ++i) {
                const double t = n > 1 ? double(i) / (n - 1) : 0;
                g[size_t(std::lround(y0 + (y1 - y0) * t))][size_t(std::lround(x0 + (x1 - x0) * t))] = '#';
            }
        }
    }
    return g;
}

void writeKvt(const std::string& path, const Picture& g)
{
    std::string s = "[Options]\r\nHeight=" + std::to_string(g.size()) + "\r\nWidth=" + std::to_string(g[0].size()) +
                    "\r\nCellSize=24\r\nWord=\r\n[Field]\r\n";
    for (size_t r = 0; r < g.size(); ++r) {
        s += "Str" + std::to_string(r) + "=";
        for (char ch : g[r]) s += ch == '#' ? ";-" : "; ";
        s += "\r\n";
    }
    std::ofstream(path, std::ios::binary) << s;
}

struct Run {
    int exit = -1;
    double cpu = 0;      // seconds
    double peakMiB = 0;
};

Run run(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid;
    Run r;
    if (posix_spawn(&pid, argv[0], &fa, nullptr, argv.data(), environ) != 0) return r;
    posix_spawn_file_actions_destroy(&fa);
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.cpu = double(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) + double(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
    r.peakMiB = double(ru.ru_maxrss) / 1024.0;
    return r;
}

// The clues of a written puzzle: cells whose text is a number.
int cluesIn(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string line;
    int n = 0;
    while (std::getline(in, line)) {
        if (line.rfind("Str", 0) != 0) continue;
        const size_t eq = line.find('=');
        std::stringstream cells(line.substr(eq + 1));
        std::string cell;
        std::getline(cells, cell, ';'); // before the first separator
        while (std::getline(cells, cell, ';')) {
            std::string t = cell;
            t.erase(std::remove_if(t.begin(), t.end(), [](char ch) { return ch == ' ' || ch == '\r'; }), t.end());
            if (!t.empty() && t[0] == '-') t.erase(0, 1);
            if (!t.empty() && std::all_of(t.begin(), t.end(), [](char ch) { return ch >= '0' && ch <= '9'; })) ++n;
        }
    }
    return n;
}

std::vector<std::string> split(const std::string& s)
{
    std::vector<std::string> out;
    std::stringstream ss(s);
    std::string item;
    while (std::getline(ss, item, ',')) out.push_back(item);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> kinds = {"noise", "blob", "lines", "dense"};
    std::vector<int> sizes = {30, 60, 100};
    std::uint32_t seed = 7;
    std::string cli = KLETOMER_CLI, keep;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const std::string v = i + 1 < argc ? argv[i + 1] : "";
        if (a == "--sizes") {
            sizes.clear();
            for (const auto& s : split(v)) sizes.push_back(std::atoi(s.c_str()));
            ++i;
        } else if (a == "--kinds") kinds = split(v), ++i;
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
