#pragma once
// The reel display's operations: the strips and their placement, frame-by-frame stepping,
// feeding, waits, the scroll sweep, and the spin-and-stop phases of a game. The upper-case
// names (REEL_RUN, ZUG_LIST, ...) and the G_ state are the machine's own vocabulary.

#include "machine/game_state.h"
#include "machine/machine.h"
#include "machine/scene.h"
#include "machine/symbols.h"
#include "platform/checked.h"
#include "platform/runtime_error.h"
#include "platform/vb_array.h"
#include "platform/vb_types.h"

namespace rl00 {

// The five symbols of the window around a centre symbol, slots 0..4 from the top.
using ZugWindow = VbArray<Int16, 0, 4>;

// Left of every picture of reel 1, 2, 3.
inline constexpr Int32 kReelColumns[3] = {40, 500, 960};
Int32 reelColumn(Int16 reel);

// --- strips and placement ---

// The Tops of the window of five when it stands aligned, slots 0..4.
inline constexpr Int32 kAlignedTop[5] = {-870, -420, 50, 500, 950};
// Where pictures wait, out of sight below the reel window, until their first placement.
inline constexpr Int32 kParkedBelowTop = 1920;
inline constexpr Int32 kPictureSize = 480;

// Whether reel `reel` has a picture `index`. Checked here rather than by the scene: past the end
// of one strip lies the next strip.
constexpr bool hasReelPicture(Int16 reel, Int16 index) {
    return reel >= 1 && reel <= 3 && index >= 1 && index <= kSymbols;
}

// The picture `index` of reel 1..3 taken straight from the picture arrays: raises 340 when the
// reel has no such picture, without showing anything.
PictureId reelPictureOf(Int16 reel, Int16 index);

// Every animation frame runs ZUG_LIST once and ZUG_GET five times, so their checks are inline
// and only the failure, which shows the error as their own handlers did, is out of line.
[[noreturn]] void reportReelLookupFailure(Machine& m, Int32 error_number);

// The picture `index` of reel 1..3. A reel outside 1..3 or a missing index shows
// "システムエラーが発生しました" (kind 4), which ends the program.
inline PictureId ZUG_GET(Machine& m, Int16 reel, Int16 index) {
    if (!hasReelPicture(reel, index)) [[unlikely]]
        reportReelLookupFailure(m, err::kControlArrayElement);
    return reelPicture(reel, index);
}

// The window of five around n: n+2, n+1, n, n-1, n-2. Each is corrected once, and only in the
// direction of its step, so a centre outside 1..14 gives a window the strips refuse. A 16-bit
// overflow (n of 32766 or more, or -32767 or less) shows "システムエラーが発生しました"
// (kind 4). Returns true.
inline Flag ZUG_LIST(Machine& m, Int16 n, ZugWindow& window) {
    if (n > 32765 || n < -32766) [[unlikely]]
        reportReelLookupFailure(m, err::kOverflow);
    const auto above = [](int s) { return static_cast<Int16>(s > kSymbols ? s - kSymbols : s); };
    const auto below = [](int s) { return static_cast<Int16>(s < 1 ? s + kSymbols : s); };
    window[0] = above(n + 2);
    window[1] = above(n + 1);
    window[2] = n;
    window[3] = below(n - 1);
    window[4] = below(n - 2);
    return kTrue;
}

// Hides the old windows, shows the new ones aligned and records both in G_lZugTop. Fails
// silently with false at the first failure, leaving earlier changes.
Flag REEL_RUN(Machine& m, const ReelArray16& new_zug, const ReelArray16& old_zug);

// Picture preparation at load (images, size, stretching). Also gives the reels a valid first
// placement: G_iNowZug = G_iStopZug, every picture parked below the window in its column.
void prepareReelPictures(Machine& m);

// --- stepping, feeding and waits ---

// Moves the five pictures of one reel's window by one frame (direction +1 down, -1 up),
// re-aligns after a passed slot, writes the table to the pictures and ends the animation
// frame; ends the program when G_bEnd is set.
Flag REEL_STEP(Machine& m, Int16 n, Int16 reel, Int32 step, Int16 direction);

// Counts a passed slot and brings the next picture to the entry place above the window, then
// pauses 10 ms. Does nothing (no pause) when the reel has not passed a slot.
Flag REEL_FEED(Machine& m, Int16 n, Int16 reel);

// Pauses ms milliseconds, then processes pending events.
void WAIT_MS(Machine& m, Int32 ms);

// Sets the reel window's background and refreshes the reel window.
inline void flashWindow(Machine& m, Colour colour) {
    m.scene.window_back = colour;
    m.display.repaint(Repaint::ReelWindow);
}

// One sweep of a scroll phase over reels 1, 2, 3: feed a reel that passed a slot, step it when
// `guard(reel)` holds and it moves, and advance its centre symbol when it has passed.
// `extra_events` processes pending events once per reel visit between the feed and the step.
template <class Guard>
void scrollSweep(Machine& m, ReelArray16& centre, Int32 step, Int16 direction, Guard&& guard,
                 bool extra_events = false) {
    for (Int16 r = 1; r <= 3; ++r) {
        if (m.G_bPass[r] == kTrue) REEL_FEED(m, centre[r], r);
        if (extra_events) m.display.processEvents();
        if (guard(r) && m.G_bMove[r] == kTrue) REEL_STEP(m, centre[r], r, step, direction);
        if (m.G_bPass[r] == kTrue) centre[r] = advanceSymbol(centre[r], direction);
    }
}

// --- the reel sequence of a game ---

// Start display: G_iStartZug = G_iStopZug, then the reels stand aligned at them.
void startDisplay(Machine& m);

// Spin-up, jump, left stop and right stop. Afterwards the left and right reels stand on their
// stop symbols and the centre reel two symbols before its own, still moving.
void spinToRightStop(Machine& m);

// The pieces of spinToRightStop, in their order; each leaves the reel state of its phase.
void spinStart(Machine& m);
void spinUp(Machine& m);
void jumpToStop(Machine& m);
void leftStop(Machine& m);
void rightStop(Machine& m);

// The centre stop phase of a game without reach.
void centreStop(Machine& m);

}  // namespace rl00
