#pragma once
// The idle lottery counter: the lottery value of a game is the position of a counter that runs
// while the program idles, read at the moment the game starts.

#include <cstdint>

#include "machine/game_state.h"
#include "machine/symbols.h"

namespace rl00 {

struct Machine;

// Passes after which lottery value and symbol counter stand where they stood: every lottery
// value for each of the 14 symbol positions.
inline constexpr std::uint64_t kIdleCyclePasses = std::uint64_t{kLotteryValues} * kSymbols;

// One counting step of RAND_LOOP: advance and publish G_iLottery and G_iZugCnt.
void idleStep(Machine& m);

// `passes` counting steps at once, without event processing: what the free-running loop would
// have counted between two games. Exactly equal to `passes` calls of idleStep.
void advanceIdle(Machine& m, std::uint64_t passes);

// Counts and processes events forever; ends the program at the first pass that finds G_bEnd.
[[noreturn]] void RAND_LOOP(Machine& m);

// RAND_LOOP of a seeded run: events are processed and the end flag is seen at every pass, but
// the counter stands, so that between games only the run's own draws move it (SeededRun). With
// nothing to count, a pass waits for the next event.
[[noreturn]] void heldIdleLoop(Machine& m);

}  // namespace rl00
