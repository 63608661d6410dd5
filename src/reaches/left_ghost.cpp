#include "machine/msg_show.h"
#include "reaches/frame.h"
#include "reaches/reaches.h"

namespace rl00 {

namespace {

// Where the ghost appears in the left ghost reach: at the left edge, a little below the top.
constexpr Int32 kAppearLeft = 0;
constexpr Int32 kAppearTop = 120;

}  // namespace

void RICH_LO(Machine& m, Int16& S, Int16& R) {
    try {
        const Int16 stop = S;
        Int16 y = symbolAfter(R, 6);
        withOshiDirAtZero(m, [&] { RICH_NM(m, y, R); });

        ReachRun run(m, R,
                     {.start = y, .step = 70, .direction = kDown, .stop = stop, .lap_offset = 4});
        Int16 b = 0;
        Int16 c = 0;
        run.play([&](ReachRun& r) {
            tickCounter(b, 10);
            checkedAdd(c, 1);
            writeMessageLabel(m, b > 5, text::kLeftGhost);
            m.scene.window_back = c > 30 ? kBlack : kWhite;
            if (c == 20) {
                Picture& ghost = m.scene.picture(kImgObake);
                ghost.top = kAppearTop;
                ghost.left = kAppearLeft;
                setImage(m, kImgObake, image::kLeftGhost);
                ghost.visible = true;
            }
            r.countLap();
        });
        endRun(m, text::kLeftGhost);
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

// The ghost slides into the centre column behind the centre reel's current picture, which is
// raised for the run and sent to the bottom of its siblings afterwards.
void RICH_LOS(Machine& m, Int16& S, Int16& R) {
    try {
        const Int16 stop = S;
        Int16 y = symbolAfter(R, 2);
        withOshiDirAtZero(m, [&] { RICH_LO(m, y, R); });

        const Int16 z = y;
        Picture& ghost = m.scene.picture(kImgObake);
        Int32 gy = ghost.top;
        Int32 gx = ghost.left;
        m.scene.bringToFront(reelPicture(2, z));
        setImage(m, kImgObake, image::kLeftGhostSlide);
        slideGhostIn(m, gx);
        ghost.left = kGhostSlideEnd;
        setImage(m, kImgObake, image::kLeftGhost);

        ReachRun run(m, R, {.start = y, .step = 30, .direction = kDown, .stop = stop});
        Int16 b = 0;
        run.play([&](ReachRun& r) {
            writeMessageLabel(m, tickCounter(b, 10) > 5, text::kLeftSuper);
            checkedAdd(gy, 30);
            ghost.top = gy;
            r.countLap();
        });
        endRun(m, text::kLeftSuper);
        m.scene.sendToBack(reelPicture(2, z));
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

}  // namespace rl00
