// kletomer-cli's batch form against a shell loop of single calls: makes the
// pictures, generates each of them both ways with one seed, checks that the
// outputs agree, and prints the times and their ratio. Also times the
// program's start-up: many single calls on a 5 × 5 picture.
//
//   batch_bench [--count N] [--size S] [--jobs J] [--startup-calls C] [--cli PATH]
//               [--loop-cli PATH] [--keep]
//
// Defaults: 1000 pictures of 30 × 30, all cores, 200 start-up calls, the
// kletomer-cli of this build for everything; --loop-cli times the single
// calls (start-up and loop) with another build, an older one say. The files live in a temporary folder, removed
// at the end unless --keep.
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// A smoothed random picture: noise blurred twice, about half of it filled.
std::vector<std::string> blobPicture(int size, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<double> v(size_t(size) * size_t(size));
    for (double& x : v) x = u(rng);
    for (int pass = 0; pass < 2; ++pass) {
        std::vector<double> w(v.size());
        for (int r = 0; r < size; ++r)
            for (int c = 0; c < size; ++c) {
                double sum = 0;
                int n = 0;
                for (int dr = -1; dr <= 1; ++dr)
                    for (int dc = -1; dc <= 1; ++dc)
                        if (r + dr >= 0 && r + dr < size && c + dc >= 0 && c + dc < size) {
                            sum += v[size_t(r + dr) * size_t(size) + size_t(c + dc)];
                            ++n;
                        }
                w[size_t(r) * size_t(size) + size_t(c)] = sum / n;
            }
        v = std::move(w);
    }
    std::vector<std::string> rows(size_t(size), std::string(size_t(size), '.'));
    for (int r = 0; r < size; ++r)
        for (int c = 0; c < size; ++c)
            if (v[size_t(r) * size_t(size) + size_t(c)] > 0.5) rows[size_t(r)][size_t(c)] = '#';
    return rows;
}

// The picture as a .kvt file: filled cells "-", white cells blank.
void writeKvt(const fs::path& path, const std::vector<std::string>& rows)
{
    std::ofstream out(path, std::ios::binary);
    out << "[Options]\r\nHeight=" << rows.size() << "\r\nWidth=" << rows[0].size() << "\r\nCellSize=24\r\nWord=\r\n[Field]\r\n";
    for (size_t r = 0; r < rows.size(); ++r) {
        out << "Str" << r << '=';
        for (char ch : rows[r]) out << (ch == '#' ? ";-" : "; ");
        out << "\r\n";
    }
}

std::string shellQuoted(const std::string& s)
{
    std::string q = "'";
    for (char ch : s) q += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return q + "'";
}

// Seconds of wall time the shell command takes.
double timed(const std::string& command)
{
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) == -1) std::perror("system");
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::string fileBytes(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

} // namespace

int main(int argc, char** argv)
{
    int count = 1000, size = 30, startupCalls = 200;
    std::string jobs, cli = KLETOMER_CLI, loopCli;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const bool hasValue = i + 1 < argc;
        if (a == "--count" && hasValue) count = std::atoi(argv[++i]);
        else if (a == "--size" && hasValue) size = std::atoi(argv[++i]);
        else if (a == "--jobs" && hasValue) jobs = argv[++i];
        else if (a == "--startup-calls" && hasValue) startupCalls = std::atoi(argv[++i]);
        else if (a == "--cli" && hasValue) cli = argv[++i];
        else if (a == "--loop-cli" && hasValue) loopCli = argv[++i];
        else if (a == "--keep") keep = true;
        else {
            std::fprintf(stderr, "usage: batch_bench [--count N] [--size S] [--jobs J] [--startup-calls C] [--cli PATH] [--loop-cli PATH] [--keep]\n");
            return 2;
        }
    }
    if (count < 1 || size < 5 || startupCalls < 1) {
        std::fprintf(stderr, "batch_bench: count and start-up calls from 1, size from 5\n");
        return 2;
    }

    const fs::path dir = fs::temp_directory_path() / ("kletomer-batch-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir / "in");
    fs::create_directories(dir / "loop");
    for (int i = 0; i < count; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "p%04d.kvt", i);
        writeKvt(dir / "in" / name, blobPicture(size, static_cast<unsigned>(i) + 1));
    }
    writeKvt(dir / "small.kvt", blobPicture(5, 1));

    if (loopCli.empty()) loopCli = cli;
    const std::string q = shellQuoted(cli), lq = shellQuoted(loopCli), d = shellQuoted(dir.string());
    const double startup = timed("for i in $(seq " + std::to_string(startupCalls) + "); do " + lq + " generate " + d +
                                 "/small.kvt " + d + "/small-out.kvt --seed 1 >/dev/null 2>&1; done");
    const double loop = timed("for f in " + d + "/in/*.kvt; do " + lq + " generate \"$f\" " + d +
                              "/loop/\"${f##*/}\" --seed 1 >/dev/null 2>&1; done");
    const double batch = timed(q + " generate --out-dir " + d + "/batch --seed 1" + (jobs.empty() ? "" : " -j " + jobs) +
                               " " + d + "/in/*.kvt >/dev/null 2>&1");

    int same = 0;
    for (const auto& entry : fs::directory_iterator(dir / "loop"))
        if (fileBytes(entry.path()) == fileBytes(dir / "batch" / entry.path().filename())) ++same;

    std::printf("kletomer-cli: %s\n", cli.c_str());
    if (loopCli != cli) std::printf("single calls: %s\n", loopCli.c_str());
    std::printf("start-up: %d calls of generate on a 5 x 5 picture: %.2f ms a call\n", startupCalls,
                startup * 1000.0 / startupCalls);
    std::printf("%d pictures of %d x %d, generate --seed 1\n", count, size, size);
    std::printf("  %-30s %9s %12s\n", "", "seconds", "ms a file");
    std::printf("  %-30s %9.2f %12.2f\n", "shell loop of single calls", loop, loop * 1000.0 / count);
    std::printf("  %-30s %9.2f %12.2f\n", ("--out-dir" + (jobs.empty() ? std::string(", all cores") : ", -j " + jobs)).c_str(),
                batch, batch * 1000.0 / count);
    std::printf("  ratio (loop / batch): %.1f\n", loop / batch);
    std::printf("  outputs equal: %d of %d\n", same, count);

    if (keep)
        std::printf("files kept in %s\n", dir.string().c_str());
    else
        fs::remove_all(dir);
    return same == count ? 0 : 1;
}
