#include "reaches/frame.h"

#include "machine/msg_show.h"
#include "reaches/reaches.h"

namespace rl00 {

namespace {

struct SpriteLayout {
    PictureId id;
    Int32 left;
};

constexpr SpriteLayout kSprites[] = {
    {kImgObake, kObakeDesignLeft}, {kImgHandL, kHandLDesignLeft}, {kImgHandR, kHandRDesignLeft}};

}  // namespace

void setImage(Machine& m, PictureId id, Int16 n) {
    if (n < 1 || n > image::kCount) raiseError(err::kInvalidPropertyValue);
    m.scene.picture(id).image = n;
}

void writeMessageLabel(Machine& m, bool shown, const char* message) {
    m.scene.Lbl_Rich[1].caption = shown ? message : "";
    m.display.repaint(Repaint::MessageLabel);
}

void endRun(Machine& m, const char* message) {
    m.scene.Lbl_Rich[1].caption = message;
    m.scene.window_back = kBlack;
}

Int32 slideGhostIn(Machine& m, Int32& gx) {
    Picture& ghost = m.scene.picture(kImgObake);
    Int32 moves = 0;
    do {
        checkedAdd(gx, 5);
        ghost.left = gx;
        ++moves;
    } while (gx < kGhostSlideEnd);
    return moves;
}

void prepareSprites(Machine& m) {
    for (const SpriteLayout& s : kSprites) {
        Picture& p = m.scene.picture(s.id);
        p.left = s.left;
        p.top = 0;
        p.width = kSpriteSize;
        p.height = kSpriteSize;
        p.stretch = true;
        p.visible = false;
    }
}

namespace {

// The opening and the normal reach: "ノーマルリーチ!!" on every third symbol, then the ending.
void playNormalRun(Machine& m, Int16& R, const RunPlan& plan) {
    ReachRun run(m, R, plan);
    Int16 b = 0;
    run.play([&](ReachRun& r) {
        writeMessageLabel(m, tickCounter(b, 2) == 2, text::kNormal);
        r.countLap();
    });
    endRun(m, text::kNormal);
}

}  // namespace

void RICH_OPEN(Machine& m, Int16& R) {
    try {
        const Int16 j = symbolBefore(R, 7);
        ReelArray16 lay;
        lay[1] = R;
        lay[2] = j;
        lay[3] = R;
        // The left and right reels are laid again where they stand; the centre jumps opposite R.
        REEL_RUN(m, lay, m.G_iNowZug);

        playNormalRun(m, R, {.start = j, .step = 5, .direction = kDown, .opening = true});
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

void RICH_NM(Machine& m, Int16& S, Int16& R) {
    try {
        const Int16 stop = S;
        RICH_OPEN(m, R);

        playNormalRun(m, R, {.start = R, .step = 5, .direction = kDown, .stop = stop});
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

}  // namespace rl00
