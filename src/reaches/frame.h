#pragma once
// What the reach presentations share: the symbol arithmetic of intermediate
// symbols, the sprites, the blinking message, the ending, and the reach run that drives the
// centre reel past the reach symbol to the stop symbol.

#include <type_traits>

#include "machine/machine.h"
#include "machine/scene.h"
#include "machine/texts.h"
#include "platform/checked.h"
#include "platform/vb_types.h"
#include "reels/reels.h"

namespace rl00 {

// Images of Iml_Moto used by the sprites.
namespace image {
inline constexpr Int16 kHandL = 15;
inline constexpr Int16 kHandR = 16;
inline constexpr Int16 kRightGhost = 17;
inline constexpr Int16 kRightGhostDrift = 18;
inline constexpr Int16 kLeftGhostSlide = 19;
inline constexpr Int16 kLeftGhost = 20;
inline constexpr Int16 kCount = 20;
}  // namespace image

// Gives a picture image n of Iml_Moto; a number the list does not hold is error 380.
void setImage(Machine& m, PictureId id, Int16 n);

// Moves a wrapping counter (blink, flash) on by one and returns it; above its top value it
// starts again at 0.
inline Int16 tickCounter(Int16& b, Int16 top) {
    checkedAdd(b, 1);
    if (b > top) b = 0;
    return b;
}

// Writes the message label Lbl_Rich(1) (the message or nothing) and refreshes it.
void writeMessageLabel(Machine& m, bool shown, const char* message);

// The ending every run shares: the message stands in the label (not refreshed) and the reel
// window turns black.
void endRun(Machine& m, const char* message);

// Where the sliding ghost comes to rest: the centre column.
inline constexpr Int32 kGhostSlideEnd = 500;

// Slides the ghost to the right in moves of 5 until its Left is kGhostSlideEnd or more, without a
// frame or event processing in between. Returns the number of moves.
Int32 slideGhostIn(Machine& m, Int32& gx);

// Plays a lead-in with G_iOshiDir at 0 and restores it afterwards: the lead-in then makes only
// the laps its own run adds and stops on the intermediate symbol, where the caller's run starts.
template <class LeadIn>
void withOshiDirAtZero(Machine& m, LeadIn&& lead_in) {
    const Int16 saved = m.G_iOshiDir;
    m.G_iOshiDir = 0;
    lead_in();
    m.G_iOshiDir = saved;
}

struct RunPlan {
    Int16 start = 0;  // Y, the centre symbol the run starts from
    Int32 step = 0;   // twips per frame
    Int16 direction = kDown;
    Int16 stop = 0;        // S
    Int16 lap_offset = 0;  // lap target T = G_iOshiDir + lap_offset, read at every end test
    bool opening = false;  // the opening ends at its first arrival on R, whatever S is
};

// One reach run of the centre reel. Each loop pass feeds a passed slot before the end test (so
// the last symbol is placed and its pause taken), steps the reel, runs the per-frame action and,
// after a passed slot, advances G_iNowZug[2] and runs the per-symbol action. Actions may return
// false to leave the presentation at once (the ghost animations do when the end flag is set).
class ReachRun {
  public:
    ReachRun(Machine& m, Int16& reach, const RunPlan& plan) : m_(m), reach_(reach), plan_(plan) {}

    // The per-symbol action every run has: an arrival on R is one more lap.
    void countLap() {
        if (m_.G_iNowZug[2] == reach_) checkedAdd(laps_, 1);
    }

    bool over() const {
        if (plan_.opening) return laps_ == 1;
        return m_.G_iNowZug[2] == plan_.stop && laps_ == toInt16(m_.G_iOshiDir + plan_.lap_offset);
    }

    // Returns true when the run is over, false when an action asked to leave.
    template <class PerFrame, class PerSymbol>
    bool play(PerFrame&& per_frame, PerSymbol&& per_symbol) {
        m_.G_iStep[1] = 1;
        m_.G_iStep[2] = 1;
        m_.G_iStep[3] = 1;
        m_.G_iNowZug[2] = plan_.start;
        laps_ = 0;
        for (;;) {
            if (m_.G_bPass[2] == kTrue) REEL_FEED(m_, m_.G_iNowZug[2], 2);
            if (over()) return true;
            if (m_.G_bMove[2] == kTrue)
                REEL_STEP(m_, m_.G_iNowZug[2], 2, plan_.step, plan_.direction);
            if (!goesOn(per_frame)) return false;
            if (m_.G_bPass[2] != kTrue) continue;
            m_.G_iNowZug[2] = advanceSymbol(m_.G_iNowZug[2], plan_.direction);
            if (!goesOn(per_symbol, *this)) return false;
        }
    }

    // Plays a run that has no per-frame action.
    template <class PerSymbol>
    bool play(PerSymbol&& per_symbol) {
        return play([] {}, per_symbol);
    }

  private:
    template <class F, class... Args>
    static bool goesOn(F& f, Args&... args) {
        if constexpr (std::is_void_v<std::invoke_result_t<F&, Args&...>>) {
            f(args...);
            return true;
        } else {
            return f(args...);
        }
    }

    Machine& m_;
    Int16& reach_;
    RunPlan plan_;
    Int16 laps_ = 0;  // L: arrivals on R by an advance during this run
};

}  // namespace rl00
