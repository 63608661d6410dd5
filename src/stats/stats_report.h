#pragma once
// What a run's counts say, set beside the machine's exact theory: the figures the table on the
// terminal, the statistics file, the report page and the windows show, derived from whole-number
// counts only, so that a merged run shows exactly what one run of all its machines shows.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "stats/intervals.h"
#include "stats/run_stats.h"

namespace rl00 {

struct Theory;
class MachineLines;

// Decimals of the figures wherever they are shown as text (the statistics file, the report page),
// so that every place shows the same digits for the same figure.
inline constexpr int kShareDecimals = 6;  // a reach kind's hit share and its interval
inline constexpr int kRateDecimals = 8;   // any other observed figure, its interval, any theory
inline constexpr int kMeanDecimals = 4;

// An observed proportion beside the theory's chance of it. Its intervals are exact binomial ones
// over effective counts: the games of a run are not independent trials (the mode carries over),
// so a figure counted per game spreads by the design effect the theory's chain gives it.
struct Comparison {
    std::string figure;  // in plain words, as the file and the runner's table name it
    Proportion observed;
    std::optional<double> theory;
    double scale = 1.0;  // 1000 for a figure per 1,000 games
    // The observed share's variance relative to that of as many independent trials (1 for
    // independent trials; without a theory, 1).
    double design_effect = 1.0;
    // What starting in normal mode at power-on adds to the share a run is expected to show: the
    // intervals, which are the long run's figure's, take it out.
    double start_offset = 0.0;
    // The figure as the window and the report page name it, in Japanese.
    std::string caption;

    Interval ci95() const { return interval(kTail95); }
    Interval ci9999() const { return interval(kTail9999); }
    // The theory lies outside the observation's 99.99 % interval: worth a look.
    bool outside() const;
    // The interval leaving `tail` outside each end.
    Interval interval(double tail) const;
};

// A mean beside the theory's; no interval, its spread is not kept.
struct MeanComparison {
    std::string figure;
    std::optional<double> observed;  // none without a single value
    std::optional<double> theory;
    std::string caption;
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
    // others[first_mode_share_row + mode]: the share of the games played in the mode;
    // others[first_kind_row + kind - 1]: reaches of the kind per 1,000 games.
    std::size_t first_mode_share_row = 0;
    std::size_t first_kind_row = 0;
    // others[first_reach_result_row + 3 * (kind - 1) + result - 1]: reaches of the kind ending
    // with result 1..3 (far miss, near miss, hit) per 1,000 games.
    std::size_t first_reach_result_row = 0;
    // Per mode m = 0..2 and kind k = 1..10: others[first_mode_reliability_row + 10 * m + k - 1]
    // is the reliability of the kind's reaches played in the mode, the same index from
    // first_mode_kind_row their number per 1,000 games of the mode; others[first_mode_preview_row
    // + 2 * m + p - 1] preview p per 1,000 games of the mode.
    std::size_t first_mode_reliability_row = 0;
    std::size_t first_mode_kind_row = 0;
    std::size_t first_mode_preview_row = 0;
    // others[first_re_lottery_row + i]: the re-lottery among normal (i = 0) and kakuhen hits (1),
    // the overshoot among kakuhen re-lotteries (2), time-shortening periods with a hit (3).
    std::size_t first_re_lottery_row = 0;
};

// `games_per_machine`: how many games each machine of the run played from power-on (0: all the
// games of `s`, one machine's).
Report compare(const RunStats& s, const Theory* theory, std::uint64_t games_per_machine = 0);

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

// One machine's hits or longest drought over the machines of a run, beside the theory's law for
// one machine of the run's length from power-on.
struct MachineComparison {
    std::string figure;
    std::string caption;
    Spread observed;
    bool with_theory = false;
    double theory_mean = 0.0;
    double theory_sd = 0.0;
    // Where one machine of a correct run lies 99 times in 100.
    double usual_low = 0.0;
    double usual_high = 0.0;
    // Whether the machines lie where a correct run's come in fewer than 1 run in 10^4: the
    // spread of their hits (two machines or more, long enough for the law to be all but normal),
    // the most a machine's drought reached. Empty where not judged.
    std::optional<bool> outside;
};

// Hits, then the longest drought. Only runs whose machines all played their games have theory.
std::vector<MachineComparison> compareMachines(const MachineLines& machines,
                                               std::uint64_t games_per_machine,
                                               const Theory* theory);

}  // namespace rl00
