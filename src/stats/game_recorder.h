#pragma once
// What a game leaves to be recorded: the outcome as the selection decided it (caught while the
// game plays, since no state keeps it) and what the machine shows when the game is over. Both
// front ends record their games with it, so a window's trace line is the runner's.

#include <cstdint>

#include "machine/machine.h"
#include "stats/game_record.h"

namespace rl00 {

class GameRecorder : public GameObserver {
  public:
    // Before the game's start request; the machine must have this recorder as its observer.
    void begin(const Machine& m, std::uint64_t game);
    // After the start request. False when the game cycle found the end flag first and returned
    // without counting the game: there is nothing to record then.
    bool finish(const Machine& m, std::uint64_t frames, double virtual_ms);

    const GameRecord& record() const { return record_; }

    void outcomeDecided(const Machine& m) override;

  private:
    GameRecord record_;
    // Every completed game counts itself on the panel: a hit among the hits, any other game in
    // G_lRevCnt.
    Int32 games_since_hit_ = 0;
    Int32 hits_ = 0;
};

}  // namespace rl00
