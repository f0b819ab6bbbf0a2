#include "core/solver.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace klt {

std::string elapsedText(double seconds)
{
    if (seconds < 0) seconds = 0;
    auto total = static_cast<long long>(std::floor(seconds));
    char buf[48];
    std::snprintf(buf, sizeof buf, "%lld:%02lld:%02lld", (total / 3600) % 24, (total / 60) % 60, total % 60);
    return buf;
}

namespace {

int countBelievedFilled(const WorkArrays& w, int q, int s)
{
    int n = 0;
    w.forEachInBlock(q, s, [&](int c, int r) { n += w.valueFilled(c, r); });
    return n;
}

int countUnknownAround(const WorkArrays& w, int q, int s)
{
    int n = 0;
    w.forEachInBlock(q, s, [&](int c, int r) { n += w.state(c, r) == csUnknown; });
    return n;
}

} // namespace

void clueStep(WorkArrays& w, int q, int s)
{
    const int v = std::abs(static_cast<int>(w.value(q, s)));
    const int f = countBelievedFilled(w, q, s);
    const bool border = q == 0 || q == w.lastCol || s == 0 || s == w.lastRow;
    const bool corner = (q == 0 || q == w.lastCol) && (s == 0 || s == w.lastRow);

    auto fillStep = [&](int nc, int nr) {
        if (countBelievedFilled(w, q, s) == v) {
            w.setState(q, s, csComplete);
        } else {
            auto& val = w.value(nc, nr);
            val = static_cast<std::int8_t>(-std::abs(static_cast<int>(val)));
            w.setState(nc, nr, csDecided);
        }
    };
    auto completionStep = [&](int nc, int nr) {
        if (v != 0 && (countBelievedFilled(w, q, s) != v || w.state(q, s) != csComplete)) return;
        if (nc == q && nr == s)
            w.setState(q, s, csComplete);
        else if (w.state(nc, nr) == csUnknown)
            w.setState(nc, nr, csDecided);
    };

    w.forEachInBlock(q, s, [&](int nc, int nr) {
        const auto st = w.state(nc, nr);
        if (st == csComplete || (st == csDecided && !w.hasClue(nc, nr))) return;
        if (w.valueFilled(nc, nr)) {
            completionStep(nc, nr);
            return;
        }
        if (v == 9 || (v == 6 && border) || (v == 4 && corner)) {
            fillStep(nc, nr);
            return;
        }
        const int u = countUnknownAround(w, q, s);
        const auto ks = w.state(q, s);
        if (v > 0 && v >= f && (u == 1 || u == v - f) && w.state(nc, nr) == csUnknown &&
            (ks == csUnknown || ks == csDecided))
            fillStep(nc, nr);
        else
            completionStep(nc, nr);
    });
    if (countBelievedFilled(w, q, s) == v && w.state(q, s) != csComplete) w.setState(q, s, csComplete);
}

bool solveLiteral(WorkArrays& w, CommandContext& ctx, bool showResult, std::optional<double> startTime)
{
    const double start = startTime ? *startTime : ctx.now();

    for (int c = 0; c <= w.lastCol; ++c) {
        for (int r = 0; r <= w.lastRow; ++r) {
            auto& val = w.value(c, r);
            if (val < 0) val = static_cast<std::int8_t>(-val);
            w.state(c, r) = csUnknown;
        }
    }

    bool done = false;
    while (!done && !ctx.stopped()) {
        ++w.quietPasses;
        done = true;
        for (int c = 0; c <= w.lastCol && done; ++c)
            for (int r = 0; r <= w.lastRow; ++r)
                if (w.state(c, r) < csComplete && w.hasClue(c, r)) {
                    done = false;
                    break;
                }
        for (int c = 0; c <= w.lastCol; ++c)
            for (int r = 0; r <= w.lastRow; ++r)
                if (w.hasClue(c, r)) clueStep(w, c, r);
        if (!done && w.quietPasses >= 1) {
            if (showResult)
                ctx.information("Не получилось!\r\n" + elapsedText(ctx.now() - start), "Решение");
            return false;
        }
    }
    if (done && showResult) ctx.information("Решается !\r\n" + elapsedText(ctx.now() - start), "Решение");
    return true;
}

} // namespace klt
