#pragma once
// Whether a known picture stays solvable by the graded levels up to a highest
// one while clues are taken away: the test of the advanced generation when the
// author asks for a highest level. A puzzle those levels solve has one answer,
// so no SAT check is needed. It keeps the solving path of the clues it last
// found solvable (each cell with the step that decided it and that step's
// clues), and judges a removal near the removed clues where it can:
//   - with every cell further away known, the cells near them still cannot
//     all be decided: the removal fails;
//   - from the cells decided before any step that used the removed clues,
//     the cells near them can all be decided again: it holds, and those
//     cells take their new steps;
// and by solving the whole field otherwise.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/uniqueness.h"

namespace klt {

class LevelJudge {
public:
    // candidates as for PictureUniqueness; all start active.
    LevelJudge(const CellGrid& picture, const std::vector<std::uint8_t>& candidates, int maxLevel);
    ~LevelJudge();
    LevelJudge(const LevelJudge&) = delete;
    LevelJudge& operator=(const LevelJudge&) = delete;

    void setActive(int c, int r, bool active);
    bool isKeptForGood(int c, int r) const;
    void dropForGood(int c, int r);
    void keepForGood(int c, int r);

    using Verdict = PictureUniqueness::Verdict;
    // OnlyAnswer when the graded levels solve the active clues to the picture.
    Verdict test(const StopCheck& stop = {});

    // Trials judged near the removed clues, and by the whole field.
    long localVerdicts() const;
    long wholeFieldSolves() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace klt
