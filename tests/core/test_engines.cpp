// The fast engine against the literal one: for every picture, difficulty, mode
// and seed both must leave the same clues, marks, messages and working arrays.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/recordingengine.h"
#include "core/commands.h"
#include "core/fastplacement.h"
#include "core/fastsolver.h"
#include "core/placement.h"
#include "core/solver.h"
#include "testcontext.h"

using namespace klt;
using klt::test::RecordingContext;

namespace {

struct Rng {
    std::uint64_t s;
    std::uint64_t next()
    {
        std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(next() % std::uint64_t(n)); }
    double unit() { return double(next() >> 11) / 9007199254740992.0; }
};

// Filled with the given share; radius 0 is plain noise, larger radii give blobs.
std::vector<std::string> randomPicture(Rng& rng, int cols, int rows, double density, int radius)
{
    std::vector<double> a(size_t(cols * rows));
    for (auto& x : a) x = rng.unit();
    for (int pass = 0; pass < radius; ++pass) {
        std::vector<double> b(a.size());
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r) {
                double s = 0;
                int n = 0;
                for (int x = std::max(0, c - 1); x <= std::min(cols - 1, c + 1); ++x)
                    for (int y = std::max(0, r - 1); y <= std::min(rows - 1, r + 1); ++y, ++n) s += a[size_t(x * rows + y)];
                b[size_t(c * rows + r)] = s / n;
            }
        a = b;
    }
    std::vector<double> sorted = a;
    std::sort(sorted.begin(), sorted.end());
    const size_t filled = std::min(a.size(), size_t(density * double(a.size()) + 0.5));
    std::vector<std::string> texts(a.size());
    for (size_t i = 0; i < a.size(); ++i) texts[i] = filled > 0 && a[i] >= sorted[a.size() - filled] ? "-" : "";
    return texts;
}

using Recorder = klt::test::RecordingEngine;

struct Case {
    int cols, rows;
    std::vector<std::string> picture; // column-major texts
    int difficulty;
    bool correcting;
    std::uint32_t seed;
    int stopAt = -1; // progress step at which Stop is pressed
};

struct Result {
    GenerateOutcome outcome;
    std::vector<std::string> messages;
    std::vector<std::string> texts;
    std::vector<int> marks;
    int cols, rows, steps;
    Grid<std::int8_t> values;
    Grid<std::uint8_t> states;
    std::int32_t quietPasses;
};

Result runGenerate(PlacementEngine& engine, const Case& k)
{
    RecordingContext host;
    host.seed = k.seed;
    Workspace ws;
    host.attach(ws);
    if (k.stopAt >= 0)
        host.onStep = [&](int steps) {
            if (steps >= k.stopAt) host.requestStop();
        };
    GenerateOptions options;
    options.correcting = k.correcting;
    options.placement.difficulty = k.difficulty;
    ws.doc.field().setSize(k.cols, k.rows);
    for (int c = 0; c < k.cols; ++c)
        for (int r = 0; r < k.rows; ++r) ws.doc.field().setText(c, r, k.picture[size_t(c * k.rows + r)]);
    Recorder rec(engine);
    Result res;
    res.outcome = generate(ws, host, rec, options);
    res.messages = host.messages;
    res.cols = ws.doc.field().colCount();
    res.rows = ws.doc.field().rowCount();
    for (int c = 0; c < res.cols; ++c)
        for (int r = 0; r < res.rows; ++r) {
            res.texts.push_back(ws.doc.field().text(c, r));
            res.marks.push_back(ws.doc.field().mark(c, r));
        }
    res.steps = host.steps;
    res.values = rec.placed.values;
    res.states = rec.placed.states;
    res.quietPasses = rec.placed.quietPasses;
    return res;
}

std::string describe(const Case& k)
{
    return std::to_string(k.cols) + "x" + std::to_string(k.rows) + " N=" + std::to_string(k.difficulty) +
           (k.correcting ? " correcting" : " plain") + " seed " + std::to_string(k.seed) + " stop " + std::to_string(k.stopAt);
}

// The fast engine against a reference: the literal engine unless given.
void expectSameGeneration(const Case& k, PlacementEngine& reference, FastPlacement& fast)
{
    const Result a = runGenerate(reference, k);
    const Result b = runGenerate(fast, k);
    SCOPED_TRACE(describe(k));
    EXPECT_EQ(a.outcome, b.outcome);
    EXPECT_EQ(a.messages, b.messages);
    ASSERT_EQ(a.cols, b.cols);
    ASSERT_EQ(a.rows, b.rows);
    EXPECT_EQ(a.texts, b.texts);
    EXPECT_EQ(a.marks, b.marks);
    EXPECT_EQ(a.steps, b.steps);
    EXPECT_EQ(a.values, b.values);
    EXPECT_EQ(a.states, b.states);
    EXPECT_EQ(a.quietPasses, b.quietPasses);
}

void expectSameGeneration(const Case& k)
{
    LiteralPlacement literal;
    FastPlacement fast;
    expectSameGeneration(k, literal, fast);
}

} // namespace

// A few hundred pictures over sizes, densities, difficulties, modes and seeds.
TEST(FastPlacement, GeneratesWhatTheLiteralEngineGenerates)
{
    Rng rng{20240601};
    for (int i = 0; i < 360; ++i) {
        Case k;
        // Mostly small fields (the literal engine is slow), some up to 30.
        k.cols = 5 + (i % 8 == 0 ? rng.below(26) : rng.below(14));
        k.rows = 5 + (i % 8 == 1 ? rng.below(26) : rng.below(14));
        k.picture = randomPicture(rng, k.cols, k.rows, 0.1 + 0.8 * rng.unit(), rng.below(4));
        k.difficulty = i % 6;
        k.correcting = (i / 6) % 2 == 1;
        k.seed = std::uint32_t(rng.next());
        expectSameGeneration(k);
        if (HasFailure()) return;
    }
}

// Noise-like pictures, whose deduction runs in long chains: the trials that
// give the removed clues' cells other clues, and the rebuilt deduction order,
// must keep exactly the removals that solving every trial keeps.
TEST(FastPlacement, KeepsWhatSolvingEveryTrialKeepsOnNoise)
{
    Rng rng{1211};
    long long resupported = 0, orderBuilds = 0;
    for (int i = 0; i < 4; ++i) {
        Case k;
        k.cols = 48 + rng.below(20);
        k.rows = 48 + rng.below(20);
        k.picture = randomPicture(rng, k.cols, k.rows, 0.45 + 0.1 * rng.unit(), 0);
        k.difficulty = i % 2 == 0 ? 5 : rng.below(5);
        k.correcting = i == 3;
        k.seed = std::uint32_t(rng.next());
        FastPlacement everyTrial(false), network;
        expectSameGeneration(k, everyTrial, network);
        EXPECT_FALSE(network.stats().solvedEveryTrial);
        resupported += network.stats().resupported;
        orderBuilds += network.stats().orderBuilds;
    }
    // The cases reach both shortcuts.
    EXPECT_GT(resupported, 20);
    EXPECT_GT(orderBuilds, 8);
}

// Stop pressed at the first step, in the middle, at the last step of the sweep
// (the zero pass then runs with every solve returning at once), and never.
TEST(FastPlacement, StopsWhereTheLiteralEngineStops)
{
    Rng rng{77};
    for (int i = 0; i < 48; ++i) {
        Case k;
        k.cols = 6 + rng.below(10);
        k.rows = 6 + rng.below(10);
        k.picture = randomPicture(rng, k.cols, k.rows, 0.2 + 0.5 * rng.unit(), 1 + rng.below(2));
        k.difficulty = i % 2 == 0 ? rng.below(5) : 5;
        k.correcting = true;
        k.seed = std::uint32_t(rng.next());
        const int cells = k.cols * k.rows;
        const int stops[] = {1, 1 + rng.below(cells), cells};
        k.stopAt = stops[i % 3];
        expectSameGeneration(k);
        if (HasFailure()) return;
    }
}

// Fields of one or two lines and other tiny ones, where blocks are cut short.
TEST(FastPlacement, HandlesTinyFields)
{
    Rng rng{5};
    const int sizes[][2] = {{1, 1}, {1, 2}, {2, 1}, {1, 7}, {7, 1}, {2, 2}, {2, 6}, {6, 2}, {3, 3}, {3, 8}, {4, 4}};
    for (const auto& size : sizes)
        for (int i = 0; i < 12; ++i) {
            Case k;
            k.cols = size[0];
            k.rows = size[1];
            k.picture = randomPicture(rng, k.cols, k.rows, 0.2 + 0.6 * rng.unit(), rng.below(2));
            k.difficulty = i % 6;
            k.correcting = i % 4 == 0;
            k.seed = std::uint32_t(rng.next());
            expectSameGeneration(k);
            if (HasFailure()) return;
        }
}

// Clue sets that do not fit the picture (a wrong count, a foreign value) leave
// the shortcut's premise; placement must still match trial for trial.
TEST(FastPlacement, MatchesOnCluesThatDoNotFitThePicture)
{
    Rng rng{99};
    for (int i = 0; i < 40; ++i) {
        const int cols = 5 + rng.below(8), rows = 5 + rng.below(8);
        const auto picture = randomPicture(rng, cols, rows, 0.3 + 0.4 * rng.unit(), 1);
        const int wrong = rng.below(cols * rows);
        const int shift = 1 + rng.below(9); // any other digit
        const int difficulty = rng.below(6);
        const std::uint32_t seed = std::uint32_t(rng.next());

        WorkArrays after[2];
        for (int e = 0; e < 2; ++e) {
            Workspace ws;
            RecordingContext host{ws};
            PlacementOptions options;
            options.difficulty = difficulty;
            ws.doc.field().setSize(cols, rows);
            for (int c = 0; c < cols; ++c)
                for (int r = 0; r < rows; ++r) ws.doc.field().setText(c, r, picture[size_t(c * rows + r)]);
            ws.doc.takeSnapshot();
            writeAllClues(ws.doc.field());
            LiteralPlacement literal;
            FastPlacement fast;
            PlacementEngine& engine = e == 0 ? static_cast<PlacementEngine&>(literal) : fast;
            WorkArrays& work = engine.work();
            loadWorkArrays(ws.doc.field(), work);
            auto& v = work.values[size_t(wrong)];
            v = i % 5 == 0 ? std::int8_t(-40) : std::int8_t((std::abs(v) + shift) % 10);
            host.startRunning();
            solveLiteral(work, host, false);
            engine.placeClues(ws.doc.snapshot(), options, host, seed);
            if (e == 1) {
                EXPECT_TRUE(fast.stats().solvedEveryTrial);
            }
            after[e] = work;
        }
        SCOPED_TRACE(std::to_string(cols) + "x" + std::to_string(rows) + " case " + std::to_string(i));
        EXPECT_EQ(after[0].values, after[1].values);
        EXPECT_EQ(after[0].states, after[1].states);
        EXPECT_EQ(after[0].quietPasses, after[1].quietPasses);
    }
}

// The solver behind the fast engine's solve, on any clues: consistent ones,
// contradictory ones, stale beliefs and states, values outside the clue range,
// a stop already requested.
TEST(PassSolver, SolvesAsTheLiteralSolverOnAnyClues)
{
    Rng rng{31337};
    PassSolver solver;
    for (int i = 0; i < 4000; ++i) {
        const int cols = 1 + rng.below(12), rows = 1 + rng.below(12);
        const auto picture = randomPicture(rng, cols, rows, rng.unit(), rng.below(3));
        WorkArrays w;
        w.reset(cols, rows);
        const int mode = rng.below(3); // counts of the picture, random digits, or a mix
        for (int c = 0; c < cols; ++c)
            for (int r = 0; r < rows; ++r) {
                int count = 0;
                for (int x = std::max(0, c - 1); x <= std::min(cols - 1, c + 1); ++x)
                    for (int y = std::max(0, r - 1); y <= std::min(rows - 1, r + 1); ++y) count += picture[size_t(x * rows + y)] == "-";
                int v = rng.below(100) < 45 ? kWhite : mode == 0 ? count : mode == 1 ? rng.below(10) : rng.below(5) ? count : rng.below(10);
                if (rng.below(2) == 0 && v != 0) v = -v;
                if (rng.below(150) == 0) v = rng.below(256) - 128;
                w.value(c, r) = std::int8_t(v);
                w.state(c, r) = std::uint8_t(rng.below(3));
            }
        w.quietPasses = rng.below(3);

        RecordingContext h1, h2;
        WorkArrays a = w, b = w;
        if (rng.below(50) != 0) {
            h1.startRunning();
            h2.startRunning();
        }
        const bool ra = solveLiteral(a, h1, true, 0.0);
        const bool rb = solveByPasses(b, h2, solver, true, 0.0);
        SCOPED_TRACE("case " + std::to_string(i));
        ASSERT_EQ(ra, rb);
        ASSERT_EQ(h1.messages, h2.messages);
        ASSERT_EQ(a.values, b.values);
        ASSERT_EQ(a.states, b.states);
        ASSERT_EQ(a.quietPasses, b.quietPasses);
    }
}
