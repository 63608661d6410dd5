#pragma once
// The controller: what the main window's events do, without any window. Both front ends (the
// Qt window and the headless runner) turn their events into these calls, so when a game may
// start, how the program ends and how the idle loop is entered are decided here once.

#include <cstdint>
#include <optional>
#include <string>

namespace rl00 {

struct Machine;

// The load of the main window, after any centring: records the program's directory, reads
// RL00.INI from it (relative folders counting from that directory), sets the stop symbols 1, 2, 3,
// prepares the reel pictures, hides the sprites, clears the result and mode texts, seeds the
// generator from the clock (unless `seed` is given) and, for the trimmed argument "1", starts in
// probability-variation mode. `command` is the program's command-line argument as given.
void loadMachine(Machine& m, const std::string& program_dir, const std::string& command,
                 std::optional<std::uint64_t> seed = std::nullopt);

// Whether a start request would start a game now: no game cycle is running, start requests are
// not paused and the idle counter has taken its first step.
bool acceptsStartRequest(const Machine& m);

// A tick of Tim_Start or a click on Com_Start: runs one game cycle when acceptsStartRequest
// holds; otherwise the request is ignored. Returns whether a game was played.
bool onStartRequest(Machine& m);

// Cmd_End and every close request: set the end flag; the running loop ends the program.
void onEndRequest(Machine& m);

// The main window's activation: the first one enters the idle loop RAND_LOOP, which never
// returns; later ones do nothing.
void onActivate(Machine& m);

// Pauses start requests for as long as it lives, for work that processes the window's events
// but must not have a game start meanwhile (the analysis launch runs inside one pass of the idle
// loop, where every game would draw the same frozen lottery value). Pauses may nest.
class StartRequestsPaused {
  public:
    explicit StartRequestsPaused(Machine& m);
    ~StartRequestsPaused();
    StartRequestsPaused(const StartRequestsPaused&) = delete;
    StartRequestsPaused& operator=(const StartRequestsPaused&) = delete;

  private:
    Machine& m_;
    bool was_paused_;
};

}  // namespace rl00
