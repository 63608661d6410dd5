// The progress line: what it says, and that it is drawn at most a few times a second and taken
// away at the end.

#include "frontends/headless/progress.h"

#include <gtest/gtest.h>

#include <sstream>

namespace rl00 {
namespace {

using namespace std::chrono_literals;

TEST(ProgressLine, SaysGamesRateMachinesAndTimeLeft) {
    EXPECT_EQ(progressText({1234567, 6400000, 3, 64, 10.0}),
              "1,234,567 of 6,400,000 games  123,456 games/s  machines 3 of 64  0:00:42 left");
    // Nothing to go on yet: no rate, no time left.
    EXPECT_EQ(progressText({0, 1000, 0, 1, 0.0}), "0 of 1,000 games  0 games/s  machines 0 of 1");
    EXPECT_EQ(progressText({100, 100, 1, 1, 2.0}), "100 of 100 games  50 games/s  machines 1 of 1");
    EXPECT_TRUE(progressText({1, 36001, 0, 1, 1.0}).ends_with("  10:00:00 left"));
}

TEST(ProgressLine, RedrawnAtMostEveryIntervalAndClearedOnlyWhenDrawn) {
    std::ostringstream terminal;
    const auto start = ProgressLine::Clock::time_point{} + 1h;
    ProgressLine line(terminal, start);
    line.update(start + 100ms, {10, 100, 0, 1, 0});
    EXPECT_EQ(terminal.str(), "");  // a short run shows nothing
    line.clear();
    EXPECT_EQ(terminal.str(), "");

    line.update(start + ProgressLine::kInterval, {50, 100, 0, 1, 0});
    const std::string first = terminal.str();
    EXPECT_EQ(first, "\r\033[K" + progressText({50, 100, 0, 1, 0.25}));
    line.update(start + ProgressLine::kInterval + 200ms, {60, 100, 0, 1, 0});
    EXPECT_EQ(terminal.str(), first);
    line.update(start + 2 * ProgressLine::kInterval, {70, 100, 1, 1, 0});
    EXPECT_EQ(terminal.str(), first + "\r\033[K" + progressText({70, 100, 1, 1, 0.5}));
    line.clear();
    EXPECT_TRUE(terminal.str().ends_with("\r\033[K"));
}

}  // namespace
}  // namespace rl00
