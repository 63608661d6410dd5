#include "stats/theory.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <numeric>
#include <string>
#include <vector>

#include "engine/rand_loop.h"
#include "engine/stop_sel.h"
#include "engine/tables.h"
#include "session/controller.h"
#include "support/test_machine.h"
#include "support/test_size.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

constexpr int kBatches = 100;
constexpr double kT9999 = 4.06;  // the same for Student's t with kBatches - 1 degrees of freedom
// The chi-square law of kBatches - 1 degrees of freedom leaves 1 in 20,000 below and above these.
constexpr double kChiSquare9999Low = 53.3;
constexpr double kChiSquare9999High = 163.5;
constexpr std::int64_t kPairs = std::int64_t{kLotteryValues} * kSymbols;

const Theory& theory() {
    static const Theory t = computeTheory();
    return t;
}

bool equals(const Chance& c, std::int64_t count, std::int64_t of) {
    return c.num * of == count * c.den;
}

TEST(GameChances, MatchStopSelOverEveryLotteryValueAndCounter) {
    for (Int16 mode = 0; mode < kModes; ++mode) {
        test::TestMachine t(100 + static_cast<std::uint64_t>(mode));
        std::int64_t hit = 0, kakuhen = 0, near = 0, far = 0, paired = 0, miss = 0;
        for (Int16 v = kLotteryMin; v <= kLotteryMax; ++v) {
            for (Int16 count = 1; count <= kSymbols; ++count) {
                const StopSelection s = STOP_SEL(t.m, {v, mode, count, kFalse});
                const Int16 res = s.rich_res;
                const Flag is_hit = s.ooatari;
                const Flag kflag = s.kakuhen;
                const bool pair = s.stop_zug[1] == s.stop_zug[3];
                hit += is_hit == kTrue;
                kakuhen += is_hit == kTrue && kflag == kTrue;
                near += res == kRichNearMiss;
                far += res == kRichFarMiss;
                paired += is_hit == kFalse && res == kRichNone && pair;
                miss += is_hit == kFalse && res == kRichNone && !pair;
            }
        }
        SCOPED_TRACE("mode " + std::to_string(mode));
        const ModeChances& mc = theory().modes[static_cast<std::size_t>(mode)];
        EXPECT_TRUE(equals(mc.hit, hit, kPairs));
        EXPECT_TRUE(equals(mc.kakuhen_hit, kakuhen, kPairs));
        EXPECT_TRUE(equals(mc.normal_hit, hit - kakuhen, kPairs));
        EXPECT_TRUE(equals(mc.near_miss, near, kPairs));
        EXPECT_TRUE(equals(mc.far_miss, far, kPairs));
        EXPECT_TRUE(equals(mc.paired_miss, paired, kPairs));
        EXPECT_TRUE(equals(mc.plain_miss, miss, kPairs));
    }
}

// About 12 s in Release. A sanitizer or Debug build plays far fewer games, at some seconds per
// ten thousand: the same checks with wider intervals.
constexpr int kWalkedGames = test::sized(40000, 10000);
constexpr int kSimulatedGames = test::sized(1200000, 30000);

// The state the next game is played in, read from the machine after a game.
int engineState(const Machine& m) {
    if (m.G_iSyriMode == kModeKakuhen) return kStateKakuhen;
    if (m.G_iSyriMode == kModeJitan) return jitanState(static_cast<int>(m.G_lRevCnt) + 1);
    return kStateNormal;
}

// A loaded machine whose run log goes to a fresh folder, played game by game.
struct Player {
    explicit Player(std::uint64_t seed) : t(seed), idle(seed ^ 0x5DEECE66DULL) {
        dir = fs::temp_directory_path() /
              ("rl00_theory_" + std::to_string(::getpid()) + "_" + std::to_string(seed));
        fs::create_directories(dir);
        loadMachine(t.m, dir.string(), "", seed);
        t.m.G_sLogPath = dir.string();
        t.m.G_sLogName = "LOG.TXT";
        idleStep(t.m);
    }
    ~Player() { fs::remove_all(dir); }
    test::TestMachine t;
    Random idle;
    fs::path dir;
};

TEST(ModeChain, FollowsTheGameCycleGameByGame) {
    Player p(7);
    Machine& m = p.t.m;
    int state = kStateNormal;
    int boundary_hits[2] = {};  // normal hits in the period's last two games
    for (int game = 0; game < kWalkedGames; ++game) {
        // Hits crowd the period's first and last games, where the rules change.
        const bool edge = state == jitanState(1) || state >= jitanState(kJitanGames - 1);
        const int odds = edge ? 2 : state == kStateNormal ? 20 : state == kStateKakuhen ? 8 : 400;
        m.G_iLottery = p.idle.upTo(static_cast<Int16>(odds)) == 1 ? 7 : 0;
        m.G_iZugCnt = p.idle.upTo(kSymbols);
        const Int16 chain_before = m.G_iRenchan;
        ASSERT_TRUE(onStartRequest(m));
        GameResult r = GameResult::kMiss;
        if (m.G_bOoatari == kTrue)
            r = m.G_bKakuhen == kTrue ? GameResult::kKakuhenHit : GameResult::kNormalHit;
        if (r != GameResult::kMiss) {
            const Int16 expected = startsChain(state, r) ? 1 : static_cast<Int16>(chain_before + 1);
            ASSERT_EQ(m.G_iRenchan, expected) << "game " << game << " in state " << state;
        }
        if (r == GameResult::kNormalHit && state >= jitanState(kJitanGames - 1))
            ++boundary_hits[state - jitanState(kJitanGames - 1)];
        const int next = nextState(state, r);
        ASSERT_EQ(engineState(m), next) << "game " << game << " in state " << state;
        state = next;
    }
    EXPECT_GT(boundary_hits[0], 0);
    EXPECT_GT(boundary_hits[1], 0);
}

// Per batch of games, the numerator and denominator of a ratio; the spread of the batches
// gives the ratio's standard error, correlations within a batch included. Rare events can leave
// every batch alike, so the error is never taken below that of independent trials.
struct Ratio {
    std::vector<double> num = std::vector<double>(kBatches), den = std::vector<double>(kBatches);
    void add(int batch, bool event, bool counted = true) {
        num[static_cast<std::size_t>(batch)] += event && counted;
        den[static_cast<std::size_t>(batch)] += counted;
    }
    void expectNear(double expected, const std::string& what) const {
        const double n = std::accumulate(num.begin(), num.end(), 0.0);
        const double d = std::accumulate(den.begin(), den.end(), 0.0);
        double ss = 0;
        for (std::size_t b = 0; b < num.size(); ++b)
            ss += std::pow(num[b] - n / d * den[b], 2);
        const double se = std::max(std::sqrt(ss * kBatches / (kBatches - 1)) / d,
                                   std::sqrt(expected * (1 - expected) / d));
        EXPECT_LE(std::fabs(n / d - expected), kT9999 * se + 1e-12)
            << what << ": observed " << n / d << " +- " << se << ", theory " << expected;
    }
    // The batches spread as the theory's design effect says: their squared residuals, over what
    // the theory expects of them, follow a chi-square law of kBatches - 1 degrees of freedom.
    void expectSpread(const ShareVariance& theory, const std::string& what) const {
        const double n = std::accumulate(num.begin(), num.end(), 0.0);
        const double d = std::accumulate(den.begin(), den.end(), 0.0);
        const double r = static_cast<double>(theory.share);
        double ss = 0;
        for (std::size_t b = 0; b < num.size(); ++b)
            ss += std::pow(num[b] - n / d * den[b], 2);
        const double expected =
            static_cast<double>(theory.design_effect) * r * (1 - r) * d / kBatches;
        EXPECT_GE(ss / expected, kChiSquare9999Low) << what;
        EXPECT_LE(ss / expected, kChiSquare9999High) << what;
    }
};

// A per-game event of each mode, by the game's result, as the theory's chain takes it.
using Split = std::array<long double, kGameResults>;
template <class Part>
GameEvents eventsPerGame(Part part) {
    GameEvents e;
    for (std::size_t m = 0; m < kModes; ++m) {
        const ModeChances& mc = theory().modes[m];
        e.part[m] = part(m, mc);
        for (std::size_t r = 0; r < kGameResults; ++r)
            e.whole[m][r] = mc.game[r].exact();
    }
    return e;
}

Split exact(const ByResult& b) {
    return {b[0].exact(), b[1].exact(), b[2].exact()};
}

TEST(ModeChain, LongRunOfTheRealGameCycleAgreesWithTheTheory) {
    const Theory& th = theory();
    Player p(2024);
    Machine& m = p.t.m;
    Ratio mode_share[kModes], hit, chain_length, from_any[2], from_normal[2];
    Ratio kind[kReachKinds + 1], reliability[kReachKinds + 1], shown[3], preview[2];
    const std::uint64_t any_at[2] = {200, 1000}, normal_at[2] = {367, 1500};
    std::uint64_t since_hit = 0;
    bool gap_from_normal = true;
    for (int g = 0; g < kSimulatedGames; ++g) {
        const int b = g / (kSimulatedGames / kBatches);
        advanceIdle(m, p.idle.nextBits() % kIdleCyclePasses);
        const Int16 mode = m.G_iSyriMode;
        ASSERT_TRUE(onStartRequest(m));
        const bool is_hit = m.G_bOoatari == kTrue;
        for (Int16 md = 0; md < kModes; ++md)
            mode_share[md].add(b, mode == md);
        hit.add(b, is_hit);
        preview[0].add(b, is_hit, m.G_sYokoku == "1");
        preview[1].add(b, is_hit, m.G_sYokoku == "2");
        shown[0].add(b, m.G_sYokoku == "1");
        shown[1].add(b, m.G_sYokoku == "2");
        shown[2].add(b, m.G_bSaiChusen == kTrue);
        const bool reach = m.G_iRichRes != kRichNone;
        for (Int16 k = 1; k <= kReachKinds; ++k)
            kind[k].add(b, reach && m.G_iRichSyu == k);
        if (reach) reliability[m.G_iRichSyu].add(b, is_hit);
        ++since_hit;
        if (!is_hit) continue;
        chain_length.add(b, m.G_iRenchan == 1);  // chain starts per hit: 1 / mean length
        for (int i = 0; i < 2; ++i) {
            from_any[i].add(b, since_hit >= any_at[i]);
            from_normal[i].add(b, since_hit >= normal_at[i], gap_from_normal);
        }
        since_hit = 0;
        gap_from_normal = m.G_iSyriMode == kModeNormal;
    }
    for (int md = 0; md < kModes; ++md)
        mode_share[md].expectNear(th.mode_share[static_cast<std::size_t>(md)], "mode share");
    hit.expectNear(th.hits_per_game, "hits per game");
    chain_length.expectNear(1.0 / th.mean_chain_length, "chain starts per hit");
    for (int i = 0; i < 2; ++i) {
        from_any[i].expectNear(th.survival(any_at[i]), "P(gap >= n)");
        from_normal[i].expectNear(th.survivalFromNormal(normal_at[i]), "P(gap >= n | normal)");
    }
    // Per game, mixed over the modes by their long-run shares.
    auto perGame = [&](Chance ModeChances::*chance) {
        double sum = 0;
        for (std::size_t md = 0; md < kModes; ++md)
            sum += th.mode_share[md] * (th.modes[md].*chance).value();
        return sum;
    };
    shown[0].expectNear(perGame(&ModeChances::preview1_alone), "preview 1 alone per game");
    shown[1].expectNear(perGame(&ModeChances::preview2), "preview 2 per game");
    shown[2].expectNear(perGame(&ModeChances::re_lottery), "re-lottery per game");
    preview[0].expectNear(th.preview1_reliability, "preview 1 reliability");
    preview[1].expectNear(th.preview2_reliability, "preview 2 reliability");
    for (std::size_t k = 1; k <= kReachKinds; ++k) {
        kind[k].expectNear(th.reach_per_game[k], "kind " + std::to_string(k) + " per game");
        reliability[k].expectNear(th.reach_reliability[k], "kind " + std::to_string(k) + " hits");
    }

    // Hits come in chains and 01:Nm with far misses in normal mode only: both spread more than
    // independent games would (about 2.1 and 3.3 times the variance).
    const ShareVariance hits = th.gameShare(eventsPerGame([](std::size_t, const ModeChances& mc) {
        return Split{0.0L, mc.game[kResultNormalHit].exact(), mc.game[kResultKakuhenHit].exact()};
    }));
    EXPECT_GT(hits.design_effect, 2.0L);
    hit.expectSpread(hits, "hits per game");
    kind[1].expectSpread(th.gameShare(eventsPerGame([](std::size_t, const ModeChances& mc) {
        return exact(mc.reach_kind_by_result[1]);
    })),
                         "01:Nm per game");
    // A mode's games come in stretches of some hundred games: only batches far longer than
    // those show the spread of the mode shares.
    if (kSimulatedGames / kBatches < 10000) return;
    for (std::size_t md = 0; md < kModes; ++md) {
        const ShareVariance share =
            th.gameShare(eventsPerGame([md](std::size_t mode, const ModeChances& mc) {
                return mode == md ? exact(mc.game) : Split{};
            }));
        EXPECT_GT(share.design_effect, 50.0L);
        mode_share[md].expectSpread(share, "mode share");
    }
}

using Mass = std::array<double, kPlayStates>;

// Carries the mass of each state one game on, by the transitions alone: every game, or only the
// games that miss.
Mass playOneGame(const Mass& mass, bool misses_only) {
    Mass out{};
    for (int s = 0; s < kPlayStates; ++s) {
        const ModeChances& mc = theory().modes[static_cast<std::size_t>(modeOf(s))];
        const double m = mass[static_cast<std::size_t>(s)];
        auto to = [&](GameResult r) -> double& { return out[std::size_t(nextState(s, r))]; };
        to(GameResult::kMiss) += m * (1 - mc.hit.value());
        if (misses_only) continue;
        to(GameResult::kNormalHit) += m * mc.normal_hit.value();
        to(GameResult::kKakuhenHit) += m * mc.kakuhen_hit.value();
    }
    return out;
}

TEST(Theory, StationaryChainAndGapsAgreeWithEachOther) {
    const Theory& th = theory();
    const Mass after = playOneGame(th.state_share, false);
    for (std::size_t s = 0; s < kPlayStates; ++s)
        EXPECT_NEAR(after[s], th.state_share[s], 1e-15) << "state " << s;

    // The survival curve, against the mass of the states hits leave behind carried on game by
    // game: starts at 1, never rises, and sums to the mean gap, which is 1 / hits per game.
    Mass none = th.after_hit_share;
    double sum = 0;
    for (std::uint64_t n = 1; n <= 400000; ++n) {
        const double s = th.survival(n);
        if (n <= 3000) {
            EXPECT_NEAR(s, std::accumulate(none.begin(), none.end(), 0.0), 1e-13) << "n " << n;
            none = playOneGame(none, true);
        }
        ASSERT_LE(s, n == 1 ? 1.0 : th.survival(n - 1)) << "n " << n;
        sum += s;
    }
    EXPECT_EQ(th.survival(1), 1.0);
    EXPECT_NEAR(sum, th.mean_gap, 1e-9 * th.mean_gap);
    EXPECT_NEAR(th.mean_gap, 1.0 / th.hits_per_game, 1e-9 * th.mean_gap);

    // Chains: the lengths add up to every chain, and their mean is hits per chain start.
    double total = 0, mean = 0;
    for (std::uint64_t k = 1; k <= th.maxChainLength(); ++k) {
        total += th.chainLengthPmf(k);
        mean += static_cast<double>(k) * th.chainLengthPmf(k);
    }
    EXPECT_NEAR(total, 1.0, 1e-12);
    EXPECT_NEAR(mean, th.mean_chain_length, 1e-9);
}

TEST(Theory, FiguresPerModePerPeriodAndPerMachine) {
    const Theory& th = theory();
    // 04:ROS: 12 of the 32 hit draws against 3 of the 32 near-miss draws of 5 values, and in
    // kakuhen mode 7 hit values instead of 1.
    auto reliability = [&](std::size_t mode, std::size_t kind) {
        const ModeChances& mc = th.modes[mode];
        return mc.reach[kind][kRichHit].exact() / mc.reach_kind[kind].exact();
    };
    EXPECT_NEAR(static_cast<double>(reliability(kModeNormal, 4)), 4.0 / 9, 1e-15);
    EXPECT_NEAR(static_cast<double>(reliability(kModeKakuhen, 4)), 28.0 / 33, 1e-15);
    EXPECT_NEAR(static_cast<double>(reliability(kModeJitan, 4)), 4.0 / 9, 1e-15);
    // The period's 100 games each hit with the normal mode's 1 in 367.
    EXPECT_NEAR(th.jitanHitChance(), 1 - std::pow(366.0 / 367, 100), 1e-14);

    // A machine's expected hits from power-on: the mass of each state carried game by game.
    Mass mass{};
    mass[kStateNormal] = 1.0;
    double hits = 0.0;
    constexpr std::uint64_t kGames = 3000;
    for (std::uint64_t g = 0; g < kGames; ++g) {
        for (int s = 0; s < kPlayStates; ++s)
            hits += mass[std::size_t(s)] * th.modes[std::size_t(modeOf(s))].hit.value();
        mass = playOneGame(mass, false);
    }
    EXPECT_NEAR(th.hitsPerMachine(kGames).mean, hits, 1e-9);
    // Over 2,000,000 games the hits spread by 142.2, not the 97.4 of independent games.
    EXPECT_NEAR(th.hitsPerMachine(2000000).sd, 142.2, 0.05);

    // The gaps between hits are independent trials here: the period hits as normal mode does.
    EXPECT_NEAR(static_cast<double>(th.gapShare(1000).design_effect), 1.0, 1e-12);
    EXPECT_NEAR(static_cast<double>(th.gapShare(1000).share), th.survival(1000), 1e-15);

    // The longest drought: certain to reach one game, never more than the games, and its
    // quantiles and moments where its chances say.
    constexpr std::uint64_t kLong = 1000000;
    EXPECT_EQ(th.longestDroughtAtLeast(kLong, 1), 1.0);
    EXPECT_EQ(th.longestDroughtAtLeast(100, 101), 0.0);
    double before = 1.0;
    for (std::uint64_t length = 500; length <= 12000; length += 500) {
        const double p = th.longestDroughtAtLeast(kLong, length);
        ASSERT_LE(p, before) << length;
        before = p;
    }
    for (const double chance : {0.5, 1e-3, 5e-5}) {
        const std::uint64_t q = th.longestDroughtReachedAtMost(kLong, chance);
        EXPECT_LE(th.longestDroughtAtLeast(kLong, q), chance);
        EXPECT_GT(th.longestDroughtAtLeast(kLong, q - 1), chance);
    }
    const Distribution d = th.longestDrought(kLong);
    EXPECT_GT(d.mean, static_cast<double>(th.longestDroughtReachedAtMost(kLong, 0.9)));
    EXPECT_LT(d.mean, static_cast<double>(th.longestDroughtReachedAtMost(kLong, 0.1)));
    // Gumbel's law of the largest of many geometric gaps: pi / sqrt(6) / -log(366 / 367).
    EXPECT_NEAR(d.sd, 3.14159265358979 / std::sqrt(6.0) / -std::log(366.0 / 367), 2.0);
}

}  // namespace
}  // namespace rl00
