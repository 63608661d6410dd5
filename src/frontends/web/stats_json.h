#pragma once
// The figures of the page's statistics view as JSON: the four charts of the window's statistics
// window (reliability per reach kind, droughts, chains, hit rate per mode) with the theory beside
// them, every figure taken from the stats layer (compare(), droughtCurves()), so that the page's
// charts show what the window's and the runner's figures say.

#include <string>

#include "stats/run_stats.h"

namespace rl00 {

struct Theory;

// `theory` is null where none applies (the test arguments 7 and 8).
std::string statsJson(const RunStats& s, const Theory* theory);

}  // namespace rl00
