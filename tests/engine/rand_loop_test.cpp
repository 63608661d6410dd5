#include "engine/rand_loop.h"

#include <gtest/gtest.h>

#include "session/controller.h"
#include "support/test_machine.h"

namespace rl00 {
namespace {

using test::runUntilEnd;
using test::TestMachine;

struct Seen {
    Int16 lottery;
    Int16 count;
};

TEST(RandLoop, CountsLotteryAndSymbolAndEndsOnTheFlag) {
    TestMachine t;
    std::vector<Seen> seen;
    t.display.onEveryPass([&] { seen.push_back({t.m.G_iLottery, t.m.G_iZugCnt}); });
    const std::uint64_t full_cycle = 14 * 367;
    t.display.atPass(full_cycle + 1, [&] { t.m.G_bEnd = kTrue; });

    EXPECT_EQ(runUntilEnd([&] { onActivate(t.m); }), 0);

    ASSERT_EQ(seen.size(), full_cycle + 1);  // the end flag ends the loop at that very pass
    EXPECT_EQ(seen[0].lottery, 1);           // the first pass publishes before any event
    EXPECT_EQ(seen[0].count, 1);
    EXPECT_EQ(seen[365].lottery, 366);  // after 366 passes: 366 and 1
    EXPECT_EQ(seen[365].count, 1);
    EXPECT_EQ(seen[366].lottery, 0);  // the next pass: 0 and 2
    EXPECT_EQ(seen[366].count, 2);
    EXPECT_EQ(seen[full_cycle - 1].lottery, 0);  // 14 x 367 passes: the symbol counter is back
    EXPECT_EQ(seen[full_cycle - 1].count, 1);
    for (const Seen& s : seen) {
        EXPECT_GE(s.lottery, 0);
        EXPECT_LE(s.lottery, 366);
        EXPECT_GE(s.count, 1);
        EXPECT_LE(s.count, 14);
    }
}

TEST(RandLoop, SecondActivationNeverStartsASecondLoop) {
    TestMachine t;
    int nested_returns = 0;
    t.display.atPass(10, [&] {
        onActivate(t.m);  // a later activation, delivered inside the loop's own event processing
        ++nested_returns;
    });
    t.display.atPass(20, [&] { t.m.G_bEnd = kTrue; });
    EXPECT_EQ(runUntilEnd([&] { onActivate(t.m); }), 0);
    EXPECT_EQ(nested_returns, 1);
    EXPECT_EQ(t.display.passes(), 20u);
    EXPECT_EQ(t.m.G_iLottery, 20);  // one counter, not restarted

    EXPECT_EQ(runUntilEnd([&] { onActivate(t.m); }), -1);  // after the loop: still nothing
}

TEST(RandLoop, HeldLoopProcessesEventsWithoutCountingAndEndsOnTheFlag) {
    TestMachine t;
    idleStep(t.m);
    advanceIdle(t.m, 1000);
    std::vector<Seen> seen;
    t.display.onEveryPass([&] { seen.push_back({t.m.G_iLottery, t.m.G_iZugCnt}); });
    t.display.atPass(500, [&] { t.m.G_bEnd = kTrue; });
    EXPECT_EQ(runUntilEnd([&] { heldIdleLoop(t.m); }), 0);
    ASSERT_EQ(seen.size(), 500u);
    for (const Seen& s : seen) {
        EXPECT_EQ(s.lottery, 1001 % 367);
        EXPECT_EQ(s.count, 1 + 1001 / 367);
    }
}

TEST(RandLoop, AdvanceIdleEqualsSingleSteps) {
    TestMachine a;
    TestMachine b;
    for (std::uint64_t n : {0u, 1u, 365u, 366u, 367u, 5137u, 5138u, 20000u, 3u}) {
        for (std::uint64_t k = 0; k < n; ++k)
            idleStep(a.m);
        advanceIdle(b.m, n);
        ASSERT_EQ(a.m.G_iLottery, b.m.G_iLottery) << n;
        ASSERT_EQ(a.m.G_iZugCnt, b.m.G_iZugCnt) << n;
        ASSERT_EQ(a.m.idle.j, b.m.idle.j);
        ASSERT_EQ(a.m.idle.i, b.m.idle.i);
    }
}

}  // namespace
}  // namespace rl00
