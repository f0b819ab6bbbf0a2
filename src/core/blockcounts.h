#pragma once
// Block counts as clauses, compactly. Every vertical triple of cells gets a
// unary counter ("at least j of these cells are filled", both ways), which
// the three blocks that hold the triple share; a clue then says that the
// counters of its (up to) three triples add up to its value. A clue costs
// about twenty clauses of at most four literals instead of the up to 210
// longer ones of spelling out every forbidden set of cells, and unit
// propagation still sees everything one clue implies.
#include <functional>
#include <limits>
#include <vector>

namespace CaDiCaL {
class Solver;
}

namespace klt {

class BlockCountEncoder {
public:
    // What cellVar gives for a cell whose fill is known beforehand: it gets
    // no variable, and the counts around it take it as it is.
    static constexpr int kKnownWhite = 0;
    static constexpr int kKnownFilled = std::numeric_limits<int>::min();

    // The field is cols x rows; the clues given must have their blocks
    // (clipped to the field) inside the region left..right x top..bottom.
    // cellVar gives a cell's variable (or one of the known values above); the
    // counters take variables from firstAux on.
    BlockCountEncoder(CaDiCaL::Solver& solver, int cols, int rows, int left, int top, int right, int bottom,
                      std::function<int(int, int)> cellVar, int firstAux);

    // Exactly v of the block of (c, r) are filled; guard, when not 0, joins
    // each of the clue's own clauses (the counters are definitions and hold
    // regardless). v must lie between 0 and the block's size. A block of
    // known cells costs nothing, or one clause when it breaks the count.
    void addClue(int c, int r, int v, int guard);

    // The first variable not taken yet.
    int nextVar() const { return next_; }

private:
    struct Counter {
        int first = 0;  // the variable of "at least 1"; "at least j" is first + j - 1
        int size = 0;   // cells of the triple with a variable
        int filled = 0; // known filled cells of the triple
        bool built = false;
    };
    const Counter& triple(int c, int r);

    CaDiCaL::Solver& s_;
    int cols_, rows_, left_, top_, width_, height_;
    std::function<int(int, int)> cellVar_;
    int next_;
    std::vector<Counter> counters_;
};

} // namespace klt
