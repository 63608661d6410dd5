#pragma once
// The headless runner: plays games with the very same GAME_START as the window, on the
// headless Display and its virtual clock, on one machine or on many at once.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "platform/display.h"
#include "stats/shard.h"

namespace rl00 {

struct BatchOptions {
    std::uint64_t games = 1000;  // per machine
    std::uint64_t machines = 1;
    unsigned jobs = 0;  // threads; 0: one per core
    Shard shard;
    std::optional<std::uint64_t> seed;    // from the clock when missing
    std::string program_dir;              // where RL00.INI is looked for
    std::optional<std::string> ini_file;  // another configuration file instead
    std::string user_ini_file;  // without either, the user's settings file, if there is one
    std::string trace_file;
    std::string stats_file;
    double frame_ms = kDefaultFrameMs;
    std::optional<std::uint64_t> end_after_ms;  // the end button, at this virtual time
    bool quiet = false;
    bool every_frame = false;  // step every frame instead of the motion cache
    bool progress = false;     // a progress line on the error stream
    std::string argument;      // the program's own argument: "1", "7", "8"
};

// Plays the games of the shard's machines and writes trace, run log, statistics file and the
// readable table (to `out` unless quiet). Returns the exit code: 0 after all games or an end
// request; 1 when a machine ended itself with an error or an output file could not be written
// (one line on `err` each); 2 when the configuration file cannot be read or an output file
// cannot be created (nothing is played).
int runBatch(const BatchOptions& options, std::ostream& out, std::ostream& err);

}  // namespace rl00
