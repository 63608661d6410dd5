#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "reels/reel_checks.h"
#include "reels/reels.h"
#include "support/test_machine.h"

namespace rl00 {
namespace {

using test::aligned;
using test::reels;
using test::runUntilEnd;
using test::TestMachine;
using test::wrap;

// The machine after a load that left the reels at `start`.
struct StartedMachine : TestMachine {
    explicit StartedMachine(const ReelArray16& start) {
        m.G_iStopZug = start;
        prepareReelPictures(m);
    }
};

// What STOP_SEL leaves for the reels.
void decide(Machine& m, const ReelArray16& stop) {
    m.G_iStopZug = stop;
    m.G_iNowZug = stop;
}

::testing::AssertionResult stateIs(const Machine& m, std::array<Int16, 3> step,
                                   std::array<Flag, 3> move) {
    for (Int16 r = 1; r <= 3; ++r) {
        if (m.G_iStep[r] != step[r - 1] || m.G_bMove[r] != move[r - 1])
            return ::testing::AssertionFailure()
                   << "reel " << r << ": G_iStep " << m.G_iStep[r] << " G_bMove " << m.G_bMove[r];
    }
    return ::testing::AssertionSuccess();
}

// One game's reel sequence, phase by phase, checked against the state each phase must leave.
::testing::AssertionResult playChecked(TestMachine& t, const ReelArray16& stop) {
    Machine& m = t.m;
    const ReelArray16 previous = m.G_iStopZug;
    startDisplay(m);
    for (Int16 r = 1; r <= 3; ++r)
        if (auto ok = aligned(m, r, previous[r]); !ok) return ok << " (start display)";
    decide(m, stop);

    spinStart(m);
    if (auto ok = stateIs(m, {1, 1, 1}, {kTrue, kTrue, kTrue}); !ok) return ok << " (start)";
    std::uint64_t frames = t.display.frames();
    spinUp(m);
    if (auto ok = stateIs(m, {15, 15, 15}, {kTrue, kTrue, kTrue}); !ok) return ok << " (spin)";
    for (Int16 r = 1; r <= 3; ++r) {
        if (m.G_iStartZug[r] != wrap(previous[r] + 13))
            return ::testing::AssertionFailure() << "spin-up did not scroll 13 on reel " << r;
        if (auto ok = aligned(m, r, m.G_iStartZug[r]); !ok) return ok << " (spin-up)";
    }
    if (t.display.frames() - frames != 3 * 78)
        return ::testing::AssertionFailure() << "spin-up frames " << t.display.frames() - frames;

    jumpToStop(m);
    if (auto ok = stateIs(m, {1, 1, 1}, {kTrue, kTrue, kTrue}); !ok) return ok << " (jump)";
    const std::array<int, 3> lead = {2, 6, 4};
    for (Int16 r = 1; r <= 3; ++r) {
        if (m.G_iNowZug[r] != wrap(stop[r] - lead[r - 1]))
            return ::testing::AssertionFailure()
                   << "jump of reel " << r << " to " << m.G_iNowZug[r];
        if (auto ok = aligned(m, r, m.G_iNowZug[r]); !ok) return ok << " (jump)";
    }

    frames = t.display.frames();
    leftStop(m);
    if (auto ok = stateIs(m, {999, 1, 1}, {kFalse, kTrue, kTrue}); !ok) return ok << " (left)";
    if (m.G_iNowZug[1] != stop[1] || m.G_iNowZug[2] != wrap(stop[2] - 4) ||
        m.G_iNowZug[3] != wrap(stop[3] - 2))
        return ::testing::AssertionFailure() << "left stop symbols";
    if (auto ok = aligned(m, 1, stop[1]); !ok) return ok << " (left stop)";
    if (t.display.frames() - frames != 3 * 24) return ::testing::AssertionFailure() << "left";

    frames = t.display.frames();
    rightStop(m);
    if (auto ok = stateIs(m, {999, 1, 999}, {kFalse, kTrue, kFalse}); !ok) return ok << " (right)";
    if (m.G_iNowZug[1] != stop[1] || m.G_iNowZug[3] != stop[3] ||
        m.G_iNowZug[2] != wrap(stop[2] - 2) || m.G_bPass[2] != kFalse)
        return ::testing::AssertionFailure() << "right stop symbols";
    if (auto ok = aligned(m, 3, stop[3]); !ok) return ok << " (right stop)";
    if (auto ok = aligned(m, 2, m.G_iNowZug[2]); !ok) return ok << " (reach position)";
    if (t.display.frames() - frames != 2 * 24) return ::testing::AssertionFailure() << "right";

    frames = t.display.frames();
    centreStop(m);
    if (auto ok = stateIs(m, {999, 3, 999}, {kFalse, kTrue, kFalse}); !ok) return ok << " (centre)";
    if (t.display.frames() - frames != 24) return ::testing::AssertionFailure() << "centre";
    for (Int16 r = 1; r <= 3; ++r) {
        if (m.G_iNowZug[r] != stop[r]) return ::testing::AssertionFailure() << "final symbol";
        if (auto ok = aligned(m, r, stop[r]); !ok) return ok << " (final)";
    }
    return ::testing::AssertionSuccess();
}

TEST(SpinAndStop, EveryStopTripleLandsFromSeveralStarts) {
    // Each run plays all 14^3 stop triples one after another, so every game also starts from
    // wherever the previous one stopped.
    const std::array<ReelArray16, 3> starts = {reels(1, 2, 3), reels(14, 14, 14), reels(7, 12, 2)};
    for (std::size_t run = 0; run < starts.size(); ++run) {
        StartedMachine t(starts[run]);
        for (int k = 0; k < 14 * 14 * 14; ++k) {
            const int code = (k * 3 + static_cast<int>(run) * 977) % (14 * 14 * 14);
            const ReelArray16 stop =
                reels(static_cast<Int16>(code % 14 + 1), static_cast<Int16>(code / 14 % 14 + 1),
                      static_cast<Int16>(code / 196 + 1));
            ASSERT_TRUE(playChecked(t, stop))
                << "run " << run << " stop " << stop[1] << "," << stop[2] << "," << stop[3];
        }
        EXPECT_TRUE(t.display.messages().empty());
    }
}

TEST(SpinAndStop, FramesPerReelPhaseAndVirtualDuration) {
    StartedMachine t(reels(1, 2, 3));
    Machine& m = t.m;
    auto snapshot = test::tableTops(m);
    std::array<int, 4> frames_of{};  // by reel
    int feeds = 0;
    const auto take = [&] { snapshot = test::tableTops(m); };
    // A frame changes the table of the one reel that stepped; feeds change it before they sleep.
    t.display.onFrame([&] {
        const auto now = test::tableTops(m);
        int moved = 0;
        for (int r = 1; r <= 3; ++r) {
            for (int i = 0; i < 14; ++i) {
                if (now[(r - 1) * 14 + i] != snapshot[(r - 1) * 14 + i]) {
                    ++frames_of[r];
                    ++moved;
                    break;
                }
            }
        }
        EXPECT_EQ(moved, 1);
        snapshot = now;
    });
    t.display.onSleep([&](Int32 ms) {
        EXPECT_EQ(ms, 10);
        ++feeds;
        take();
    });
    const auto phase = [&](void (*run)(Machine&), std::array<int, 4> frames, int fed) {
        frames_of = {};
        feeds = 0;
        take();
        run(m);
        EXPECT_EQ(frames_of, frames);
        EXPECT_EQ(feeds, fed);
    };

    startDisplay(m);
    decide(m, reels(1, 1, 1));
    spinStart(m);
    phase(spinUp, {0, 78, 78, 78}, 42);
    phase(jumpToStop, {0, 0, 0, 0}, 0);
    EXPECT_EQ(m.G_iNowZug, reels(13, 9, 11));
    phase(leftStop, {0, 24, 24, 24}, 6);
    phase(rightStop, {0, 0, 24, 24}, 4);
    phase(centreStop, {0, 0, 24, 0}, 2);
    EXPECT_EQ(t.display.frames(), 378u);
    // 378 frames of 2 ms and 54 feeds of 10 ms.
    EXPECT_EQ(t.display.elapsedMs(), 378 * 2.0 + 54 * 10.0);
}

TEST(SpinAndStop, ReachGameHandsOverTheCentreAndTheNextGameStartsAligned) {
    StartedMachine t(reels(1, 2, 3));
    startDisplay(t.m);
    decide(t.m, reels(5, 9, 5));
    spinToRightStop(t.m);
    EXPECT_EQ(t.display.frames(), 3u * 78 + 3 * 24 + 2 * 24);
    EXPECT_EQ(t.m.G_iNowZug, reels(5, 7, 5));
    EXPECT_EQ(t.m.G_bMove[2], kTrue);
    EXPECT_EQ(t.m.G_iStep[2], 1);
    EXPECT_EQ(t.m.G_bPass[2], kFalse);
    EXPECT_TRUE(aligned(t.m, 2, 7));

    // The presentation is left out: the centre still stands at 7 when the next game starts.
    startDisplay(t.m);
    for (Int16 r = 1; r <= 3; ++r)
        EXPECT_TRUE(aligned(t.m, r, t.m.G_iStopZug[r]));
    EXPECT_EQ(test::pic(t.m, 2, 6).top, -870);
    EXPECT_EQ(test::pic(t.m, 2, 5).top, -870);
}

TEST(SpinAndStop, EndFlagEndsTheProgramAtTheNextFrame) {
    StartedMachine spin(reels(1, 2, 3));
    startDisplay(spin.m);
    decide(spin.m, reels(4, 4, 4));
    spin.display.atFrame(100, [&] { spin.m.G_bEnd = kTrue; });
    EXPECT_EQ(runUntilEnd([&] { spinToRightStop(spin.m); }), 0);
    EXPECT_EQ(spin.display.frames(), 100u);
    EXPECT_TRUE(spin.display.messages().empty());

    // Set in the left stop's own event processing, between frames.
    StartedMachine left(reels(1, 2, 3));
    startDisplay(left.m);
    decide(left.m, reels(4, 4, 4));
    spinStart(left.m);
    spinUp(left.m);
    jumpToStop(left.m);
    const std::uint64_t before = left.display.frames();
    std::uint64_t frames_when_set = 0;
    // Sweep 6: reel 1's event processing and frame, then reel 2's event processing.
    left.display.atPass(left.display.passes() + 5 * 6 + 3, [&] {
        left.m.G_bEnd = kTrue;
        frames_when_set = left.display.frames();
    });
    EXPECT_EQ(runUntilEnd([&] { leftStop(left.m); }), 0);
    EXPECT_EQ(frames_when_set, before + 16);
    EXPECT_EQ(left.display.frames(), frames_when_set + 1);
}

}  // namespace
}  // namespace rl00
