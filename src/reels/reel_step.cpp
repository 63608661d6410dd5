// Frame-by-frame movement of one reel, the feed of the entry picture after a passed slot, and
// the pause that keeps the window responsive. Every reel movement of the machine is built from
// these three.

#include "machine/msg_show.h"
#include "platform/checked.h"
#include "reels/reels.h"

namespace rl00 {

namespace {

// A slot is passed once slot 0, moving down, has travelled 450 from its aligned -870, or slot 2,
// moving up, 470 from its aligned 50: the slots are not evenly spaced, so the distances differ.
constexpr Int32 kPassedDownTop = -420;
constexpr Int32 kPassedUpTop = -420;

using TopRow = VbArray<Int32, 1, 14>;

// After a pass down n+1 stands in the centre; n-2, which left at the bottom, waits above.
void realignDown(Machine& m, Int16 reel, TopRow& tops, const ZugWindow& w) {
    tops[w[4]] = kAlignedTop[0];
    tops[w[0]] = kAlignedTop[1];
    tops[w[1]] = kAlignedTop[2];
    tops[w[2]] = kAlignedTop[3];
    tops[w[3]] = kAlignedTop[4];
    m.G_bPass[reel] = kTrue;
}

// After a pass up n-1 stands in the centre; n+2, which left at the top, waits below.
void realignUp(Machine& m, Int16 reel, TopRow& tops, const ZugWindow& w) {
    tops[w[1]] = kAlignedTop[0];
    tops[w[2]] = kAlignedTop[1];
    tops[w[3]] = kAlignedTop[2];
    tops[w[4]] = kAlignedTop[3];
    tops[w[0]] = kAlignedTop[4];
    m.G_bPass[reel] = kTrue;
}

}  // namespace

Flag REEL_STEP(Machine& m, Int16 n, Int16 reel, Int32 step, Int16 direction) {
    try {
        ZugWindow w;
        ZUG_LIST(m, n, w);
        TopRow& tops = m.G_lZugTop[reel];
        // The pass is tested after every single move: a large step re-aligns before the
        // remaining slots of the frame have moved, and the re-alignment places all five.
        if (direction == kDown) {
            for (int slot = 0; slot <= 4; ++slot) {
                checkedAdd(tops[w[slot]], step);
                if (tops[w[0]] >= kPassedDownTop) {
                    realignDown(m, reel, tops, w);
                    break;
                }
            }
        } else if (direction == kUp) {
            for (int slot = 0; slot <= 4; ++slot) {
                checkedAdd(tops[w[slot]], -std::int64_t{step});
                if (tops[w[2]] <= kPassedUpTop) {
                    realignUp(m, reel, tops, w);
                    break;
                }
            }
        }
        // The table is the authority while a reel moves; the pictures only follow it. ZUG_GET
        // gives only ids of reel pictures, so the scene's own check would be a second one.
        for (int slot = 0; slot <= 4; ++slot) {
            const auto id = static_cast<std::size_t>(ZUG_GET(m, reel, w[slot]));
            m.scene.pictures[id].top = tops[w[slot]];
        }
        m.display.endFrame();
        if (m.G_bEnd == kTrue) m.display.endProgram(0);
        return kTrue;
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

Flag REEL_FEED(Machine& m, Int16 n, Int16 reel) {
    try {
        if (m.G_bPass[reel] == kFalse) return kTrue;
        ZugWindow w;
        ZUG_LIST(m, n, w);
        checkedAdd(m.G_iStep[reel], 1);
        m.G_bPass[reel] = kFalse;
        Picture& entry = m.scene.picture(ZUG_GET(m, reel, w[0]));
        entry.top = kAlignedTop[0];
        m.G_lZugTop[reel][w[0]] = entry.top;
        entry.left = reelColumn(reel);
        WAIT_MS(m, 10);
        return kTrue;
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

void WAIT_MS(Machine& m, Int32 ms) {
    // The pause is the given milliseconds, unscaled; the wait-time setting (G_sWaitTime) is
    // deliberately not consulted. The old program multiplied by it and failed on a missing or
    // malformed setting, ending itself at the first wait of the first game: a crash, not a
    // feature. A negative pause would have become an endless one; it is no pause instead.
    m.display.sleepMs(ms < 0 ? 0 : ms);
    m.display.processEvents();
}

}  // namespace rl00
