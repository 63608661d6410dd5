#include "stats/drought_curves.h"

#include <algorithm>
#include <cmath>

#include "stats/theory.h"

namespace rl00 {

namespace {

// The chance axis ends at a power of ten at most half the chance of one gap among all counted, so
// that the last step shows above it; but at 1 % at least and at one in a million at most.
constexpr double kHighestFloor = 1e-2;
constexpr double kLowestFloor = 1e-6;
constexpr int kTheoryPoints = 300;
constexpr double kFewestGames = 10.0;

// The fewest games n with P(gap >= n) below `floor`, by halving: the chance only falls with n.
double gamesDownTo(double floor, double (*chance)(const Theory&, double), const Theory& t) {
    double low = 1.0, high = 2.0;
    while (chance(t, high) >= floor && high < 1e7)
        high *= 2.0;
    while (high - low > 1.0) {
        const double mid = std::floor((low + high) / 2.0);
        (chance(t, mid) >= floor ? low : high) = mid;
    }
    return high;
}

double longRun(const Theory& t, double n) {
    return t.survival(static_cast<std::uint64_t>(n));
}

double fromNormal(const Theory& t, double n) {
    return t.survivalFromNormal(static_cast<std::uint64_t>(n));
}

std::vector<CurvePoint> theoryCurve(double (*chance)(const Theory&, double), const Theory& t,
                                    double last_games) {
    std::vector<CurvePoint> points;
    const double step = std::max(1.0, std::ceil(last_games / kTheoryPoints));
    for (double n = 1.0; n <= last_games + step; n += step) {
        const double c = chance(t, n);
        if (c <= 0.0) break;  // beyond what a log scale can show
        points.push_back({n, c});
    }
    return points;
}

}  // namespace

std::vector<CurvePoint> survivalSteps(const Histogram& gaps) {
    std::vector<CurvePoint> points;
    const double total = static_cast<double>(gaps.total());
    std::uint64_t left = gaps.atLeast(1);  // gaps of at least v games
    if (left == 0) return points;
    points.push_back({1.0, static_cast<double>(left) / total});
    for (std::uint64_t v = 1; v <= gaps.bound() && left > gaps.overCount(); ++v) {
        const std::uint64_t here = gaps.count(v);
        if (here == 0) continue;
        const double x = static_cast<double>(v);
        points.push_back({x, static_cast<double>(left) / total});
        left -= here;
        if (left > 0) points.push_back({x, static_cast<double>(left) / total});
    }
    // Gaps beyond the bound: the chance stays where it is to the end of the histogram.
    if (left > 0) points.push_back({static_cast<double>(gaps.bound()), double(left) / total});
    return points;
}

DroughtCurves droughtCurves(const RunStats& s, const Theory* theory) {
    DroughtCurves c;
    c.steps = survivalSteps(s.gaps);
    c.steps_from_normal = survivalSteps(s.gaps_from_normal);
    const double gaps = static_cast<double>(
        std::max<std::uint64_t>({s.gaps.total(), s.gaps_from_normal.total(), 1}));
    c.floor =
        std::clamp(std::pow(10.0, std::floor(std::log10(0.5 / gaps))), kLowestFloor, kHighestFloor);
    c.last = kFewestGames;
    for (const auto* p : {&c.steps, &c.steps_from_normal}) {
        if (!p->empty()) c.last = std::max(c.last, p->back().x);
    }
    if (theory != nullptr) {
        c.last = std::max({c.last, gamesDownTo(c.floor, longRun, *theory),
                           gamesDownTo(c.floor, fromNormal, *theory)});
        c.theory = theoryCurve(longRun, *theory, c.last);
        c.theory_from_normal = theoryCurve(fromNormal, *theory, c.last);
    }
    return c;
}

}  // namespace rl00
