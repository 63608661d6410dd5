// The page's link: what it plays, and a parameter it cannot take said in one line naming it,
// the default used.

#include <gtest/gtest.h>

#include "frontends/web/page_link.h"

namespace rl00 {
namespace {

TEST(PageLink, TakesEveryParameterOfASeededLink) {
    const PageLink l = readPageLink(
        "?seed=18446744073709551615&arg=7&frame-ms=0.5&replay=4321"
        "&paused=1&zoom=2");
    EXPECT_TRUE(l.faults.empty());
    EXPECT_EQ(l.seed, 18446744073709551615ull);
    EXPECT_EQ(l.argument, "7");
    EXPECT_EQ(l.frame_ms, 0.5);
    EXPECT_EQ(l.replay, 4321u);
    EXPECT_TRUE(l.paused);
    EXPECT_EQ(l.zoom, 2);
    EXPECT_FALSE(l.games);
    const PageLink none = readPageLink("");
    EXPECT_TRUE(none.faults.empty());
    EXPECT_FALSE(none.seed);
    EXPECT_EQ(none.replay, 0u);
}

TEST(PageLink, ABadParameterIsOneLineNamingItAndItsDefaultIsUsed) {
    const PageLink l = readPageLink("seed=-1&arg=2&frame-ms=30&zoom=5&paused=yes&replay=0&x=1");
    ASSERT_EQ(l.faults.size(), 7u);
    EXPECT_EQ(l.faults[0].rfind("seed: takes a whole number from 0 to ", 0), 0u);
    EXPECT_EQ(l.faults[1], "arg: takes 1, 7 or 8; played without an argument");
    EXPECT_EQ(l.faults[2],
              "frame-ms: takes a number of milliseconds from 0.5 to 20; 2 ms are used");
    EXPECT_EQ(l.faults[3].rfind("zoom: takes a whole number from 1 to 4", 0), 0u);
    EXPECT_EQ(l.faults[4].rfind("paused: takes 0 or 1", 0), 0u);
    EXPECT_EQ(l.faults[5].rfind("replay: takes a whole number from 1 to 2147483647", 0), 0u);
    EXPECT_EQ(l.faults[6].rfind("x: is no parameter of this page", 0), 0u);
    EXPECT_FALSE(l.seed);
    EXPECT_EQ(l.argument, "");
    EXPECT_FALSE(l.frame_ms);
    EXPECT_EQ(l.zoom, 0);
    // Numbers are strict, as on the command line.
    for (const char* q : {"frame-ms=2ms", "frame-ms=nan", "frame-ms=%202", "seed=1e3", "seed=+5"})
        EXPECT_EQ(readPageLink(q).faults.size(), 1u) << q;
}

TEST(PageLink, AReplayNeedsASeedAndEscapesAreRead) {
    const PageLink l = readPageLink("?replay=5");
    ASSERT_EQ(l.faults.size(), 1u);
    EXPECT_EQ(l.faults[0].rfind("replay: needs a seed", 0), 0u);
    EXPECT_EQ(l.replay, 0u);
    EXPECT_EQ(readPageLink("seed=%37&arg=%31").seed, 7u);
    EXPECT_EQ(readPageLink("seed=%37&arg=%31").argument, "1");
}

TEST(PageLink, TheLinkOfAGameShowsItPausedAndReadsBack) {
    const PageLink l = readPageLink("?seed=9&arg=8&frame-ms=0.5&zoom=3");
    const std::string q = linkToGame(l, 77);
    EXPECT_EQ(q, "?seed=9&arg=8&frame-ms=0.5&replay=77&paused=1&zoom=3");
    const PageLink back = readPageLink(q);
    EXPECT_TRUE(back.faults.empty());
    EXPECT_EQ(back.replay, 77u);
    EXPECT_EQ(back.seed, 9u);
}

}  // namespace
}  // namespace rl00
