// The motions in closed form against the motions played frame by frame: the same games must
// leave the same machine, frame count, virtual time and messages, whatever the presentation, and
// whole seeded runs must write the same trace, statistics and run log.

#include "engine/motion_cache.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>

#include "engine/game_start.h"
#include "engine/motions.h"
#include "engine/rand_loop.h"
#include "frontends/headless/batch.h"
#include "machine/machine.h"
#include "session/controller.h"
#include "support/files.h"
#include "support/test_machine.h"
#include "support/test_size.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

// Everything a game can leave behind, as text, so that a difference reads as a diff.
std::string describe(const Machine& m, const HeadlessDisplay& d) {
    std::ostringstream o;
    const GameState& g = m;
    o << "lottery " << g.G_iLottery << " zug " << g.G_iZugCnt << " mode " << g.G_iSyriMode
      << " kakuhen " << g.G_bKakuhen << "/" << g.G_bKakuhenPrev << " jitan " << g.G_bJitan
      << " renchan " << g.G_iRenchan << " hit " << g.G_bOoatari << " rich " << g.G_bRich << "/"
      << g.G_iRichRes << " oshidir " << g.G_iOshiDir << " sai " << g.G_bSaiChusen << "/"
      << g.G_bSaiChusenUp << " yokoku " << g.G_bYokoku1 << "/" << g.G_bYokoku2 << " kind "
      << g.G_iRichSyu << " code '" << g.G_sRichCode << "' hitzug '" << g.G_sZugaraHit << "' kari '"
      << g.G_sZugaraKari << "' preview '" << g.G_sYokoku << "' modori " << g.G_bModori << "\n";
    o << "counts " << g.G_lRevCnt << " " << g.G_lOoatariCnt << " " << g.G_lOoatariT << " "
      << g.G_lOoatariK << " " << g.G_lYokoku1N << " " << g.G_lYokoku2N << " " << g.G_lYokoku1A
      << " " << g.G_lYokoku2A << " " << g.G_lRichCnt << " " << g.G_lOshiCnt << " " << g.G_lDohaCnt
      << "\n";
    for (int k = 1; k <= kReachKinds; ++k) {
        o << "kind " << k << ": " << g.G_lRichDoha[k] << " " << g.G_lRichOshi[k] << " "
          << g.G_lRichAtari[k] << " " << g.G_lRichTotal[k] << "\n";
    }
    for (int r = 1; r <= 3; ++r) {
        o << "reel " << r << ": stop " << g.G_iStopZug[r] << " now " << g.G_iNowZug[r] << " start "
          << g.G_iStartZug[r] << " step " << m.G_iStep[r] << " pass " << m.G_bPass[r] << " move "
          << m.G_bMove[r] << " tops";
        for (int i = 1; i <= kSymbols; ++i)
            o << " " << m.G_lZugTop[r][i];
        o << "\n";
    }
    for (int p = 0; p < kPictureCount; ++p) {
        const Picture& pic = m.scene.pictures[static_cast<std::size_t>(p)];
        o << "picture " << p << ": " << pic.left << "," << pic.top << " " << pic.width << "x"
          << pic.height << " image " << pic.image << (pic.visible ? " shown" : " hidden")
          << (pic.stretch ? " stretched" : "") << "\n";
    }
    o << "order";
    for (const PictureId id : m.scene.z_order)
        o << " " << id;
    o << "\nwindow " << m.scene.window_back << " message '" << m.scene.Lbl_Rich[1].caption
      << "' mode '" << m.scene.Lbl_SyriMode.caption << "' revs '" << m.scene.Lbl_Rev[1].caption
      << "' timer " << m.scene.Tim_Start.enabled << "\n";
    o << "frames " << d.frames() << " ms " << d.elapsedMs() << " messages " << d.messages().size()
      << "\n";
    return o.str();
}

// Passes every motion on to a player and notes the machine after it, so that two players can
// be compared motion by motion, not only at the end of a game (which overwrites the message).
class Noting final : public Motions {
  public:
    Noting(Motions& inner, const HeadlessDisplay& d) : inner_(inner), d_(d) {}
    void startDisplay(Machine& m) override {
        inner_.startDisplay(m);
        note(m);
    }
    void spinToRightStop(Machine& m) override {
        inner_.spinToRightStop(m);
        note(m);
    }
    void centreStop(Machine& m) override {
        inner_.centreStop(m);
        note(m);
    }
    void presentation(Machine& m, Presentation play, Int16 kind, Int16& S, Int16& R) override {
        inner_.presentation(m, play, kind, S, R);
        note(m);
    }
    void reLotterySteps(Machine& m) override {
        inner_.reLotterySteps(m);
        note(m);
    }
    std::vector<std::string> notes;

  private:
    void note(const Machine& m) { notes.push_back(describe(m, d_)); }
    Motions& inner_;
    const HeadlessDisplay& d_;
};

// One machine playing games one after another, with or without the motion cache.
struct Player {
    Player(std::uint64_t seed, const std::string& argument, bool cached)
        : t(seed), noting(cached ? static_cast<Motions&>(cache) : stepped, t.display) {
        loadMachine(t.m, "/nonexistent", argument, seed);
        t.m.motions = &noting;
        idleStep(t.m);
    }
    int play(Int16 lottery, Int16 zugcnt) {
        t.m.G_iLottery = lottery;
        t.m.G_iZugCnt = zugcnt;
        noting.notes.clear();
        return test::runUntilEnd([&] { onStartRequest(t.m); });
    }
    test::TestMachine t;
    MotionCache cache;
    SteppedMotions stepped;
    Noting noting;
};

TEST(MotionCache, EveryKindAndResultLeavesTheMachineAsTheFramesWould) {
    // Counter values that give near misses on both sides, far misses (played in normal mode,
    // before the first hit changes the mode), plain misses and hits on kakuhen and normal
    // symbols (with and without the re-lottery); with many seeds every presentation and result
    // the dispatcher gives comes up, in every mode.
    const Int16 lotteries[] = {16, 56, 24, 104, 32, 216, 48, 17, 100, 366, 7, 7};
    std::set<std::tuple<Int16, Int16, Flag, Flag>> seen;  // kind, result, re-lottery, overshoot
    for (const char* argument : {"", "1"}) {
        for (std::uint64_t seed = 1; seed <= 40; ++seed) {
            Player cached(seed, argument, true);
            Player stepped(seed, argument, false);
            for (int game = 0; game < 48; ++game) {
                const Int16 lottery = lotteries[static_cast<std::size_t>(game) % 12];
                const auto zugcnt = static_cast<Int16>(1 + (game * 5 + seed) % kSymbols);
                const int a = cached.play(lottery, zugcnt);
                const int b = stepped.play(lottery, zugcnt);
                ASSERT_EQ(a, b) << "seed " << seed << " game " << game;
                // The cache places the reels with the spin, and stops the centre reel of a game
                // without reach with it too, so the notes after those steps differ; every note
                // after a whole motion must agree.
                ASSERT_EQ(cached.noting.notes.size(), stepped.noting.notes.size());
                const std::size_t first = stepped.t.m.G_bRich == kTrue ? 1 : 2;
                for (std::size_t n = first; n < cached.noting.notes.size(); ++n) {
                    ASSERT_EQ(cached.noting.notes[n], stepped.noting.notes[n])
                        << "seed " << seed << " game " << game << " motion " << n;
                }
                ASSERT_EQ(describe(cached.t.m, cached.t.display),
                          describe(stepped.t.m, stepped.t.display))
                    << "seed " << seed << " game " << game;
                const Machine& m = stepped.t.m;
                if (m.G_bRich == kTrue) {
                    seen.emplace(m.G_iRichSyu, m.G_iRichRes, m.G_bSaiChusen,
                                 m.G_bSaiChusen == kTrue ? m.G_bSaiChusenUp : kFalse);
                }
            }
            EXPECT_EQ(cached.cache.counts().stepped, 0u);
            EXPECT_EQ(cached.cache.counts().refused, 0u);
            EXPECT_GT(cached.cache.counts().accounted, 0u);
        }
    }
    // Hits: kinds 1-8 and 10; near misses: 1, 3, 4, 6, 7, 10; far misses: 1, 3, 6, 9; with
    // and without the re-lottery and its overshoot.
    std::set<std::pair<Int16, Int16>> kinds;
    bool relottery = false;
    bool overshoot = false;
    for (const auto& [kind, result, sai, up] : seen) {
        kinds.emplace(kind, result);
        relottery = relottery || sai == kTrue;
        overshoot = overshoot || up == kTrue;
    }
    EXPECT_EQ(kinds.size(), 9u + 6u + 4u);
    EXPECT_TRUE(relottery);
    EXPECT_TRUE(overshoot);
}

TEST(MotionCache, ADisplayThatWatchesFramesGetsThemPlayed) {
    // A scripted event inside the spin: the motion is played frame by frame on the machine, and
    // the end flag it sets ends the game at that frame, as without the cache.
    Player cached(5, "7", true);
    Player stepped(5, "7", false);
    for (Player* p : {&cached, &stepped})
        p->t.display.atFrame(40, [p] { onEndRequest(p->t.m); });
    EXPECT_EQ(cached.play(7, 3), 0);
    EXPECT_EQ(stepped.play(7, 3), 0);
    EXPECT_EQ(describe(cached.t.m, cached.t.display), describe(stepped.t.m, stepped.t.display));
    EXPECT_EQ(cached.cache.counts().accounted, 0u);
    EXPECT_EQ(cached.t.display.frames(), 40u);
}

TEST(MotionCache, AnEndFlagSetBeforeAMotionIsSeenByItsFrames) {
    // Set by a caller of the engine while no display watches (here: once the outcome is
    // decided, before the spin): the motions must return at their first frame as stepped ones do.
    struct EndOnOutcome : GameObserver {
        void outcomeDecided(const Machine& m) override { const_cast<Machine&>(m).G_bEnd = kTrue; }
    } end_on_outcome;
    for (const char* argument : {"", "7"}) {
        Player cached(9, argument, true);
        Player stepped(9, argument, false);
        for (Player* p : {&cached, &stepped})
            p->t.m.observer = &end_on_outcome;
        EXPECT_EQ(cached.play(7, 3), stepped.play(7, 3)) << argument;
        EXPECT_EQ(describe(cached.t.m, cached.t.display), describe(stepped.t.m, stepped.t.display))
            << argument;
        EXPECT_EQ(cached.cache.counts().accounted, 0u) << argument;
    }
}

// The runner's outputs of both paths, for whole seeded runs.
struct RunOutput {
    std::string trace;
    std::string stats;
    std::string log;  // without the date and time of each record
};

using test::slurp;

RunOutput run(const std::string& argument, double frame_ms, std::uint64_t seed, std::uint64_t games,
              bool every_frame) {
    const fs::path dir = fs::temp_directory_path() /
                         ("rl00_paths_" + std::to_string(::getpid()) + (every_frame ? "_f" : "_c"));
    fs::remove_all(dir);
    fs::create_directories(dir);
    std::ofstream(dir / "RL00.INI", std::ios::binary)
        << "[ログ書き込み先パス]\r\n"
        << dir.string() << "\r\n[ログ書き込み先ファイル名]\r\nRUN.LOG\r\n";
    BatchOptions o;
    o.games = games;
    o.seed = seed;
    o.ini_file = (dir / "RL00.INI").string();
    o.trace_file = (dir / "trace.jsonl").string();
    o.stats_file = (dir / "stats.json").string();
    o.frame_ms = frame_ms;
    o.quiet = true;
    o.argument = argument;
    o.every_frame = every_frame;
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(runBatch(o, out, err), 0) << err.str();
    RunOutput r{slurp(dir / "trace.jsonl"), slurp(dir / "stats.json"), {}};
    std::istringstream log(slurp(dir / "RUN.LOG"));
    for (std::string line; std::getline(log, line);)
        r.log += line.substr(0, 96) + "\n";  // the date and time follow from column 97 on
    fs::remove_all(dir);
    return r;
}

// 200,000 games for each argument and frame period reach the rare presentations of every kind
// many times over. They are two seeded runs of 100,000, one case each, so that the runs spread
// over the test runner's jobs (a single run of argument 7, every game a long hit, took a fifth of
// its timeout beside the rest of the suite). The slow builds play 2 × 3,000, which take the
// cache through hits, misses, reaches and the re-lottery under the sanitizers; that each kind and
// result ends as its frames would is the test above, in every build.
class SeededRunsOfBothPaths
    : public ::testing::TestWithParam<std::tuple<const char*, double, int>> {};

TEST_P(SeededRunsOfBothPaths, WriteTheSameTraceStatisticsAndLog) {
    const auto [argument, frame_ms, half] = GetParam();
    const std::uint64_t seed = 20241207 + static_cast<std::uint64_t>(half);
    const std::uint64_t games = test::sized<std::uint64_t>(100'000, 3'000);
    const RunOutput cached = run(argument, frame_ms, seed, games, false);
    const RunOutput stepped = run(argument, frame_ms, seed, games, true);
    EXPECT_EQ(cached.trace.size(), stepped.trace.size());
    EXPECT_TRUE(cached.trace == stepped.trace);
    EXPECT_EQ(cached.stats, stepped.stats);
    EXPECT_EQ(cached.log, stepped.log);
    EXPECT_FALSE(cached.log.empty());
}

std::string runName(const ::testing::TestParamInfo<SeededRunsOfBothPaths::ParamType>& each) {
    const auto [argument, frame_ms, half] = each.param;
    return std::string("argument_") + (*argument != '\0' ? argument : "none") +
           (frame_ms == 2.0 ? "_frame_2ms" : "_frame_0_5ms") + "_seed_" + std::to_string(half + 1);
}

INSTANTIATE_TEST_SUITE_P(MotionCache, SeededRunsOfBothPaths,
                         ::testing::Combine(::testing::Values("", "1", "7", "8"),
                                            ::testing::Values(2.0, 0.5), ::testing::Values(0, 1)),
                         runName);

}  // namespace
}  // namespace rl00
