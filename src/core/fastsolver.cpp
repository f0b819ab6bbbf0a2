#include "core/fastsolver.h"

#include <algorithm>
#include <bit>
#include <cstdlib>

#include "core/solver.h"

namespace klt {

namespace {

// Sets bit x and the bits on either side of it.
inline void setThree(std::vector<std::uint64_t>& bits, int x)
{
    const unsigned lo = unsigned(x - 1);
    const size_t word = lo >> 6;
    const unsigned shift = lo & 63u;
    bits[word] |= 7ull << shift;
    if (shift > 61) bits[word + 1] |= 7ull >> (64 - shift);
}

} // namespace

void PassSolver::load(const WorkArrays& w)
{
    layout_ = PaddedLayout(w.cols(), w.rows(), 1);
    const size_t n = layout_.size();
    val_.assign(n, kWhite);
    st_.assign(n, csComplete);
    const size_t words = n / 64 + 2;
    clueBits_.assign(words, 0);
    dirty_.assign(words, 0);
    incomplete_ = 0;
    for (int c = 0; c < layout_.cols(); ++c) {
        const std::int8_t* src = w.values.column(c);
        const int base = layout_.index(c, 0);
        for (int r = 0; r < layout_.rows(); ++r) {
            std::int8_t v = src[r];
            if (v < 0) v = static_cast<std::int8_t>(-v); // every belief starts white
            const int x = base + r;
            val_[size_t(x)] = v;
            st_[size_t(x)] = csUnknown;
            if (isClue(x)) {
                clueBits_[size_t(x) >> 6] |= 1ull << (x & 63);
                ++incomplete_;
            }
        }
    }
    dirty_ = clueBits_;
    quiet_ = w.quietPasses;
}

void PassSolver::store(WorkArrays& w) const
{
    for (int c = 0; c < layout_.cols(); ++c) {
        const auto first = std::ptrdiff_t(layout_.index(c, 0)), last = first + layout_.rows();
        std::copy(val_.begin() + first, val_.begin() + last, w.values.column(c));
        std::copy(st_.begin() + first, st_.begin() + last, w.states.column(c));
    }
    w.quietPasses = quiet_;
}

// Every clue whose block holds x must run again.
inline void PassSolver::touch(int x)
{
    setThree(dirty_, x - layout_.stride());
    setThree(dirty_, x);
    setThree(dirty_, x + layout_.stride());
}

inline void PassSolver::setState(int x, std::uint8_t s)
{
    auto& cur = st_[size_t(x)];
    if (cur == s) return;
    quiet_ = 0;
    ++stateChanges_;
    if (s == csComplete && isClue(x)) --incomplete_;
    cur = s;
    touch(x);
}

inline int PassSolver::countFilled(int k) const
{
    int n = 0;
    layout_.forEachInBlock(k, [&](int x) { n += val_[size_t(x)] < 0; });
    return n;
}

inline int PassSolver::countUnknown(int k) const
{
    int n = 0;
    layout_.forEachInBlock(k, [&](int x) { n += st_[size_t(x)] == csUnknown; });
    return n;
}

// The clue step of the literal solver, on the padded arrays: border cells are
// complete and white, so they are skipped and never counted. A step changes
// only cells of its own block, so the block's counts are kept up to date here
// instead of being taken afresh at every use. Flattened: the walk and the
// steps' lambdas are the solver's inner loop, and left to itself the
// compiler keeps one of them out of line.
[[gnu::flatten]] void PassSolver::step(int k)
{
    ++steps_;
    const CellPos p = layout_.pos(k);
    const int q = p.col, s = p.row, cols = layout_.cols(), rows = layout_.rows();
    const int v = std::abs(int(val_[size_t(k)]));
    const int f = countFilled(k);
    int filledNow = f;
    int unknownNow = countUnknown(k);
    const bool border = q == 0 || q == cols - 1 || s == 0 || s == rows - 1;
    const bool corner = (q == 0 || q == cols - 1) && (s == 0 || s == rows - 1);
    const bool fullBlock = v == 9 || (v == 6 && border) || (v == 4 && corner);

    auto set = [&](int x, std::uint8_t state) {
        if (st_[size_t(x)] == csUnknown && state != csUnknown) --unknownNow;
        setState(x, state);
    };
    auto fillStep = [&](int n) {
        if (filledNow == v) {
            set(k, csComplete);
        } else {
            auto& val = val_[size_t(n)];
            const auto filled = static_cast<std::int8_t>(-std::abs(int(val)));
            if (filled != val) {
                if (val >= 0 && filled < 0) ++filledNow;
                val = filled;
                touch(n);
            }
            set(n, csDecided);
        }
    };
    auto completionStep = [&](int n) {
        if (v != 0 && (filledNow != v || st_[size_t(k)] != csComplete)) return;
        if (n == k)
            set(k, csComplete);
        else if (st_[size_t(n)] == csUnknown)
            set(n, csDecided);
    };

    layout_.forEachInBlock(k, [&](int n) {
        const auto st = st_[size_t(n)];
        if (st == csComplete || (st == csDecided && !isClue(n))) return;
        if (val_[size_t(n)] < 0) {
            completionStep(n);
            return;
        }
        if (fullBlock) {
            fillStep(n);
            return;
        }
        const int u = unknownNow;
        const auto ks = st_[size_t(k)];
        if (v > 0 && v >= f && (u == 1 || u == v - f) && st_[size_t(n)] == csUnknown &&
            (ks == csUnknown || ks == csDecided))
            fillStep(n);
        else
            completionStep(n);
    });
    if (filledNow == v && st_[size_t(k)] != csComplete) setState(k, csComplete);
}

PassSolver::Outcome PassSolver::run(WorkArrays& w, const bool& stopped)
{
    load(w);
    steps_ = 0;
    firstPassChanged_ = false;
    stateChanges_ = 0;
    const size_t words = dirty_.size();
    bool done = false;
    bool first = true;
    while (!done && !stopped) {
        ++quiet_;
        done = incomplete_ == 0;
        // One pass: the dirty clues in column-major order; a clue made dirty
        // ahead of the cursor runs in this pass, one behind it in the next.
        size_t word = 0;
        std::uint64_t bits = dirty_[0] & clueBits_[0];
        for (;;) {
            while (bits == 0) {
                if (++word >= words) break;
                bits = dirty_[word] & clueBits_[word];
            }
            if (word >= words) break;
            const int bit = std::countr_zero(bits);
            const int k = int(word * 64) + bit;
            dirty_[word] &= ~(1ull << bit);
            step(k);
            // Re-read the word: the step may have marked clues after k in it.
            const std::uint64_t above = bit == 63 ? 0 : ~0ull << (bit + 1);
            bits = dirty_[word] & clueBits_[word] & above;
        }
        if (first) firstPassChanged_ = stateChanges_ != 0;
        first = false;
        if (!done && quiet_ >= 1) {
            store(w);
            return Outcome::Stuck;
        }
    }
    store(w);
    return done ? Outcome::Solved : Outcome::Stopped;
}

bool solveByPasses(WorkArrays& w, CommandContext& ctx, PassSolver& solver, bool showResult, std::optional<double> startTime)
{
    const double start = startTime ? *startTime : ctx.now();
    const auto outcome = solver.run(w, ctx.stopFlag());
    if (outcome == PassSolver::Outcome::Stuck) {
        if (showResult) ctx.information("Не получилось!\r\n" + elapsedText(ctx.now() - start), "Решение");
        return false;
    }
    if (outcome == PassSolver::Outcome::Solved && showResult)
        ctx.information("Решается !\r\n" + elapsedText(ctx.now() - start), "Решение");
    return true;
}

} // namespace klt
