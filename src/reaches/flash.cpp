#include "machine/msg_show.h"
#include "reaches/frame.h"
#include "reaches/reaches.h"

namespace rl00 {

void RICH_FRS(Machine& m, Int16& S, Int16& R) {
    try {
        const Int16 stop = S;
        Int16 y = symbolAfter(R, 2);
        withOshiDirAtZero(m, [&] { RICH_NM(m, y, R); });

        ReachRun run(m, R,
                     {.start = y, .step = 70, .direction = kDown, .stop = stop, .lap_offset = 2});
        Int16 b = 0;
        Int16 f = 0;
        run.play([&](ReachRun& r) {
            tickCounter(b, 10);
            tickCounter(f, 15);
            writeMessageLabel(m, b > 5, text::kFlash);
            // Only the colour changes here; the reel frames show it.
            m.scene.window_back = f > 10 ? kBlack : kWhite;
            r.countLap();
        });
        endRun(m, text::kFlash);
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

// The centre advances one symbol at a time with a pause after each. The message runs on a
// rhythm of 112 frames across symbols, while the window flashes on the frames of each symbol.
void RICH_FRK(Machine& m, Int16& S, Int16& R) {
    try {
        const Int16 stop = S;
        Int16 y = symbolBefore(R, 4);
        withOshiDirAtZero(m, [&] { RICH_FRS(m, y, R); });

        ReachRun run(m, R, {.start = y, .step = 3, .direction = kDown, .stop = stop});
        Int16 b = 0;
        Int16 f = 0;
        run.play(
            [&] {
                checkedAdd(b, 1);
                if (b == 112) b = 0;
                if (b == 56) {
                    writeMessageLabel(m, true, text::kFlashFrames);
                } else if (b == 0) {
                    writeMessageLabel(m, false, text::kFlashFrames);
                }
                checkedAdd(f, 1);
                if (f > 112) f = 0;
                if (f == 1 || f == 20) {
                    flashWindow(m, kBlack);
                } else if (f == 5 || f == 25) {
                    flashWindow(m, kWhite);
                }
            },
            [&](ReachRun& r) {
                r.countLap();
                WAIT_MS(m, 100);
                WAIT_MS(m, 500);
                f = 0;
            });
        endRun(m, text::kFlashFrames);
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

}  // namespace rl00
