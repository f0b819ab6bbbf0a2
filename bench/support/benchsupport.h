#pragma once
// What the benchmark programs share: test pictures of four kinds, the .kvt
// file of a picture, running kletomer-cli as a process with its CPU time and
// peak memory, and counting the clues of a written puzzle.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <spawn.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

extern char** environ;

namespace klt::bench {

using Picture = std::vector<std::string>; // rows of '#' and '.'

inline Picture makePicture(const std::string& kind, int size, std::uint32_t seed)
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

inline void writeKvt(const std::string& path, const Picture& g)
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

// The command's standard output goes to out when given, else nowhere.
inline Run run(const std::vector<std::string>& args, const std::string& out = "")
{
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 1, out.empty() ? "/dev/null" : out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
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
inline int cluesIn(const std::string& path)
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

inline std::vector<std::string> split(const std::string& s)
{
    std::vector<std::string> out;
    std::stringstream ss(s);
    std::string item;
    while (std::getline(ss, item, ',')) out.push_back(item);
    return out;
}

// "30,60,100" as numbers.
inline std::vector<int> numbers(const std::string& list)
{
    std::vector<int> out;
    for (const auto& item : split(list)) out.push_back(std::atoi(item.c_str()));
    return out;
}

} // namespace klt::bench
