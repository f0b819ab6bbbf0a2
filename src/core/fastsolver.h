#pragma once
// The deduction solver with the same passes as the literal one, but each pass
// visits only the clue cells whose block changed since their last step (or
// whose last step changed something, since a step is not always idempotent).
// A clue step reads and writes only its own block, so a skipped step would
// have changed nothing: the beliefs, states, result and quiet-pass count are
// those of the literal solver for any clue set, contradictory ones included.
#include <cstdint>
#include <optional>
#include <vector>

#include "core/context.h"
#include "core/grid.h"
#include "core/workarrays.h"

namespace klt {

class PassSolver {
public:
    enum class Outcome { Solved, Stuck, Stopped };

    // Solves w in place from scratch, as the literal solver would; stopped is
    // read before each pass.
    Outcome run(WorkArrays& w, const bool& stopped);

    // Clue steps run by the last call (a measure of its work).
    long long steps() const { return steps_; }
    // Whether the first pass of the last call changed a state; when it did
    // not, the quiet-pass count went on from the value it came in with.
    bool firstPassChanged() const { return firstPassChanged_; }

private:
    void load(const WorkArrays& w);
    void store(WorkArrays& w) const;
    void step(int k);
    void setState(int x, std::uint8_t s);
    void touch(int x);
    void touch3(int x);
    int countFilled(int k) const;
    int countUnknown(int k) const;
    bool isClue(int x) const { return val_[size_t(x)] >= -9 && val_[size_t(x)] <= 9; }

    // Every array below is indexed by layout_ (margin 1): the blocks of the
    // field's cells need no bounds test.
    PaddedLayout layout_;
    std::vector<std::int8_t> val_;   // margin cells +10
    std::vector<std::uint8_t> st_;   // margin cells csComplete
    std::vector<std::uint64_t> clueBits_;
    std::vector<std::uint64_t> dirty_;
    std::int32_t quiet_ = 0;
    int incomplete_ = 0;
    long long steps_ = 0;
    long long stateChanges_ = 0;
    bool firstPassChanged_ = false;
};

// The solve command on top of PassSolver: same effects and messages as
// solveLiteral.
bool solveByPasses(WorkArrays& w, CommandContext& ctx, PassSolver& solver, bool showResult, std::optional<double> startTime);

} // namespace klt
