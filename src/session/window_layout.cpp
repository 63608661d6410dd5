#include "session/window_layout.h"

#include <array>
#include <cstddef>

#include "reaches/reaches.h"
#include "reels/reels.h"

namespace rl00 {

namespace {

constexpr Colour kButtonFace = 0xC0C0C0;
constexpr double kLabelPt = 9.0;
constexpr double kMessagePt = 8.25;

// Tops of the reach table's rows: row r shows reach kind r + 1.
constexpr Int32 kRowTop = 240;
constexpr Int32 kRowPitch = 240;
constexpr Int32 kRowHeight = 255;
constexpr int kReachRows = kReachKinds;

constexpr std::array<std::string_view, kReachRows> kReachNames = {
    "ﾉｰﾏﾙ", "ﾉｰ戻", "右ｵﾊﾞｹ", "右ｽｰﾊﾟ", "右ｽ戻", "左ｵﾊﾞｹ", "左ｽｰﾊﾟ", "手", "ﾌﾗｯｼｭ", "ﾌﾗｺﾏ送"};

constexpr std::array<std::string_view, kAboutLabels> kAboutText = {
    "CRフォグランタン  液晶リール シミュレーター",
    "リーチ演出・確変・時短を再現し、ひとりでに遊技を続けて統計を取ります。",
    "「分析」で記録を表計算に渡し、「終了」で終わります。右クリックで倍率・速度を変更。",
};

constexpr int kControlCount = 128;

struct TableBuilder {
    std::array<ControlDesign, kControlCount> items{};
    std::size_t n = 0;

    constexpr void add(const ControlDesign& c) { items[n++] = c; }

    // A label of the statistics panel in the label font.
    constexpr void label(std::string_view name, int index, std::string_view caption, Int32 l,
                         Int32 t, Int32 w, Int32 h, Colour fore, Colour back, bool border,
                         Align align) {
        add({ControlKind::Label, name, index, caption, l, t, w, h, kLabelFont, kLabelPt, false,
             fore, back, border, align});
    }
    // A heading on the window background.
    constexpr void heading(std::string_view name, int index, std::string_view caption, Int32 l,
                           Int32 t, Int32 w, Int32 h) {
        label(name, index, caption, l, t, w, h, kWhite, kFormBack, false, Align::Left);
    }
    // A heading cell on a colour of its own.
    constexpr void cell(std::string_view name, int index, std::string_view caption, Int32 l,
                        Int32 t, Int32 w, Int32 h, Colour back) {
        label(name, index, caption, l, t, w, h, back == kRed ? kWhite : kBlack, back, false,
              Align::Centre);
    }
    // A counter: right-aligned "0" in a single border.
    constexpr void value(std::string_view name, int index, Int32 l, Int32 t, Int32 w, Int32 h,
                         Colour back = kFormBack) {
        label(name, index, "0", l, t, w, h, kWhite, back, true, Align::Right);
    }
    constexpr void button(std::string_view name, std::string_view caption, Int32 l, Int32 t,
                          Int32 w, Int32 h) {
        add({ControlKind::Button, name, -1, caption, l, t, w, h, kDefaultFont, kLabelPt, false,
             kBlack, kButtonFace, false, Align::Centre});
    }
    constexpr void image(std::string_view name, int index, Int32 l, Int32 t, Int32 size) {
        add({ControlKind::Image, name, index, "", l, t, size, size, kDefaultFont, kLabelPt, false,
             kBlack, kBlack, false, Align::Left});
    }
    constexpr void bare(ControlKind kind, std::string_view name) {
        add({kind, name, -1, "", 0, 0, 0, 0, kDefaultFont, kLabelPt, false, kBlack, kBlack, false,
             Align::Left});
    }
};

constexpr bool isGrey(std::string_view column, int row) {
    auto in = [row](std::initializer_list<int> rows) {
        for (int r : rows)
            if (r == row) return true;
        return false;
    };
    if (column == "Lbl_RichSyuND") return in({1, 3, 4, 6, 7, 9});
    if (column == "Lbl_RichSyuNO") return in({1, 4, 7, 8});
    if (column == "Lbl_RichSyuNA") return in({8});
    return false;
}

// The reel window, the message labels, the buttons, the timer, the image list and the about
// text.
constexpr void addFrameControls(TableBuilder& b) {
    b.add({ControlKind::PictureBox, "Pic_Window01", -1, "", 0, 240, Scene::kWindowWidth,
           Scene::kWindowHeight, kDefaultFont, kLabelPt, false, kBlack, kBlack, false,
           Align::Left});
    b.add({ControlKind::Label, "Lbl_SyriMode", -1, "確変中", 0, 0, 1575, 255, kLabelFont,
           kMessagePt, true, kRed, kBlack, true, Align::Left});
    b.add({ControlKind::Label, "Lbl_Rich", 1, "ノーマル", 0, 840, 1575, 225, kLabelFont, kMessagePt,
           true, kGreen, kBlack, true, Align::Left});
    b.button("Com_Start", "Start", 6480, 5640, 975, 495);
    b.bare(ControlKind::Timer, "Tim_Start");
    b.button("Cmd_Excel", "分析", 2880, 2760, 1215, 375);
    b.button("Cmd_End", "終了", 4200, 2760, 1215, 375);
    b.bare(ControlKind::ImageList, "Iml_Moto");

    // The about text fills 120..5295 x 3240..4575: a title line, then two lines each.
    constexpr Int32 kAboutTops[kAboutLabels + 1] = {3240, 3555, 4065, 4575};
    for (int i = 0; i < kAboutLabels; ++i) {
        b.label("Lbl_About", i, kAboutText[i], 120, kAboutTops[i], 5175,
                kAboutTops[i + 1] - kAboutTops[i], kBlack, kWhite, false, Align::Left);
    }
}

// The counters of the statistics panel.
constexpr void addCounters(TableBuilder& b) {
    b.heading("Lbl_Rev", 0, "回転数", 0, 1680, 735, 255);
    b.value("Lbl_Rev", 1, 900, 1680, 495, 255);
    b.heading("Lbl_Ooatari", 0, "大当たり数", 0, 1920, 855, 255);
    b.value("Lbl_Ooatari", 1, 900, 1920, 495, 255);
    b.cell("Lbl_OoatariT", 0, "通", 1500, 1920, 255, 255, kGreen);
    b.value("Lbl_OoatariT", 1, 1740, 1920, 375, 255);
    b.cell("Lbl_OoatariK", 0, "確", 2220, 1920, 255, 255, kRed);
    b.value("Lbl_OoatariK", 1, 2460, 1920, 375, 255);
    b.heading("Lbl_Yokoku", 0, "予告動作", 0, 2280, 855, 255);
    b.cell("Lbl_GHYokoku", 0, "ガセ", 900, 2280, 495, 255, kCyan);
    b.value("Lbl_GHYokokuN", 0, 1380, 2280, 375, 255);
    b.value("Lbl_GHYokokuA", 0, 1860, 2280, 375, 255);
    b.cell("Lbl_GHYokoku", 1, "本物", 900, 2520, 495, 255, kRed);
    b.value("Lbl_GHYokokuN", 1, 1380, 2520, 375, 255);
    b.value("Lbl_GHYokokuA", 1, 1860, 2520, 375, 255);
    b.heading("Lbl_RichPoint", 0, "リーチの数", 0, 2880, 855, 255);
    b.value("Lbl_RichPoint", 1, 900, 2880, 735, 255);
}

// The table of reach kinds: headings, then a row per kind.
constexpr void addReachTable(TableBuilder& b) {
    b.heading("Lbl_Rich", 0, "リーチ種類", 2580, 0, 975, 255);
    b.heading("Lbl_Rich", 2, "どは", 3600, 0, 375, 255);
    b.heading("Lbl_Rich", 3, "惜し", 3960, 0, 375, 255);
    b.heading("Lbl_Rich", 4, "大当", 4320, 0, 495, 255);
    b.heading("Lbl_Rich", 5, "合計", 4920, 0, 495, 255);
    struct Column {
        std::string_view name;
        Int32 left;
        Int32 width;
    };
    constexpr Column kColumns[] = {{"Lbl_RichSyuND", 3600, 375},
                                   {"Lbl_RichSyuNO", 3960, 375},
                                   {"Lbl_RichSyuNA", 4320, 375},
                                   {"Lbl_RichSyuA", 4920, 495}};
    for (int r = 0; r < kReachRows; ++r) {
        const Int32 top = kRowTop + kRowPitch * r;
        b.label("Lbl_RichSyu", r, kReachNames[r], 2880, top, 615, kRowHeight, kBlack, kLightYellow,
                false, Align::Left);
        for (const Column& c : kColumns) {
            b.value(c.name, r, c.left, top, c.width, kRowHeight,
                    isGrey(c.name, r) ? kGrey : kFormBack);
        }
    }
}

// The reel pictures and the sprites.
constexpr void addPictures(TableBuilder& b) {
    constexpr std::string_view kReelNames[3] = {"Img_ZugaraL", "Img_ZugaraC", "Img_ZugaraR"};
    for (int reel = 0; reel < 3; ++reel) {
        for (int i = 1; i <= kSymbols; ++i) {
            b.image(kReelNames[reel], i, kReelColumns[reel], kParkedBelowTop, kPictureSize);
        }
    }
    b.image("Img_Obake", -1, kObakeDesignLeft, 0, kSpriteSize);
    b.image("Img_HandL", -1, kHandLDesignLeft, 0, kSpriteSize);
    b.image("Img_HandR", -1, kHandRDesignLeft, 0, kSpriteSize);
}

constexpr std::array<ControlDesign, kControlCount> buildControls() {
    TableBuilder b;
    addFrameControls(b);
    addCounters(b);
    addReachTable(b);
    addPictures(b);
    if (b.n != kControlCount) throw "the control table and its size disagree";
    return b.items;
}

constexpr std::array<ControlDesign, kControlCount> kControls = buildControls();

template <int Lo, int Hi>
Label* element(LabelArray<Lo, Hi>& a, int index) {
    return index >= Lo && index <= Hi ? &a[index] : nullptr;
}

}  // namespace

std::span<const ControlDesign> windowControls() {
    return kControls;
}

const ControlDesign* findControl(std::string_view name, int index) {
    for (const ControlDesign& c : kControls) {
        if (c.name == name && c.index == index) return &c;
    }
    return nullptr;
}

Label* sceneLabel(Scene& s, std::string_view name, int index) {
    if (name == "Lbl_SyriMode") return index == -1 ? &s.Lbl_SyriMode : nullptr;
    if (name == "Lbl_Rich") return element(s.Lbl_Rich, index);
    if (name == "Lbl_Rev") return element(s.Lbl_Rev, index);
    if (name == "Lbl_Ooatari") return element(s.Lbl_Ooatari, index);
    if (name == "Lbl_OoatariT") return element(s.Lbl_OoatariT, index);
    if (name == "Lbl_OoatariK") return element(s.Lbl_OoatariK, index);
    if (name == "Lbl_Yokoku") return element(s.Lbl_Yokoku, index);
    if (name == "Lbl_GHYokoku") return element(s.Lbl_GHYokoku, index);
    if (name == "Lbl_GHYokokuN") return element(s.Lbl_GHYokokuN, index);
    if (name == "Lbl_GHYokokuA") return element(s.Lbl_GHYokokuA, index);
    if (name == "Lbl_RichPoint") return element(s.Lbl_RichPoint, index);
    if (name == "Lbl_RichSyu") return element(s.Lbl_RichSyu, index);
    if (name == "Lbl_RichSyuND") return element(s.Lbl_RichSyuND, index);
    if (name == "Lbl_RichSyuNO") return element(s.Lbl_RichSyuNO, index);
    if (name == "Lbl_RichSyuNA") return element(s.Lbl_RichSyuNA, index);
    if (name == "Lbl_RichSyuA") return element(s.Lbl_RichSyuA, index);
    return nullptr;
}

const Label* sceneLabel(const Scene& s, std::string_view name, int index) {
    return sceneLabel(const_cast<Scene&>(s), name, index);
}

PictureId scenePicture(const ControlDesign& c) {
    if (c.kind != ControlKind::Image) return -1;
    if (c.name == "Img_ZugaraL") return reelPicture(1, c.index);
    if (c.name == "Img_ZugaraC") return reelPicture(2, c.index);
    if (c.name == "Img_ZugaraR") return reelPicture(3, c.index);
    if (c.name == "Img_Obake") return kImgObake;
    if (c.name == "Img_HandL") return kImgHandL;
    if (c.name == "Img_HandR") return kImgHandR;
    return -1;
}

void initWindowScene(Scene& s) {
    for (const ControlDesign& c : kControls) {
        if (c.kind == ControlKind::Label) {
            if (Label* l = sceneLabel(s, c.name, c.index)) {
                *l = Label{std::string(c.caption), c.fore, c.back};
            }
        } else if (c.kind == ControlKind::Image) {
            Picture& p = s.picture(scenePicture(c));
            p = Picture{};
            p.left = c.left;
            p.top = c.top;
            p.width = c.width;
            p.height = c.height;
        } else if (c.kind == ControlKind::PictureBox) {
            s.window_back = c.back;
        }
    }
    s.Tim_Start.enabled = true;
    s.Tim_Start.interval_ms = kTimStartInterval;
}

}  // namespace rl00
