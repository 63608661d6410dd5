#pragma once
// The player of a game's motions: the machine's own (Machine::motions), or the engine's
// frame-by-frame procedures when it has none.

#include "machine/motions.h"

namespace rl00 {

struct Machine;

// Plays every motion frame by frame with the reel and reach procedures.
class SteppedMotions final : public Motions {
  public:
    void startDisplay(Machine& m) override;
    void spinToRightStop(Machine& m) override;
    void centreStop(Machine& m) override;
    void presentation(Machine& m, Presentation play, Int16 kind, Int16& S, Int16& R) override;
    void reLotterySteps(Machine& m) override;
};

// The machine's player, or the frame-by-frame one.
Motions& motionsOf(Machine& m);

}  // namespace rl00
