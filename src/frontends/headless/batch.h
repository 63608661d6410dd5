#pragma once
// The headless runner: plays games with the very same GAME_START as the window, on the
// headless Display and its virtual clock.

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "platform/display.h"

namespace rl00 {

struct BatchOptions {
    std::uint64_t games = 1000;
    std::optional<std::uint64_t> seed;  // from the clock when missing
    std::string program_dir;            // where RL00.INI is looked for
    std::string ini_file;               // another configuration file instead
    std::string trace_file;
    std::string stats_file;
    double frame_ms = kDefaultFrameMs;
    bool quiet = false;
    bool every_frame = false;  // step every frame instead of the motion cache
    bool progress = false;     // progress lines on the error stream
    std::string argument;      // the program's own argument: "1", "7", "8"
};

// Plays the games and writes trace, statistics and the readable table (to `out` unless quiet).
// Returns the exit code: 0 after all games, 1 when a kind-4 message ended the machine, 2 when the
// configuration file cannot be read or an output file cannot be written (nothing is played).
int runBatch(const BatchOptions& options, std::ostream& out, std::ostream& err);

}  // namespace rl00
