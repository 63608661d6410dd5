#include "engine/game_start.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

#include "engine/rand_loop.h"
#include "reels/reels.h"
#include "session/controller.h"
#include "support/test_machine.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;
using test::runUntilEnd;

// A loaded machine whose run log goes to a fresh folder.
struct Game {
    explicit Game(const std::string& argument = "", std::uint64_t seed = 7) : t(seed) {
        dir = fs::temp_directory_path() /
              ("rl00_game_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
        fs::remove_all(dir);
        fs::create_directories(dir);
        loadMachine(t.m, dir.string(), argument, seed);
        t.m.G_sLogPath = dir.string();
        t.m.G_sLogName = "RL00LOG.TXT";
        idleStep(t.m);
    }
    ~Game() { fs::remove_all(dir); }

    // Plays one game as the idle loop would start it with these counter values.
    void play(Int16 lottery, Int16 zugcnt) {
        t.m.G_iLottery = lottery;
        t.m.G_iZugCnt = zugcnt;
        onStartRequest(t.m);
    }
    std::vector<std::string> logLines() const {
        std::ifstream in(dir / "RL00LOG.TXT", std::ios::binary);
        std::vector<std::string> lines;
        std::string line;
        while (std::getline(in, line))
            lines.push_back(line);
        return lines;
    }
    const std::string& modeCaption() const { return t.m.scene.Lbl_SyriMode.caption; }

    test::TestMachine t;
    fs::path dir;
    static inline int counter = 0;
};

std::uint64_t seedWhoseFirstDraw(Int16 n, Int16 wanted) {
    for (std::uint64_t s = 1;; ++s) {
        Random r(s);
        if (r.upTo(n) == wanted) return s;
    }
}

TEST(GameCycle, ArgumentSevenMakesEveryGameAHitAndLogsIt) {
    Game g(" 7 ");
    for (Int16 lottery : {Int16{0}, Int16{100}, Int16{366}}) {
        g.play(lottery, 2);
        EXPECT_EQ(g.t.m.G_bOoatari, kTrue);
        EXPECT_EQ(g.t.m.G_iLottery, 7);
    }
    EXPECT_EQ(g.t.m.G_lOoatariCnt, 3);
    const auto lines = g.logLines();
    ASSERT_EQ(lines.size(), 3u);
    for (const auto& l : lines)
        EXPECT_EQ(l.size(), 115u);  // 114 + CR (getline took the LF)
    EXPECT_EQ(g.t.m.scene.Tim_Start.enabled, true);
    EXPECT_EQ(g.t.m.scene.Lbl_Rich[1].caption, "");
}

TEST(GameCycle, TheArgumentIsTrimmedOfSpacesOnly) {
    Game kakuhen("  1 ");
    EXPECT_EQ(kakuhen.t.m.G_iSyriMode, 1);
    EXPECT_EQ(kakuhen.t.m.G_bKakuhen, kTrue);
    EXPECT_EQ(kakuhen.t.m.G_bKakuhenPrev, kTrue);
    EXPECT_EQ(kakuhen.modeCaption(), "");  // shown from the end of the first game

    Game tab_one("\t1");
    EXPECT_EQ(tab_one.t.m.G_iSyriMode, 0);
    EXPECT_EQ(tab_one.t.m.G_bKakuhen, kFalse);

    Game tab_seven("7\t");
    tab_seven.play(0, 2);
    EXPECT_EQ(tab_seven.t.m.G_iLottery, 0);
    EXPECT_EQ(tab_seven.t.m.G_bOoatari, kFalse);
}

TEST(GameCycle, ArgumentEightRowTwentyPlaysAPlainMiss) {
    Game g("8", seedWhoseFirstDraw(32, 20));
    g.play(7, 1);  // the test table overrides the idle loop's value
    EXPECT_EQ(g.t.m.G_iLottery, 366);
    EXPECT_EQ(g.t.m.G_bOoatari, kFalse);
    EXPECT_EQ(g.t.m.G_bRich, kFalse);
    EXPECT_NE(g.t.m.G_iNowZug[1], g.t.m.G_iNowZug[3]);
    EXPECT_EQ(g.t.m.G_lRevCnt, 1);
}

TEST(GameCycle, StopMismatchShowsTwoMessagesCountsNothingAndEnds) {
    Game g;
    // Frames 1..234 spin up, 235..306 stop the left reel; the right stop phase follows.
    g.t.display.atFrame(320,
                        [&] { g.t.m.G_iNowZug[1] = advanceSymbol(g.t.m.G_iNowZug[1], kDown); });
    EXPECT_EQ(runUntilEnd([&] { g.play(0, 1); }), 1);
    const auto& shown = g.t.display.messages();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, "停止出目に失敗しました");
    EXPECT_EQ(shown[0].title, " メッセージ");
    EXPECT_EQ(shown[1].text, "システムエラーが発生しました\r0 :");
    EXPECT_EQ(shown[1].title, " エラー");
    EXPECT_EQ(g.t.m.G_lRevCnt, 0);
    EXPECT_EQ(g.t.m.scene.Lbl_Rev[1].caption, "0");
    EXPECT_FALSE(g.t.m.game_running);
}

TEST(GameCycle, CounterOverflowReachesTheMessageServiceAsErrorSix) {
    Game g;
    g.t.m.G_lRevCnt = std::numeric_limits<Int32>::max();
    EXPECT_EQ(runUntilEnd([&] { g.play(0, 1); }), 1);
    ASSERT_EQ(g.t.display.messages().size(), 1u);
    EXPECT_EQ(g.t.display.messages()[0].text,
              "システムエラーが発生しました\r6 :オーバーフローしました。");
    EXPECT_EQ(g.t.m.G_lRevCnt, std::numeric_limits<Int32>::max());
}

TEST(GameCycle, ModeWalkNormalKakuhenJitanAndBackToNormal) {
    Game g;
    g.play(7, 1);  // symbol 3, a kakuhen hit from normal mode
    EXPECT_EQ(g.t.m.G_iRenchan, 1);
    EXPECT_EQ(g.t.m.G_iSyriMode, 1);
    EXPECT_EQ(g.modeCaption(), "確変中!!");
    EXPECT_EQ(g.t.m.scene.Lbl_SyriMode.fore, kRed);
    EXPECT_EQ(g.t.m.scene.Lbl_Rev[1].caption, "1");
    EXPECT_EQ(g.t.m.G_lRevCnt, 0);  // cleared once the hit is logged

    g.play(7, 2);  // symbol 1, a normal hit ends kakuhen: jitan
    EXPECT_EQ(g.t.m.G_iRenchan, 2);
    EXPECT_EQ(g.t.m.G_iSyriMode, 2);
    EXPECT_EQ(g.t.m.G_bJitan, kTrue);
    EXPECT_EQ(g.modeCaption(), "時短中!!");
    EXPECT_EQ(g.t.m.scene.Lbl_SyriMode.fore, kBlue);

    for (int game = 1; game <= 99; ++game) {
        g.play(56, 3);  // in jitan a miss in the reach pattern, without presentation
        ASSERT_EQ(g.t.m.G_bRich, kFalse);
        ASSERT_EQ(g.modeCaption(), "時短中!!") << game;
        ASSERT_EQ(g.t.m.G_iSyriMode, 2);
    }
    g.play(0, 3);  // the 100th game after the hit ends the period
    EXPECT_EQ(g.modeCaption(), "");
    EXPECT_EQ(g.t.m.scene.Lbl_SyriMode.fore, kWhite);
    EXPECT_EQ(g.t.m.G_bJitan, kFalse);
    EXPECT_EQ(g.t.m.G_iSyriMode, 0);
    EXPECT_EQ(g.t.m.G_lRevCnt, 100);
    EXPECT_EQ(g.logLines().size(), 2u);
}

// Enters jitan (kakuhen hit, then a normal hit) and plays `misses` games in it.
void enterJitanAndMiss(Game& g, int misses) {
    g.play(7, 1);
    g.play(7, 2);
    for (int i = 0; i < misses; ++i)
        g.play(0, 3);
}

TEST(GameCycle, NormalHitInsideJitanContinuesTheChainAtTheEndStartsANewOne) {
    Game early;
    enterJitanAndMiss(early, 49);
    early.play(7, 4);  // game 50 of the period
    EXPECT_EQ(early.t.m.G_iRenchan, 3);
    EXPECT_EQ(early.t.m.G_bJitan, kFalse);
    EXPECT_EQ(early.t.m.G_iSyriMode, 0);
    EXPECT_EQ(early.modeCaption(), "");

    Game late;
    enterJitanAndMiss(late, 99);
    late.play(7, 4);  // game 100 of the period
    EXPECT_EQ(late.t.m.G_iRenchan, 1);
    EXPECT_EQ(late.t.m.G_iSyriMode, 0);
    EXPECT_EQ(late.modeCaption(), "");
}

TEST(GameCycle, KakuhenHitInsideJitanContinuesTheChain) {
    Game g;
    enterJitanAndMiss(g, 10);
    g.play(7, 3);  // symbol 7
    EXPECT_EQ(g.t.m.G_iRenchan, 3);
    EXPECT_EQ(g.t.m.G_bJitan, kFalse);
    EXPECT_EQ(g.t.m.G_iSyriMode, 1);
    EXPECT_EQ(g.modeCaption(), "確変中!!");
}

TEST(GameCycle, BothPreviewsCountOnlyKindTwoAndLogTwo) {
    for (std::uint64_t seed = 1; seed < 2000; ++seed) {
        Game g("", seed);
        g.play(7, 1);
        if (g.t.m.G_bYokoku1 != kTrue || g.t.m.G_bYokoku2 != kTrue) continue;
        EXPECT_EQ(g.t.m.G_sYokoku, "2");
        EXPECT_EQ(g.t.m.G_lYokoku1A, 0);
        EXPECT_EQ(g.t.m.G_lYokoku2A, 1);
        EXPECT_EQ(g.t.m.scene.Lbl_GHYokokuN[0].caption, "0");
        EXPECT_EQ(g.t.m.scene.Lbl_GHYokokuN[1].caption, "1");
        const auto lines = g.logLines();
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines[0].substr(73, 5), "2    ");
        EXPECT_EQ(lines[0].substr(78, 8), "0   1   ");
        return;
    }
    FAIL() << "no seed gave both previews";
}

TEST(GameCycle, ReachOfKindFourWithAHitRaisesExactlyThreeCounters) {
    for (std::uint64_t seed = 1; seed < 2000; ++seed) {
        Game g("", seed);
        g.play(7, 2);
        if (g.t.m.G_iRichSyu != 4) continue;
        const Scene& s = g.t.m.scene;
        for (int row = 0; row < 10; ++row) {
            EXPECT_EQ(s.Lbl_RichSyuND[row].caption, "0");
            EXPECT_EQ(s.Lbl_RichSyuNO[row].caption, "0");
            EXPECT_EQ(s.Lbl_RichSyuNA[row].caption, row == 3 ? "1" : "0");
            EXPECT_EQ(s.Lbl_RichSyuA[row].caption, row == 3 ? "1" : "0");
        }
        EXPECT_EQ(s.Lbl_RichPoint[1].caption, "1");
        EXPECT_EQ(g.t.m.G_lRichTotal[4], 1);
        EXPECT_EQ(g.t.m.G_lRichAtari[4], 0);  // cleared with the hit record
        EXPECT_EQ(g.logLines()[0].substr(26, 7), "04:ROS ");
        return;
    }
    FAIL() << "no seed gave kind 4";
}

TEST(GameCycle, NoGameBeforeTheIdleCounterAndNoNestedGame) {
    test::TestMachine t;
    loadMachine(t.m, "/nonexistent", "", 1);
    onStartRequest(t.m);  // the idle loop has not counted yet
    EXPECT_EQ(t.m.G_lRevCnt, 0);
    EXPECT_EQ(t.display.frames(), 0u);

    idleStep(t.m);
    int nested_requests = 0;
    t.display.atFrame(50, [&] {
        ++nested_requests;
        onStartRequest(t.m);  // a timer tick or a click delivered inside the game
    });
    onStartRequest(t.m);
    EXPECT_EQ(nested_requests, 1);
    EXPECT_EQ(t.m.G_lRevCnt, 1);
    onStartRequest(t.m);
    EXPECT_EQ(t.m.G_lRevCnt, 2);
}

TEST(GameCycle, EndFlagDuringTheGameEndsItAtTheNextFrame) {
    test::TestMachine t;
    loadMachine(t.m, "/nonexistent", "", 1);
    idleStep(t.m);
    t.display.atFrame(100, [&] { onEndRequest(t.m); });
    EXPECT_EQ(runUntilEnd([&] { onStartRequest(t.m); }), 0);
    EXPECT_EQ(t.display.frames(), 100u);  // the REEL_STEP of that frame ends it
    EXPECT_EQ(t.m.G_lRevCnt, 0);
}

}  // namespace
}  // namespace rl00
