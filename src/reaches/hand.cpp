#include "machine/msg_show.h"
#include "reaches/frame.h"
#include "reaches/reaches.h"

namespace rl00 {

// The opening brings the centre onto R, and the hands show the hit; S is not read at all.
void RICH_HND(Machine& m, Int16& /*S*/, Int16& R) {
    try {
        RICH_OPEN(m, R);
        setImage(m, kImgHandL, image::kHandL);
        setImage(m, kImgHandR, image::kHandR);
        m.scene.picture(kImgHandL).visible = true;
        m.scene.picture(kImgHandR).visible = true;
        m.scene.Lbl_Rich[1].caption = text::kHand;
        m.scene.window_back = kBlack;
        WAIT_MS(m, 130);
        WAIT_MS(m, 100);
        m.display.repaint(Repaint::ReelWindow);
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

}  // namespace rl00
