// The reel sequence of every game: the reels start where the previous game stopped, spin down
// together, jump close to their stop symbols and stop left, right, then centre.

#include "machine/msg_show.h"
#include "platform/checked.h"
#include "reels/reels.h"

namespace rl00 {

namespace {

constexpr Int32 kSpinStep = 80;
constexpr Int32 kStopStep = 40;
// Reel 1's feeds that end the spin-up: the first feed of the phase plus one per passed slot.
constexpr Int16 kSpinUpFeeds = 14;
// Feeds of a stop phase: each reel scrolls 2 symbols and is then held by its guard.
constexpr Int16 kStopFeeds = 2;
constexpr Int16 kStopped = 999;

// Symbols a reel still scrolls after the jump: 2 in the left stop, 2 more in the right stop
// and 2 more in the centre stop, so the jump leaves each reel that far before its stop.
constexpr Int16 kLeftLead = 2;
constexpr Int16 kRightLead = 4;
constexpr Int16 kCentreLead = 6;

// A stop phase: sweeps on G_iNowZug while `reel`'s counter allows, each reel stepping only
// while its own counter does.
void stopPhase(Machine& m, Int16 reel, bool extra_events) {
    const auto own_counter = [&m](Int16 r) { return m.G_iStep[r] <= kStopFeeds; };
    while (m.G_iStep[reel] <= kStopFeeds)
        scrollSweep(m, m.G_iNowZug, kStopStep, kDown, own_counter, extra_events);
}

}  // namespace

void startDisplay(Machine& m) {
    for (Int16 r = 1; r <= 3; ++r)
        m.G_iStartZug[r] = m.G_iStopZug[r];
    REEL_RUN(m, m.G_iStartZug, m.G_iNowZug);
}

void spinStart(Machine& m) {
    for (Int16 r = 1; r <= 3; ++r) {
        m.G_iStep[r] = 1;
        m.G_bPass[r] = kTrue;
        m.G_bMove[r] = kTrue;
    }
}

void spinUp(Machine& m) {
    // Every reel is held by reel 1's counter, so all three stop stepping in the same sweep.
    const auto reel1_counter = [&m](Int16) { return m.G_iStep[1] <= kSpinUpFeeds; };
    while (m.G_iStep[1] <= kSpinUpFeeds)
        scrollSweep(m, m.G_iStartZug, kSpinStep, kDown, reel1_counter);
}

void jumpToStop(Machine& m) {
    try {
        for (Int16 r = 1; r <= 3; ++r)
            m.G_iStep[r] = 1;
        m.G_iNowZug[1] = symbolBefore(m.G_iNowZug[1], kLeftLead);
        m.G_iNowZug[3] = symbolBefore(m.G_iNowZug[3], kRightLead);
        m.G_iNowZug[2] = symbolBefore(m.G_iNowZug[2], kCentreLead);
        REEL_RUN(m, m.G_iNowZug, m.G_iStartZug);
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

void leftStop(Machine& m) {
    stopPhase(m, 1, true);
    m.G_iStep[1] = kStopped;
    m.G_iStep[2] = 1;
    m.G_iStep[3] = 1;
    m.G_bPass[1] = kFalse;
    m.G_bMove[1] = kFalse;
}

void rightStop(Machine& m) {
    stopPhase(m, 3, false);
    m.G_iStep[1] = kStopped;
    m.G_iStep[2] = 1;
    m.G_iStep[3] = kStopped;
    m.G_bPass[1] = kFalse;
    m.G_bPass[3] = kFalse;
    m.G_bMove[1] = kFalse;
    m.G_bMove[3] = kFalse;
}

void spinToRightStop(Machine& m) {
    spinStart(m);
    spinUp(m);
    jumpToStop(m);
    leftStop(m);
    rightStop(m);
}

void centreStop(Machine& m) {
    stopPhase(m, 2, false);
}

}  // namespace rl00
