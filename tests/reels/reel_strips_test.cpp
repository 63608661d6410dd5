#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reels/reel_checks.h"
#include "reels/reels.h"
#include "support/test_machine.h"

namespace rl00 {
namespace {

using test::aligned;
using test::LoadedMachine;
using test::pic;
using test::reels;
using test::runUntilEnd;
using test::tableTops;
using test::TestMachine;

const std::string kOverflowText = "システムエラーが発生しました\r6 :オーバーフローしました。";
const std::string kNoPictureText =
    "システムエラーが発生しました\r340 :コントロール配列の要素が存在しません。";

std::vector<Int16> listOf(Machine& m, Int16 n) {
    ZugWindow w;
    EXPECT_EQ(ZUG_LIST(m, n, w), kTrue);
    return {w[0], w[1], w[2], w[3], w[4]};
}

TEST(ZugList, WrapsOnceAtEitherEndOfTheStrip) {
    TestMachine t;
    EXPECT_EQ(listOf(t.m, 1), (std::vector<Int16>{3, 2, 1, 14, 13}));
    EXPECT_EQ(listOf(t.m, 2), (std::vector<Int16>{4, 3, 2, 1, 14}));
    EXPECT_EQ(listOf(t.m, 13), (std::vector<Int16>{1, 14, 13, 12, 11}));
    EXPECT_EQ(listOf(t.m, 14), (std::vector<Int16>{2, 1, 14, 13, 12}));
    // Outside 1..14 the window is corrected only in the direction of each step.
    EXPECT_EQ(listOf(t.m, 0), (std::vector<Int16>{2, 1, 0, 13, 12}));
    EXPECT_EQ(listOf(t.m, 15), (std::vector<Int16>{3, 2, 15, 14, 13}));
    EXPECT_EQ(listOf(t.m, 32765), (std::vector<Int16>{32753, 32752, 32765, 32764, 32763}));
    EXPECT_EQ(listOf(t.m, -32766), (std::vector<Int16>{-32764, -32765, -32766, -32753, -32754}));
    EXPECT_TRUE(t.display.messages().empty());
}

TEST(ZugList, SixteenBitOverflowShowsTheSystemErrorAndEnds) {
    for (Int16 n : {Int16{32766}, Int16{32767}, Int16{-32767}, Int16{-32768}}) {
        TestMachine t;
        ZugWindow w;
        EXPECT_EQ(runUntilEnd([&] { ZUG_LIST(t.m, n, w); }), 1) << n;
        ASSERT_EQ(t.display.messages().size(), 1u);
        EXPECT_EQ(t.display.messages()[0].text, kOverflowText);
    }
}

TEST(ZugGet, GivesEachReelsOwnPictureAndRefusesAnythingElse) {
    TestMachine t;
    EXPECT_EQ(ZUG_GET(t.m, 1, 1), reelPicture(1, 1));
    EXPECT_EQ(ZUG_GET(t.m, 2, 7), reelPicture(2, 7));
    EXPECT_EQ(ZUG_GET(t.m, 3, 14), reelPicture(3, 14));
    // Reel 2 index 0 and reel 1 index 15 would land on a neighbouring strip's picture.
    for (const auto& at :
         std::vector<std::pair<Int16, Int16>>{{0, 1}, {4, 1}, {-1, 5}, {2, 0}, {1, 15}, {3, 15}}) {
        const Int16 reel = at.first, index = at.second;
        TestMachine bad;
        EXPECT_EQ(runUntilEnd([&] { ZUG_GET(bad.m, reel, index); }), 1) << reel << "/" << index;
        ASSERT_EQ(bad.display.messages().size(), 1u);
        EXPECT_EQ(bad.display.messages()[0].text, kNoPictureText);
    }
}

TEST(PrepareReelPictures, GivesImagesAndSizeAndParksEveryPictureOutOfSight) {
    LoadedMachine t;
    for (Int16 r = 1; r <= 3; ++r) {
        EXPECT_EQ(t.m.G_iNowZug[r], r);
        for (Int16 i = 1; i <= 14; ++i) {
            const Picture& p = pic(t.m, r, i);
            EXPECT_EQ(p.image, i);
            EXPECT_EQ(p.width, 480);
            EXPECT_EQ(p.height, 480);
            EXPECT_TRUE(p.stretch);
            EXPECT_GE(p.top, Scene::kWindowHeight);
            EXPECT_EQ(p.left, reelColumn(r));
            EXPECT_EQ(t.m.G_lZugTop[r][i], p.top);
        }
    }
    // An off-by-one past the last strip would land on the first sprite.
    EXPECT_EQ(t.m.scene.picture(kImgObake).image, 0);
    EXPECT_EQ(t.m.scene.picture(kImgObake).width, 0);

    // The first game's start display is then an ordinary placement: only the start windows
    // come into view.
    startDisplay(t.m);
    for (Int16 r = 1; r <= 3; ++r) {
        EXPECT_TRUE(aligned(t.m, r, r));
        for (Int16 i = 1; i <= 14; ++i)
            if (test::wrap(r + 3 - i) > 5) {
                EXPECT_EQ(pic(t.m, r, i).top, kParkedBelowTop);
            }
    }
}

TEST(ReelRun, SameOldAndNewLeavesEachWindowAligned) {
    LoadedMachine t;
    const ReelArray16 zug = reels(14, 1, 7);
    EXPECT_EQ(REEL_RUN(t.m, zug, zug), kTrue);
    for (Int16 r = 1; r <= 3; ++r)
        EXPECT_TRUE(aligned(t.m, r, zug[r]));
}

TEST(ReelRun, HidesTheOldWindowShowsTheNewAndTouchesNothingElse) {
    LoadedMachine t;
    REEL_RUN(t.m, reels(3, 3, 3), reels(1, 2, 3));
    // Scatter the pictures and the table as a presentation might leave them.
    for (Int16 r = 1; r <= 3; ++r) {
        for (Int16 i = 1; i <= 14; ++i) {
            t.m.scene.picture(reelPicture(r, i)).top = 3000 + 100 * r + i;
            t.m.scene.picture(reelPicture(r, i)).left = 7;
            t.m.G_lZugTop[r][i] = -5000 - 100 * r - i;
        }
    }
    const auto before = tableTops(t.m);

    // Reel 1: old 3, new 4 overlap in four pictures. Reel 2: 3 -> 10 share none.
    EXPECT_EQ(REEL_RUN(t.m, reels(4, 10, 3), reels(3, 3, 3)), kTrue);
    EXPECT_TRUE(aligned(t.m, 1, 4));
    EXPECT_EQ(pic(t.m, 1, 1).top, -870);  // old window only: parked above
    EXPECT_EQ(pic(t.m, 1, 1).left, 40);
    EXPECT_EQ(t.m.G_lZugTop[1][1], -870);
    EXPECT_TRUE(aligned(t.m, 2, 10));
    for (int i : {1, 2, 3, 4, 5})
        EXPECT_EQ(pic(t.m, 2, i).top, -870);
    EXPECT_TRUE(aligned(t.m, 3, 3));

    const auto after = tableTops(t.m);
    const std::vector<std::vector<int>> outside = {
        {7, 8, 9, 10, 11, 12, 13, 14}, {6, 7, 13, 14}, {6, 7, 8, 9, 10, 11, 12, 13, 14}};
    for (int r = 1; r <= 3; ++r) {
        for (int i : outside[r - 1]) {
            EXPECT_EQ(after[(r - 1) * 14 + i - 1], before[(r - 1) * 14 + i - 1]) << r << "/" << i;
            EXPECT_EQ(pic(t.m, r, i).top, 3000 + 100 * r + i);
            EXPECT_EQ(pic(t.m, r, i).left, 7);
        }
    }
}

TEST(ReelRun, FailsSilentlyPartWayKeepingWhatItChanged) {
    // A bad new symbol on the centre reel: the old windows are hidden and recorded, the left
    // reel's new window is shown, and the centre reel gets only as far as its first two Tops.
    LoadedMachine t;
    REEL_RUN(t.m, reels(1, 2, 3), reels(1, 2, 3));
    const auto recorded_before = tableTops(t.m);
    EXPECT_EQ(REEL_RUN(t.m, reels(5, 0, 9), reels(1, 2, 3)), kFalse);
    EXPECT_TRUE(t.display.messages().empty());
    EXPECT_EQ(pic(t.m, 1, 5).top, 50);                   // shown
    EXPECT_EQ(t.m.G_lZugTop[1][5], recorded_before[4]);  // but never recorded
    EXPECT_EQ(pic(t.m, 2, 2).top, -870);                 // slot 0 of the window of 0
    EXPECT_EQ(pic(t.m, 2, 1).top, -420);              // slot 1; slot 2 (picture 0) does not exist
    EXPECT_EQ(pic(t.m, 2, 13).top, kParkedBelowTop);  // slot 3 never reached
    EXPECT_EQ(pic(t.m, 3, 9).top, kParkedBelowTop);   // nor anything of reel 3's new window
    EXPECT_EQ(t.m.G_lZugTop[2][2], -870);             // old windows recorded as hidden
    EXPECT_EQ(t.m.G_lZugTop[3][3], -870);

    // A bad old symbol on the right reel fails in the very first pass.
    LoadedMachine u;
    const auto table = tableTops(u.m);
    EXPECT_EQ(REEL_RUN(u.m, reels(1, 2, 3), reels(1, 2, 15)), kFalse);
    EXPECT_EQ(pic(u.m, 3, 3).top, -870);  // 15 + 2, wrapped
    EXPECT_EQ(pic(u.m, 3, 2).top, -870);
    EXPECT_EQ(pic(u.m, 3, 14).top, kParkedBelowTop);  // after the missing picture 15
    EXPECT_EQ(pic(u.m, 1, 1).top, -870);              // reels 1 and 2 hidden
    EXPECT_EQ(tableTops(u.m), table);                 // nothing recorded
    EXPECT_TRUE(u.display.messages().empty());
}

}  // namespace
}  // namespace rl00
