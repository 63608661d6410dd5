#include <gtest/gtest.h>

#include <limits>
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

constexpr Int32 kMaxTop = std::numeric_limits<Int32>::max();

// A machine whose three reels stand aligned at `n`.
struct AlignedMachine : LoadedMachine {
    explicit AlignedMachine(Int16 n) { REEL_RUN(m, reels(n, n, n), m.G_iNowZug); }
};

// Calls REEL_STEP on reel 1 until it passes a slot; returns the number of calls.
int framesToPass(Machine& m, Int16 n, Int32 step, Int16 direction) {
    int calls = 0;
    while (m.G_bPass[1] != kTrue && calls < 1000) {
        REEL_STEP(m, n, 1, step, direction);
        ++calls;
    }
    return calls;
}

TEST(ReelStep, FramesPerSlotFromAnAlignedWindow) {
    struct Case {
        Int32 step;
        int down;
        int up;
    };
    for (const Case c : {Case{80, 6, 6}, Case{40, 12, 12}, Case{30, 15, 16}}) {
        AlignedMachine down(5);
        EXPECT_EQ(framesToPass(down.m, 5, c.step, kDown), c.down) << c.step;
        EXPECT_EQ(down.display.frames(), std::uint64_t(c.down));
        AlignedMachine up(5);
        EXPECT_EQ(framesToPass(up.m, 5, c.step, kUp), c.up) << c.step;
        EXPECT_EQ(up.display.frames(), std::uint64_t(c.up));
    }
}

TEST(ReelStep, DownRealignsOneSlotLowerWithTheLeaverParkedAbove) {
    AlignedMachine t(1);  // window 3, 2, 1, 14, 13
    for (int k = 0; k < 5; ++k)
        REEL_STEP(t.m, 1, 1, 80, kDown);
    EXPECT_EQ(t.m.G_lZugTop[1][3], -470);  // slot 0 just short of the pass
    EXPECT_EQ(t.m.G_lZugTop[1][13], 950 + 5 * 80);
    EXPECT_EQ(t.m.G_bPass[1], kFalse);
    REEL_STEP(t.m, 1, 1, 80, kDown);
    EXPECT_EQ(t.m.G_bPass[1], kTrue);
    const std::vector<std::pair<int, Int32>> expected = {
        {13, -870}, {3, -420}, {2, 50}, {1, 500}, {14, 950}};
    for (auto [symbol, top] : expected) {
        EXPECT_EQ(t.m.G_lZugTop[1][symbol], top) << symbol;
        EXPECT_EQ(pic(t.m, 1, symbol).top, top) << symbol;
    }
    EXPECT_TRUE(aligned(t.m, 2, 1));  // the other reels did not move
}

TEST(ReelStep, UpRealignsOneSlotHigherWithTheLeaverParkedBelow) {
    AlignedMachine t(14);  // window 2, 1, 14, 13, 12
    for (int k = 0; k < 15; ++k)
        REEL_STEP(t.m, 14, 1, 30, kUp);
    EXPECT_EQ(t.m.G_lZugTop[1][14], -400);  // slot 2 just short of the pass
    EXPECT_EQ(t.m.G_bPass[1], kFalse);
    REEL_STEP(t.m, 14, 1, 30, kUp);
    EXPECT_EQ(t.m.G_bPass[1], kTrue);
    const std::vector<std::pair<int, Int32>> expected = {
        {1, -870}, {14, -420}, {13, 50}, {12, 500}, {2, 950}};
    for (auto [symbol, top] : expected) {
        EXPECT_EQ(t.m.G_lZugTop[1][symbol], top) << symbol;
        EXPECT_EQ(pic(t.m, 1, symbol).top, top) << symbol;
    }
}

TEST(ReelStep, PassIsTestedAfterEveryMoveSoTheRestNeverMoves) {
    // Step 450 passes as soon as slot 0 has moved. Were the other slots moved first, the
    // picture below would overflow its Top.
    AlignedMachine t(7);
    t.m.G_lZugTop[1][6] = kMaxTop - 100;  // slot 3
    REEL_STEP(t.m, 7, 1, 450, kDown);
    EXPECT_TRUE(t.display.messages().empty());
    EXPECT_EQ(t.m.G_bPass[1], kTrue);
    EXPECT_EQ(t.display.frames(), 1u);
    EXPECT_EQ(t.m.G_lZugTop[1][6], 950);

    // The same trap upward: slot 2 passes before slots 3 and 4 move.
    AlignedMachine u(7);
    u.m.G_lZugTop[1][5] = std::numeric_limits<Int32>::min() + 100;  // slot 4
    REEL_STEP(u.m, 7, 1, 470, kUp);
    EXPECT_TRUE(u.display.messages().empty());
    EXPECT_EQ(u.m.G_lZugTop[1][5], 500);
}

TEST(ReelStep, OtherDirectionsMoveNothingButStillShowAFrame) {
    AlignedMachine t(4);
    for (Int16 s : {Int16{3}, Int16{4}, Int16{5}, Int16{6}})
        t.m.scene.picture(reelPicture(2, s)).top = 12345;  // stray screen positions
    const auto table = tableTops(t.m);
    int events = 0;
    t.display.onEveryPass([&] { ++events; });
    EXPECT_EQ(REEL_STEP(t.m, 4, 2, 80, 0), kTrue);
    EXPECT_EQ(REEL_STEP(t.m, 4, 2, 80, 2), kTrue);
    EXPECT_EQ(tableTops(t.m), table);
    EXPECT_TRUE(aligned(t.m, 2, 4));  // the table was written back to the pictures
    EXPECT_EQ(t.display.frames(), 2u);
    EXPECT_EQ(events, 2);
    EXPECT_EQ(t.m.G_bPass[2], kFalse);
}

TEST(ReelStep, OverflowOfATopShowsTheSystemErrorAndLeavesIt) {
    AlignedMachine t(4);
    t.m.G_lZugTop[3][6] = kMaxTop - 10;  // slot 0 of the window of 4
    EXPECT_EQ(runUntilEnd([&] { REEL_STEP(t.m, 4, 3, 80, kDown); }), 1);
    ASSERT_EQ(t.display.messages().size(), 1u);
    EXPECT_EQ(t.display.messages()[0].text,
              "システムエラーが発生しました\r6 :オーバーフローしました。");
    EXPECT_EQ(t.m.G_lZugTop[3][6], kMaxTop - 10);
    EXPECT_EQ(t.display.frames(), 0u);

    AlignedMachine bad_reel(4);
    EXPECT_EQ(runUntilEnd([&] { REEL_STEP(bad_reel.m, 4, 4, 80, kDown); }), 1);
    EXPECT_EQ(bad_reel.display.messages().size(), 1u);
}

TEST(ReelFeed, FeedsOnlyAfterAPassAndThenCountsPlacesAndPauses) {
    AlignedMachine t(13);
    std::vector<Int32> sleeps;
    t.display.onSleep([&](Int32 ms) { sleeps.push_back(ms); });
    Picture& entry = t.m.scene.picture(reelPicture(3, 1));  // 13 + 2, wrapped
    entry.top = 2222;
    entry.left = 7;
    t.m.G_iStep[3] = 4;

    const auto table = tableTops(t.m);
    EXPECT_EQ(REEL_FEED(t.m, 13, 3), kTrue);  // nothing passed
    EXPECT_EQ(t.m.G_iStep[3], 4);
    EXPECT_EQ(entry.top, 2222);
    EXPECT_EQ(tableTops(t.m), table);
    EXPECT_TRUE(sleeps.empty());
    EXPECT_EQ(t.display.passes(), 0u);
    EXPECT_EQ(t.display.elapsedMs(), 0.0);

    t.m.G_bPass[3] = kTrue;
    EXPECT_EQ(REEL_FEED(t.m, 13, 3), kTrue);
    EXPECT_EQ(t.m.G_iStep[3], 5);
    EXPECT_EQ(t.m.G_bPass[3], kFalse);
    EXPECT_EQ(entry.top, -870);
    EXPECT_EQ(entry.left, 960);
    EXPECT_EQ(t.m.G_lZugTop[3][1], -870);
    EXPECT_EQ(sleeps, std::vector<Int32>{10});
    EXPECT_EQ(t.display.passes(), 1u);
    EXPECT_EQ(t.display.elapsedMs(), 10.0);
    EXPECT_EQ(t.display.frames(), 0u);
}

TEST(ReelFeed, CounterOverflowShowsTheSystemError) {
    AlignedMachine t(1);
    t.m.G_iStep[2] = 32767;
    t.m.G_bPass[2] = kTrue;
    EXPECT_EQ(runUntilEnd([&] { REEL_FEED(t.m, 1, 2); }), 1);
    EXPECT_EQ(t.display.messages()[0].text,
              "システムエラーが発生しました\r6 :オーバーフローしました。");
    EXPECT_EQ(t.m.G_iStep[2], 32767);
}

TEST(WaitMs, PausesFirstThenProcessesEvents) {
    test::TestMachine t;
    std::vector<double> seen_at;
    t.display.onEveryPass([&] { seen_at.push_back(t.display.elapsedMs()); });
    WAIT_MS(t.m, 25);
    WAIT_MS(t.m, 0);
    WAIT_MS(t.m, -5);  // no endless pause
    EXPECT_EQ(seen_at, (std::vector<double>{25.0, 25.0, 25.0}));
    // The wait-time setting plays no part, missing or malformed.
    t.m.G_sWaitTime = "abc";
    WAIT_MS(t.m, 10);
    EXPECT_EQ(t.display.elapsedMs(), 35.0);
    EXPECT_TRUE(t.display.messages().empty());
}

TEST(ScrollSweep, UpwardSweepWrapsOneToFourteenAndLeavesTheEntryWhereItWasParked) {
    AlignedMachine t(2);
    t.m.G_bMove[1] = kTrue;
    ReelArray16 centre = reels(2, 0, 0);
    std::vector<Int16> centres;
    while (centres.size() < 3) {
        scrollSweep(t.m, centre, 30, kUp, [](Int16 r) { return r == 1; });
        if (t.m.G_bPass[1] == kTrue) centres.push_back(centre[1]);
    }
    EXPECT_EQ(centres, (std::vector<Int16>{1, 14, 13}));
    EXPECT_EQ(t.display.frames(), 3u * 16u);
    for (int slot = 0; slot <= 3; ++slot)
        EXPECT_EQ(t.m.G_lZugTop[1][test::wrap(13 + 2 - slot)], kAlignedTop[slot]) << slot;
    // Nothing places the picture entering at the bottom: 11 still waits where the load put it.
    EXPECT_EQ(t.m.G_lZugTop[1][11], kParkedBelowTop);
}

}  // namespace
}  // namespace rl00
