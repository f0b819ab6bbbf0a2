// Times the SAT uniqueness check on generated puzzles and compares the clue
// counts of ordinary and advanced generation on blob pictures.
//
//   sat_bench [--sizes 30,60,100] [--difficulty N] [--density P] [--blur PASSES]
//             [--seed S] [--whole-up-to SIZE]
// The whole advanced generation (ordinary generation included) runs only up
// to --whole-up-to; larger sizes time the SAT sweep from the ordinary result.
#include <algorithm>
#include <chrono>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/advanced.h"
#include "core/engines.h"
#include "core/uniqueness.h"

using namespace klt;

namespace {

class BenchHost : public CommandContext {
public:
    std::uint32_t seed = 1;
    std::vector<std::string> messages;
    double now() override
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
    std::uint32_t clockSeed() override { return seed; }
    // A long command's state without one: the sweep runs until a stop.
    void startRunning()
    {
        running_.emplace(*this, false);
        running_->start();
    }

protected:
    void showInformation(const std::string& text, const std::string&) override { messages.push_back(text); }

private:
    std::optional<BusyScope> running_;
};

// A smoothed random blob: noise blurred a few times, the darkest share filled.
void drawBlob(Field& field, int size, int percent, int blur, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> u(0.0, 1.0);
    std::vector<double> v(size_t(size) * size_t(size));
    for (auto& x : v) x = u(rng);
    for (int pass = 0; pass < blur; ++pass) {
        std::vector<double> w(v.size());
        for (int c = 0; c < size; ++c)
            for (int r = 0; r < size; ++r) {
                double sum = 0;
                int n = 0;
                for (int x = c - 2; x <= c + 2; ++x)
                    for (int y = r - 2; y <= r + 2; ++y)
                        if (x >= 0 && y >= 0 && x < size && y < size) {
                            sum += v[size_t(x) * size_t(size) + size_t(y)];
                            ++n;
                        }
                w[size_t(c) * size_t(size) + size_t(r)] = sum / n;
            }
        v.swap(w);
    }
    std::vector<double> sorted = v;
    std::sort(sorted.begin(), sorted.end());
    const double threshold = sorted[size_t(double(sorted.size()) * (100 - percent) / 100.0)];
    field.setSize(size, size);
    for (int c = 0; c < size; ++c)
        for (int r = 0; r < size; ++r) field.setText(c, r, v[size_t(c) * size_t(size) + size_t(r)] >= threshold ? "-" : "");
}

// Wall and CPU time since construction, as "1.234 (1.200)".
struct Timer {
    std::chrono::steady_clock::time_point wall = std::chrono::steady_clock::now();
    std::clock_t cpu = std::clock();
    std::string text() const
    {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.3f (%.3f)",
                      std::chrono::duration<double>(std::chrono::steady_clock::now() - wall).count(),
                      double(std::clock() - cpu) / CLOCKS_PER_SEC);
        return buf;
    }
};

const char* outcomeName(GenerateOutcome o)
{
    switch (o) {
    case GenerateOutcome::NoFilledCells: return "no fill";
    case GenerateOutcome::NotSolvable: return "not solvable";
    case GenerateOutcome::Interrupted: return "interrupted";
    case GenerateOutcome::FullClues: return "full";
    case GenerateOutcome::Solved: return "solved";
    case GenerateOutcome::Stuck: return "stuck";
    }
    return "?";
}

} // namespace

int main(int argc, char** argv)
{
    std::vector<int> sizes = {30, 60, 100};
    int difficulty = 5, density = 40, blur = 4, wholeUpTo = 60;
    unsigned seed = 7;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i], v = argv[i + 1];
        if (a == "--sizes") {
            sizes.clear();
            std::stringstream ss(v);
            for (std::string part; std::getline(ss, part, ',');) sizes.push_back(std::atoi(part.c_str()));
        } else if (a == "--difficulty") {
            difficulty = std::atoi(v.c_str());
        } else if (a == "--seed") {
            seed = unsigned(std::strtoul(v.c_str(), nullptr, 10));
        } else if (a == "--density") {
            density = std::atoi(v.c_str());
        } else if (a == "--blur") {
            blur = std::atoi(v.c_str());
        } else if (a == "--whole-up-to") {
            wholeUpTo = std::atoi(v.c_str());
        } else {
            std::fprintf(stderr, "usage: sat_bench [--sizes 30,60,100] [--difficulty N] [--density P] [--blur PASSES]\n"
                                 "                 [--seed S] [--whole-up-to SIZE]\n");
            return 2;
        }
    }
    auto engine = makePlacementEngine(defaultEngineName());

    std::printf("engine %s, difficulty %d, density %d%%, blur passes %d, seed %u; times in seconds, CPU in brackets\n\n",
                defaultEngineName(), difficulty, density, blur, seed);
    std::printf("%5s %6s | %-12s %6s %17s | %15s | %6s %15s | %17s | %s\n", "size", "filled", "ordinary", "clues", "time",
                "unique check", "adv.", "SAT sweep", "whole advanced", "check of the advanced puzzle");
    for (int size : sizes) {
        BenchHost h1;
        h1.seed = seed;
        Workspace ordinary;
        drawBlob(ordinary.doc.field(), size, density, blur, seed + unsigned(size));
        GenerateOptions options;
        options.placement.difficulty = difficulty;
        const CellGrid picture = pictureOnField(ordinary.doc.field());
        Timer t;
        const GenerateOutcome o1 = generate(ordinary, h1, *engine, options);
        const std::string tOrdinary = t.text();
        const bool solvable = o1 != GenerateOutcome::NotSolvable;
        const int cOrdinary = solvable ? cluesOnField(ordinary.doc.field()).count() : size * size;

        // The uniqueness check of the generated puzzle (of every clue when
        // deduction could not reproduce the picture).
        const ClueSet puzzle = solvable ? cluesOnField(ordinary.doc.field()) : allClues(picture);
        t = Timer();
        const UniquenessResult u = checkUniqueness(puzzle);
        const std::string tUnique = t.text() + (u.answers == Answers::One ? "" : "!");

        // The SAT sweep alone, from the ordinary result and from every clue:
        // the clues it leaves and its time.
        auto sweepFrom = [&](bool everyClue) {
            Field field = ordinary.doc.field();
            if (everyClue || !solvable) {
                stripClues(field);
                writeAllClues(field);
            }
            WorkArrays swept;
            loadWorkArrays(field, swept);
            BenchHost sweeping;
            sweeping.startRunning();
            Timer timer;
            placeCluesAdvanced(swept, ordinary.doc.snapshot(), options.placement, sweeping, seed);
            const std::string time = timer.text();
            int clues = 0;
            for (int c = 0; c <= swept.lastCol; ++c)
                for (int r = 0; r <= swept.lastRow; ++r) clues += swept.hasClue(c, r);
            return std::make_pair(clues, time);
        };
        const auto [cSwept, tSweep] = sweepFrom(false);
        const auto [cFull, tFull] = sweepFrom(true);
        std::printf("      from every clue: %d clues in %s\n", cFull, tFull.c_str());

        std::string tWhole = "-", check = "-";
        if (size <= wholeUpTo) {
            BenchHost h2;
            h2.seed = seed;
            Workspace advanced;
            drawBlob(advanced.doc.field(), size, density, blur, seed + unsigned(size));
            t = Timer();
            const GenerateOutcome o2 = generateAdvanced(advanced, h2, *engine, options);
            tWhole = t.text();
            if (o2 == GenerateOutcome::Solved) {
                const UniquenessResult v = checkUniqueness(advanced.doc.field());
                check = v.answers == Answers::One && v.first == picture ? "one answer, the picture" : "WRONG";
                check += ", " + std::to_string(cluesOnField(advanced.doc.field()).count()) + " clues";
            } else {
                check = outcomeName(o2);
            }
        }
        std::printf("%5d %5.1f%% | %-12s %6d %17s | %15s | %6d %15s | %17s | %s\n", size, 100.0 * picture.count() / (size * size),
                    outcomeName(o1), cOrdinary, tOrdinary.c_str(), tUnique.c_str(), cSwept, tSweep.c_str(), tWhole.c_str(),
                    check.c_str());
        std::fflush(stdout);
    }
    std::printf("\nclues of a picture that deduction cannot reproduce: the full set; unique check marked ! when not one answer;\n"
                "the whole advanced generation includes its own ordinary generation\n");
    return 0;
}
