// The runner's statistics as counts: histograms, what a machine's games in order make of chains,
// gaps and droughts, the shards' partition of the machines, the machines' seeds, and the theory
// rows of the report.

#include <gtest/gtest.h>

#include <bit>
#include <limits>
#include <set>

#include "frontends/headless/headless_display.h"
#include "frontends/headless/machine_run.h"
#include "machine/machine.h"
#include "stats/run_stats.h"
#include "stats/shard.h"
#include "stats/stats_file.h"
#include "stats/stats_report.h"
#include "stats/theory.h"

namespace rl00 {
namespace {

TEST(Histogram, ExactBelowTheBoundAndAnExactSumBeyondIt) {
    Histogram h(10);
    for (const std::uint64_t v : {1, 3, 3, 10, 11, 25})
        h.add(v);
    EXPECT_EQ(h.count(3), 2u);
    EXPECT_EQ(h.count(10), 1u);
    EXPECT_EQ(h.overCount(), 2u);
    EXPECT_EQ(h.overSum(), 36u);
    EXPECT_EQ(h.total(), 6u);
    EXPECT_EQ(h.sum(), 53.0L);
    EXPECT_EQ(h.atLeast(0), 6u);
    EXPECT_EQ(h.atLeast(3), 5u);
    EXPECT_EQ(h.atLeast(11), 2u);  // one past the bound: the bin beyond it
    EXPECT_EQ(h.trimmedBins().size(), 11u);

    Histogram other(10);
    other.add(2);
    other.add(40);
    other.merge(h, "h");
    EXPECT_EQ(other.total(), 8u);
    EXPECT_EQ(other.sum(), 95.0L);

    // What a statistics file keeps of it gives it back whole.
    Histogram back(10);
    ASSERT_TRUE(back.assign(h.trimmedBins(), h.overCount(), h.overSum()));
    EXPECT_EQ(back, h);
    // Parts that no histogram of this bound can have.
    EXPECT_FALSE(back.assign(std::vector<std::uint64_t>(12, 1), 0, 0));  // a bin past the bound
    EXPECT_FALSE(back.assign({}, 2, 21));  // two values past 10 add up to 22 at least
    EXPECT_FALSE(back.assign({}, 0, 5));   // a sum without values
    constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
    EXPECT_FALSE(back.assign({kMost, 1}, 0, 0));  // counts that add up past 64 bits
    EXPECT_EQ(back, h);                           // a refused assignment changes nothing

    // Two histograms each of whose totals fits, whose sum does not.
    Histogram half(10), other_half(10);
    ASSERT_TRUE(half.assign({kMost / 2 + 1}, 0, 0));
    ASSERT_TRUE(other_half.assign({0, kMost / 2 + 1}, 0, 0));
    EXPECT_THROW(half.merge(other_half, "counts.gaps"), CountOverflow);
}

TEST(RunStats, ASumPast64BitsIsRefusedNamingTheCount) {
    std::uint64_t count = std::numeric_limits<std::uint64_t>::max() - 2;
    addCount(count, 2, "counts.games");
    EXPECT_EQ(count, std::numeric_limits<std::uint64_t>::max());
    try {
        addCount(count, 1, "counts.games");
        ADD_FAILURE() << "no overflow";
    } catch (const CountOverflow& e) {
        EXPECT_NE(std::string(e.what()).find("counts.games adds up past"), std::string::npos);
    }

    PanelSums a, b;
    a.counters[0] = std::uint64_t{1} << 63;
    b.counters[0] = std::uint64_t{1} << 63;
    try {
        a.merge(b);
        ADD_FAILURE() << "no overflow";
    } catch (const CountOverflow& e) {
        EXPECT_NE(std::string(e.what()).find("G_lRevCnt"), std::string::npos) << e.what();
    }
}

// A completed game in `mode`, leaving the machine in `after`.
GameRecord game(Int16 mode, Int16 after, bool hit = false, Int16 chain = 0) {
    GameRecord r;
    r.mode = mode;
    r.mode_after = after;
    r.hit = hit;
    r.chain = chain;
    return r;
}

TEST(MachineStats, ChainsGapsAndDroughtsFollowTheGamesInTheirOrder) {
    constexpr Int16 N = kModeNormal, K = kModeKakuhen, J = kModeJitan;
    MachineStats s(7);
    const GameRecord games[] = {
        game(N, N),
        game(N, N),
        game(N, K, true, 1),  // a chain starts; the first gap (3) is from power-on, in normal
        game(K, K),
        game(K, J, true, 2),  // gap 2 from kakuhen
        game(J, J),
        game(J, N, true, 3),  // a normal hit inside the period: back to normal, chain of 3 ends
        game(N, N),
        game(N, N),
        game(N, N, true, 1),  // gap 3 from normal; a chain of 1 ends at once
        game(N, K, true, 1),  // gap 1 from normal
        game(K, J, true, 2),  // gap 1
        // The period's last game: a normal hit starts a new chain, ending the open one (2), and
        // leaves normal mode, ending that one (1) too.
        game(J, N, true, 1),
        game(N, N),
        game(N, K, true, 1),  // gap 2 from normal; this chain is still open when the run ends
        game(K, K),
        game(K, K),
        game(K, K),
        game(K, K),
    };
    for (const GameRecord& g : games)
        s.add(g);
    HeadlessDisplay display;
    const Machine m(display, 1);
    s.finish(m, 0, 0, 0);

    const RunStats& c = s.counts();
    EXPECT_EQ(c.games(), std::size(games));
    EXPECT_EQ(c.hits(), 8u);
    EXPECT_EQ(c.chains.total(), 4u);
    EXPECT_EQ(c.chains.count(3), 1u);
    EXPECT_EQ(c.chains.count(2), 1u);
    EXPECT_EQ(c.chains.count(1), 2u);
    // Gaps between consecutive hits: every hit but the machine's first.
    EXPECT_EQ(c.gaps.total(), 7u);
    EXPECT_EQ(c.gaps.sum(), 2.0L + 2 + 3 + 1 + 1 + 1 + 2);
    // Gaps whose first game was in normal mode, the one from power-on included.
    EXPECT_EQ(c.gaps_from_normal.total(), 4u);
    EXPECT_EQ(c.gaps_from_normal.sum(), 3.0L + 3 + 1 + 2);
    EXPECT_EQ(c.gaps_from_normal.count(3), 2u);
    const MachineSummary& summary = s.summary();
    EXPECT_EQ(summary.machine, 7u);
    EXPECT_EQ(summary.games, std::size(games));
    EXPECT_EQ(summary.hits, 8u);
    EXPECT_EQ(summary.longest_drought, 4u);  // the stretch after the last hit counts too
}

// What the counts kept per mode, of the re-lottery and of the time-shortening periods take from
// each game, and that a merge adds them up.
TEST(RunStats, ReachesPerModeReLotteriesAndTimeShorteningPeriods) {
    constexpr Int16 N = kModeNormal, K = kModeKakuhen, J = kModeJitan;
    auto reach = [](GameRecord r, Int16 kind, Int16 result) {
        r.kind = kind;
        r.reach = result;
        return r;
    };
    auto shown = [](GameRecord r, bool kakuhen, bool relottery, bool overshoot) {
        r.kakuhen = kakuhen;
        r.relottery = relottery;
        r.overshoot = overshoot;
        return r;
    };
    GameRecord preview = game(J, J);
    preview.preview = "2";
    const GameRecord first[] = {
        reach(game(N, N), 4, kRichFarMiss),
        reach(shown(game(K, K, true), true, true, true), 4, kRichHit),
        shown(game(K, J, true), false, true, true),  // a normal hit's re-lottery never overshoots
        preview,
        game(J, N),  // the period's last game, without a hit
    };
    const GameRecord second[] = {
        game(J, J),
        reach(shown(game(J, K, true), true, false, false), 7, kRichNearMiss),
    };
    RunStats a, b, whole;
    for (const GameRecord& g : first) {
        a.add(g);
        whole.add(g);
    }
    for (const GameRecord& g : second) {
        b.add(g);
        whole.add(g);
    }
    a.merge(b);
    EXPECT_EQ(a, whole);
    EXPECT_EQ(whole.reachResultInMode(N, 4, kRichFarMiss), 1u);
    EXPECT_EQ(whole.reachKindInMode(K, 4), (Proportion{1, 1}));
    EXPECT_EQ(whole.reachKindInMode(J, 7), (Proportion{0, 1}));
    EXPECT_EQ(whole.reachKindInMode(N, 7), (Proportion{0, 0}));
    EXPECT_EQ(whole.previewInMode(J, 2), 1u);
    EXPECT_EQ(whole.previewInMode(N, 2), 0u);
    EXPECT_EQ(whole.reLottery(true), (Proportion{1, 2}));
    EXPECT_EQ(whole.reLottery(false), (Proportion{1, 1}));
    EXPECT_EQ(whole.overshoot(), (Proportion{1, 1}));
    EXPECT_EQ(whole.jitanPeriods(), (Proportion{1, 2}));
}

// A row with `hits` of `trials` beside `theory`.
Comparison row(std::uint64_t hits, std::uint64_t trials, double theory) {
    Comparison c;
    c.observed = {hits, trials};
    c.theory = theory;
    return c;
}

TEST(Judgement, TheMarkTakesTheDesignEffectAndTheStartIntoAccount) {
    for (const std::uint64_t n : {1u, 7u, 279u, 100000u}) {
        // A theory of exactly 0 or 1 that agrees with the observation is never marked.
        EXPECT_FALSE(row(0, n, 0.0).outside()) << n;
        EXPECT_FALSE(row(n, n, 1.0).outside()) << n;
        // One event where none can be: a fault.
        EXPECT_TRUE(row(1, n, 0.0).outside()) << n;
    }
    const Comparison c = row(30, 1000, 0.05);
    EXPECT_LT(c.ci9999().low, c.ci95().low);
    EXPECT_GT(c.ci9999().high, c.ci95().high);
    EXPECT_FALSE(c.outside());
    Comparison far = row(30, 1000, 0.07);
    EXPECT_TRUE(far.outside());
    // Games that come in stretches: four times the variance, a quarter of the trials.
    far.design_effect = 4.0;
    EXPECT_FALSE(far.outside());
    EXPECT_EQ(far.ci95().low, exactInterval(7.5, 250, kTail95).low);
    // What the start in normal mode adds is taken out: the interval is the long run's.
    Comparison started = row(30, 1000, 0.05);
    started.start_offset = 0.01;
    EXPECT_EQ(started.ci95().high, exactInterval(20, 1000, kTail95).high);
    // Two events where a tenth of one was expected come in one run of 200: no 99.99 % mark
    // (Wilson's interval, which the normal approximation shapes, made one).
    EXPECT_FALSE(row(2, 100000, 0.1 / 100000).outside());
}

// Machines of `games` games with these hits and longest droughts.
MachineLines machines(std::uint64_t games, const std::vector<std::uint64_t>& hits,
                      std::uint64_t drought, std::size_t short_machine = SIZE_MAX) {
    MachineLines out;
    for (std::size_t k = 0; k < hits.size(); ++k)
        out.add({k, k == short_machine ? 10 : games, hits[k], drought, 0});
    return out;
}

TEST(Judgement, MachinesAgainstTheLawOfOneMachine) {
    const Theory t = computeTheory();
    constexpr std::uint64_t kGames = 1000000;
    const Distribution law = t.hitsPerMachine(kGames);
    const auto mean = static_cast<std::uint64_t>(law.mean);
    const auto sd = static_cast<std::uint64_t>(law.sd);
    // Eight machines spread as the law says, then three times as far.
    const std::vector<std::uint64_t> usual = {mean - sd,     mean + sd, mean,      mean - 2 * sd,
                                              mean + 2 * sd, mean,      mean - sd, mean + sd};
    std::vector<std::uint64_t> wide;
    for (const std::uint64_t h : usual) {
        const auto off = static_cast<std::int64_t>(h) - static_cast<std::int64_t>(mean);
        wide.push_back(static_cast<std::uint64_t>(static_cast<std::int64_t>(mean) + 3 * off));
    }
    const std::uint64_t drought = t.longestDroughtReachedAtMost(kGames, 0.5);
    const auto fine = compareMachines(machines(kGames, usual, drought), kGames, &t);
    ASSERT_EQ(fine.size(), 2u);
    EXPECT_EQ(fine[0].outside, false);
    EXPECT_EQ(fine[1].outside, false);
    EXPECT_NEAR(fine[0].theory_mean, law.mean, 1e-9);
    EXPECT_LT(fine[1].usual_low, static_cast<double>(drought));
    EXPECT_GT(fine[1].usual_high, static_cast<double>(drought));
    EXPECT_EQ(compareMachines(machines(kGames, wide, drought), kGames, &t)[0].outside, true);
    // A drought that one machine in a million reaches, on one of eight machines.
    const std::uint64_t rare = t.longestDroughtReachedAtMost(kGames, 1e-6);
    EXPECT_EQ(compareMachines(machines(kGames, usual, rare), kGames, &t)[1].outside, true);

    // One machine has no spread; a short run is too short for a normal law of its hits; a
    // machine that did not play all its games has no theory.
    EXPECT_FALSE(compareMachines(machines(kGames, {mean}, drought), kGames, &t)[0].outside);
    EXPECT_FALSE(compareMachines(machines(2000, {9, 10}, 500), 2000, &t)[0].outside);
    const MachineLines ended = machines(kGames, usual, drought, 3);
    for (const MachineComparison& c : compareMachines(ended, kGames, &t)) {
        EXPECT_FALSE(c.with_theory) << c.figure;
        EXPECT_FALSE(c.outside) << c.figure;
    }
}

TEST(Shards, ConsecutiveBlocksHoldEveryMachineOnce) {
    for (const std::uint64_t machines : {0u, 1u, 2u, 5u, 10u, 64u, 1000u}) {
        for (const std::uint64_t count : {1u, 2u, 3u, 4u, 7u, 64u, 100u}) {
            std::uint64_t next = 0, smallest = machines, largest = 0;
            for (std::uint64_t k = 0; k < count; ++k) {
                const MachineRange r = shardMachines({k, count}, machines);
                ASSERT_EQ(r.first, next) << k << "/" << count << " of " << machines;
                ASSERT_LE(r.first, r.end);
                next = r.end;
                smallest = std::min(smallest, r.size());
                largest = std::max(largest, r.size());
            }
            EXPECT_EQ(next, machines) << count;
            EXPECT_LE(largest - smallest, 1u) << machines << " in " << count;
        }
    }
    // The product K * M does not overflow for any count of machines the type holds.
    const std::uint64_t huge = std::uint64_t{1} << 62;
    EXPECT_EQ(shardMachines({3, 4}, huge).first, huge / 4 * 3);
    EXPECT_EQ(shardMachines({3, 4}, huge).end, huge);

    EXPECT_EQ(parseShard("0/1"), (Shard{0, 1}));
    EXPECT_EQ(parseShard("3/4"), (Shard{3, 4}));
    for (const char* bad : {"4/4", "1/0", "-1/4", "1", "1/", "/4", "1/2/3", " 1/2", "1/2 ", "a/b",
                            "", "+1/2", "0x1/2"})
        EXPECT_EQ(parseShard(bad), std::nullopt) << bad;
    EXPECT_EQ(shardText({3, 4}), "3/4");
}

TEST(MachineSeeds, MachineZeroKeepsTheRunsSeedAndTheOthersAreMixed) {
    for (const std::uint64_t seed : {0ull, 1ull, 0xFFFFFFFFFFFFFFFFull})
        EXPECT_EQ(machineSeed(seed, 0), seed);
    std::set<std::uint64_t> seen{1};
    for (std::uint64_t k = 1; k <= 10000; ++k)
        ASSERT_TRUE(seen.insert(machineSeed(1, k)).second) << "machine " << k;
    // Neighbouring runs and machines give seeds that differ in about half their bits.
    int bits = 0;
    for (std::uint64_t k = 1; k <= 1000; ++k)
        bits += std::popcount(machineSeed(k, 5) ^ machineSeed(k + 1, 5)) +
                std::popcount(machineSeed(9, k) ^ machineSeed(9, k + 1));
    EXPECT_NEAR(bits / 2000.0, 32.0, 1.0);
}

TEST(Report, EveryTheoryRowHasTheTheorysFigureAndTheTestArgumentsHaveNone) {
    const Theory t = computeTheory();
    const RunStats none;
    const Report r = compare(none, &t);
    ASSERT_EQ(r.reach_kinds.size(), std::size_t(kReachKinds));
    ASSERT_EQ(r.modes.size(), std::size_t(kModes));
    for (const auto* rows : {&r.reach_kinds, &r.modes, &r.others}) {
        for (const Comparison& c : *rows) {
            EXPECT_TRUE(c.theory.has_value()) << c.figure;
            EXPECT_FALSE(c.outside()) << c.figure;  // nothing observed: nothing contradicts
        }
    }
    for (const MeanComparison& m : r.means) {
        EXPECT_TRUE(m.theory.has_value()) << m.figure;
        EXPECT_FALSE(m.observed.has_value()) << m.figure;
    }
    const Report without = compare(none, nullptr);
    for (const Comparison& c : without.others)
        EXPECT_FALSE(c.theory.has_value()) << c.figure;
    EXPECT_TRUE(theoryApplies(""));
    EXPECT_TRUE(theoryApplies("1"));
    EXPECT_FALSE(theoryApplies(" 7 "));
    EXPECT_FALSE(theoryApplies("8"));
}

TEST(Spread, BinsFromTheLeastToTheMostValueHoldEveryMachine) {
    const Spread one = spreadOf({42});
    EXPECT_EQ(one.sd, 0.0);
    ASSERT_EQ(one.bins.size(), 1u);
    EXPECT_EQ(one.bins[0].from, 42u);
    EXPECT_EQ(one.bins[0].machines, 1u);

    const Spread s = spreadOf({3, 9, 4, 16, 11, 11, 12, 5});
    EXPECT_EQ(s.min, 3u);
    EXPECT_EQ(s.max, 16u);
    EXPECT_DOUBLE_EQ(s.mean, 71.0 / 8);
    EXPECT_NEAR(s.sd, 4.517822, 1e-6);  // the sample standard deviation
    ASSERT_LE(s.bins.size(), kSpreadBins);
    EXPECT_EQ(s.bins.front().from, 3u);
    EXPECT_EQ(s.bins.back().to, 16u);
    std::uint64_t machines = 0;
    for (std::size_t i = 0; i < s.bins.size(); ++i) {
        machines += s.bins[i].machines;
        if (i > 0) {
            EXPECT_EQ(s.bins[i].from, s.bins[i - 1].to + 1);
        }
    }
    EXPECT_EQ(machines, 8u);
}

}  // namespace
}  // namespace rl00
