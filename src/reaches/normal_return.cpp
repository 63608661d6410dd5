#include "machine/msg_show.h"
#include "reaches/frame.h"
#include "reaches/reaches.h"

namespace rl00 {

// The normal reach overshoots R by one symbol, then the centre comes back up onto S. The return
// mode it leaves in G_bModori is read by the next right ghost super reach, even in a later game.
void RICH_NMR(Machine& m, Int16& S, Int16& R) {
    try {
        const Int16 stop = S;
        m.G_iOshiDir = 1;
        Int16 y = symbolAfter(R, 1);
        m.G_bModori = kTrue;
        RICH_NM(m, y, R);

        ReachRun run(m, R, {.start = y, .step = 5, .direction = kUp, .stop = stop});
        Int16 b = 0;
        run.play([&](ReachRun& r) {
            writeMessageLabel(m, tickCounter(b, 10) > 5, text::kNormalReturn);
            r.countLap();
        });
        endRun(m, text::kNormalReturn);
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

}  // namespace rl00
