#pragma once
// The reel and reach motions of a game, at the points where the game cycle asks for them. By
// default they are played frame by frame (the engine's procedures); a run that draws nothing
// may give the machine a player that accounts them in closed form instead, with the same
// outcome, frames, pauses and state. The procedure names are the machine's own.

#include "platform/vb_types.h"

namespace rl00 {

struct Machine;

class Motions {
  public:
    // A reach presentation: RICH_NM, RICH_ROS, ... with the stop symbol S and the reach symbol R.
    using Presentation = void (*)(Machine&, Int16& S, Int16& R);

    virtual ~Motions() = default;

    // The reels placed at the previous game's stop symbols, before the outcome is drawn.
    virtual void startDisplay(Machine& m) = 0;
    // Spin-up, jump, left stop and right stop.
    virtual void spinToRightStop(Machine& m) = 0;
    // The centre stop of a game without reach.
    virtual void centreStop(Machine& m) = 0;
    // The presentation of reach kind `kind`.
    virtual void presentation(Machine& m, Presentation play, Int16 kind, Int16& S, Int16& R) = 0;
    // The re-lottery's steps, after its draw: from the provisional symbol to the hit symbol.
    virtual void reLotterySteps(Machine& m) = 0;
};

}  // namespace rl00
