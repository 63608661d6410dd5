#include "engine/game_start.h"
#include "engine/motions.h"
#include "engine/tables.h"
#include "machine/machine.h"
#include "reels/reels.h"

namespace rl00 {

namespace {

constexpr Int32 kReLotteryStep = 30;

bool rightReelOff(const Machine& m) {
    return m.G_iNowZug[3] != m.G_iStopZug[3];
}

}  // namespace

// On entry the reels stand on the provisional symbol and G_iStopZug holds the hit symbol. The
// reels advance one symbol at a time, the window flashing white while each symbol settles; on a
// kakuhen hit they may pass the hit symbol by one and come back to it.
void playReLottery(Machine& m) {
    spinStart(m);
    m.G_bSaiChusenUp = m.rnd.upTo(kOvershootOdds) == 1 ? kTrue : kFalse;
    if (m.G_bKakuhen != kTrue) m.G_bSaiChusenUp = kFalse;
    motionsOf(m).reLotterySteps(m);
}

void reLotterySteps(Machine& m) {
    WAIT_MS(m, 130);
    hideSprites(m);
    if (m.G_bSaiChusenUp == kTrue) {
        for (Int16 r = 1; r <= 3; ++r)
            m.G_iStopZug[r] = advanceSymbol(m.G_iStopZug[r], kDown);
    }

    auto guard = [&m](Int16) { return rightReelOff(m); };
    while (rightReelOff(m)) {
        if (m.G_bPass[3] == kTrue) {
            flashWindow(m, kWhite);
            WAIT_MS(m, 80);
        }
        scrollSweep(m, m.G_iNowZug, kReLotteryStep, kDown, guard);
        if (m.G_bPass[3] == kTrue) {
            WAIT_MS(m, 130);
            flashWindow(m, kBlack);
            const bool overshot = m.G_bSaiChusenUp == kTrue && !rightReelOff(m);
            WAIT_MS(m, overshot ? 80 : 500);
        }
    }

    if (m.G_bSaiChusenUp != kTrue) return;
    for (Int16 r = 1; r <= 3; ++r) {
        m.G_iStep[r] = 1;
        m.G_iStopZug[r] = advanceSymbol(m.G_iStopZug[r], kUp);
    }
    while (rightReelOff(m)) {
        if (m.G_bPass[3] == kTrue) {
            flashWindow(m, kWhite);
            WAIT_MS(m, 100);
        }
        scrollSweep(m, m.G_iNowZug, kReLotteryStep, kUp, guard);
        if (m.G_bPass[3] == kTrue) {
            WAIT_MS(m, 5);
            flashWindow(m, kBlack);
            WAIT_MS(m, 80);
            WAIT_MS(m, 100);
        }
    }
}

}  // namespace rl00
