#pragma once
// What a run's counts say, set beside the machine's exact theory: the figures both the table on
// the terminal and the statistics file show, derived from whole-number counts only, so that a
// merged run shows exactly what one run of all its machines shows.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stats/run_stats.h"

namespace rl00 {

struct Theory;

struct Interval {
    double low = 0.0;
    double high = 0.0;
    bool holds(double x) const { return x >= low && x <= high; }
};

// Decimals of the figures wherever they are shown as text (the statistics file, the report page),
// so that every place shows the same digits for the same figure.
inline constexpr int kShareDecimals = 6;  // a reach kind's hit share and its interval
inline constexpr int kRateDecimals = 8;   // any other observed figure, its interval, any theory
inline constexpr int kMeanDecimals = 4;

inline constexpr double kZ95 = 1.959963984540054;    // two-sided 95 %
inline constexpr double kZ9999 = 3.890591886413094;  // two-sided 99.99 %

// The Wilson score interval of a proportion at the two-sided level of `z`.
Interval wilson(const Proportion& p, double z);
inline Interval wilson95(const Proportion& p) {
    return wilson(p, kZ95);
}

// An observed proportion beside the theory's chance of it. The games of a run are not
// independent trials (the mode carries over), so the interval is a guide, not a test.
struct Comparison {
    std::string figure;
    Proportion observed;
    std::optional<double> theory;
    double scale = 1.0;  // 1000 for a figure per 1,000 games
    // False where the interval says little: the games of a mode come in stretches (a chain, a
    // time-shortening period), so a mode's share of the games varies far more than the share of
    // independent trials would, and a mark there would be noise.
    bool judged = true;

    Interval ci95() const;
    // The theory lies outside the observation's 99.99 % interval: worth a look.
    bool outside() const;
};

// A mean beside the theory's; no interval, its spread is not kept.
struct MeanComparison {
    std::string figure;
    std::optional<double> observed;  // none without a single value
    std::optional<double> theory;
};

// Whether the theory describes the games of a run: the test arguments 7 and 8 replace the
// free-running lottery that it counts over.
bool theoryApplies(const std::string& argument);

// Chains of 1..kChainRows hits each have a row, the longer ones one together: together they hold
// about one chain in a hundred.
inline constexpr std::uint64_t kChainRows = 10;

// Every figure the theory has one for. Without a theory, the same rows without it.
struct Report {
    std::vector<Comparison> reach_kinds;  // [kind - 1]: hits among the reaches of the kind
    std::vector<Comparison> modes;        // [mode]: hits among the games of the mode
    std::vector<Comparison> others;       // hits per 1,000, mode shares, reaches, previews, ...
    std::vector<MeanComparison> means;
    // others[first_chain_row + k - 1] is the row of chains of k hits, k = 1..kChainRows + 1 (the
    // last one: kChainRows + 1 hits or more).
    std::size_t first_chain_row = 0;
};
Report compare(const RunStats& s, const Theory* theory);

// How one quantity spreads over the machines of a run.
struct Spread {
    struct Bin {
        std::uint64_t from = 0;  // values from..to
        std::uint64_t to = 0;
        std::uint64_t machines = 0;
    };
    std::uint64_t machines = 0;
    double mean = 0.0;
    double sd = 0.0;  // the sample standard deviation; 0 for fewer than two machines
    std::uint64_t min = 0;
    std::uint64_t max = 0;
    std::vector<Bin> bins;  // equal widths from min to max, at most kSpreadBins of them
};
inline constexpr std::uint64_t kSpreadBins = 10;
Spread spreadOf(const std::vector<std::uint64_t>& values);

}  // namespace rl00
