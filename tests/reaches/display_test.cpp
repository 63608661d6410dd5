// What the presentations show: the blinking messages, the reel window's colours, the sprites and
// the pauses, as a recording display sees them symbol by symbol and frame by frame.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "reach_recorder.h"
#include "reaches/frame.h"
#include "reaches/reaches.h"

namespace rl00 {
namespace {

using test::Outcome;
using Presentation = void (*)(Machine&, Int16&, Int16&);

class ReachShow : public ::testing::Test {
  protected:
    void play(Presentation p, Outcome o, Int16 r, int e = 5) {
        test::layReach(t.m, r, test::stopFor(o, r, e), test::oshiDirFor(o));
        Int16 s = test::stopFor(o, r, e);
        ASSERT_EQ(test::runUntilEnd([&] { p(t.m, s, t.m.G_iNowZug[1]); }), -1);
    }

    // The captions of a run's symbols, as the label showed them.
    std::vector<std::string> captions(std::size_t run) const {
        std::vector<std::string> out;
        const auto runs = rec.runs();
        for (const auto& s : runs.at(run))
            out.push_back(s.caption);
        return out;
    }

    // The last label refresh, and the caption it showed.
    std::string lastRefreshedCaption() const {
        std::string caption = "(none)";
        for (const auto& r : rec.repaints)
            if (r.what == Repaint::MessageLabel) caption = r.caption;
        return caption;
    }

    test::TestMachine t;
    test::ReachRecorder rec{t};
};

// The blink shows the message on the symbols whose counter value satisfies `shown`.
std::vector<std::string> blinkPattern(std::size_t symbols, int top, bool (*shown)(int),
                                      const std::string& message) {
    std::vector<std::string> out;
    for (std::size_t i = 1; i <= symbols; ++i)
        out.push_back(shown(static_cast<int>(i % (top + 1))) ? message : "");
    return out;
}

TEST_F(ReachShow, OpeningAndNormalReachBlinkEveryThirdSymbolEachFromItsOwnStart) {
    play(RICH_NM, Outcome::Hit, 7);
    const std::string msg = "ノーマルリーチ!!";
    EXPECT_EQ(captions(0), (std::vector<std::string>{"", msg, "", "", msg, "", ""}));
    EXPECT_EQ(captions(1), blinkPattern(
                               14, 2, [](int b) { return b == 2; }, msg));
    EXPECT_EQ(t.m.scene.Lbl_Rich[1].caption, msg);
}

TEST_F(ReachShow, NormalReturnShowsAnEmptyLabelOnItsOneSymbolAndEndsUnrefreshed) {
    play(RICH_NMR, Outcome::Hit, 5);
    ASSERT_EQ(rec.runs().size(), 3u);
    EXPECT_EQ(rec.runs()[1].back().symbol, 6);  // overshoots R by one
    EXPECT_EQ(captions(2), (std::vector<std::string>{""}));
    EXPECT_EQ(lastRefreshedCaption(), "");
    EXPECT_EQ(t.m.scene.Lbl_Rich[1].caption, "ノーマル戻りリーチ!!");
}

TEST_F(ReachShow, RightGhostReachIsWhiteForThirtySymbolsAndShowsTheGhostOnTheTwentieth) {
    play(RICH_RO, Outcome::Hit, 5);
    const auto run = rec.runs().at(2);
    ASSERT_EQ(run.size(), 54u);
    for (std::size_t i = 0; i < run.size(); ++i) {
        const std::size_t n = i + 1;
        EXPECT_EQ(run[i].back, n <= 30 ? kWhite : kBlack) << n;
        EXPECT_EQ(run[i].ghost.visible, n >= 20) << n;
    }
    const Picture& ghost = run[19].ghost;
    EXPECT_EQ(ghost.left, 800);
    EXPECT_EQ(ghost.top, 320);
    EXPECT_EQ(ghost.image, 17);
    EXPECT_EQ(captions(2), blinkPattern(
                               54, 10, [](int b) { return b > 1; }, "右お化けリーチ!!"));
    EXPECT_EQ(t.m.scene.window_back, kBlack);
}

TEST_F(ReachShow, LeftGhostReachShowsItsGhostAtTheLeftOnTheTwentiethSymbol) {
    play(RICH_LO, Outcome::Hit, 8);
    const auto run = rec.runs().at(2);
    ASSERT_EQ(run.size(), 64u);
    EXPECT_EQ(rec.runs()[1].back().symbol, 14);  // R + 6 wraps
    EXPECT_FALSE(run[18].ghost.visible);
    EXPECT_TRUE(run[19].ghost.visible);
    EXPECT_EQ(run[19].ghost.left, 0);
    EXPECT_EQ(run[19].ghost.top, 120);
    EXPECT_EQ(run[19].ghost.image, 20);
    EXPECT_EQ(run[29].back, kWhite);
    EXPECT_EQ(run[30].back, kBlack);
    EXPECT_EQ(captions(2), blinkPattern(
                               64, 10, [](int b) { return b > 5; }, "左お化けリーチ!!"));
}

TEST_F(ReachShow, LeftGhostSuperSlidesUnseenBehindTheRaisedPictureAndSinks) {
    std::set<Int32> lefts_seen;
    t.display.onEveryPass([&] {
        if (t.m.scene.picture(kImgObake).visible)
            lefts_seen.insert(t.m.scene.picture(kImgObake).left);
    });
    const Int16 r = 5;
    const PictureId raised = reelPicture(2, 7);
    int raised_frames = 0;  // frames of the run with the picture of R + 2 on top
    t.display.onFrame([&] {
        if (t.m.scene.picture(kImgObake).left == 500 && t.m.scene.z_order.back() == raised)
            ++raised_frames;
    });
    play(RICH_LOS, Outcome::Hit, r);

    const auto run = rec.runs().at(3);
    ASSERT_EQ(run.size(), 12u);
    for (std::size_t i = 0; i < run.size(); ++i) {
        EXPECT_EQ(run[i].ghost.top, static_cast<Int32>(120 + 30 * (i + 1)));
        EXPECT_EQ(run[i].ghost.left, 500);
        EXPECT_EQ(run[i].ghost.image, 20);
    }
    // The slide processes no events: no pass ever saw the ghost between the sides.
    EXPECT_EQ(lefts_seen, (std::set<Int32>{0, 500}));
    EXPECT_EQ(raised_frames, 12 * 15);
    EXPECT_EQ(t.m.scene.picture(kImgObake).top, 480);
    EXPECT_EQ(t.m.scene.z_order.front(), raised);
    EXPECT_EQ(t.m.scene.Lbl_Rich[1].caption, "左お化けスーパーリーチ!!");
}

TEST(GhostSlide, MovesInFivesToTheFirstLeftOfFiveHundredOrMore) {
    test::TestMachine t;
    Int32 gx = 0;
    EXPECT_EQ(slideGhostIn(t.m, gx), 100);
    EXPECT_EQ(gx, 500);
    gx = 3;
    EXPECT_EQ(slideGhostIn(t.m, gx), 100);
    EXPECT_EQ(gx, 503);
    EXPECT_EQ(t.m.scene.picture(kImgObake).left, 503);
    gx = 600;  // the slide always makes its first move
    EXPECT_EQ(slideGhostIn(t.m, gx), 1);
    EXPECT_EQ(gx, 605);
}

TEST_F(ReachShow, RightGhostSuperPausesAndGlidesHomeAfterEachSymbolThenMovesOnce) {
    play(RICH_ROS, Outcome::Hit, 4);
    EXPECT_EQ(rec.runs().at(2).back().symbol, 1);  // R - 3 wraps
    EXPECT_EQ(rec.pauses, (std::vector<Int32>{100, 500, 100, 500, 100, 500}));
    // Glide moves show image 17; each ends at home before the ghost turns to image 18.
    int glide_moves = 0;
    for (const auto& r : rec.repaints)
        if (r.what == Repaint::Ghost && r.ghost.image == 17) ++glide_moves;
    EXPECT_EQ(glide_moves, 3 * (65 + 1));  // 65 moves and the set at home, per symbol
    const auto& last = rec.repaints.back();
    EXPECT_EQ(last.what, Repaint::Ghost);
    EXPECT_EQ(last.ghost.left, 798);
    EXPECT_EQ(last.ghost.top, 318);
    EXPECT_EQ(last.ghost.image, 18);
    EXPECT_EQ(t.m.scene.Lbl_Rich[1].caption, "右お化けスーパーリーチ!!");
    EXPECT_EQ(t.m.G_bModori, kFalse);
}

TEST_F(ReachShow, RightGhostSuperInReturnModeSkipsTheLastPauseAndTheFinalMove) {
    t.m.G_bModori = kTrue;  // left by a normal return reach of an earlier game
    play(RICH_ROS, Outcome::Hit, 9);
    EXPECT_EQ(rec.pauses, (std::vector<Int32>{100, 500, 100, 500}));
    EXPECT_EQ(t.m.scene.picture(kImgObake).left, 800);
    EXPECT_EQ(t.m.scene.picture(kImgObake).top, 320);
    EXPECT_EQ(t.m.G_bModori, kFalse);
}

TEST_F(ReachShow, RightReturnShowsItsRunMessageThenTheFinalOne) {
    play(RICH_ROM, Outcome::Hit, 6);
    const auto runs = rec.runs();
    ASSERT_EQ(runs.size(), 5u);
    EXPECT_EQ(runs[3].back().symbol, 7);
    EXPECT_EQ(captions(4), (std::vector<std::string>{"右スーパー戻りリーチ!!"}));
    EXPECT_EQ(t.m.scene.Lbl_Rich[1].caption, "右お化けスーパー戻りリーチ!!");
    // The lead-in's last pause is left out: three of its four symbols pause.
    EXPECT_EQ(rec.pauses.size(), 6u);
    EXPECT_EQ(t.m.scene.picture(kImgObake).left, 798);
    EXPECT_EQ(t.m.G_iOshiDir, 1);
}

TEST_F(ReachShow, HandReachShowsBothHandsPausesThenRefreshesTheWindow) {
    play(RICH_HND, Outcome::Hit, 3);
    EXPECT_EQ(rec.runs().at(0).front().symbol, 11);  // jumps to 10 first
    const Picture& left = t.m.scene.picture(kImgHandL);
    const Picture& right = t.m.scene.picture(kImgHandR);
    EXPECT_TRUE(left.visible && right.visible);
    EXPECT_EQ(left.left, 240);
    EXPECT_EQ(right.left, 720);
    EXPECT_EQ(left.image, 15);
    EXPECT_EQ(right.image, 16);
    EXPECT_EQ(rec.pauses, (std::vector<Int32>{130, 100}));
    EXPECT_EQ(rec.repaints.back().what, Repaint::ReelWindow);
    EXPECT_EQ(t.m.scene.Lbl_Rich[1].caption, "手リーチ!!");
    EXPECT_EQ(t.m.scene.window_back, kBlack);
}

TEST_F(ReachShow, FlashReachAlternatesTheWindowOnASixteenSymbolCycle) {
    play(RICH_FRS, Outcome::FarMiss, 2, 5);
    const auto run = rec.runs().at(2);
    ASSERT_EQ(run.size(), 31u);
    EXPECT_EQ(run.back().symbol, 7);
    for (std::size_t n = 1; n <= run.size(); ++n) {
        const bool black = (n >= 11 && n <= 15) || n >= 27;
        EXPECT_EQ(run[n - 1].back, black ? kBlack : kWhite) << n;
    }
    EXPECT_EQ(captions(2), blinkPattern(
                               31, 10, [](int b) { return b > 5; }, "フラッシュリーチ!!"));
    for (const auto& r : rec.repaints)
        EXPECT_NE(r.what, Repaint::ReelWindow);
    EXPECT_EQ(t.m.scene.window_back, kBlack);
}

TEST_F(ReachShow, FlashFrameAdvanceFlashesEightTimesPerSymbolAndBlinksOnA112FrameRhythm) {
    play(RICH_FRK, Outcome::Hit, 1);
    EXPECT_EQ(rec.runs().at(2).back().symbol, 11);  // R - 4 wraps
    const std::uint64_t start = rec.runs().at(2).back().frame;
    ASSERT_EQ(rec.runs().at(3).size(), 4u);

    std::vector<std::pair<std::uint64_t, Colour>> flashes;
    std::vector<std::pair<std::uint64_t, std::string>> labels;
    for (const auto& r : rec.repaints) {
        if (r.frame <= start) continue;
        if (r.what == Repaint::ReelWindow) flashes.emplace_back(r.frame - start, r.back);
        if (r.what == Repaint::MessageLabel) labels.emplace_back(r.frame - start, r.caption);
    }
    std::vector<std::pair<std::uint64_t, Colour>> want_flashes;
    for (std::uint64_t symbol = 0; symbol < 4; ++symbol) {
        for (std::uint64_t f : {1, 20, 114, 133})
            want_flashes.emplace_back(150 * symbol + f, kBlack);
        for (std::uint64_t f : {5, 25, 118, 138})
            want_flashes.emplace_back(150 * symbol + f, kWhite);
    }
    std::sort(want_flashes.begin(), want_flashes.end());
    EXPECT_EQ(flashes, want_flashes);

    const std::string msg = "フラッシュコマ送りリーチ!!";
    std::vector<std::pair<std::uint64_t, std::string>> want_labels;
    for (std::uint64_t f = 56; f <= 600; f += 56)
        want_labels.emplace_back(f, (f / 56) % 2 == 1 ? msg : "");
    EXPECT_EQ(labels, want_labels);
    EXPECT_EQ(rec.frames.at(start + 54).caption, "フラッシュリーチ!!");  // frame 55 of the run

    EXPECT_EQ(rec.pauses, (std::vector<Int32>{100, 500, 100, 500, 100, 500, 100, 500}));
    EXPECT_EQ(t.m.scene.Lbl_Rich[1].caption, msg);
    EXPECT_EQ(t.m.scene.window_back, kBlack);
}

}  // namespace
}  // namespace rl00
