// The end button pressed at any moment of a game, from outside: the real runner with
// --end-after-ms at hundreds of virtual times across a few games where every game is a hit.

#include <gtest/gtest.h>

#include <map>

#include "platform/json.h"
#include "runner_support.h"
#include "support/test_size.h"

namespace rl00 {
namespace {

using test::linesOf;
using test::slurp;
using test::TempDir;

constexpr int kGames = 3;
constexpr double kTickMs = 1000.0;  // Tim_Start's interval before every game

// The moments in three cases of every third one, so that they spread over the test runner's
// jobs; each case still reaches from before the first game to past the last.
constexpr int kParts = 3;
class AnyMoment : public ::testing::TestWithParam<int> {};

TEST_P(AnyMoment, EndsTheRunQuietlyWithOneRecordPerCompletedHit) {
    const int part = GetParam();
    TempDir dir("rl00_end_after_" + std::to_string(part));
    const std::string log_dir = dir / "log";
    const std::string ini = dir.ini("log.ini", log_dir);
    const std::string log = log_dir + "/RL00.LOG";
    auto run = [&](const std::string& seed, std::vector<std::string> more) {
        test::fs::remove_all(log_dir);
        std::vector<std::string> args = {"--games",
                                         std::to_string(kGames),
                                         "--seed",
                                         seed,
                                         "--quiet",
                                         "--ini",
                                         ini,
                                         "--stats",
                                         dir / "stats.json",
                                         "--trace",
                                         dir / "trace.jsonl",
                                         "7"};
        args.insert(args.end(), more.begin(), more.end());
        return test::runRunner(dir, args);
    };
    // When each game of each seed starts and ends on the virtual clock, from a run to the end.
    std::map<std::string, std::vector<std::pair<double, double>>> games_of;
    for (int s = 0; s < 7; ++s) {
        const std::string seed = std::to_string(100 + s);
        ASSERT_EQ(run(seed, {}).exit_code, 0);
        double clock = 0.0;
        for (const std::string& line : linesOf(slurp(dir / "trace.jsonl"))) {
            const double start = clock + kTickMs;
            clock = start + json::parse(line)["virtual_ms"].asNumber();
            games_of[seed].emplace_back(start, clock);
        }
        ASSERT_EQ(games_of[seed].size(), std::size_t(kGames));
    }

    // Moments from before the first game to past the last, at a step that is no multiple of a
    // frame or of a pause. Each is a run of its own, which costs a sanitizer build a good part
    // of a second to start: it takes every fifth of the 300 moments.
    const int moments = test::sized(300, 60);
    const int step_ms = 97 * 300 / moments;
    std::size_t tried = 0, inside_a_game = 0, after_all = 0;
    for (int i = part; i < moments; i += kParts, ++tried) {
        const std::string seed = std::to_string(100 + i % 7);
        const int press_ms = 1 + step_ms * i;
        const auto t = static_cast<double>(press_ms);
        const test::Outcome r = run(seed, {"--end-after-ms", std::to_string(press_ms)});
        SCOPED_TRACE("seed " + seed + ", --end-after-ms " + std::to_string(press_ms));
        ASSERT_EQ(r.exit_code, 0) << r.err;
        ASSERT_EQ(r.err, "");
        ASSERT_EQ(r.out, "");
        const json::Value stats = json::parse(slurp(dir / "stats.json"));
        const auto games = stats["counts"]["games"].asInt();
        EXPECT_EQ(stats["counts"]["hits"].asInt(), games);  // every game a hit
        EXPECT_EQ(static_cast<std::int64_t>(linesOf(slurp(dir / "trace.jsonl")).size()), games);
        EXPECT_EQ(static_cast<std::int64_t>(linesOf(slurp(log)).size()), games);
        EXPECT_EQ(stats["complete"].asBool(), games == kGames);

        // Every game that ended before the press is complete; one the press fell in may still
        // see its end (a press in its last pause); none after it starts.
        std::int64_t ended_before = 0;
        bool in_game = false;
        for (const auto& [start, end] : games_of[seed]) {
            ended_before += end < t;
            in_game = in_game || (start < t && t <= end);
        }
        EXPECT_GE(games, ended_before);
        EXPECT_LE(games, ended_before + (in_game ? 1 : 0));
        inside_a_game += in_game;
        after_all += ended_before == kGames;
    }
    // The moments must not all fall between games or after them.
    EXPECT_GT(inside_a_game, tried / 2);
    EXPECT_GT(after_all, 0u);
}

INSTANTIATE_TEST_SUITE_P(EndAfterMs, AnyMoment, ::testing::Range(0, kParts));

TEST(EndAfterMs, MotionsInClosedFormSeeThePressWhereEveryFrameWould) {
    TempDir dir("rl00_end_after_fast");
    // As above, a sanitizer build takes every third moment.
    const int moments = test::sized(60, 20);
    for (int i = 0; i < moments; ++i) {
        const std::string t = std::to_string(1 + 487 * 60 / moments * i);
        std::string seen[2];
        for (const bool every_frame : {false, true}) {
            std::vector<std::string> args = {"--games",
                                             "3",
                                             "--seed",
                                             "101",
                                             "--quiet",
                                             "--ini",
                                             "/dev/null",
                                             "--end-after-ms",
                                             t,
                                             "--stats",
                                             dir / "stats.json",
                                             "--trace",
                                             dir / "trace.jsonl",
                                             "7"};
            if (every_frame) args.push_back("--every-frame");
            const test::Outcome r = test::runRunner(dir, args);
            ASSERT_EQ(r.exit_code, 0) << r.err;
            seen[every_frame] = slurp(dir / "trace.jsonl") + slurp(dir / "stats.json");
        }
        EXPECT_EQ(seen[0], seen[1]) << "--end-after-ms " << t;
    }
}

}  // namespace
}  // namespace rl00
