#pragma once
// An engine that passes everything to another one and keeps the working
// arrays its placement left behind, before the final solve changes them:
// what two engines must agree on.
#include <cstdint>
#include <optional>
#include <string>

#include "core/placement.h"

namespace klt::test {

class RecordingEngine : public PlacementEngine {
public:
    explicit RecordingEngine(PlacementEngine& inner) : inner_(inner) {}
    // The inner engine works on this one's arrays.
    void placeClues(const Grid<std::string>& picture, const PlacementOptions& options, CommandContext& ctx,
                    std::uint32_t seed) override
    {
        inner_.work() = work_;
        inner_.placeClues(picture, options, ctx, seed);
        work_ = inner_.work();
        placed = work_;
    }
    bool solve(CommandContext& ctx, bool showResult, std::optional<double> startTime) override
    {
        inner_.work() = work_;
        const bool solved = inner_.solve(ctx, showResult, startTime);
        work_ = inner_.work();
        return solved;
    }
    WorkArrays placed;

private:
    PlacementEngine& inner_;
};

} // namespace klt::test
