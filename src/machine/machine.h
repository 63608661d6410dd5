#pragma once
// One running machine: all of its state, its scene, its random generator and the Display it
// plays on. Every procedure of the machine takes it as its first argument; there are no
// mutable globals, so a test builds a fresh machine and a batch run may play several.

#include <cstdint>
#include <string>
#include <string_view>

#include "machine/game_state.h"
#include "machine/motions.h"
#include "machine/reel_state.h"
#include "machine/scene.h"
#include "machine/settings.h"
#include "platform/display.h"
#include "platform/random.h"
#include "platform/runtime_error.h"

namespace rl00 {

// Told of the moments of a game that no state keeps afterwards (for traces).
class GameObserver {
  public:
    virtual ~GameObserver() = default;
    // Right after STOP_SEL has decided the game's outcome and stop symbols.
    virtual void outcomeDecided(const struct Machine& m) = 0;
};

// The command-line argument as the load and the game cycle compare it: trimmed of spaces only, as
// the machine trimmed it (a tab is part of the argument).
inline std::string_view commandArgument(const std::string& command) {
    const auto first = command.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    const auto last = command.find_last_not_of(' ');
    return std::string_view(command).substr(first, last - first + 1);
}

// RAND_LOOP's own positions: they survive the games that run inside the loop.
struct IdleCounter {
    Int16 j = 0;           // lottery position 0..366
    Int16 i = 1;           // symbol position 1..14
    bool stepped = false;  // the first step has been taken
};

struct Machine : GameState, ReelState, Settings {
    Machine(Display& d, std::uint64_t seed) : display(d), rnd(seed) {}
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    Display& display;
    Scene scene;
    Random rnd;
    PendingError err;
    IdleCounter idle;

    // The command-line argument as the program received it.
    std::string command;
    // The program's directory (set while the window loads).
    std::string G_sAppPath;

    // Kept by the session's controller: a start request is ignored while a game cycle runs or
    // while other work has paused start requests.
    bool game_running = false;
    bool start_requests_paused = false;
    GameObserver* observer = nullptr;
    // Who plays the reel and reach motions; none: frame by frame.
    Motions* motions = nullptr;
};

// Every item of a machine for the motion store, part by part, as describeItems of GameState
// tells; the kept items in the order of their slots: the reels, the game's symbols and flags,
// the pictures and the reel window. The Display is a reference, which has no item to name.
template <class Visitor>
void describeItems(Machine& m, Visitor& v) {
    describeItems(static_cast<ReelState&>(m), v);
    describeItems(static_cast<GameState&>(m), v);
    describeItems(m.scene, v);
    describeItems(static_cast<Settings&>(m), v);
    // Motions draw nothing: a stored motion leaves the generator where the game left it.
    v.untouched(m.rnd, m.err, m.idle, m.command, m.G_sAppPath, m.game_running,
                m.start_requests_paused, m.observer, m.motions);
}
}  // namespace rl00
