// The end flag and runtime errors in the middle of a presentation.

#include <gtest/gtest.h>

#include "machine/msg_show.h"
#include "machine/texts.h"
#include "reach_recorder.h"
#include "reaches/frame.h"
#include "reaches/reaches.h"

namespace rl00 {
namespace {

using test::Outcome;
using test::runUntilEnd;
using test::TestMachine;

// Sets the end flag at the n-th frame on which the right ghost glides home (image 17, away
// from home); returns that frame's number through `at`.
void endDuringGlide(TestMachine& t, int n, std::uint64_t& at) {
    t.display.onFrame([&t, n, &at, seen = 0]() mutable {
        const Picture& ghost = t.m.scene.picture(kImgObake);
        if (ghost.image == 17 && ghost.left < 800 && ++seen == n) {
            t.m.G_bEnd = kTrue;
            at = t.display.frames();
        }
    });
}

TEST(ReachEnd, EndFlagDuringTheGhostGlideReturnsBeforeTheNextMove) {
    TestMachine t;
    test::layReach(t.m, 5, 5, 1);
    t.m.G_bModori = kTrue;
    std::uint64_t at = 0;
    endDuringGlide(t, 10, at);
    Int16 s = 5;
    EXPECT_EQ(runUntilEnd([&] { RICH_ROS(t.m, s, t.m.G_iNowZug[1]); }), -1);
    EXPECT_EQ(t.display.frames(), at);
    const Picture& ghost = t.m.scene.picture(kImgObake);
    EXPECT_EQ(ghost.left, 670 + 2 * 10);  // drifted 65 x 2, then ten glide moves
    EXPECT_EQ(ghost.top, 190 + 2 * 10);
    EXPECT_NE(t.m.scene.Lbl_Rich[1].caption, "右お化けスーパーリーチ!!");  // no ending
    EXPECT_EQ(t.m.G_bModori, kTrue);
    EXPECT_TRUE(t.display.messages().empty());
}

TEST(ReachEnd, AfterAnInterruptedLeadInTheNextReelFrameEndsTheProgram) {
    TestMachine t;
    test::layReach(t.m, 5, 5, 1);
    std::uint64_t at = 0;
    endDuringGlide(t, 3, at);
    Int16 s = 5;
    EXPECT_EQ(runUntilEnd([&] { RICH_ROM(t.m, s, t.m.G_iNowZug[1]); }), 0);
    EXPECT_EQ(t.display.frames(), at + 1);
}

TEST(ReachEnd, EndFlagDuringARunEndsTheProgramAtTheNextFrame) {
    TestMachine t;
    test::layReach(t.m, 2, 9, 0);
    // Set in the pause of the 20th feed, as a click handled there would.
    int feeds = 0;
    std::uint64_t at = 0;
    t.display.onSleep([&](Int32 ms) {
        if (ms == 10 && ++feeds == 20) {
            t.m.G_bEnd = kTrue;
            at = t.display.frames();
        }
    });
    Int16 s = 9;
    EXPECT_EQ(runUntilEnd([&] { RICH_FRS(t.m, s, t.m.G_iNowZug[1]); }), 0);
    EXPECT_EQ(t.display.frames(), at + 1);
}

TEST(ReachErrors, AnErrorInAPresentationShowsTheSystemErrorAndEndsTheProgram) {
    // A reach symbol at the top of the 16-bit range overflows the intermediate symbol.
    TestMachine t;
    test::layReach(t.m, 5, 5, 1);
    t.m.G_iNowZug[1] = 32767;
    Int16 s = 5;
    EXPECT_EQ(runUntilEnd([&] { RICH_LO(t.m, s, t.m.G_iNowZug[1]); }), 1);
    ASSERT_EQ(t.display.messages().size(), 1u);
    EXPECT_EQ(t.display.messages()[0].text,
              std::string(text::kSystemError) + "\r6 :オーバーフローしました。");
    EXPECT_EQ(t.display.frames(), 0u);
}

TEST(ReachErrors, ImagesOutsideTheListAreRejected) {
    TestMachine t;
    auto error = [&](Int16 n) {
        try {
            setImage(t.m, kImgObake, n);
        } catch (const RuntimeError& e) {
            return e.number();
        }
        return Int32{0};
    };
    EXPECT_EQ(error(0), err::kInvalidPropertyValue);
    EXPECT_EQ(error(21), err::kInvalidPropertyValue);
    EXPECT_EQ(error(20), 0);
    EXPECT_EQ(t.m.scene.picture(kImgObake).image, 20);
}

}  // namespace
}  // namespace rl00
