// The page's Display on a host of the test with a clock of its own: the window's frame grid kept
// on the clock, a turn for the browser at least once per screen refresh, a pause that holds the
// frame until one frame is let pass, and a replay that takes no time but counts every frame.

#include <gtest/gtest.h>

#include <string>

#include "frontends/web/fake_host.h"
#include "frontends/web/web_display.h"

namespace rl00 {
namespace {

// A window that carries out the commands the page queues and counts its paints.
struct FakeWindow final : PageWindow {
    test::FakeHost& host;
    WebDisplay& display;
    int paints = 0;
    FakeWindow(test::FakeHost& h, WebDisplay& d) : host(h), display(d) {}
    void takeInput() override {
        const std::string s = host.takeInput();
        if (s == "step") display.stepFrame();
        if (s == "pause 0") display.setPaused(false);
    }
    void paint() override { ++paints; }
    double nextDueMs() const override { return -1.0; }
};

struct Fixture : ::testing::Test {
    test::FakeHost host;
    WebDisplay display{host};
    FakeWindow window{host, display};
    void SetUp() override { display.attach(&window); }
};

TEST_F(Fixture, FramesKeepTheGridAndTheBrowserGetsATurnEveryRefresh) {
    display.setFramePeriodMs(2.0);
    const double start = host.t;
    for (int i = 0; i < 500; ++i)
        display.endFrame();
    const double took = host.t - start;
    EXPECT_NEAR(took, 1000.0, 2.0);
    EXPECT_EQ(display.frames(), 500u);
    // At least one turn per refresh, and far fewer than one per frame.
    EXPECT_GE(host.turns.size(), 55u);
    EXPECT_LE(host.turns.size(), 70u);
    for (std::size_t i = 1; i < host.turns.size(); ++i)
        EXPECT_LT(host.turns[i] - host.turns[i - 1], 1000.0 / 60.0 + 2.5);
    EXPECT_LE(window.paints, 65);
}

TEST_F(Fixture, ALongPeriodWaitsOnABrowserTimerAndNoDelayDoesNotWait) {
    display.setFramePeriodMs(20.0);
    display.endFrame();
    const double start = host.t;
    for (int i = 0; i < 10; ++i)
        display.endFrame();
    EXPECT_NEAR(host.t - start, 200.0, 1.0);
    EXPECT_LE(host.turns.size(), 12u) << "one timer per frame, the rest spent on the clock";
    display.setNoDelay(true);
    const double before = host.t;
    for (int i = 0; i < 100; ++i)
        display.endFrame();
    EXPECT_LT(host.t - before, 20.0);
}

TEST_F(Fixture, APauseHoldsTheFrameUntilOneIsLetPass) {
    display.setPaused(true);
    host.input = {"", "", "step"};  // two idle waits, then one frame let pass
    display.endFrame();
    EXPECT_EQ(display.frames(), 1u);
    EXPECT_TRUE(host.input.empty());
    EXPECT_EQ(window.paints, 2) << "the held frame is painted before each wait";
    host.input = {"step", "step", "pause 0"};
    display.endFrame();  // the first step
    display.endFrame();  // the second step
    display.endFrame();  // held until resumed
    EXPECT_FALSE(display.paused());
    EXPECT_EQ(display.frames(), 4u);
}

TEST_F(Fixture, FastForwardCountsFramesAndPausesWithoutTakingTime) {
    display.setVirtualFrameMs(0.5);
    display.setFastForward(true);
    const double start = host.t;
    EXPECT_TRUE(display.skipMotion({.frames = 100, .pause_ms = 130, .passes = 101}));
    display.endFrame();
    display.sleepMs(600);
    display.processEvents();
    EXPECT_EQ(display.frames(), 101u);
    EXPECT_EQ(display.wholeMs(), 730u);
    EXPECT_LT(host.t - start, 1.0);
    EXPECT_TRUE(host.turns.empty());
    display.setFastForward(false);
    EXPECT_FALSE(display.skipMotion({.frames = 1}));
}

TEST_F(Fixture, APauseOfTheMachineTakesItsTimeAndTheEndUnwinds) {
    const double start = host.t;
    display.sleepMs(130);
    EXPECT_NEAR(host.t - start, 130.0, 0.5);
    EXPECT_EQ(display.wholeMs(), 130u);
    display.noteEndRequest();
    const double later = host.t;
    display.sleepMs(500);
    display.endFrame();
    EXPECT_LT(host.t - later, 1.0) << "once the end is asked for, nothing waits";
    try {
        display.endProgram(3);
        FAIL();
    } catch (const ProgramEnd& end) {
        EXPECT_EQ(end.exit_code, 3);
    }
}

}  // namespace
}  // namespace rl00
