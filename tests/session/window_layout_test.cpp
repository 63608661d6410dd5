#include "session/window_layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace rl00 {
namespace {

struct Named {
    std::string name;
    int lo;
    int hi;
};

// Every label array the scene holds, with its bounds.
const std::vector<Named> kSceneLabels = {
    {"Lbl_Rich", 0, 5},      {"Lbl_Rev", 0, 1},       {"Lbl_Ooatari", 0, 1},
    {"Lbl_OoatariT", 0, 1},  {"Lbl_OoatariK", 0, 1},  {"Lbl_Yokoku", 0, 0},
    {"Lbl_GHYokoku", 0, 1},  {"Lbl_GHYokokuN", 0, 1}, {"Lbl_GHYokokuA", 0, 1},
    {"Lbl_RichPoint", 0, 1}, {"Lbl_RichSyu", 0, 9},   {"Lbl_RichSyuND", 0, 9},
    {"Lbl_RichSyuNO", 0, 9}, {"Lbl_RichSyuNA", 0, 9}, {"Lbl_RichSyuA", 0, 9},
};

const ControlDesign& control(std::string_view name, int index = -1) {
    const ControlDesign* c = findControl(name, index);
    if (c == nullptr) throw std::runtime_error("no control " + std::string(name));
    return *c;
}

TEST(WindowLayout, EverySceneLabelAndPictureHasExactlyOneControl) {
    Scene s;
    for (const Named& a : kSceneLabels) {
        for (int i = a.lo; i <= a.hi; ++i) {
            int found = 0;
            for (const ControlDesign& c : windowControls()) {
                if (c.kind == ControlKind::Label &&
                    sceneLabel(s, c.name, c.index) == sceneLabel(s, a.name, i)) {
                    ++found;
                }
            }
            EXPECT_EQ(found, 1) << a.name << "(" << i << ")";
        }
    }
    std::vector<int> pictures(kPictureCount, 0);
    for (const ControlDesign& c : windowControls()) {
        if (c.kind == ControlKind::Image) ++pictures.at(static_cast<std::size_t>(scenePicture(c)));
    }
    for (int n : pictures)
        EXPECT_EQ(n, 1);
    EXPECT_EQ(sceneLabel(s, "Lbl_Rich", 6), nullptr);
    EXPECT_EQ(sceneLabel(s, "Lbl_About", 0), nullptr);
}

TEST(WindowLayout, PlacesOfTheControls) {
    auto place = [](const ControlDesign& c) {
        return std::vector<Int32>{c.left, c.top, c.width, c.height};
    };
    EXPECT_EQ(place(control("Pic_Window01")), (std::vector<Int32>{0, 240, 1575, 615}));
    EXPECT_EQ(place(control("Lbl_SyriMode")), (std::vector<Int32>{0, 0, 1575, 255}));
    EXPECT_EQ(place(control("Lbl_Rich", 1)), (std::vector<Int32>{0, 840, 1575, 225}));
    EXPECT_EQ(place(control("Cmd_Excel")), (std::vector<Int32>{2880, 2760, 1215, 375}));
    EXPECT_EQ(place(control("Cmd_End")), (std::vector<Int32>{4200, 2760, 1215, 375}));
    EXPECT_EQ(place(control("Lbl_GHYokokuA", 1)), (std::vector<Int32>{1860, 2520, 375, 255}));
    EXPECT_EQ(place(control("Lbl_RichSyu", 0)), (std::vector<Int32>{2880, 240, 615, 255}));
    EXPECT_EQ(place(control("Lbl_RichSyuA", 9)), (std::vector<Int32>{4920, 2400, 495, 255}));
    EXPECT_EQ(place(control("Lbl_RichSyuNO", 4)), (std::vector<Int32>{3960, 1200, 375, 255}));
    EXPECT_EQ(place(control("Img_Obake")), (std::vector<Int32>{840, 0, 495, 495}));
    EXPECT_EQ(place(control("Img_HandR")), (std::vector<Int32>{720, 0, 495, 495}));

    // Everything lies in the client area but Com_Start, which the user must not reach; the
    // reel pictures start parked below the reel window.
    const ControlDesign& start = control("Com_Start");
    EXPECT_GE(start.left, kFormWidth);
    for (const ControlDesign& c : windowControls()) {
        if (c.kind == ControlKind::Label || c.kind == ControlKind::PictureBox ||
            (c.kind == ControlKind::Button && c.name != "Com_Start")) {
            EXPECT_LE(c.left + c.width, kFormWidth) << c.name << "(" << c.index << ")";
            EXPECT_LE(c.top + c.height, kFormHeight) << c.name << "(" << c.index << ")";
        }
        if (c.name.starts_with("Img_Zugara")) {
            EXPECT_GE(c.top, Scene::kWindowHeight);
        }
    }
}

TEST(WindowLayout, NoTwoControlsOverlapByMoreThanOnePixel) {
    std::vector<const ControlDesign*> flat;
    for (const ControlDesign& c : windowControls()) {
        if (c.kind == ControlKind::Label || c.kind == ControlKind::PictureBox ||
            c.kind == ControlKind::Button) {
            flat.push_back(&c);
        }
    }
    for (std::size_t i = 0; i < flat.size(); ++i) {
        for (std::size_t j = i + 1; j < flat.size(); ++j) {
            const ControlDesign& a = *flat[i];
            const ControlDesign& b = *flat[j];
            const Int32 dx =
                std::min(a.left + a.width, b.left + b.width) - std::max(a.left, b.left);
            const Int32 dy = std::min(a.top + a.height, b.top + b.height) - std::max(a.top, b.top);
            EXPECT_FALSE(dx > kTwipsPerPixel && dy > kTwipsPerPixel)
                << a.name << "(" << a.index << ") and " << b.name << "(" << b.index << ")";
        }
    }
}

TEST(WindowLayout, InitialSceneHasDesignCaptionsAndColours) {
    Scene s;
    s.Lbl_Rev[1].caption = "stale";
    s.picture(kImgObake).visible = false;
    initWindowScene(s);

    EXPECT_EQ(s.Lbl_SyriMode.caption, "確変中");
    EXPECT_EQ(s.Lbl_SyriMode.fore, kRed);
    EXPECT_EQ(s.Lbl_SyriMode.back, kBlack);
    EXPECT_TRUE(control("Lbl_SyriMode").bold);
    EXPECT_EQ(s.Lbl_Rich[1].caption, "ノーマル");
    EXPECT_EQ(s.Lbl_Rich[1].fore, kGreen);
    EXPECT_EQ(s.Lbl_Rich[1].back, kBlack);
    EXPECT_DOUBLE_EQ(control("Lbl_Rich", 1).font_pt, 8.25);
    EXPECT_EQ(control("Lbl_Rich", 1).font, "ＭＳ Ｐゴシック");
    EXPECT_EQ(control("Cmd_End").font, "ＭＳ Ｐ明朝");

    const char* headings[] = {"リーチ種類", nullptr, "どは", "惜し", "大当", "合計"};
    for (int i : {0, 2, 3, 4, 5})
        EXPECT_EQ(s.Lbl_Rich[i].caption, headings[i]);
    EXPECT_EQ(s.Lbl_OoatariT[0].caption, "通");
    EXPECT_EQ(s.Lbl_OoatariT[0].back, kGreen);
    EXPECT_EQ(s.Lbl_OoatariK[0].back, kRed);
    EXPECT_EQ(s.Lbl_GHYokoku[0].caption, "ガセ");
    EXPECT_EQ(s.Lbl_GHYokoku[0].back, kCyan);
    EXPECT_EQ(s.Lbl_GHYokoku[1].caption, "本物");
    EXPECT_EQ(s.Lbl_RichPoint[0].caption, "リーチの数");
    const char* names[] = {"ﾉｰﾏﾙ",   "ﾉｰ戻",   "右ｵﾊﾞｹ", "右ｽｰﾊﾟ", "右ｽ戻",
                           "左ｵﾊﾞｹ", "左ｽｰﾊﾟ", "手",     "ﾌﾗｯｼｭ",  "ﾌﾗｺﾏ送"};
    for (int r = 0; r < 10; ++r) {
        EXPECT_EQ(s.Lbl_RichSyu[r].caption, names[r]);
        EXPECT_EQ(s.Lbl_RichSyu[r].back, kLightYellow);
    }

    // The value labels start at "0", right-aligned in a border; eleven of them are grey.
    int grey = 0;
    std::vector<std::string> grey_cells;
    for (const ControlDesign& c : windowControls()) {
        if (c.kind != ControlKind::Label || c.caption != "0") continue;
        const Label* l = sceneLabel(s, c.name, c.index);
        ASSERT_NE(l, nullptr) << c.name;
        EXPECT_EQ(l->caption, "0");
        EXPECT_EQ(c.align, Align::Right);
        EXPECT_TRUE(c.border);
        if (l->back == kGrey) {
            ++grey;
            grey_cells.push_back(std::string(c.name) + std::to_string(c.index));
        } else {
            EXPECT_EQ(l->back, kBlack);
        }
    }
    EXPECT_EQ(grey, 11);
    EXPECT_EQ(grey_cells,
              (std::vector<std::string>{"Lbl_RichSyuND1", "Lbl_RichSyuNO1", "Lbl_RichSyuND3",
                                        "Lbl_RichSyuND4", "Lbl_RichSyuNO4", "Lbl_RichSyuND6",
                                        "Lbl_RichSyuND7", "Lbl_RichSyuNO7", "Lbl_RichSyuNO8",
                                        "Lbl_RichSyuNA8", "Lbl_RichSyuND9"}));

    // The sprites keep their design places; visibility and stretching belong to the load.
    const Picture& ghost = s.picture(kImgObake);
    EXPECT_EQ(ghost.left, 840);
    EXPECT_EQ(ghost.width, 495);
    EXPECT_TRUE(ghost.visible);
    EXPECT_EQ(s.picture(reelPicture(3, 14)).left, 960);
    EXPECT_EQ(s.window_back, kBlack);
    EXPECT_TRUE(s.Tim_Start.enabled);
    EXPECT_EQ(s.Tim_Start.interval_ms, 1000);
}

}  // namespace
}  // namespace rl00
