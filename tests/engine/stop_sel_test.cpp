#include "engine/stop_sel.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/tables.h"
#include "shell/msg_show.h"
#include "support/test_machine.h"

namespace rl00 {
namespace {

using test::runUntilEnd;
using test::TestMachine;

struct Outcome {
    Int16 rich_res = 99;
    Flag rich = 99;
    Flag ooatari = 99;
    Flag saichusen = 99;
    Flag yokoku1 = 99;
    Flag yokoku2 = 99;
    Int16 oshi_dir = 99;
    Flag kakuhen = 99;
};

// Runs STOP_SEL for lottery value v in `mode` with the symbol counter at `count`; the outputs
// start at values STOP_SEL never writes, so an output it forgets shows.
Outcome select(Machine& m, Int16 v, Int16 mode, Int16 count, Flag kakuhen_before) {
    Outcome o;
    o.kakuhen = kakuhen_before;
    m.G_iZugCnt = count;
    STOP_SEL(m, v, mode, o.rich_res, o.rich, o.ooatari, o.saichusen, o.yokoku1, o.yokoku2,
             o.oshi_dir, o.kakuhen);
    return o;
}

Int16 after(Int16 s) {
    return s == 14 ? Int16{1} : static_cast<Int16>(s + 1);
}
Int16 before(Int16 s) {
    return s == 1 ? Int16{14} : static_cast<Int16>(s - 1);
}

// Provisional re-lottery symbols by symbol counter (row count-1) and column (d+1)/2.
constexpr Int16 kReLottery[14][5] = {
    {1, 1, 1, 1, 1}, {8, 8, 8, 9, 9}, {1, 2, 4, 4, 5}, {9, 9, 9, 9, 9}, {4, 5, 5, 6, 8},
    {1, 1, 2, 2, 2}, {4, 5, 6, 8, 9}, {1, 1, 2, 2, 2}, {5, 6, 6, 8, 9}, {1, 2, 2, 4, 4},
    {6, 6, 8, 9, 9}, {1, 2, 4, 5, 6}, {8, 8, 8, 9, 9}, {2, 4, 5, 5, 6},
};
constexpr Int16 kHitSymbol[14] = {3, 1, 7, 2, 10, 4, 11, 5, 12, 6, 13, 8, 14, 9};

// What one call should produce, replayed draw by draw on a copy of the generator.
struct Replay {
    bool yokoku1 = false;
    bool yokoku2 = false;
    bool saichusen = false;
    bool hit = false;
    Int16 now[3] = {0, 0, 0};
    Int16 stop[3] = {0, 0, 0};
    Int16 oshi_dir = 0;
};

Replay replay(Random& r, Int16 v, Int16 mode, Int16 count) {
    Replay e;
    const bool odd = count % 2 == 1;
    e.yokoku1 = r.upTo(16) == 1;
    Int16 l = 0, c = 0, right = 0;
    const bool near = v >= 16 && v <= 48 && v % 8 == 0;
    const bool far = v >= 56 && v <= 216 && v % 8 == 0;
    if (v != 7) {
        l = r.upTo(14);
        if (near) {
            do
                c = r.upTo(14);
            while (c != after(l) && c != before(l));
            e.oshi_dir = c == after(l) ? 1 : 0;
        } else if (far) {
            do
                c = r.upTo(14);
            while (c == l || c == after(l) || c == before(l));
        } else {
            c = r.upTo(14);
        }
        do
            right = r.upTo(14);
        while ((near || far) ? right != l : right == l);
        if (near && (v == 16 || v == 32) && odd) e.yokoku2 = r.upTo(2) == 1;
    }
    e.hit = v == 7 || (mode == kModeKakuhen && v >= 17 && v <= 57 && v % 8 == 1);
    Int16 first[3] = {l, c, right};
    if (e.hit) {
        const Int16 s = kHitSymbol[count - 1];
        const Int16 reveal = r.upTo(4);
        if (odd && v == 7) e.yokoku2 = r.upTo(2) == 1;
        e.saichusen = odd ? reveal <= 3 : reveal == 1;
        const Int16 g = e.saichusen ? kReLottery[count - 1][(r.upTo(10) - 1) / 2] : s;
        l = c = right = s;
        first[0] = first[1] = first[2] = g;
        e.oshi_dir = 1;
    }
    for (int i = 0; i < 3; ++i)
        e.now[i] = first[i];
    e.stop[0] = l;
    e.stop[1] = c;
    e.stop[2] = right;
    return e;
}

TEST(StopSel, DrawsInTheFixedOrderForEveryClassModeAndCount) {
    const Int16 values[] = {7, 16, 24, 32, 56, 216, 17, 57, 0, 366, 100};
    int checked = 0;
    for (Int16 mode : {kModeNormal, kModeKakuhen, kModeJitan}) {
        for (Int16 v : values) {
            for (Int16 count = 1; count <= 14; ++count) {
                for (std::uint64_t seed = 1; seed <= 40; ++seed) {
                    TestMachine t(seed * 7919 + static_cast<std::uint64_t>(v));
                    Random r = t.m.rnd;
                    const Replay e = replay(r, v, mode, count);
                    const Outcome o = select(t.m, v, mode, count, kFalse);
                    SCOPED_TRACE(testing::Message() << "mode " << mode << " v " << v << " count "
                                                    << count << " seed " << seed);
                    ASSERT_EQ(o.yokoku1, toFlag(e.yokoku1));
                    ASSERT_EQ(o.yokoku2, toFlag(e.yokoku2));
                    ASSERT_EQ(o.ooatari, toFlag(e.hit));
                    ASSERT_EQ(o.saichusen, toFlag(e.saichusen));
                    ASSERT_EQ(o.oshi_dir, e.oshi_dir);
                    for (int reel = 1; reel <= 3; ++reel) {
                        ASSERT_EQ(t.m.G_iNowZug[reel], e.now[reel - 1]) << "reel " << reel;
                        ASSERT_EQ(t.m.G_iStopZug[reel], e.stop[reel - 1]) << "reel " << reel;
                    }
                    // Exactly the replayed draws were taken, the single-value rows' d included.
                    ASSERT_EQ(t.m.rnd.nextBits(), r.nextBits());
                    ++checked;
                }
            }
        }
    }
    EXPECT_EQ(checked, 3 * 11 * 14 * 40);
}

TEST(StopSel, HitWritesTheSymbolTextsAndKakuhenFollowsTheSymbol) {
    TestMachine t(99);
    bool seen_relottery = false;
    for (int round = 0; round < 200; ++round) {
        const Int16 count = static_cast<Int16>(round % 14 + 1);
        const Outcome o = select(t.m, 7, kModeNormal, count, count % 2 == 1 ? kFalse : kTrue);
        const Int16 s = kHitSymbol[count - 1];
        EXPECT_EQ(o.kakuhen, toFlag(isKakuhenSymbol(s)));
        EXPECT_EQ(o.rich, kTrue);
        EXPECT_EQ(o.rich_res, kRichHit);
        EXPECT_EQ(t.m.G_sZugaraHit, std::to_string(s));
        EXPECT_EQ(t.m.G_sZugaraKari, std::to_string(t.m.G_iNowZug[1]));
        if (o.saichusen == kTrue) {
            seen_relottery = true;
            EXPECT_FALSE(isKakuhenSymbol(t.m.G_iNowZug[1]));
        }
    }
    EXPECT_TRUE(seen_relottery);
}

TEST(StopSel, MissesLeaveKakuhenAndTheHitTextsAlone) {
    TestMachine t(5);
    t.m.G_sZugaraHit = "12";
    t.m.G_sZugaraKari = "9";
    for (Int16 v = 0; v <= kLotteryMax; ++v) {
        if (v == 7) continue;
        for (Flag before_flag : {kTrue, kFalse}) {
            const Outcome o = select(t.m, v, kModeNormal, 3, before_flag);
            EXPECT_EQ(o.kakuhen, before_flag) << v;
            EXPECT_EQ(o.ooatari, kFalse) << v;
        }
    }
    EXPECT_EQ(t.m.G_sZugaraHit, "12");
    EXPECT_EQ(t.m.G_sZugaraKari, "9");
}

TEST(StopSel, HitWithoutASymbolForTheCounterFailsWithBothMessages) {
    struct Case {
        Int16 v;
        Int16 mode;
        Int16 count;
    };
    for (Case c : {Case{7, kModeNormal, 0}, Case{7, kModeJitan, 15}, Case{25, kModeKakuhen, 0},
                   Case{7, kModeKakuhen, -1}}) {
        for (std::uint64_t seed = 1; seed <= 8; ++seed) {
            TestMachine t(seed);
            t.m.G_iStopZug[1] = 4;  // a stale symbol from an earlier game
            EXPECT_EQ(runUntilEnd([&] { select(t.m, c.v, c.mode, c.count, kFalse); }), 1);
            const auto& shown = t.display.messages();
            ASSERT_EQ(shown.size(), 2u) << c.v << " " << c.count;
            EXPECT_EQ(shown[0].text, kReLotteryFailedText);
            EXPECT_EQ(shown[0].title, " メッセージ");
            EXPECT_EQ(shown[1].text, std::string(kSystemErrorText) + "\r0 :");
            EXPECT_EQ(shown[1].title, " エラー");
        }
    }
}

TEST(StopSel, NearMissWithoutASymbolForTheCounterHasNoPreviewTwo) {
    for (std::uint64_t seed = 1; seed <= 200; ++seed) {
        TestMachine t(seed);
        Outcome o;
        EXPECT_EQ(runUntilEnd([&] { o = select(t.m, 16, kModeNormal, 0, kFalse); }), -1);
        EXPECT_EQ(o.rich_res, kRichNearMiss);
        EXPECT_EQ(o.yokoku2, kFalse);
        EXPECT_TRUE(t.display.messages().empty());
    }
}

}  // namespace
}  // namespace rl00
