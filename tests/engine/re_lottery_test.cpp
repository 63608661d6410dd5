#include <gtest/gtest.h>

#include <vector>

#include "engine/game_start.h"
#include "engine/rand_loop.h"
#include "reels/reels.h"
#include "session/controller.h"
#include "support/test_machine.h"

namespace rl00 {
namespace {

// The reels stand aligned on the provisional symbol g, the hit symbol s is decided.
void standOn(test::TestMachine& t, Int16 g, Int16 s, Flag kakuhen) {
    loadMachine(t.m, "/nonexistent", "", 1);
    ReelArray16 at;
    for (Int16 r = 1; r <= 3; ++r) {
        at[r] = g;
        t.m.G_iStopZug[r] = s;
    }
    REEL_RUN(t.m, at, t.m.G_iNowZug);
    t.m.G_iNowZug = at;
    t.m.G_bKakuhen = kakuhen;
}

std::uint64_t seedWithCoin(Int16 wanted) {
    for (std::uint64_t s = 1;; ++s) {
        Random r(s);
        if (r.upTo(2) == wanted) return s;
    }
}

TEST(ReLottery, CountFourStartsAtNineAndStepsForwardToTwo) {
    test::TestMachine t;
    standOn(t, 9, 2, kFalse);
    t.m.rnd.reseed(seedWithCoin(1));  // the coin says overshoot, but not on a normal hit
    std::vector<Int16> settled;
    t.display.onSleep([&](Int32 ms) {
        if (ms == 500) settled.push_back(t.m.G_iNowZug[3]);
    });
    playReLottery(t.m);
    EXPECT_EQ(t.m.G_bSaiChusenUp, kFalse);
    EXPECT_EQ(settled, (std::vector<Int16>{10, 11, 12, 13, 14, 1, 2}));
    for (Int16 r = 1; r <= 3; ++r) {
        EXPECT_EQ(t.m.G_iNowZug[r], 2);
        EXPECT_EQ(t.m.G_iStopZug[r], 2);
    }
    EXPECT_EQ(t.m.scene.window_back, kBlack);
}

TEST(ReLottery, KakuhenOvershootPassesTheHitSymbolAndComesBack) {
    test::TestMachine t;
    standOn(t, 1, 3, kTrue);
    t.m.rnd.reseed(seedWithCoin(1));
    std::vector<Int32> pauses;
    std::vector<Int16> at_pause;
    t.display.onSleep([&](Int32 ms) {
        if (ms >= 80) {
            pauses.push_back(ms);
            at_pause.push_back(t.m.G_iNowZug[3]);
        }
    });
    playReLottery(t.m);
    EXPECT_EQ(t.m.G_bSaiChusenUp, kTrue);
    for (Int16 r = 1; r <= 3; ++r) {
        EXPECT_EQ(t.m.G_iNowZug[r], 3);
        EXPECT_EQ(t.m.G_iStopZug[r], 3);
    }
    // 130 first; forward: white 80, settle 130 + 500 on 2; white 80, settle 130 + 500 on 3;
    // white 80, settle 130 + 80 on 4; back: white 100, settle 80 + 100 on 3.
    EXPECT_EQ(pauses,
              (std::vector<Int32>{130, 80, 130, 500, 80, 130, 500, 80, 130, 80, 100, 80, 100}));
    EXPECT_EQ(at_pause.back(), 3);
    EXPECT_EQ(at_pause[9], 4);
}

TEST(ReLottery, CoinWithoutOvershootOnKakuhenStopsOnTheHitSymbol) {
    test::TestMachine t;
    standOn(t, 1, 3, kTrue);
    t.m.rnd.reseed(seedWithCoin(2));
    playReLottery(t.m);
    EXPECT_EQ(t.m.G_bSaiChusenUp, kFalse);
    EXPECT_EQ(t.m.G_iNowZug[3], 3);
}

}  // namespace
}  // namespace rl00
