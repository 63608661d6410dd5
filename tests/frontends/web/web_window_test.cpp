// The page's window: the labels handed to the page only when they change, Tim_Start kept as a
// deadline on the page's clock that starts a seeded game, the page's commands carried out, and a
// click on 終了 ending the program.

#include <gtest/gtest.h>

#include "frontends/web/fake_host.h"
#include "frontends/web/web_window.h"
#include "machine/machine.h"
#include "platform/json.h"
#include "session/controller.h"
#include "session/game_sequence.h"
#include "session/window_layout.h"

namespace rl00 {
namespace {

struct WindowFixture : ::testing::Test {
    test::FakeHost host;
    WebDisplay display{host};
    Machine m{display, 7};
    WebWindow window{m, display, host};
    SeededRun run{7};

    void SetUp() override {
        display.attach(&window);
        loadMachine(m, "/nonexistent", "", run.seed());
        window.setSeededRun(&run);
        run.powerOn(m);
    }
};

TEST_F(WindowFixture, LabelsGoToThePageWhenTheyChangeAndTheLayoutNumbersThem) {
    window.paint();
    const json::Value first = json::parse(host.labels_shown.back());
    const json::Value layout = json::parse(windowLayoutJson());
    std::size_t numbered = 0;
    for (const json::Value& c : layout.asArray())
        numbered += c["scene"].asInt() >= 0 ? 1 : 0;
    EXPECT_EQ(first.asArray().size(), numbered) << "every label once, at the first paint";
    const int shown = host.frames_shown;
    window.paint();
    EXPECT_EQ(host.frames_shown, shown) << "nothing changed, nothing shown";
    m.scene.Lbl_Rich[1].caption = "あたり";
    window.paint();
    const json::Value changed = json::parse(host.labels_shown.back());
    ASSERT_EQ(changed.asArray().size(), 1u);
    EXPECT_EQ(changed.asArray()[0].asArray()[1].asString(), "あたり");
}

TEST_F(WindowFixture, TheTimersTickComesOnThePagesClockAndPlaysTheSeededGame) {
    window.takeInput();
    const double due = window.nextDueMs();
    ASSERT_GT(due, 0.0);
    EXPECT_NEAR(due - host.t, 1000.0, 1.0);
    display.setNoDelay(true);
    host.t = due - 5.0;
    window.takeInput();
    EXPECT_EQ(window.completedGames(), 0u);
    host.t = due;
    window.takeInput();
    EXPECT_EQ(window.completedGames(), 1u) << "the tick starts one game";
    // The same game as the runner's first game of the seed.
    test::FakeHost other_host;
    WebDisplay other{other_host};
    Machine same(other, 7);
    loadMachine(same, "/nonexistent", "", 7);
    SeededRun same_run(7);
    same_run.powerOn(same);
    same_run.betweenGames(same, other);
    EXPECT_EQ(same.G_iLottery, m.G_iLottery);
    EXPECT_EQ(same.G_iZugCnt, m.G_iZugCnt);
}

TEST_F(WindowFixture, ThePagesCommandsReachTheDisplayAndEndTheProgram) {
    host.input = {"pause 1\npace 5\nno-delay 1\nstep\nscale 2\nnonsense"};
    window.takeInput();
    EXPECT_TRUE(display.paused());
    EXPECT_EQ(display.framePeriodMs(), 5.0);
    EXPECT_TRUE(display.noDelay());
    EXPECT_EQ(window.raster().width(), 210);
    host.input = {"pace 99\npause 0"};
    window.takeInput();
    EXPECT_EQ(display.framePeriodMs(), WebDisplay::kMaxFrameMs);
    EXPECT_FALSE(display.paused());
    host.input = {"click Cmd_End"};
    window.takeInput();
    EXPECT_EQ(m.G_bEnd, kTrue);
    const double before = host.t;
    display.sleepMs(1000);
    EXPECT_LT(host.t - before, 1.0) << "once the end is asked for, nothing waits";
}

}  // namespace
}  // namespace rl00
