#pragma once
// The statistics file: what run it is (program version, seed, argument, frame period, games per
// machine, machines, shard), one line per machine, the run's whole-number counts, the figures
// derived from them, and a completeness mark. Only the counts are read back; the figures are
// derived again, so a merged file is byte for byte the file one run of all machines writes.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/display.h"
#include "stats/run_stats.h"
#include "stats/shard.h"

namespace rl00 {

// The project's version, as the build names it.
std::string_view programVersion();

// What must agree between files that are merged.
struct RunIdentity {
    std::string program_version{programVersion()};
    std::uint64_t seed = 0;
    std::string argument;  // trimmed as the machine compares it
    double frame_ms = kDefaultFrameMs;
    std::uint64_t games_per_machine = 0;
    std::uint64_t machines = 1;
    std::optional<std::uint64_t> end_after_ms;
    friend bool operator==(const RunIdentity&, const RunIdentity&) = default;
};

struct StatsDocument {
    RunIdentity run;
    Shard shard;
    std::vector<MachineSummary> machines;  // the shard's machines, in order
    RunStats counts;

    // Every machine of the shard is there and played all its games.
    bool complete() const;
};

// The file's text.
std::string statsFileText(const StatsDocument& d);

class StatsFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Reads a statistics file back. Throws StatsFileError, saying what is wrong, for a file that is
// not one, is cut short, comes from another version of the program, or does not agree with
// itself: counts that do not add up, machines outside its shard, or any figure or byte that
// differs from what the program writes for those counts.
StatsDocument readStatsFile(std::string_view text);

}  // namespace rl00
