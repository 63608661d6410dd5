#pragma once
// Motions in closed form, for runs that draw nothing. A motion (the spin and stops of a reel,
// a reach presentation, the re-lottery's steps) consumes no random draws: its frames, pauses and
// the state it leaves follow from a few inputs (the symbols involved, the reach kind, the
// counters and flags it reads). The first time an input occurs the motion is played by the very
// same reel and reach procedures on a scratch machine, and what it did is stored under that
// input; later games with the same input take the stored outcome and let its time pass on the
// display at once. So the outcome follows from the one definition of each motion, and nothing
// is typed in twice.
//
// Each stored outcome is checked as it is made: the motion is played twice, on scratch machines
// whose every other item (reel tables, pictures, labels, counters outside the input) holds
// different junk, and both must write the same items with the same values in the same time.
// An input whose outcome fails the check is never stored; its motions are played frame by frame
// on the machine itself. So are the motions during which the display has something to do
// (a scripted event, an observer of frames), which it says by refusing to skip their time.

#include <cstdint>
#include <memory>

#include "machine/motions.h"

namespace rl00 {

class MotionCache final : public Motions {
  public:
    MotionCache();
    ~MotionCache() override;
    MotionCache(const MotionCache&) = delete;
    MotionCache& operator=(const MotionCache&) = delete;

    void startDisplay(Machine& m) override;
    void spinToRightStop(Machine& m) override;
    void centreStop(Machine& m) override;
    void presentation(Machine& m, Presentation play, Int16 kind, Int16& S, Int16& R) override;
    void reLotterySteps(Machine& m) override;

    struct Counts {
        std::uint64_t recorded = 0;   // outcomes played on scratch machines and stored
        std::uint64_t accounted = 0;  // motions taken from the store
        std::uint64_t stepped = 0;    // motions played frame by frame on the machine itself
        std::uint64_t refused = 0;    // inputs whose outcome failed its check
    };
    const Counts& counts() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace rl00
