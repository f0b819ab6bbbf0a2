#pragma once
// An exact search for a picture of a few hundred cells under block counts:
// propagation of each count (all its open cells filled, or all white) and
// depth-first branching on the most constrained count, with a node budget.
// It decides the small windows of the uniqueness check without building a
// SAT solver for each one.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace klt {

class WindowSearch {
public:
    // A cell; fixed is -1 for a free cell, else its value (0 white, 1 filled).
    // preferred is the value tried first. Returns the cell's index.
    int addCell(bool preferred, int fixed);
    // Forgets every cell and count, keeping the memory for the next window.
    void clear();
    // Changes whether a cell is fixed, for the searches after.
    void fix(int cell, int fixed) { fixed_[static_cast<std::size_t>(cell)] = static_cast<std::int8_t>(fixed); }
    // Exactly count of the given cells are filled.
    void addCount(const std::vector<int>& cells, int count);

    enum class Result { Found, None, GaveUp };
    // A picture in which at least one of differ takes the value other than
    // its preferred one; GaveUp after more than budget branchings.
    Result search(const std::vector<int>& differ, long budget);
    bool preferred(int cell) const { return preferred_[static_cast<std::size_t>(cell)] == 1; }
    // The found picture's value of a cell.
    bool value(int cell) const { return value_[static_cast<std::size_t>(cell)] == 1; }

private:
    struct Count {
        int first; // into members_
        int size;
        int need;  // filled cells still missing
        int open;  // cells not yet set
    };
    bool assign(int cell, std::int8_t v);
    bool propagate();
    void undoTo(std::size_t mark);
    Result dfs();

    std::vector<std::int8_t> preferred_, value_; // value -1 while open
    std::vector<std::int8_t> fixed_;
    std::vector<Count> counts_;
    std::vector<int> initialNeed_;             // each count's value
    std::vector<int> members_;                 // cells of each count
    // The counts of each cell, in the order they were added: those of cell x
    // are countsOf_[countsFrom_[x] .. countsFrom_[x + 1]), laid out by the
    // first search after a change.
    std::vector<int> countsFrom_, countsOf_;
    bool laidOut_ = false;
    void layOut();
    template <class F>
    void forEachCountOf(std::size_t x, F&& f) const
    {
        for (int i = countsFrom_[x]; i < countsFrom_[x + 1]; ++i) f(countsOf_[static_cast<std::size_t>(i)]);
    }
    std::vector<int> trail_;
    std::size_t propagated_ = 0;
    bool conflict_ = false;
    long nodes_ = 0, budget_ = 0;
};

} // namespace klt
