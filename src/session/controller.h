#pragma once
// What the main window's events do, without any window: the front ends (Qt window, headless
// runner) turn their events into these calls.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rl00 {

struct Machine;

// The load of the main window, after any centring: records the program's directory, reads
// RL00.INI from it, sets the stop symbols 1, 2, 3, prepares the reel pictures, hides the sprites,
// clears the result and mode texts, seeds the generator from the clock (unless `seed` is
// given) and, for the trimmed argument "1", starts in probability-variation mode.
// `command` is the program's command-line argument as given.
void loadMachine(Machine& m, const std::string& program_dir, const std::string& command,
                 std::optional<std::uint64_t> seed = std::nullopt);

// A tick of Tim_Start or a click on Com_Start: runs one game cycle, unless one is running
// already or the idle counter has not taken its first step (then the request is ignored).
void onStartRequest(Machine& m);

// Cmd_End and every close request: set the end flag; the running loop ends the program.
void onEndRequest(Machine& m);

}  // namespace rl00
