#include "engine/motions.h"

#include "engine/game_start.h"
#include "machine/machine.h"
#include "reels/reels.h"

namespace rl00 {

void SteppedMotions::startDisplay(Machine& m) {
    rl00::startDisplay(m);
}

void SteppedMotions::spinToRightStop(Machine& m) {
    rl00::spinToRightStop(m);
}

void SteppedMotions::centreStop(Machine& m) {
    rl00::centreStop(m);
}

void SteppedMotions::presentation(Machine& m, Presentation play, Int16 /*kind*/, Int16& S,
                                  Int16& R) {
    play(m, S, R);
}

void SteppedMotions::reLotterySteps(Machine& m) {
    rl00::reLotterySteps(m);
}

Motions& motionsOf(Machine& m) {
    // Holds no state, so one object serves every machine on every thread.
    static SteppedMotions stepped;
    return m.motions != nullptr ? *m.motions : stepped;
}

}  // namespace rl00
