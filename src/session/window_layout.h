#pragma once
// The design of the main window frmRL00: every control with its place (twips), design caption,
// font and colours, in one table that both front ends share. The Qt window builds its widgets
// from it; the headless runner only takes the scene defaults, so the scene is the same with and
// without a window. Control names (Lbl_Rich, Pic_Window01, ...) are the machine's own vocabulary.

#include <span>
#include <string_view>

#include "machine/scene.h"
#include "platform/vb_types.h"

namespace rl00 {

enum class ControlKind {
    Label,
    PictureBox,  // Pic_Window01, the reel window
    Image,       // a picture inside the reel window (reel symbols, ghost, hands)
    Button,
    Timer,
    ImageList,
};

enum class Align { Left, Centre, Right };

struct ControlDesign {
    ControlKind kind;
    std::string_view name;
    int index;  // element of a control array, or -1 for a single control
    std::string_view caption;
    Int32 left;
    Int32 top;
    Int32 width;
    Int32 height;
    std::string_view font;
    double font_pt;
    bool bold;
    Colour fore;
    Colour back;
    bool border;
    Align align;
};

inline constexpr Int32 kFormWidth = 5490;
inline constexpr Int32 kFormHeight = 4695;
inline constexpr Colour kFormBack = kBlack;
inline constexpr int kTwipsPerPixel = 15;
inline constexpr std::string_view kFormCaption = "CRフォグランタン";
inline constexpr std::string_view kLabelFont = "ＭＳ Ｐゴシック";
inline constexpr std::string_view kDefaultFont = "ＭＳ Ｐ明朝";
inline constexpr int kAboutLabels = 3;
inline constexpr Int32 kTimStartInterval = 1000;

// Every control of frmRL00, reel-window pictures included (their places are inside
// Pic_Window01).
std::span<const ControlDesign> windowControls();

// The control `name`(index), or nullptr when the window has none.
const ControlDesign* findControl(std::string_view name, int index = -1);

// The scene label that shows control `name`(index), or nullptr for a label the scene does not
// hold (the about texts never change, so they live only in the layout).
Label* sceneLabel(Scene& s, std::string_view name, int index);
const Label* sceneLabel(const Scene& s, std::string_view name, int index);

// The scene picture of an Image control, or -1 for any other control.
PictureId scenePicture(const ControlDesign& c);

// Writes the design state of the window into the scene: every label's caption and colours,
// the pictures' design places and sizes, the reel window's colour and the enabled 1000 ms
// Tim_Start. The load sequence runs it first.
void initWindowScene(Scene& s);

}  // namespace rl00
