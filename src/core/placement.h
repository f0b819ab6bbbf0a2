#pragma once
// Clue placement: sweep the field once in a random direction and remove every
// clue (alone or in a diagonal group, by difficulty) whose removal keeps the
// puzzle solvable back to the drawn picture; then retry the zero clues.
#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>

#include <string>

#include "core/context.h"
#include "core/grid.h"
#include "core/workarrays.h"

namespace klt {

// Draws the sweep direction from a freshly seeded generator.
struct SweepDirection {
    int dc = 1, dr = 1;
};
SweepDirection drawSweepDirection(std::uint32_t seed);

// The difficulty: at difficulty d below the most, a trial removes a clue
// together with difficultyMax - d diagonal neighbours.
struct PlacementOptions {
    int difficulty = 5; // rxN
    int difficultyMax = 5;
    int extra() const { return difficultyMax - difficulty; }
};

class PlacementEngine {
public:
    virtual ~PlacementEngine() = default;
    // The engine's working arrays, which a command loads and stores.
    WorkArrays& work() { return work_; }
    const WorkArrays& work() const { return work_; }
    // Preconditions: work() holds the full solvable clue set, picture is the
    // drawn picture (the undo snapshot), the progress display runs, the
    // context is busy. Ends early when a stop is asked.
    virtual void placeClues(const Grid<std::string>& picture, const PlacementOptions& options, CommandContext& ctx,
                            std::uint32_t seed) = 0;
    // The final announcing solve of a generation and the check command's solve.
    virtual bool solve(CommandContext& ctx, bool showResult, std::optional<double> startTime);

protected:
    WorkArrays work_;
};

// The reference engine: every trial solves the whole field from scratch.
class LiteralPlacement : public PlacementEngine {
public:
    void placeClues(const Grid<std::string>& picture, const PlacementOptions& options, CommandContext& ctx,
                    std::uint32_t seed) override;
};

// Removing a clue keeps the sign (the fill belief) and drops the magnitude.
inline void removeClue(WorkArrays& w, int c, int r)
{
    w.value(c, r) = w.valueFilled(c, r) ? kFilled : kWhite;
}

// The cells a trial removes besides the visited one: at most kCapacity
// (extra = difficultyMax - difficulty is at most 5), checked on every add.
class CellGroup {
public:
    static constexpr int kCapacity = 8;

    void push_back(CellPos p)
    {
        if (size_ == kCapacity) throw std::length_error("CellGroup: more than 8 cells");
        cells_[static_cast<std::size_t>(size_++)] = p;
    }
    int size() const { return size_; }
    bool empty() const { return size_ == 0; }
    const CellPos& operator[](int i) const
    {
        if (i < 0 || i >= size_) throw std::out_of_range("CellGroup: no such cell");
        return cells_[static_cast<std::size_t>(i)];
    }
    const CellPos* begin() const { return cells_.data(); }
    const CellPos* end() const { return cells_.data() + size_; }

private:
    std::array<CellPos, kCapacity> cells_{};
    int size_ = 0;
};

// The diagonal group of a trial at (c, r): the extra cells after it in the
// sweep direction, wrapped or stuck to column and row 0 at the edges (a cell
// may repeat).
CellGroup groupCells(const WorkArrays& w, int c, int r, int dc, int dr, int extra);

} // namespace klt
