// The three reel strips: their pictures, the window of five around a centre symbol, and the
// placement of all three reels at given symbols in one go.

#include "machine/msg_show.h"
#include "reels/reels.h"

namespace rl00 {

namespace {

constexpr Int32 kHiddenTop = kAlignedTop[0];

Picture& stripPicture(Machine& m, Int16 reel, Int16 index) {
    return m.scene.picture(reelPictureOf(reel, index));
}

// REEL_RUN's passes. Each goes over reel 1, 2, 3 and stops at the first failure, so a caller
// that catches it leaves exactly the changes made so far.
void hideWindows(Machine& m, const ReelArray16& old_zug) {
    for (Int16 r = 1; r <= 3; ++r) {
        ZugWindow w;
        ZUG_LIST(m, old_zug[r], w);
        for (int slot = 0; slot <= 4; ++slot)
            stripPicture(m, r, w[slot]).top = kHiddenTop;
        for (int slot = 0; slot <= 4; ++slot)
            stripPicture(m, r, w[slot]).left = reelColumn(r);
    }
}

void showWindows(Machine& m, const ReelArray16& new_zug) {
    for (Int16 r = 1; r <= 3; ++r) {
        ZugWindow w;
        ZUG_LIST(m, new_zug[r], w);
        for (int slot = 0; slot <= 4; ++slot)
            stripPicture(m, r, w[slot]).top = kAlignedTop[slot];
        for (int slot = 0; slot <= 4; ++slot)
            stripPicture(m, r, w[slot]).left = reelColumn(r);
    }
}

// The table takes what the pictures report back, so it follows whatever the display made of
// the requested place.
void recordWindows(Machine& m, const ReelArray16& zug) {
    for (Int16 r = 1; r <= 3; ++r) {
        ZugWindow w;
        ZUG_LIST(m, zug[r], w);
        for (int slot = 0; slot <= 4; ++slot)
            m.G_lZugTop[r][w[slot]] = stripPicture(m, r, w[slot]).top;
    }
}

}  // namespace

Int32 reelColumn(Int16 reel) {
    if (reel < 1 || reel > 3) raiseError(err::kSubscriptOutOfRange);
    return kReelColumns[reel - 1];
}

PictureId reelPictureOf(Int16 reel, Int16 index) {
    if (!hasReelPicture(reel, index)) raiseError(err::kControlArrayElement);
    return reelPicture(reel, index);
}

void reportReelLookupFailure(Machine& m, Int32 error_number) {
    showSystemError(m, RuntimeError(error_number));
}

Flag REEL_RUN(Machine& m, const ReelArray16& new_zug, const ReelArray16& old_zug) {
    // All hiding comes before any showing, so a picture in both an old and a new window ends
    // in its new slot.
    try {
        hideWindows(m, old_zug);
        recordWindows(m, old_zug);
        showWindows(m, new_zug);
        recordWindows(m, new_zug);
        return kTrue;
    } catch (const RuntimeError&) {
        // Silent by design: the game goes on, and each reel's next re-alignment restores it.
        return kFalse;
    }
}

void prepareReelPictures(Machine& m) {
    for (Int16 r = 1; r <= 3; ++r) {
        for (Int16 i = 1; i <= kSymbols; ++i) {
            Picture& p = m.scene.picture(ZUG_GET(m, r, i));
            p.stretch = true;
            p.height = kPictureSize;
            p.width = kPictureSize;
            p.image = i;
            // Out of sight until the first game, but already in the right column and recorded,
            // so the first start display is an ordinary placement.
            p.top = kParkedBelowTop;
            p.left = reelColumn(r);
            m.G_lZugTop[r][i] = p.top;
        }
        m.G_iNowZug[r] = m.G_iStopZug[r];
    }
}

}  // namespace rl00
