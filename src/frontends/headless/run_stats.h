#pragma once
// Statistics of a headless run: the counters of the statistics panel, and what the panel does
// not keep across hits (reaches by kind and result over the whole run, hits per mode).

#include <array>
#include <cstdint>
#include <string>

#include "frontends/headless/game_record.h"

namespace rl00 {

struct Machine;

struct Proportion {
    std::uint64_t hits = 0;
    std::uint64_t trials = 0;
    double share() const { return trials ? double(hits) / double(trials) : 0.0; }
};

// The 95 % Wilson score interval of a proportion.
struct Interval {
    double low = 0.0;
    double high = 0.0;
};
Interval wilson95(const Proportion& p);

class RunStats {
  public:
    void add(const GameRecord& r);

    std::uint64_t games() const { return games_; }
    // Hits among the reaches of kind 1..10.
    const Proportion& reachKind(int kind) const { return by_kind_[static_cast<std::size_t>(kind)]; }
    // Reaches of kind 1..10 that ended with result 1..3.
    std::uint64_t reachResult(int kind, int result) const;
    // Hits among the games played in mode 0, 1, 2.
    const Proportion& mode(int m) const { return by_mode_[static_cast<std::size_t>(m)]; }

    // A readable table for a terminal.
    std::string table(const Machine& m, double virtual_ms) const;
    // The same as one JSON document.
    std::string json(const Machine& m, double virtual_ms) const;

  private:
    std::uint64_t games_ = 0;
    std::array<Proportion, 11> by_kind_{};
    std::array<std::array<std::uint64_t, 4>, 11> by_kind_result_{};
    std::array<Proportion, 3> by_mode_{};
};

}  // namespace rl00
