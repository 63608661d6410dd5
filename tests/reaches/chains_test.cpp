// Every presentation with every outcome the dispatcher plays it with, for every reach symbol:
// where the centre reel ends, how many symbols each phase of the chain moves it, which way, how
// many frames and how much virtual time it takes, and what it leaves in G_iOshiDir/G_bModori.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reach_recorder.h"
#include "reaches/reaches.h"

namespace rl00 {
namespace {

using test::Outcome;
using test::ReachRecorder;
using test::TestMachine;

using Presentation = void (*)(Machine&, Int16&, Int16&);

// What a phase adds besides its reel frames and feeds.
enum class Extra {
    None,
    RightSuper,        // ghost drift and glide per frame, 600 ms per symbol, one final move
    RightSuperReturn,  // the same in return mode: no pause after the last symbol, no final move
    RightReturn,       // ghost drift and glide per frame, one final move
    FrameAdvance,      // 600 ms per symbol
};

struct Phase {
    int symbols;
    int step;
    int dir;
    Extra extra = Extra::None;
};

// Frames per symbol from an aligned window: slot 0 travels 450 down, slot 2 travels 470 up.
int framesPerSymbol(int step, int dir) {
    const int distance = dir > 0 ? 450 : 470;
    return (distance + step - 1) / step;
}

struct Expectation {
    std::uint64_t frames = 0;
    double ms = 0;
};

Expectation expect(const std::vector<Phase>& phases, double fixed_ms) {
    Expectation e;
    e.ms = fixed_ms;
    for (const Phase& p : phases) {
        const int per_symbol = framesPerSymbol(p.step, p.dir);
        int frames = p.symbols * per_symbol;
        int pauses = 0;
        switch (p.extra) {
            case Extra::None:
                break;
            case Extra::RightSuper:
                frames += 2 * p.symbols * per_symbol + 1;
                pauses = 600 * p.symbols;
                break;
            case Extra::RightSuperReturn:
                frames += 2 * p.symbols * per_symbol;
                pauses = 600 * (p.symbols - 1);
                break;
            case Extra::RightReturn:
                frames += 2 * p.symbols * per_symbol + 1;
                break;
            case Extra::FrameAdvance:
                pauses = 600 * p.symbols;
                break;
        }
        e.frames += static_cast<std::uint64_t>(frames);
        e.ms += 2.0 * frames + 10.0 * p.symbols + pauses;
    }
    return e;
}

constexpr int kUnused = -1;

// The chain of a presentation: the phases before its own run, and its own run's symbols by
// outcome (far miss: base + forward distance from R to S).
struct Chain {
    const char* name;
    Presentation play;
    std::vector<Phase> lead;
    int step;
    int dir;
    Extra extra;
    int hit, near_after, near_before, far_base;
    double fixed_ms = 0;
    Int16 oshi_dir_after = kUnused;  // kUnused: unchanged
    Int16 modori_after = kFalse;
};

const std::vector<Chain>& chains() {
    const Phase open{7, 5, 1};
    static const std::vector<Chain> all = {
        {"RICH_NM", RICH_NM, {open}, 5, 1, Extra::None, 14, 15, 13, 0},
        {"RICH_NMR",
         RICH_NMR,
         {open, {15, 5, 1}},
         5,
         -1,
         Extra::None,
         1,
         kUnused,
         kUnused,
         kUnused,
         0,
         1,
         kTrue},
        {"RICH_RO", RICH_RO, {open, {2, 5, 1}}, 70, 1, Extra::None, 54, 55, 53, 40},
        {"RICH_ROS",
         RICH_ROS,
         {open, {2, 5, 1}, {51, 70, 1}},
         7,
         1,
         Extra::RightSuper,
         3,
         4,
         2,
         kUnused},
        {"RICH_ROM",
         RICH_ROM,
         {open, {2, 5, 1}, {51, 70, 1}, {4, 7, 1, Extra::RightSuperReturn}},
         7,
         -1,
         Extra::RightReturn,
         1,
         kUnused,
         kUnused,
         kUnused,
         0,
         1},
        {"RICH_LO", RICH_LO, {open, {6, 5, 1}}, 70, 1, Extra::None, 64, 65, 63, 50},
        {"RICH_LOS",
         RICH_LOS,
         {open, {6, 5, 1}, {52, 70, 1}},
         30,
         1,
         Extra::None,
         12,
         13,
         11,
         kUnused},
        {"RICH_HND", RICH_HND, {open}, 0, 1, Extra::None, 0, kUnused, kUnused, kUnused, 230},
        {"RICH_FRS",
         RICH_FRS,
         {open, {2, 5, 1}},
         70,
         1,
         Extra::None,
         kUnused,
         kUnused,
         kUnused,
         26},
        {"RICH_FRK",
         RICH_FRK,
         {open, {2, 5, 1}, {36, 70, 1}},
         3,
         1,
         Extra::FrameAdvance,
         4,
         5,
         3,
         kUnused},
    };
    return all;
}

int ownSymbols(const Chain& c, Outcome o, int e) {
    switch (o) {
        case Outcome::Hit:
            return c.hit;
        case Outcome::NearAfter:
            return c.near_after;
        case Outcome::NearBefore:
            return c.near_before;
        case Outcome::FarMiss:
            return c.far_base == kUnused ? kUnused : c.far_base + e;
    }
    return kUnused;
}

const char* outcomeName(Outcome o) {
    switch (o) {
        case Outcome::Hit:
            return "hit";
        case Outcome::NearAfter:
            return "near miss after";
        case Outcome::NearBefore:
            return "near miss before";
        case Outcome::FarMiss:
            return "far miss";
    }
    return "";
}

TEST(ReachChains, EveryPresentationEndsAlignedAfterThePhasesOfItsChain) {
    for (const Chain& c : chains()) {
        for (Outcome o :
             {Outcome::Hit, Outcome::NearAfter, Outcome::NearBefore, Outcome::FarMiss}) {
            for (Int16 r = 1; r <= 14; ++r) {
                const int e = 2 + r % 11;
                const int own = ownSymbols(c, o, e);
                if (own == kUnused) continue;
                SCOPED_TRACE(std::string(c.name) + ", " + outcomeName(o) +
                             ", R = " + std::to_string(r));
                TestMachine t;
                const Int16 stop = test::stopFor(o, r, e);
                const Int16 oshi_dir = test::oshiDirFor(o);
                test::layReach(t.m, r, stop, oshi_dir);
                ReachRecorder rec(t);
                Int16 s = stop;

                ASSERT_EQ(test::runUntilEnd([&] { c.play(t.m, s, t.m.G_iNowZug[1]); }), -1);

                std::vector<Phase> phases = c.lead;
                if (own > 0) phases.push_back({own, c.step, c.dir, c.extra});
                const auto runs = rec.runs();
                ASSERT_EQ(runs.size(), phases.size());
                Int16 at = test::wrapSymbol(r - 7);  // where the opening jumps to
                for (std::size_t i = 0; i < runs.size(); ++i) {
                    EXPECT_EQ(static_cast<int>(runs[i].size()), phases[i].symbols) << "phase " << i;
                    for (const auto& seen : runs[i]) {
                        EXPECT_EQ(seen.symbol, test::wrapSymbol(at + phases[i].dir));
                        EXPECT_EQ(seen.step_left, 1);
                        EXPECT_EQ(seen.step_right, 1);
                        at = seen.symbol;
                    }
                }

                const Int16 ends_on = c.play == RICH_HND ? r : stop;
                EXPECT_EQ(t.m.G_iNowZug[2], ends_on);
                EXPECT_TRUE(test::centreAlignedOn(t.m, ends_on, phases.back().dir < 0));
                EXPECT_EQ(t.m.G_iNowZug[1], r);
                EXPECT_EQ(t.m.G_iNowZug[3], r);
                EXPECT_EQ(t.m.G_bMove[2], kTrue);
                EXPECT_EQ(t.m.scene.window_back, kBlack);
                EXPECT_EQ(t.m.G_iOshiDir, c.oshi_dir_after == kUnused ? oshi_dir : 1);
                EXPECT_EQ(t.m.G_bModori, c.modori_after);
                EXPECT_TRUE(t.display.messages().empty());

                const Expectation want = expect(phases, c.fixed_ms);
                EXPECT_EQ(t.display.frames(), want.frames);
                EXPECT_DOUBLE_EQ(t.display.elapsedMs(), want.ms);
            }
        }
    }
}

TEST(ReachChains, NormalReachWithoutLapsEndsRightAfterTheOpening) {
    TestMachine t;
    test::layReach(t.m, 6, 6, 0);
    ReachRecorder rec(t);
    Int16 s = 6;
    RICH_NM(t.m, s, t.m.G_iNowZug[1]);
    EXPECT_EQ(rec.runs().size(), 1u);
    EXPECT_EQ(rec.symbols.size(), 7u);
    EXPECT_EQ(t.m.G_iNowZug[2], 6);
    EXPECT_TRUE(test::centreAlignedOn(t.m, 6));
}

TEST(ReachChains, StopSymbolIsCopiedAndReachSymbolReadAgain) {
    // Changing the caller's S during the run changes nothing; the reach symbol is the left
    // reel's live entry.
    TestMachine t;
    test::layReach(t.m, 14, 1, 1);
    Int16 s = 1;
    t.display.atFrame(50, [&] { s = 9; });
    RICH_NM(t.m, s, t.m.G_iNowZug[1]);
    EXPECT_EQ(t.m.G_iNowZug[2], 1);  // R = 14, S = 1: passes 14 once and ends on 1
    EXPECT_TRUE(test::centreAlignedOn(t.m, 1));

    TestMachine u;
    test::layReach(u.m, 3, 4, 1);
    ReachRecorder rec(u);
    Int16 s2 = 4;
    // Once the opening has landed on 3, R becomes 4: the first arrival on 4 is now a lap, and
    // the run ends there after one symbol instead of a full turn and one.
    u.display.atFrame(7 * 90 + 1, [&] { u.m.G_iNowZug[1] = 4; });
    RICH_NM(u.m, s2, u.m.G_iNowZug[1]);
    ASSERT_EQ(rec.runs().size(), 2u);
    EXPECT_EQ(rec.runs()[1].size(), 1u);
    EXPECT_EQ(u.m.G_iNowZug[2], 4);
}

}  // namespace
}  // namespace rl00
