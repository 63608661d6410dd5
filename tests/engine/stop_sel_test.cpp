#include "engine/stop_sel.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/tables.h"
#include "machine/msg_show.h"
#include "machine/texts.h"
#include "support/test_machine.h"
#include "support/test_size.h"

namespace rl00 {
namespace {

using test::runUntilEnd;
using test::TestMachine;

// Runs STOP_SEL for lottery value v in `mode` with the symbol counter at `count` and writes what
// it decides into the machine, as GAME_START does.
StopSelection select(Machine& m, Int16 v, Int16 mode, Int16 count, Flag kakuhen_before) {
    m.G_iZugCnt = count;
    const StopSelection o = STOP_SEL(m, {v, mode, count, kakuhen_before});
    applySelection(m, o);
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
                    t.m.G_sZugaraHit = "前";
                    t.m.G_sZugaraKari = "前";
                    const Flag kakuhen_before = toFlag(seed % 2 == 0);
                    Random r = t.m.rnd;
                    const Replay e = replay(r, v, mode, count);
                    const StopSelection o = select(t.m, v, mode, count, kakuhen_before);
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
                    // A hit rewrites kakuhen and the texts after its symbols; a miss keeps them.
                    const std::string before_text = "前";
                    const Int16 s = kHitSymbol[count - 1];
                    ASSERT_EQ(o.kakuhen, e.hit ? toFlag(isKakuhenSymbol(s)) : kakuhen_before);
                    ASSERT_EQ(t.m.G_sZugaraHit, e.hit ? std::to_string(s) : before_text);
                    ASSERT_EQ(t.m.G_sZugaraKari, e.hit ? std::to_string(e.now[0]) : before_text);
                    // Exactly the replayed draws were taken, the single-value rows' d included.
                    ASSERT_EQ(t.m.rnd.nextBits(), r.nextBits());
                    ++checked;
                }
            }
        }
    }
    EXPECT_EQ(checked, 3 * 11 * 14 * 40);
}

TEST(StopSel, DecidesFromItsInputAloneAndLeavesTheMachineAsItWas) {
    for (Int16 v : {Int16{7}, Int16{16}, Int16{25}, Int16{64}, Int16{100}}) {
        TestMachine plain(5);
        TestMachine other(5);
        // Shared variables that alias the inputs or outputs of the old interface.
        other.m.G_iLottery = 300;
        other.m.G_iSyriMode = kModeJitan;
        other.m.G_iZugCnt = 0;
        other.m.G_bKakuhen = kTrue;
        other.m.G_iNowZug[1] = 9;
        other.m.G_iStopZug[2] = 9;
        other.m.G_sZugaraHit = "前";
        const StopSelInput in{v, kModeKakuhen, 3, kFalse};
        EXPECT_EQ(STOP_SEL(plain.m, in), STOP_SEL(other.m, in)) << v;
        EXPECT_EQ(other.m.G_iLottery, 300);
        EXPECT_EQ(other.m.G_iZugCnt, 0);
        EXPECT_EQ(other.m.G_bKakuhen, kTrue);
        EXPECT_EQ(other.m.G_iNowZug[1], 9);
        EXPECT_EQ(other.m.G_iStopZug[2], 9);
        EXPECT_EQ(other.m.G_sZugaraHit, "前");
    }
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
            EXPECT_EQ(shown[0].text, text::kReLotteryFailed);
            EXPECT_EQ(shown[0].title, " メッセージ");
            EXPECT_EQ(shown[1].text, std::string(text::kSystemError) + "\r0 :");
            EXPECT_EQ(shown[1].title, " エラー");
        }
    }
}

TEST(StopSel, NearMissWithoutASymbolForTheCounterHasNoPreviewTwo) {
    for (std::uint64_t seed = 1; seed <= 200; ++seed) {
        TestMachine t(seed);
        StopSelection o;
        EXPECT_EQ(runUntilEnd([&] { o = select(t.m, 16, kModeNormal, 0, kFalse); }), -1);
        EXPECT_EQ(o.rich_res, kRichNearMiss);
        EXPECT_EQ(o.yokoku2, kFalse);
        EXPECT_TRUE(t.display.messages().empty());
    }
}

// Calls per lottery class and mode: a million in an optimised build, fewer where the build is
// slow; RL00_STOPSEL_CALLS overrides both.
constexpr long kDefaultCalls = test::kSanitizedBuild ? 100000 : test::sized(1000000L, 150000L);

long callsPerRun() {
    const char* env = std::getenv("RL00_STOPSEL_CALLS");
    return env != nullptr && std::atol(env) > 0 ? std::atol(env) : kDefaultCalls;
}

enum class ValueSet { kHit, kNearMiss, kFarMiss, kKakuhenHit, kOther };

std::vector<Int16> valuesOf(ValueSet set) {
    std::vector<Int16> out;
    for (Int16 v = kLotteryMin; v <= kLotteryMax; ++v) {
        const bool in = set == ValueSet::kHit        ? isHitValue(v)
                        : set == ValueSet::kNearMiss ? isNearMissValue(v)
                        : set == ValueSet::kFarMiss  ? isFarMissValue(v)
                        : set == ValueSet::kKakuhenHit
                            ? isKakuhenHitValue(v)
                            : lotteryClass(v, kModeKakuhen) == LotteryClass::kMiss;
        if (in) out.push_back(v);
    }
    return out;
}

// Counts of one run. Every call is checked; a broken pattern is counted and the first kept.
struct Tally {
    long calls = 0;
    long broken = 0;
    std::string first_broken;
    long yokoku1 = 0;
    long yokoku2_eligible = 0;
    long yokoku2 = 0;
    long kakuhen_hits = 0;
    long kakuhen_relottery = 0;
    long normal_hits = 0;
    long normal_relottery = 0;
    long relottery_by_count[15] = {};
    long relottery_symbol[15][15] = {};
    long near_misses = 0;
    long near_after = 0;
    long left_symbol[15] = {};
    long non_hits = 0;

    void fail(const std::string& what) {
        if (broken++ == 0) first_broken = what;
    }
};

// Checks the pattern of one call against its class and tallies what is left to chance.
void tallyCall(Tally& t, const Machine& m, const StopSelection& o, Int16 v, Int16 mode, Int16 count,
               Flag kakuhen_before) {
    ++t.calls;
    const Int16 l = m.G_iStopZug[1], c = m.G_iStopZug[2], r = m.G_iStopZug[3];
    const std::string where = " v=" + std::to_string(v) + " count=" + std::to_string(count);
    for (int reel = 1; reel <= 3; ++reel) {
        if (m.G_iStopZug[reel] < 1 || m.G_iStopZug[reel] > 14) t.fail("symbol range" + where);
    }
    if (o.yokoku1 == kTrue) ++t.yokoku1;
    const LotteryClass cls = lotteryClass(v, mode);
    const bool y2_eligible = (v == 7 && count % 2 == 1) || ((v == 16 || v == 32) && count % 2 == 1);
    if (y2_eligible) {
        ++t.yokoku2_eligible;
        if (o.yokoku2 == kTrue) ++t.yokoku2;
    } else if (o.yokoku2 != kFalse) {
        t.fail("preview 2" + where);
    }

    if (cls == LotteryClass::kHit) {
        const Int16 s = kHitSymbol[count - 1];
        const bool kakuhen = count % 2 == 1;
        const Int16 g = m.G_iNowZug[1];
        if (l != s || c != s || r != s) t.fail("hit pattern" + where);
        if (m.G_iNowZug[2] != g || m.G_iNowZug[3] != g) t.fail("first stop" + where);
        if (o.ooatari != kTrue || o.rich != kTrue || o.rich_res != kRichHit || o.oshi_dir != 1)
            t.fail("hit outcome" + where);
        if (o.kakuhen != toFlag(kakuhen)) t.fail("kakuhen mark" + where);
        if (o.saichusen == kTrue) {
            if (g == s || isKakuhenSymbol(g)) t.fail("re-lottery symbol" + where);
            ++t.relottery_by_count[count];
            ++t.relottery_symbol[count][g];
        } else if (o.saichusen != kFalse || g != s) {
            t.fail("hit without re-lottery" + where);
        }
        ++(kakuhen ? t.kakuhen_hits : t.normal_hits);
        if (o.saichusen == kTrue) ++(kakuhen ? t.kakuhen_relottery : t.normal_relottery);
        return;
    }

    ++t.non_hits;
    ++t.left_symbol[l];
    for (int reel = 1; reel <= 3; ++reel) {
        if (m.G_iNowZug[reel] != m.G_iStopZug[reel]) t.fail("first stop" + where);
    }
    if (o.ooatari != kFalse || o.saichusen != kFalse || o.kakuhen != kakuhen_before)
        t.fail("miss outcome" + where);
    switch (cls) {
        case LotteryClass::kNearMissReach:
            ++t.near_misses;
            if (l != r || o.rich != kTrue || o.rich_res != kRichNearMiss) t.fail("near" + where);
            if (c == after(l) && o.oshi_dir == 1) {
                ++t.near_after;
            } else if (c != before(l) || o.oshi_dir != 0) {
                t.fail("near side" + where);
            }
            break;
        case LotteryClass::kFarMissReach:
        case LotteryClass::kPairedMiss: {
            const bool reach = cls == LotteryClass::kFarMissReach;
            if (l != r || c == l || c == after(l) || c == before(l)) t.fail("far" + where);
            if (o.rich != toFlag(reach) || o.rich_res != (reach ? kRichFarMiss : kRichNone) ||
                o.oshi_dir != 0)
                t.fail("far outcome" + where);
            break;
        }
        default:
            if (l == r || o.rich != kFalse || o.rich_res != kRichNone || o.oshi_dir != 0)
                t.fail("miss" + where);
            break;
    }
}

void expectRate(const char* what, long seen, long n, double p) {
    if (n == 0) return;
    const double mean = static_cast<double>(n) * p;
    const double sd = std::sqrt(static_cast<double>(n) * p * (1.0 - p));
    EXPECT_LE(std::fabs(static_cast<double>(seen) - mean), 5.0 * sd + 1e-9)
        << what << ": " << seen << " of " << n << ", expected " << mean << " +- 5 x " << sd;
}

const char* nameOf(ValueSet set) {
    switch (set) {
        case ValueSet::kHit:
            return "Hit";
        case ValueSet::kNearMiss:
            return "NearMiss";
        case ValueSet::kFarMiss:
            return "FarMiss";
        case ValueSet::kKakuhenHit:
            return "KakuhenHit";
        case ValueSet::kOther:
            return "Other";
    }
    return "";
}

double ratio(long part, long whole) {
    return whole == 0 ? 0.0 : static_cast<double>(part) / static_cast<double>(whole);
}

class StopSelStatistics : public testing::TestWithParam<std::tuple<Int16, ValueSet>> {};

TEST_P(StopSelStatistics, PatternsHoldAndChancesMatch) {
    const auto [mode, set] = GetParam();
    const std::vector<Int16> values = valuesOf(set);
    const long n = callsPerRun();
    const long per_count = static_cast<long>(values.size());
    TestMachine tm(20240601u + static_cast<std::uint64_t>(mode) * 10 +
                   static_cast<std::uint64_t>(set));
    Tally t;
    for (long i = 0; i < n; ++i) {
        const Int16 v = values[static_cast<std::size_t>(i % per_count)];
        const Int16 count = static_cast<Int16>((i / per_count) % 14 + 1);
        const Flag before_flag = (i / (per_count * 14)) % 2 == 0 ? kFalse : kTrue;
        const StopSelection o = select(tm.m, v, mode, count, before_flag);
        tallyCall(t, tm.m, o, v, mode, count, before_flag);
    }
    EXPECT_EQ(t.broken, 0) << t.first_broken;
    expectRate("preview 1", t.yokoku1, t.calls, 1.0 / 16);
    expectRate("preview 2", t.yokoku2, t.yokoku2_eligible, 0.5);
    expectRate("kakuhen re-lottery", t.kakuhen_relottery, t.kakuhen_hits, 0.75);
    expectRate("normal re-lottery", t.normal_relottery, t.normal_hits, 0.25);
    expectRate("near miss after the reach symbol", t.near_after, t.near_misses, 0.5);
    for (Int16 s = 1; s <= 14; ++s)
        expectRate("left symbol", t.left_symbol[s], t.non_hits, 1.0 / 14);
    for (Int16 count = 1; count <= 14; ++count) {
        for (Int16 g = 1; g <= 14; ++g) {
            int columns = 0;
            for (Int16 col : kReLottery[count - 1])
                columns += col == g ? 1 : 0;
            const std::string what =
                "re-lottery symbol " + std::to_string(g) + " at count " + std::to_string(count);
            expectRate(what.c_str(), t.relottery_symbol[count][g], t.relottery_by_count[count],
                       columns / 5.0);
        }
    }
    std::printf(
        "mode %d %s: %ld calls; preview 1 %.5f; preview 2 %.4f of %ld; re-lottery kakuhen "
        "%.4f of %ld, normal %.4f of %ld; near side 1 %.4f of %ld\n",
        mode, nameOf(set), t.calls, ratio(t.yokoku1, t.calls), ratio(t.yokoku2, t.yokoku2_eligible),
        t.yokoku2_eligible, ratio(t.kakuhen_relottery, t.kakuhen_hits), t.kakuhen_hits,
        ratio(t.normal_relottery, t.normal_hits), t.normal_hits, ratio(t.near_after, t.near_misses),
        t.near_misses);
}

std::string paramName(const testing::TestParamInfo<StopSelStatistics::ParamType>& p) {
    return "Mode" + std::to_string(std::get<0>(p.param)) + nameOf(std::get<1>(p.param));
}

INSTANTIATE_TEST_SUITE_P(EveryClassAndMode, StopSelStatistics,
                         testing::Combine(testing::Values(kModeNormal, kModeKakuhen, kModeJitan),
                                          testing::Values(ValueSet::kHit, ValueSet::kNearMiss,
                                                          ValueSet::kFarMiss, ValueSet::kKakuhenHit,
                                                          ValueSet::kOther)),
                         paramName);

}  // namespace
}  // namespace rl00
