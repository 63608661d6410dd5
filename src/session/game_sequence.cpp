#include "session/game_sequence.h"

#include "engine/rand_loop.h"
#include "machine/machine.h"
#include "session/controller.h"
#include "stats/game_recorder.h"

namespace rl00 {

namespace {

// Frames are multiplied out rather than added up one by one, so a motion whose frames were
// skipped takes exactly the time its frames would have taken.
double virtualMsOf(const GameClock& clock) {
    return double(clock.frames()) * clock.virtualFrameMs() + double(clock.wholeMs());
}

}  // namespace

bool playRecordedGame(Machine& m, GameRecorder& recorder, std::uint64_t game,
                      const GameClock& clock) {
    recorder.begin(m, game);
    const std::uint64_t frames_before = clock.frames();
    const double ms_before = virtualMsOf(clock);
    if (!onStartRequest(m)) return false;
    return recorder.finish(m, clock.frames() - frames_before, virtualMsOf(clock) - ms_before);
}

SeededRun::SeededRun(std::uint64_t seed) : seed_(seed), idle_rng_(seed ^ 0x5DEECE66DULL) {}

void SeededRun::powerOn(Machine& m) const {
    idleStep(m);
}

void SeededRun::betweenGames(Machine& m, GameClock& clock) {
    advanceIdle(m, idle_rng_.nextBits() % kIdleCyclePasses);
    clock.advanceMs(static_cast<std::uint64_t>(m.scene.Tim_Start.interval_ms));
}

}  // namespace rl00
