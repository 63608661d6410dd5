#pragma once
// One machine of a headless run, from power-on to its last game: its own Display and virtual
// clock, its own generators, its own statistics. Nothing in it is shared with another machine
// but what it only reads, so machines play on as many threads as there are.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "engine/motion_cache.h"
#include "machine/settings.h"
#include "stats/run_stats.h"

namespace rl00 {

class OutputFile;

// What every machine of a run is set up with.
struct MachineSetup {
    std::uint64_t seed = 0;  // the run's
    std::uint64_t games = 0;
    std::string program_dir;
    std::string argument;
    Settings settings;  // read once for the run
    double frame_ms = 0.0;
    std::optional<std::uint64_t> end_after_ms;
    bool machine_in_trace = false;  // name the machine on every trace line
    bool every_frame = false;       // step every frame instead of the motion cache
    // Set when another machine has ended the run with an error: stop before the next game.
    const std::atomic<bool>* halt = nullptr;
};

// Machine 0 plays with the run's seed itself, so a run of one machine is the runner's run as it
// always was; every other machine with a seed mixed from the run's seed and its number.
std::uint64_t machineSeed(std::uint64_t run_seed, std::uint64_t machine);

struct MachineResult {
    explicit MachineResult(std::uint64_t machine) : stats(machine) {}
    MachineStats stats;
    MotionCache::Counts motions;
    int exit_code = 0;
    // The messages the machine showed and how it ended, for the error stream; empty after an
    // ordinary end.
    std::string report;
};

// Plays `setup.games` games on machine `machine`, its trace lines to `trace` (may be null) and
// its run-log records to the configured log with `log_name_suffix` added to the file name.
// Every completed game adds one to `games_done`, in batches.
MachineResult playMachine(const MachineSetup& setup, std::uint64_t machine, OutputFile* trace,
                          const std::string& log_name_suffix,
                          std::atomic<std::uint64_t>& games_done);

}  // namespace rl00
