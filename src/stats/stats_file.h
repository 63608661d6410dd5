#pragma once
// The statistics file: what run it is (program version, seed, argument, frame period, games per
// machine, machines, shard), one line per machine, the run's whole-number counts, the figures
// derived from them, and a completeness mark. Only the counts are read back; the figures are
// derived again, so a merged file is byte for byte the file one run of all machines writes.
// Both ways go as a stream: a file of a million machines is neither built nor read whole.

#include <cstdint>
#include <functional>
#include <limits>
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

// The longest text a statistics file holds (the argument, the version), in bytes of UTF-8.
inline constexpr std::size_t kMaxStatsTextBytes = 1024;
// More than the file of a million machines (the most a run plays) takes even with 20-digit
// counts; a larger file is not one, and is refused before it costs the time to read it.
inline constexpr std::uint64_t kMaxStatsFileBytes = std::uint64_t{256} << 20;

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

// The machines' lines of a file, in machine order. What the figures and the checks need of them
// is added up as they come; the lines themselves are kept unless the reader has no use for them
// (the report), so that a file of a million machines can be checked in little memory.
class MachineLines {
  public:
    explicit MachineLines(bool keep_lines = true) : keep_(keep_lines) {}

    // Adds the next machine's line; throws CountOverflow when the machines' games or hits add up
    // past 64 bits.
    void add(const MachineSummary& m);
    // Adds another's lines after these; `other` is left empty.
    void append(MachineLines&& other);

    std::uint64_t size() const { return count_; }
    bool keepsLines() const { return keep_; }
    // The lines, when they are kept.
    const std::vector<MachineSummary>& lines() const { return lines_; }

    std::uint64_t games() const { return games_; }
    std::uint64_t hits() const { return hits_; }
    std::uint64_t machinesWithHits() const { return hit_machines_; }
    // The fewest games a machine played; the largest number when there is none.
    std::uint64_t fewestGames() const { return fewest_games_; }
    bool allEndedWell() const { return all_ended_well_; }
    // Per machine, in machine order: hits, and the longest drought.
    std::vector<std::uint64_t> hitsPerMachine() const;
    std::vector<std::uint64_t> droughtPerMachine() const;

  private:
    bool keep_;
    std::vector<MachineSummary> lines_;
    // Without the lines, the two figures the spreads are drawn from.
    std::vector<std::uint64_t> hits_per_machine_;
    std::vector<std::uint64_t> drought_per_machine_;
    std::uint64_t count_ = 0;
    std::uint64_t games_ = 0;
    std::uint64_t hits_ = 0;
    std::uint64_t hit_machines_ = 0;
    std::uint64_t fewest_games_ = std::numeric_limits<std::uint64_t>::max();
    bool all_ended_well_ = true;
};

struct StatsDocument {
    RunIdentity run;
    Shard shard;
    MachineLines machines;  // the shard's machines, in order
    RunStats counts;

    // Every machine of the shard is there and played all its games.
    bool complete() const;
};

// Takes the file's text a piece at a time, in order.
using TextSink = std::function<void(std::string_view)>;
void writeStatsFile(const StatsDocument& d, const TextSink& sink);
// The file's text.
std::string statsFileText(const StatsDocument& d);

class StatsFileError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Whether a reader keeps the machines' lines (a merge writes them out again) or only what the
// figures need of them.
enum class MachineLinesRead { Keep, Drop };

// Reads a statistics file back. Throws StatsFileError, saying what is wrong, for a file that is
// not one, is cut short, comes from another version of the program, or does not agree with
// itself: counts that contradict each other or add up past 64 bits, machines outside its shard,
// texts that are not UTF-8 or too long, or any figure or byte that differs from what the
// program writes for those counts.
StatsDocument readStatsFile(std::string_view text, MachineLinesRead lines = MachineLinesRead::Keep);
// The same for the file at `path`, read as a stream; the messages name the file. Anything but a
// regular file of at most kMaxStatsFileBytes is refused before it is read.
StatsDocument readStatsFileAt(const std::string& path,
                              MachineLinesRead lines = MachineLinesRead::Keep);

}  // namespace rl00
