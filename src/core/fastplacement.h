#pragma once
// Clue placement with the literal engine's results (the same clues removed,
// the same working arrays at the end) without solving the whole field for
// every trial. See fastplacement.cpp for why the shortcut is exact.
#include <cstdint>
#include <optional>

#include "core/fastsolver.h"
#include "core/placement.h"

namespace klt {

class FastPlacement : public PlacementEngine {
public:
    struct Stats {
        long long trials = 0;
        long long kept = 0;
        long long coneCells = 0;   // cells whose deduction was withdrawn, summed over trials
        long long largestCone = 0;
        long long resupported = 0; // trials kept by giving the removed clues' cells other clues
        long long orderBuilds = 0; // deduction orders built around the sweep's column
        long long settleSolves = 0; // whole-field solves to rebuild the final arrays
        bool solvedEveryTrial = false; // the clue set did not fit the picture: plain trials
    };

    // byNetwork false solves every trial from scratch (a slower reference).
    explicit FastPlacement(bool byNetwork = true) : byNetwork_(byNetwork) {}

    void placeClues(const Grid<std::string>& picture, const PlacementOptions& options, CommandContext& ctx,
                    std::uint32_t seed) override;
    // Exact for any clue set: the passes of the literal solver, replayed.
    bool solve(CommandContext& ctx, bool showResult, std::optional<double> startTime) override;

    const Stats& stats() const { return stats_; }

private:
    void placeBySolving(const Grid<std::string>& picture, const PlacementOptions& options, CommandContext& ctx,
                        std::uint32_t seed);
    bool placeByNetwork(const Grid<std::string>& picture, const PlacementOptions& options, CommandContext& ctx,
                        std::uint32_t seed);

    bool byNetwork_;
    PassSolver solver_;
    Stats stats_;
};

} // namespace klt
