#pragma once
// Statistics of a headless run, kept as whole-number counts only: the counts of machines, and of
// shards played on other computers, then add up exactly to those of the whole run, whatever the
// order. Shares, intervals and means are derived from them where they are shown (stats_report.h).

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "machine/game_state.h"
#include "stats/game_record.h"

namespace rl00 {

struct Machine;

// A sum of counts past the largest value 64 bits hold: it counts nothing any more, so whatever
// was being added up (a merge, a file read back) is refused.
class CountOverflow : public std::overflow_error {
  public:
    using std::overflow_error::overflow_error;
};

// Adds `more` to `count`; throws CountOverflow naming `what` (such as "counts.games") when the
// sum does not fit.
void addCount(std::uint64_t& count, std::uint64_t more, const std::string& what);

struct Proportion {
    std::uint64_t hits = 0;
    std::uint64_t trials = 0;
    double share() const { return trials ? double(hits) / double(trials) : 0.0; }
    friend bool operator==(const Proportion&, const Proportion&) = default;
};

// Counts of a whole-number quantity: exact per value up to a bound, then one bin beyond it that
// keeps the count and the sum of its values, so that the mean stays exact.
class Histogram {
  public:
    explicit Histogram(std::uint64_t bound) : bins_(bound + 1, 0) {}

    void add(std::uint64_t value);
    // Adds another histogram's counts; throws CountOverflow naming `what` when a count or the
    // total would pass 64 bits.
    void merge(const Histogram& other, const std::string& what);

    std::uint64_t bound() const { return bins_.size() - 1; }
    // Values equal to `value` (at most the bound).
    std::uint64_t count(std::uint64_t value) const { return bins_.at(value); }
    std::uint64_t overCount() const { return over_count_; }
    std::uint64_t overSum() const { return over_sum_; }
    std::uint64_t total() const { return total_; }
    // The values counted, added up; long double keeps it exact far beyond any run's length.
    long double sum() const;
    // Values of at least `n`; n may be one past the bound.
    std::uint64_t atLeast(std::uint64_t n) const;

    // Rebuilds one from its parts as a statistics file keeps them; false when they cannot be a
    // histogram's (a bin past the bound, an overflow sum below what its count needs, counts that
    // add up past 64 bits).
    bool assign(const std::vector<std::uint64_t>& bins, std::uint64_t over_count,
                std::uint64_t over_sum);
    // The bins 0..bound without the zeros at the end.
    std::vector<std::uint64_t> trimmedBins() const;

    friend bool operator==(const Histogram&, const Histogram&) = default;

  private:
    std::vector<std::uint64_t> bins_;
    std::uint64_t over_count_ = 0;
    std::uint64_t over_sum_ = 0;
    std::uint64_t total_ = 0;  // the bins and the overflow count added up
};

// Games between two hits are counted exactly up to this many; about 14 times the mean gap, so
// that the bin beyond it is all but empty.
inline constexpr std::uint64_t kGapBound = 5000;
inline constexpr std::uint64_t kChainBound = 1000;

// The statistics panel's counters, in the order the table and the file show them.
inline constexpr int kPanelCounters = 9;
extern const std::array<const char*, kPanelCounters> kPanelNames;

// What the statistics panel shows when a machine ends, added up over machines. The machine's
// counters only ever count up from zero.
struct PanelSums {
    std::array<std::uint64_t, kPanelCounters> counters{};
    // Per reach kind 1..10: G_lRichDoha, G_lRichOshi, G_lRichAtari, G_lRichTotal.
    std::array<std::array<std::uint64_t, 4>, kReachKinds + 1> reaches{};

    void add(const Machine& m);
    // Throws CountOverflow when a sum would pass 64 bits.
    void merge(const PanelSums& other);
    friend bool operator==(const PanelSums&, const PanelSums&) = default;
};

class RunStats {
  public:
    // Counts one completed game.
    void add(const GameRecord& r);
    // Adds another run's counts (another machine's, another shard's); throws CountOverflow,
    // naming the count, when a sum would pass 64 bits (the counts are then partly added).
    void merge(const RunStats& other);

    std::uint64_t games() const { return games_; }
    std::uint64_t hits() const { return hits_; }
    // Hits that brought probability variation, among all hits.
    Proportion kakuhenHits() const { return {kakuhen_hits_, hits_}; }
    // Hits among the reaches of kind 1..10.
    Proportion reachKind(int kind) const;
    // Reaches of kind 1..10 that ended with result 1..3.
    std::uint64_t reachResult(int kind, int result) const;
    // Hits among the games played in mode 0, 1, 2.
    const Proportion& mode(int m) const { return by_mode_[static_cast<std::size_t>(m)]; }
    // Hits among the games showing preview "1" alone (1) and preview "2" (2).
    const Proportion& preview(int kind) const { return previews_[static_cast<std::size_t>(kind)]; }
    // Reaches of kind 1..10 that ended with result 1..3 in games played in mode 0, 1, 2.
    std::uint64_t reachResultInMode(int mode, int kind, int result) const;
    // Hits among the reaches of kind 1..10 played in mode 0, 1, 2.
    Proportion reachKindInMode(int mode, int kind) const;
    // Games of mode 0, 1, 2 that showed preview 1 alone (1) or preview 2 (2).
    std::uint64_t previewInMode(int mode, int kind) const;
    // Hits shown with the re-lottery, among the hits on normal (false) or kakuhen (true) symbols.
    const Proportion& reLottery(bool kakuhen) const { return re_lottery_[kakuhen ? 1 : 0]; }
    // Re-lotteries that passed the symbol and came back, among those of kakuhen hits.
    Proportion overshoot() const { return {overshoots_, re_lottery_[1].hits}; }
    // Time-shortening periods that brought a hit, among those that ended within the run.
    const Proportion& jitanPeriods() const { return jitan_periods_; }

    // G_iRenchan at the end of each chain that ended within the run.
    Histogram chains{kChainBound};
    // Games from one hit to the next, the hit included, over consecutive hits of a machine.
    Histogram gaps{kGapBound};
    // The same for every stretch whose first game was played in normal mode, the first stretch
    // after power-on included.
    Histogram gaps_from_normal{kGapBound};
    PanelSums panel;
    // Virtual time: animation frames, and the whole milliseconds of pauses and timer ticks.
    std::uint64_t frames = 0;
    std::uint64_t whole_ms = 0;

    double virtualMs(double frame_ms) const;

    friend bool operator==(const RunStats&, const RunStats&) = default;

  private:
    // The statistics file's layout of the counts reads and writes them (stats_layout.h).
    template <class Format, class Stats>
    friend void countsLayout(Format& f, Stats& s);
    template <class Format, class Stats>
    friend void reachesByModeLayout(Format& f, Stats& s);

    std::uint64_t games_ = 0;
    std::uint64_t hits_ = 0;
    std::uint64_t kakuhen_hits_ = 0;
    std::array<std::array<std::uint64_t, 4>, kReachKinds + 1> by_kind_result_{};
    std::array<Proportion, kModes> by_mode_{};
    std::array<Proportion, 3> previews_{};
    std::array<std::array<std::array<std::uint64_t, 4>, kReachKinds + 1>, kModes>
        by_mode_kind_result_{};
    std::array<std::array<std::uint64_t, 3>, kModes> previews_by_mode_{};
    std::array<Proportion, 2> re_lottery_{};
    std::uint64_t overshoots_ = 0;
    Proportion jitan_periods_{};
};

// One machine's line of the run: what the per-machine view is drawn from.
struct MachineSummary {
    std::uint64_t machine = 0;
    std::uint64_t games = 0;
    std::uint64_t hits = 0;
    // The most games in a row without a hit, the stretches before the first and after the last
    // hit included.
    std::uint64_t longest_drought = 0;
    int exit_code = 0;  // how the machine ended: 0 after its games or an end request
    friend bool operator==(const MachineSummary&, const MachineSummary&) = default;
};

// Follows one machine game by game: the run's counts, and what needs the games in their order
// (chains, gaps, droughts).
class MachineStats {
  public:
    explicit MachineStats(std::uint64_t machine) { summary_.machine = machine; }

    // Counts a completed game, played after all the games added before it.
    void add(const GameRecord& r);
    // Takes what the machine shows when it ends: its panel, its virtual time, its exit code.
    void finish(const Machine& m, std::uint64_t frames, std::uint64_t whole_ms, int exit_code);

    const RunStats& counts() const { return counts_; }
    const MachineSummary& summary() const { return summary_; }

  private:
    RunStats counts_;
    MachineSummary summary_;
    std::uint64_t since_hit_ = 0;  // games since the last hit, this one included
    std::uint64_t drought_ = 0;    // games without a hit up to now
    bool hit_seen_ = false;
    bool gap_from_normal_ = false;  // the first game of the running stretch was in normal mode
    Int16 open_chain_ = 0;          // G_iRenchan of a chain that has not ended yet
};

}  // namespace rl00
