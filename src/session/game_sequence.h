#pragma once
// The games of a run as both programs play and count them, so that a window run with a seed
// plays the runner's games of that seed, line for line of the trace.
//
// Where the window's free-running idle counter stands when a game starts depends on the
// machine's speed and on the moment, so no two window runs would meet. A seeded run stands for
// those passes with draws of its own, uniform over one whole cycle, as a game starting at an
// arbitrary moment sees lottery value and symbol; between two games nothing else moves the
// counter. Each game's virtual time is its frames at the run's frame period plus the whole
// milliseconds of its pauses, whatever pace a window shows it at.

#include <cstdint>

#include "platform/random.h"

namespace rl00 {

struct Machine;
class GameRecorder;

// The virtual clock of a run, kept by its Display: frames counted one by one (or a motion's
// frames at once), and whole milliseconds of pauses and of the time between games.
class GameClock {
  public:
    virtual std::uint64_t frames() const = 0;
    virtual std::uint64_t wholeMs() const = 0;
    // The virtual length of one animation frame.
    virtual double virtualFrameMs() const = 0;
    virtual void advanceMs(std::uint64_t ms) = 0;

  protected:
    ~GameClock() = default;
};

// Plays one game as a start request does and records it as game `game`, with its frames and
// virtual time on `clock`. False when no game was completed: the request was not accepted, or
// the game found the end flag first.
bool playRecordedGame(Machine& m, GameRecorder& recorder, std::uint64_t game,
                      const GameClock& clock);

// The seeded sequence: the machine's generator takes the seed itself (through the load), the
// idle counter's passes between games a generator of their own mixed from it.
class SeededRun {
  public:
    explicit SeededRun(std::uint64_t seed);

    std::uint64_t seed() const { return seed_; }
    // The idle loop's first step, which it publishes before any event is processed. Once, after
    // the load.
    void powerOn(Machine& m) const;
    // From one game to the next: the counter's passes and one tick of Tim_Start on the clock.
    void betweenGames(Machine& m, GameClock& clock);

  private:
    std::uint64_t seed_;
    Random idle_rng_;
};

}  // namespace rl00
