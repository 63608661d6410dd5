#include "machine/msg_show.h"
#include "reaches/frame.h"
#include "reaches/reaches.h"

namespace rl00 {

namespace {

constexpr Int32 kHomeLeft = 800;
constexpr Int32 kHomeTop = 320;

// One ghost move by (d, d). The window shows it and handles its events like the end of a reel
// frame; false when the end flag asks the presentation to leave at once.
bool moveGhost(Machine& m, Int32& gx, Int32& gy, Int32 d) {
    checkedAdd(gy, d);
    checkedAdd(gx, d);
    Picture& ghost = m.scene.picture(kImgObake);
    ghost.top = gy;
    ghost.left = gx;
    m.display.repaint(Repaint::Ghost);
    m.display.endFrame();
    return m.G_bEnd != kTrue;
}

// After each symbol the ghost, drifted up and left during it, glides back home in moves of 2
// and turns to its drifting image again. False when the end flag interrupted the glide.
bool glideHome(Machine& m, Int32& gx, Int32& gy) {
    setImage(m, kImgObake, image::kRightGhost);
    do {
        if (!moveGhost(m, gx, gy, 2)) return false;
    } while (gx < kHomeLeft);
    Picture& ghost = m.scene.picture(kImgObake);
    ghost.top = kHomeTop;
    ghost.left = kHomeLeft;
    m.display.repaint(Repaint::Ghost);
    gy = ghost.top;
    gx = ghost.left;
    setImage(m, kImgObake, image::kRightGhostDrift);
    return true;
}

// The last ghost move of the super runs. It starts at home, so it is a single move up and left;
// the feed has nothing to place after the run's own last feed.
bool finalGhostMove(Machine& m, Int32& gx, Int32& gy) {
    do {
        REEL_FEED(m, m.G_iNowZug[2], 2);
        if (!moveGhost(m, gx, gy, -2)) return false;
    } while (gx > kHomeLeft);
    return true;
}

}  // namespace

void RICH_RO(Machine& m, Int16& S, Int16& R) {
    try {
        const Int16 stop = S;
        Int16 y = symbolAfter(R, 2);
        withOshiDirAtZero(m, [&] { RICH_NM(m, y, R); });

        ReachRun run(m, R,
                     {.start = y, .step = 70, .direction = kDown, .stop = stop, .lap_offset = 3});
        Int16 b = 0;
        Int16 c = 0;
        run.play([&](ReachRun& r) {
            tickCounter(b, 10);
            checkedAdd(c, 1);
            writeMessageLabel(m, b > 1, text::kRightGhost);
            m.scene.window_back = c > 30 ? kBlack : kWhite;
            if (c == 20) {
                Picture& ghost = m.scene.picture(kImgObake);
                ghost.top = kHomeTop;
                ghost.left = kHomeLeft;
                setImage(m, kImgObake, image::kRightGhost);
                ghost.visible = true;
            }
            r.countLap();
        });
        endRun(m, text::kRightGhost);
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

// In return mode (G_bModori set) the run leaves out the pause after its last symbol and the
// final ghost move, so a return run can follow at once.
void RICH_ROS(Machine& m, Int16& S, Int16& R) {
    try {
        const Int16 stop = S;
        Int16 y = symbolBefore(R, 3);
        withOshiDirAtZero(m, [&] { RICH_RO(m, y, R); });

        const Picture& ghost = m.scene.picture(kImgObake);
        Int32 gy = ghost.top;
        Int32 gx = ghost.left;
        setImage(m, kImgObake, image::kRightGhostDrift);

        ReachRun run(m, R, {.start = y, .step = 7, .direction = kDown, .stop = stop});
        Int16 b = 0;
        const bool over =
            run.play([&] { return moveGhost(m, gx, gy, -2); },
                     [&](ReachRun& r) {
                         writeMessageLabel(m, tickCounter(b, 10) > 1, text::kRightSuper);
                         r.countLap();
                         if (!(m.G_bModori == kTrue && r.over())) {
                             WAIT_MS(m, 100);
                             WAIT_MS(m, 500);
                         }
                         return glideHome(m, gx, gy);
                     });
        if (!over) return;
        if (m.G_bModori == kFalse && !finalGhostMove(m, gx, gy)) return;
        endRun(m, text::kRightSuper);
        m.G_bModori = kFalse;
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

void RICH_ROM(Machine& m, Int16& S, Int16& R) {
    try {
        const Int16 stop = S;
        m.G_iOshiDir = 1;
        Int16 y = symbolAfter(R, 1);
        m.G_bModori = kTrue;
        RICH_ROS(m, y, R);

        setImage(m, kImgObake, image::kRightGhostDrift);
        Picture& ghost = m.scene.picture(kImgObake);
        ghost.top = kHomeTop;
        ghost.left = kHomeLeft;
        m.display.repaint(Repaint::Ghost);
        Int32 gy = ghost.top;
        Int32 gx = ghost.left;

        ReachRun run(m, R, {.start = y, .step = 7, .direction = kUp, .stop = stop});
        Int16 b = 0;
        const bool over =
            run.play([&] { return moveGhost(m, gx, gy, -2); },
                     [&](ReachRun& r) {
                         writeMessageLabel(m, tickCounter(b, 10) <= 1, text::kRightReturnRun);
                         r.countLap();
                         return glideHome(m, gx, gy);
                     });
        if (!over || !finalGhostMove(m, gx, gy)) return;
        endRun(m, text::kRightReturn);
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

}  // namespace rl00
