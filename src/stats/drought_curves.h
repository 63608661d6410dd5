#pragma once
// The points of the drought chart, P(gap >= n) against n on a log scale: the observed steps and
// the theory's curves, and the stretch of both axes. Kept below the front ends so that every
// chart of them (the window's, the page's) draws the very same points.

#include <vector>

#include "stats/run_stats.h"

namespace rl00 {

struct Theory;

struct CurvePoint {
    double x = 0.0;
    double y = 0.0;
    bool operator==(const CurvePoint&) const = default;
};

struct DroughtCurves {
    // Observed between hits and from normal mode; the theory's (empty without one).
    std::vector<CurvePoint> steps;
    std::vector<CurvePoint> steps_from_normal;
    std::vector<CurvePoint> theory;
    std::vector<CurvePoint> theory_from_normal;
    // The chance axis ends at `floor` (a power of ten), the games axis at `last`.
    double floor = 0.0;
    double last = 0.0;
};

// The steps of P(gap >= n) of the gaps counted: a point where each step begins and ends, from
// n = 1 (chance 1) down to the longest gap within the histogram's bound (chance 1/gaps counted).
std::vector<CurvePoint> survivalSteps(const Histogram& gaps);

// Every curve of the chart for these counts; `theory` may be null.
DroughtCurves droughtCurves(const RunStats& s, const Theory* theory);

}  // namespace rl00
