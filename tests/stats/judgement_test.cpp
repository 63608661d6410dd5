// The judgement against the real machine: many independent seeded runs of the real engine (the
// closed-form motions, as the runner plays them), each judged as the runner judges its run. A
// correct machine must be marked in about as few runs as the marks' level promises, and in far
// fewer than under the judgement that took every game for an independent trial.

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <iostream>

#include "frontends/headless/machine_run.h"
#include "stats/stats_report.h"
#include "stats/theory.h"
#include "support/test_size.h"

namespace rl00 {
namespace {

// Short runs, so that many fit: the judgement is the same for any length; tools/calibrate.sh
// calibrates the runner itself on longer runs (docs/theory.md).
constexpr std::uint64_t kGamesPerRun = 5000;
// 400 runs in an optimised build (2 million games, some seconds); the sanitizers' build plays 40,
// enough to run every row's judgement under them.
const int kRuns = test::sized(400, 40);
// Each bound below fails a correct machine in fewer than 1 in 20,000 runs of this test.
constexpr double kFailing = 5e-5;
// The share of runs the old judgement marked: 401 of 2,000 runs of 5,000 games with the 51 rows
// it judged; taken lower, and on more rows it marks only more.
constexpr double kOldShareAtLeast = 0.15;

// Today's judgement before it took the mode process into account: the 99.99 % Wilson interval of
// independent trials, mode shares not judged.
bool markedAsIndependentTrials(const Comparison& c) {
    if (!c.theory || c.figure.starts_with("games in ") || c.observed.trials == 0) return false;
    const double z = -normalQuantile(kTail9999), n = static_cast<double>(c.observed.trials);
    const double p = c.observed.share(), z2 = z * z, denom = 1.0 + z2 / n;
    const double centre = (p + z2 / (2 * n)) / denom;
    const double half = z * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n)) / denom;
    const double low = c.observed.hits == 0 ? 0.0 : centre - half;
    const double high = c.observed.hits == c.observed.trials ? 1.0 : centre + half;
    return *c.theory < low || *c.theory > high;
}

double binomialPmf(int n, int k, double p) {
    return std::exp(std::lgamma(n + 1.0) - std::lgamma(k + 1.0) - std::lgamma(n - k + 1.0) +
                    k * std::log(p) + (n - k) * std::log1p(-p));
}

// The fewest marked runs b with P(more than b) at most kFailing, at a share of p per run.
int mostMarked(int runs, double p) {
    double above = 1.0;
    for (int b = 0; b <= runs; ++b) {
        above -= binomialPmf(runs, b, p);
        if (above <= kFailing) return b;
    }
    return runs;
}

// The most marked runs b with P(fewer than b) at most kFailing.
int leastMarked(int runs, double p) {
    double below = 0.0;
    for (int b = 0; b <= runs; ++b) {
        below += binomialPmf(runs, b, p);
        if (below > kFailing) return b;
    }
    return runs;
}

TEST(Judgement, ACorrectMachineIsMarkedNoMoreOftenThanTheMarksLevelSays) {
    const Theory theory = computeTheory();
    MachineSetup setup;
    setup.games = kGamesPerRun;
    setup.program_dir = "/nonexistent";
    int marked = 0, marked_before = 0;
    std::size_t rows = 0;
    for (int run = 1; run <= kRuns; ++run) {
        setup.seed = static_cast<std::uint64_t>(run) * 7919;
        std::atomic<std::uint64_t> games_done{0};
        const MachineResult played = playMachine(setup, 0, nullptr, "", games_done);
        ASSERT_EQ(played.stats.counts().games(), kGamesPerRun);
        const Report r = compare(played.stats.counts(), &theory, kGamesPerRun);
        bool any = false, any_before = false;
        rows = 0;
        for (const auto* list : {&r.reach_kinds, &r.modes, &r.others}) {
            for (const Comparison& c : *list) {
                rows += c.theory.has_value();
                any = any || c.outside();
                any_before = any_before || markedAsIndependentTrials(c);
            }
        }
        marked += any;
        marked_before += any_before;
    }
    // Every row marks a correct machine in at most 1 run of 10^4, so a run is marked at most
    // this often; the exact intervals are conservative, so less in fact.
    const double nominal = 1.0 - std::pow(1.0 - 2 * kTail9999, static_cast<double>(rows));
    std::cout << "runs marked: " << marked << " of " << kRuns << " (nominal at most "
              << nominal * kRuns << "), as independent trials: " << marked_before << "\n";
    EXPECT_LE(marked, mostMarked(kRuns, nominal));
    EXPECT_GE(marked_before, leastMarked(kRuns, kOldShareAtLeast));
}

// Rows of a short run that saw none of an event, or nothing else: the start's share taken out
// may leave a fraction of an event, yet their intervals begin at 0 and end at 1 exactly.
TEST(Judgement, IntervalsOfNoneAndAllEndExactly) {
    const Theory theory = computeTheory();
    MachineSetup setup;
    setup.games = 1000;
    setup.seed = 1;
    setup.program_dir = "/nonexistent";
    std::atomic<std::uint64_t> games_done{0};
    const MachineResult played = playMachine(setup, 0, nullptr, "", games_done);
    const Report r = compare(played.stats.counts(), &theory, setup.games);
    int none = 0, all = 0;
    for (const auto* list : {&r.reach_kinds, &r.modes, &r.others}) {
        for (const Comparison& c : *list) {
            if (c.observed.trials == 0) continue;
            if (c.observed.hits == 0) {
                ++none;
                EXPECT_EQ(c.ci95().low, 0.0) << c.figure;
                EXPECT_EQ(c.ci9999().low, 0.0) << c.figure;
            }
            if (c.observed.hits == c.observed.trials) {
                ++all;
                EXPECT_EQ(c.ci95().high, 1.0) << c.figure;
            }
        }
    }
    EXPECT_GT(none, 10);  // the run is short enough to leave many rows empty
    EXPECT_GT(all, 0);
}

}  // namespace
}  // namespace rl00
