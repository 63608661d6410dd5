#pragma once
// The plain-data picture of the main window: every picture's place, image, visibility and
// z-order, every label's caption and colours, the reel window's colour and the timer's state.
// The logic writes it; a front end draws it. Reading a picture's Top or Left "back" reads this
// scene, so positions stay exact twips. Control names (Img_ZugaraL, Lbl_Rich, ...) are the
// machine's own vocabulary.

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "machine/game_state.h"
#include "machine/symbols.h"
#include "platform/vb_array.h"
#include "platform/vb_types.h"

namespace rl00 {

// Index of a picture inside the reel window Pic_Window01.
using PictureId = int;

inline constexpr int kReelPictures = 3 * kSymbols;
inline constexpr PictureId kImgObake = kReelPictures;
inline constexpr PictureId kImgHandL = kReelPictures + 1;
inline constexpr PictureId kImgHandR = kReelPictures + 2;
inline constexpr int kPictureCount = kReelPictures + 3;

// Picture `index` (1..14) of reel 1..3 (Img_ZugaraL, Img_ZugaraC, Img_ZugaraR).
constexpr PictureId reelPicture(int reel, int index) {
    return (reel - 1) * kSymbols + index - 1;
}

struct Picture {
    Int32 left = 0;
    Int32 top = 0;
    Int32 width = 0;
    Int32 height = 0;
    Int16 image = 0;  // item of Iml_Moto (1..20); 0 = no image
    bool visible = true;
    bool stretch = false;

    bool operator==(const Picture&) const = default;
};

struct Label {
    std::string caption;
    Colour fore = kBlack;
    Colour back = kBlack;
    // The count the caption shows when it was written by showCount, else kNoCount. Whoever
    // writes the caption another way sets it back to kNoCount.
    static constexpr std::int64_t kNoCount = std::numeric_limits<std::int64_t>::min();
    std::int64_t count = kNoCount;

    // Shows a count. The panel's counters mostly stand still from one game to the next, so an
    // unchanged count is not formatted again.
    void showCount(Int32 value) {
        if (count == value) return;
        count = value;
        caption = std::to_string(value);
    }

    bool operator==(const Label&) const = default;
};

template <int Lo, int Hi>
using LabelArray = VbArray<Label, Lo, Hi>;

struct TimerState {
    bool enabled = false;
    Int32 interval_ms = 1000;

    bool operator==(const TimerState&) const = default;
};

struct Scene {
    Scene();

    // Pic_Window01: 1575 x 615 twips, clips what it holds.
    static constexpr Int32 kWindowWidth = 1575;
    static constexpr Int32 kWindowHeight = 615;
    Colour window_back = kBlack;

    std::array<Picture, kPictureCount> pictures{};
    // Back to front: the last entry is drawn on top.
    std::vector<PictureId> z_order;

    Label Lbl_SyriMode;
    LabelArray<0, 5> Lbl_Rich;
    LabelArray<0, 1> Lbl_Rev;
    LabelArray<0, 1> Lbl_Ooatari;
    LabelArray<0, 1> Lbl_OoatariT;
    LabelArray<0, 1> Lbl_OoatariK;
    LabelArray<0, 0> Lbl_Yokoku;
    LabelArray<0, 1> Lbl_GHYokoku;
    LabelArray<0, 1> Lbl_GHYokokuN;
    LabelArray<0, 1> Lbl_GHYokokuA;
    LabelArray<0, 1> Lbl_RichPoint;
    LabelArray<0, kReachKinds - 1> Lbl_RichSyu;
    LabelArray<0, kReachKinds - 1> Lbl_RichSyuND;
    LabelArray<0, kReachKinds - 1> Lbl_RichSyuNO;
    LabelArray<0, kReachKinds - 1> Lbl_RichSyuNA;
    LabelArray<0, kReachKinds - 1> Lbl_RichSyuA;

    TimerState Tim_Start;

    Picture& picture(PictureId id);
    const Picture& picture(PictureId id) const;

    void bringToFront(PictureId id);
    void sendToBack(PictureId id);

    // One change of the drawing order, as a motion that is stored and replayed makes it.
    struct ZMove {
        PictureId id;
        bool to_front;
        bool operator==(const ZMove&) const = default;
    };
    // When set, every change of the drawing order is also appended here.
    std::vector<ZMove>* z_moves = nullptr;

    bool operator==(const Scene&) const = default;
};

// A picture for the motion store, as describeItems of GameState tells: motions move, size,
// show and hide pictures and change their images, so all of it is kept.
template <class Visitor>
void describeItems(Picture& p, Visitor& v) {
    v.kept(p.left);
    v.kept(p.top);
    v.kept(p.width);
    v.kept(p.height);
    v.kept(p.image);
    v.kept(p.visible);
    v.kept(p.stretch);
}

// The scene for the motion store, as describeItems of GameState tells. `keptApart` names what
// the store records in a way of its own: the message under the reels (Lbl_Rich(1)'s caption) and
// the drawing order, as the moves a motion makes of it.
template <class Visitor>
void describeItems(Scene& s, Visitor& v) {
    for (Picture& p : s.pictures)
        describeItems(p, v);
    v.kept(s.window_back);
    v.keptApart(s.Lbl_Rich[1].caption);
    v.keptApart(s.z_order);
    v.untouched(s.Lbl_Rich[0], s.Lbl_Rich[1].fore, s.Lbl_Rich[1].back, s.Lbl_Rich[1].count,
                s.Lbl_Rich[2], s.Lbl_Rich[3], s.Lbl_Rich[4], s.Lbl_Rich[5]);
    v.untouched(s.Lbl_SyriMode, s.Lbl_Rev, s.Lbl_Ooatari, s.Lbl_OoatariT, s.Lbl_OoatariK,
                s.Lbl_Yokoku, s.Lbl_GHYokoku, s.Lbl_GHYokokuN, s.Lbl_GHYokokuA, s.Lbl_RichPoint,
                s.Lbl_RichSyu, s.Lbl_RichSyuND, s.Lbl_RichSyuNO, s.Lbl_RichSyuNA, s.Lbl_RichSyuA);
    // While a motion is recorded this points at the record of its moves; it is no state.
    v.untouched(s.Tim_Start, s.z_moves);
}
}  // namespace rl00
