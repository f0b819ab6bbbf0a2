// Generation speed of the fast placement engine against the literal one, and
// a long differential run of the two.
//
//   bench_engines [--sizes 30,60,100,150,250] [--densities 20,40,60]
//                 [--difficulties 5,0] [--literal-limit SECONDS] [--repeat R]
//                 [--radius B]   (blob radius, default size / 12; 0 gives plain noise)
//   bench_engines --diff N [--seed S]
//
// Every timing runs in a child process, so that its peak resident memory
// (getrusage of the child) belongs to that run alone.
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/recordingengine.h"
#include "core/commands.h"
#include "core/fastplacement.h"
#include "core/fastsolver.h"
#include "core/placement.h"
#include "core/solver.h"
#include "core/workspace.h"

namespace {

using namespace klt;

double wallSeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

struct SplitMix {
    std::uint64_t s;
    std::uint64_t next()
    {
        std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    int below(int n) { return int(next() % std::uint64_t(n)); }
};

// Smoothed noise cut at the quantile that fills the wanted share of cells:
// round blobs whose size follows the radius.
std::vector<std::uint8_t> blobPicture(int cols, int rows, double density, int radius, std::uint64_t seed)
{
    SplitMix rng{seed};
    std::vector<double> a(size_t(cols) * size_t(rows)), b(a.size());
    for (auto& x : a) x = rng.unit();
    auto at = [&](std::vector<double>& v, int c, int r) -> double& { return v[size_t(c) * size_t(rows) + size_t(r)]; };
    for (int round = 0; round < 2 && radius > 0; ++round) {
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r) {
                double s = 0;
                int n = 0;
                for (int x = std::max(0, c - radius); x <= std::min(cols - 1, c + radius); ++x, ++n) s += at(a, x, r);
                at(b, c, r) = s / n;
            }
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r) {
                double s = 0;
                int n = 0;
                for (int y = std::max(0, r - radius); y <= std::min(rows - 1, r + radius); ++y, ++n) s += at(b, c, y);
                at(a, c, r) = s / n;
            }
    }
    std::vector<double> sorted = a;
    std::sort(sorted.begin(), sorted.end());
    const size_t filled = size_t(std::lround(density * double(a.size())));
    std::vector<std::uint8_t> pic(a.size(), 0);
    if (filled == 0) return pic;
    const double cut = sorted[a.size() - filled];
    for (size_t i = 0; i < a.size(); ++i) pic[i] = a[i] >= cut;
    return pic;
}

// Line art: one-cell strokes in the eight directions on white, about one
// stroke for every 60 cells, each up to a quarter of the field long.
std::vector<std::uint8_t> linePicture(int cols, int rows, std::uint64_t seed)
{
    SplitMix rng{seed};
    std::vector<std::uint8_t> pic(size_t(cols) * size_t(rows), 0);
    const int strokes = std::max(1, cols * rows / 60);
    for (int s = 0; s < strokes; ++s) {
        int c = rng.below(cols), r = rng.below(rows);
        const int dir = rng.below(8);
        const int dc = dir < 3 ? -1 : dir < 5 ? 0 : 1, dr = dir % 3 == 0 ? -1 : dir % 3 == 1 ? 0 : 1;
        const int len = 3 + rng.below(std::max(3, std::min(cols, rows) / 4));
        for (int k = 0; k < len && c >= 0 && r >= 0 && c < cols && r < rows; ++k, c += dc, r += (dc == 0 && dr == 0 ? 1 : dr))
            pic[size_t(c) * size_t(rows) + size_t(r)] = 1;
    }
    return pic;
}

// The pictures of the speed table: smoothed blobs, plain noise, line art and
// dense blobs (95 % filled, where few clues can go).
enum class PictureKind { Blob, Noise, Lines, Dense };

const char* kindName(PictureKind k)
{
    switch (k) {
    case PictureKind::Blob: return "blob";
    case PictureKind::Noise: return "noise";
    case PictureKind::Lines: return "lines";
    case PictureKind::Dense: return "dense";
    }
    return "?";
}

void drawPicture(Workspace& ws, int cols, int rows, const std::vector<std::uint8_t>& pic)
{
    ws.doc.field().setSize(cols, rows);
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) ws.doc.field().setText(c, r, pic[size_t(c) * size_t(rows) + size_t(r)] ? "-" : "");
}

class RecordingContext : public CommandContext {
public:
    std::vector<std::string> messages;
    std::uint32_t seed = 0;
    long long steps = 0;
    long long stopAt = -1; // progress step at which the user presses Stop
    bool realClock = false;

    void progressStep(int by) override
    {
        steps += by;
        if (stopAt >= 0 && steps >= stopAt) requestStop();
    }
    double now() override { return realClock ? wallSeconds() : 0.0; }
    std::uint32_t clockSeed() override { return seed; }

    // A long command's state without one: the solvers run until a stop.
    void startRunning()
    {
        running_.emplace(*this, false);
        running_->start();
    }

protected:
    void showInformation(const std::string& text, const std::string& caption) override
    {
        messages.push_back(caption + "|" + text);
    }

private:
    std::optional<BusyScope> running_;
};

using Recorder = klt::test::RecordingEngine;

struct Snapshot {
    GenerateOutcome outcome;
    std::vector<std::string> messages;
    std::vector<std::string> texts;
    std::vector<int> marks;
    int cols, rows;
    long long steps;
    WorkArrays placed;
};

Snapshot runGenerate(PlacementEngine& engine, int cols, int rows, const std::vector<std::uint8_t>& pic, int difficulty,
                     bool correcting, std::uint32_t seed, long long stopAt)
{
    RecordingContext host;
    host.seed = seed;
    Workspace ws;
    host.stopAt = stopAt;
    GenerateOptions options;
    options.correcting = correcting;
    options.placement.difficulty = difficulty;
    drawPicture(ws, cols, rows, pic);
    Recorder rec(engine);
    Snapshot s;
    s.outcome = generate(ws, host, rec, options);
    s.messages = host.messages;
    s.cols = ws.doc.field().colCount();
    s.rows = ws.doc.field().rowCount();
    for (int c = 0; c < s.cols; ++c)
        for (int r = 0; r < s.rows; ++r) {
            s.texts.push_back(ws.doc.field().text(c, r));
            s.marks.push_back(ws.doc.field().mark(c, r));
        }
    s.steps = host.steps;
    s.placed = rec.placed;
    return s;
}

bool sameArrays(const WorkArrays& a, const WorkArrays& b)
{
    return a.values == b.values && a.states == b.states && a.lastCol == b.lastCol && a.lastRow == b.lastRow &&
           a.quietPasses == b.quietPasses;
}

std::string describe(const Snapshot& a, const Snapshot& b)
{
    if (a.outcome != b.outcome) return "outcome";
    if (a.messages != b.messages) return "messages";
    if (a.cols != b.cols || a.rows != b.rows) return "size";
    if (a.texts != b.texts) return "texts";
    if (a.marks != b.marks) return "marks";
    if (a.steps != b.steps) return "progress steps";
    if (a.placed.values != b.placed.values) return "values after placement";
    if (a.placed.states != b.placed.states) return "states after placement";
    if (a.placed.quietPasses != b.placed.quietPasses) return "quiet passes after placement";
    if (!sameArrays(a.placed, b.placed)) return "arrays after placement";
    return "";
}

// Random clue sets, consistent or not, through both solvers.
bool solverCase(SplitMix& rng, std::string& why)
{
    const int cols = 1 + rng.below(12), rows = 1 + rng.below(12);
    WorkArrays w;
    w.reset(cols, rows);
    const int mode = rng.below(3);
    std::vector<std::uint8_t> pic = blobPicture(cols, rows, rng.unit(), rng.below(3), rng.next());
    for (int c = 0; c < cols; ++c)
        for (int r = 0; r < rows; ++r) {
            int count = 0;
            for (int x = std::max(0, c - 1); x <= std::min(cols - 1, c + 1); ++x)
                for (int y = std::max(0, r - 1); y <= std::min(rows - 1, r + 1); ++y) count += pic[size_t(x) * size_t(rows) + size_t(y)];
            int v;
            if (rng.below(100) < 45) v = kWhite;
            else if (mode == 0) v = count;                  // consistent
            else if (mode == 1) v = rng.below(10);          // anything
            else v = rng.below(4) == 0 ? rng.below(10) : count; // mostly consistent
            if (rng.below(2) == 0 && v != 0) v = -v;        // stale beliefs
            if (rng.below(200) == 0) v = int(rng.below(256)) - 128;
            w.value(c, r) = static_cast<std::int8_t>(v);
            w.state(c, r) = std::uint8_t(rng.below(3));
        }
    w.quietPasses = rng.below(4);
    const bool stopped = rng.below(40) == 0;

    RecordingContext h1, h2;
    WorkArrays a = w, b = w;
    if (!stopped) {
        h1.startRunning();
        h2.startRunning();
    }
    const bool ra = solveLiteral(a, h1, true, 0.0);
    PassSolver solver;
    const bool rb = solveByPasses(b, h2, solver, true, 0.0);
    if (ra != rb) why = "result";
    else if (h1.messages != h2.messages) why = "messages";
    else if (!sameArrays(a, b)) why = "arrays";
    else return true;
    return false;
}

int diffRun(long long cases, std::uint64_t seed)
{
    SplitMix rng{seed};
    LiteralPlacement literal;
    FastPlacement fast;
    FastPlacement solving(false);
    long long failures = 0, generations = 0, solves = 0, fallbacks = 0, stops = 0, largeCases = 0;
    const double start = wallSeconds();
    for (long long i = 0; i < cases; ++i) {
        std::string why;
        if (i % 4 == 3) {
            ++solves;
            if (!solverCase(rng, why)) {
                ++failures;
                std::printf("solver case %lld differs: %s\n", i, why.c_str());
            }
            continue;
        }
        ++generations;
        // Mostly small fields (the literal engine is slow), some up to 30; and
        // now and then a larger one against trial-by-trial solving instead.
        const bool large = rng.below(16) == 0;
        int cols, rows;
        if (large) {
            cols = 30 + rng.below(41);
            rows = 30 + rng.below(41);
        } else {
            cols = 5 + (rng.below(8) == 0 ? rng.below(26) : rng.below(14));
            rows = 5 + (rng.below(8) == 0 ? rng.below(26) : rng.below(14));
        }
        const double density = 0.1 + 0.8 * rng.unit();
        const int radius = rng.below(4);
        const std::uint64_t picSeed = rng.next();
        const int difficulty = rng.below(6);
        const bool correcting = rng.below(2) == 0;
        const std::uint32_t genSeed = std::uint32_t(rng.next());
        long long stopAt = -1;
        if (rng.below(20) == 0) {
            stopAt = 1 + rng.below(cols * rows + 1);
            ++stops;
        }
        const auto pic = blobPicture(cols, rows, density, radius, picSeed);
        if (large) ++largeCases;
        const Snapshot a = runGenerate(large ? static_cast<PlacementEngine&>(solving) : literal, cols, rows, pic, difficulty,
                                       correcting, genSeed, stopAt);
        const Snapshot b = runGenerate(fast, cols, rows, pic, difficulty, correcting, genSeed, stopAt);
        if (fast.stats().solvedEveryTrial) ++fallbacks;
        why = describe(a, b);
        if (!why.empty()) {
            ++failures;
            std::printf("case %lld differs (%s): %dx%d density %.2f radius %d picture seed %llu difficulty %d %s seed %u stop %lld\n",
                        i, why.c_str(), cols, rows, density, radius, (unsigned long long)picSeed, difficulty,
                        correcting ? "correcting" : "plain", genSeed, stopAt);
        }
        if ((i + 1) % 1000 == 0) {
            std::printf("%lld cases, %lld differ (%.0f s)\n", i + 1, failures, wallSeconds() - start);
            std::fflush(stdout);
        }
    }
    std::printf("diff: %lld generations (%lld against the literal engine, %lld larger ones against trial-by-trial solving;"
                " %lld with a stop; %lld where the fast engine had to solve every trial), %lld solver cases, %lld differ, %.1f s\n",
                generations, generations - largeCases, largeCases, stops, fallbacks, solves, failures, wallSeconds() - start);
    return failures == 0 ? 0 : 1;
}

double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

struct Measure {
    double seconds = 0;
    double cpu = 0;
    double solveSeconds = 0; // one literal solve of the final clue set
    long long trials = 0, kept = 0, cone = 0, largestCone = 0;
    int outcome = 0;
    long maxRssKb = 0;
    std::uint64_t digest = 0; // of the field, the marks, the message kinds and the arrays after placement
    bool ok = false;
};

std::uint64_t digestOf(const Workspace& ws, const std::vector<std::string>& messages, const WorkArrays& placed)
{
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&](const void* p, size_t n) {
        for (size_t i = 0; i < n; ++i) h = (h ^ static_cast<const unsigned char*>(p)[i]) * 1099511628211ull;
    };
    for (int c = 0; c < ws.doc.field().colCount(); ++c)
        for (int r = 0; r < ws.doc.field().rowCount(); ++r) {
            const std::string& t = ws.doc.field().text(c, r);
            const std::uint8_t m = ws.doc.field().mark(c, r);
            mix(t.data(), t.size());
            mix(&m, 1);
        }
    for (const std::string& m : messages) mix(m.data(), m.find('\r') == std::string::npos ? m.size() : m.find('\r'));
    mix(placed.values.cells().data(), placed.values.size());
    mix(placed.states.cells().data(), placed.states.size());
    return h;
}

Measure inChild(const std::function<Measure()>& fn)
{
    int fd[2];
    Measure m;
    if (pipe(fd) != 0) return m;
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        close(fd[0]);
        Measure r = fn();
        r.ok = true;
        ssize_t written = write(fd[1], &r, sizeof r);
        (void)written;
        _exit(0);
    }
    close(fd[1]);
    Measure r;
    const ssize_t got = read(fd[0], &r, sizeof r);
    close(fd[0]);
    int status = 0;
    rusage ru{};
    wait4(pid, &status, 0, &ru);
    if (got == ssize_t(sizeof r)) m = r;
    m.maxRssKb = ru.ru_maxrss;
    return m;
}

Measure timeGenerate(bool fastEngine, int n, const std::vector<std::uint8_t>& pic, int difficulty, bool probeLiteral)
{
    RecordingContext host;
    host.seed = 12345;
    host.realClock = true;
    Workspace ws;
    GenerateOptions options;
    options.placement.difficulty = difficulty;
    drawPicture(ws, n, n, pic);
    FastPlacement fast;
    LiteralPlacement literal;
    Recorder engine(fastEngine ? static_cast<PlacementEngine&>(fast) : literal);
    Measure m;
    const double t0 = wallSeconds(), c0 = cpuSeconds();
    m.outcome = int(generate(ws, host, engine, options));
    m.seconds = wallSeconds() - t0;
    m.cpu = cpuSeconds() - c0;
    m.digest = digestOf(ws, host.messages, engine.placed);
    if (fastEngine) {
        m.trials = fast.stats().trials;
        m.kept = fast.stats().kept;
        m.cone = fast.stats().coneCells;
        m.largestCone = fast.stats().largestCone;
    }
    if (probeLiteral) {
        WorkArrays work;
        loadWorkArrays(ws.doc.field(), work);
        host.startRunning();
        const double c1 = cpuSeconds();
        solveLiteral(work, host, false);
        m.solveSeconds = cpuSeconds() - c1;
    }
    return m;
}

std::vector<int> parseList(const char* s)
{
    std::vector<int> out;
    for (const char* p = s; *p;) {
        out.push_back(std::atoi(p));
        while (*p && *p != ',') ++p;
        if (*p == ',') ++p;
    }
    return out;
}

int table(const std::vector<PictureKind>& kinds, const std::vector<int>& sizes, const std::vector<int>& densities,
          const std::vector<int>& difficulties, double literalLimit, int repeat, int radius)
{
    std::printf("pictures: blob = smoothed noise, radius %s; noise = plain noise; lines = line art; dense = blob at 95 %%\n",
                radius >= 0 ? std::to_string(radius).c_str() : "size / 12");
    std::printf("generate command, plain mode; times wall/cpu; fast: best of %d runs; literal: one run when its estimate\n"
                "is below %.0f s cpu, else the estimate (trials x one literal solve of the final clues); ratio literal/fast;\n"
                "peak: resident memory of the fast run\n",
                repeat, literalLimit);
    int differ = 0;
    std::printf("%5s %5s %4s %2s %16s %17s %11s %7s %7s %7s %7s %7s  %s\n", "size", "kind", "dens", "N", "fast ms wall/cpu",
                "literal ms", "ratio", "trials", "kept", "cone/tr", "bigcone", "peak MB", "result");
    for (int n : sizes)
        for (PictureKind kind : kinds) {
        // Line art and dense pictures have a share of their own.
        const std::vector<int> shares = kind == PictureKind::Lines ? std::vector<int>{0}
                                        : kind == PictureKind::Dense ? std::vector<int>{95}
                                                                     : densities;
        for (int d : shares)
            for (int difficulty : difficulties) {
                const int r = kind == PictureKind::Noise ? 0 : radius >= 0 ? radius : std::max(2, n / 12);
                const std::uint64_t picSeed = 1000003ull * std::uint64_t(n) + std::uint64_t(d);
                const auto pic = kind == PictureKind::Lines ? linePicture(n, n, picSeed) : blobPicture(n, n, d / 100.0, r, picSeed);
                if (kind == PictureKind::Lines) d = int(std::lround(100.0 * double(std::count(pic.begin(), pic.end(), 1)) / double(pic.size())));
                Measure f = inChild([&] { return timeGenerate(true, n, pic, difficulty, true); });
                for (int k = 1; k < repeat && f.ok; ++k) {
                    const Measure again = inChild([&] { return timeGenerate(true, n, pic, difficulty, false); });
                    if (again.ok && again.seconds < f.seconds) f.seconds = again.seconds;
                    if (again.ok && again.cpu < f.cpu) f.cpu = again.cpu;
                }
                if (!f.ok) {
                    std::printf("%5d %5s %3d%% %3d  run failed\n", n, kindName(kind), d, difficulty);
                    continue;
                }
                const double estimate = f.solveSeconds * double(f.trials);
                char lit[40], ratio[40];
                const char* same = "";
                if (estimate < literalLimit) {
                    const Measure l = inChild([&] { return timeGenerate(false, n, pic, difficulty, false); });
                    std::snprintf(lit, sizeof lit, "%.0f/%.0f", l.seconds * 1000, l.cpu * 1000);
                    std::snprintf(ratio, sizeof ratio, "%.0f/%.0f", l.seconds / f.seconds, l.cpu / f.cpu);
                    same = l.ok && l.digest == f.digest ? ", same result" : ", RESULTS DIFFER";
                    if (!l.ok || l.digest != f.digest) ++differ;
                } else {
                    std::snprintf(lit, sizeof lit, "~%.0f s cpu", estimate);
                    std::snprintf(ratio, sizeof ratio, "~%.0f cpu", estimate / f.cpu);
                }
                static const char* outcomes[] = {"no filled", "not solvable", "stopped", "full", "solved", "stuck"};
                std::printf("%5d %5s %3d%% %2d %8.1f/%-7.1f %17s %11s %7lld %7lld %7.1f %7lld %7.1f  %s%s\n", n, kindName(kind), d, difficulty,
                            f.seconds * 1000, f.cpu * 1000, lit, ratio, f.trials, f.kept,
                            f.trials ? double(f.cone) / double(f.trials) : 0.0, f.largestCone, double(f.maxRssKb) / 1024.0,
                            outcomes[f.outcome], same);
                std::fflush(stdout);
            }
        }
    if (differ) std::printf("%d measured cases gave different results\n", differ);
    return differ == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes{30, 60, 100, 150, 250}, densities{20, 40, 60}, difficulties{5, 0};
    double literalLimit = 60;
    int repeat = 3;
    int radius = -1; // blob radius; 0 is plain noise
    std::vector<PictureKind> kinds{PictureKind::Blob};
    long long diffCases = -1;
    std::uint64_t seed = 1;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : "";
        if (a == "--sizes") sizes = parseList(v), ++i;
        else if (a == "--densities") densities = parseList(v), ++i;
        else if (a == "--difficulties") difficulties = parseList(v), ++i;
        else if (a == "--literal-limit") literalLimit = std::atof(v), ++i;
        else if (a == "--diff") diffCases = std::atoll(v), ++i;
        else if (a == "--repeat") repeat = std::max(1, std::atoi(v)), ++i;
        else if (a == "--radius") radius = std::atoi(v), ++i;
        else if (a == "--seed") seed = std::strtoull(v, nullptr, 10), ++i;
        else if (a == "--kinds") {
            kinds.clear();
            for (std::string rest = v; !rest.empty();) {
                const size_t comma = rest.find(',');
                const std::string k = rest.substr(0, comma);
                rest = comma == std::string::npos ? "" : rest.substr(comma + 1);
                if (k == "blob") kinds.push_back(PictureKind::Blob);
                else if (k == "noise") kinds.push_back(PictureKind::Noise);
                else if (k == "lines") kinds.push_back(PictureKind::Lines);
                else if (k == "dense") kinds.push_back(PictureKind::Dense);
                else {
                    std::fprintf(stderr, "--kinds: blob, noise, lines, dense\n");
                    return 2;
                }
            }
            ++i;
        } else {
            std::fprintf(stderr, "usage: %s [--sizes L] [--densities L] [--difficulties L] [--literal-limit S] [--repeat R] [--radius B] [--kinds blob,noise,lines,dense] | --diff N [--seed S]\n", argv[0]);
            return 2;
        }
    }
    if (diffCases >= 0) return diffRun(diffCases, seed);
    return table(kinds, sizes, densities, difficulties, literalLimit, repeat, radius);
}
