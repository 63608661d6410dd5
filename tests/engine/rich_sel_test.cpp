// Reach dispatch: the choice table by result and draw, the codes, and what RICH_SEL writes
// before and after the presentation it plays.

#include "engine/rich_sel.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "reaches/reach_recorder.h"

namespace rl00 {
namespace {

using test::Outcome;
using test::runUntilEnd;
using test::TestMachine;

// Chances out of 32 of kinds 1..10 for far miss, near miss and hit.
constexpr std::array<std::array<int, 10>, 3> kChances = {{
    {25, 0, 2, 0, 0, 3, 0, 0, 2, 0},
    {4, 0, 7, 3, 0, 10, 4, 0, 0, 4},
    {1, 1, 1, 12, 4, 1, 9, 1, 0, 2},
}};

TEST(RichSelTable, EveryDrawGivesTheKindsInTheirChances) {
    for (Int16 result = 1; result <= 3; ++result) {
        std::array<int, 11> counts{};
        for (Int16 k = 1; k <= 32; ++k)
            ++counts[static_cast<std::size_t>(richKind(result, k))];
        EXPECT_EQ(counts[0], 0);
        for (int kind = 1; kind <= 10; ++kind)
            EXPECT_EQ(counts[kind], kChances[result - 1][kind - 1]) << result << "/" << kind;
    }
    EXPECT_EQ(richKind(3, 20), 6);
    EXPECT_EQ(richKind(3, 30), 8);
    EXPECT_EQ(richKind(1, 31), 9);
    EXPECT_EQ(richKind(1, 32), 9);
    for (Int16 result : {Int16{0}, Int16{4}, Int16{-1}, Int16{32767}})
        for (Int16 k = 1; k <= 32; ++k)
            EXPECT_EQ(richKind(result, k), 0);
}

TEST(RichSelTable, SeededDrawsFollowTheChances) {
    Random rnd(20240607);
    constexpr int kDrawsPerResult = 1'000'000;
    for (Int16 result = 1; result <= 3; ++result) {
        std::array<int, 11> counts{};
        for (int i = 0; i < kDrawsPerResult; ++i)
            ++counts[static_cast<std::size_t>(richKind(result, rnd.upTo(32)))];
        EXPECT_EQ(counts[0], 0);
        for (int kind = 1; kind <= 10; ++kind) {
            const double p = kChances[result - 1][kind - 1] / 32.0;
            const double mean = kDrawsPerResult * p;
            const double sd = std::sqrt(kDrawsPerResult * p * (1 - p));
            EXPECT_NEAR(counts[kind], mean, 5 * sd + 0.5) << result << "/" << kind;
        }
    }
}

TEST(RichSelTable, CodesAreSixCharactersNumberedByKind) {
    for (Int16 kind = 1; kind <= 10; ++kind) {
        const std::string code(richCode(kind));
        ASSERT_EQ(code.size(), 6u);
        EXPECT_EQ(std::stoi(code.substr(0, 2)), kind);
        EXPECT_EQ(code[2], ':');
    }
    EXPECT_EQ(richCode(1), "01:Nm ");
    EXPECT_EQ(richCode(3), "03:RO ");
    EXPECT_EQ(richCode(6), "06:LO ");
    EXPECT_EQ(richCode(10), "10:FrK");
    EXPECT_TRUE(richCode(0).empty());
    EXPECT_TRUE(richCode(11).empty());
}

// Lays a reach game of the given outcome and runs RICH_SEL on it.
struct Dispatch {
    explicit Dispatch(std::uint64_t seed) : t(seed) {}

    int run(Outcome o, Int16 result, Int16 r, int e = 5) {
        test::layReach(t.m, r, test::stopFor(o, r, e), test::oshiDirFor(o));
        t.m.G_iRichRes = result;
        t.m.G_sRichCode = "before";
        return runUntilEnd([&] { RICH_SEL(t.m, t.m.G_iRichRes, t.m.G_iRichSyu); });
    }

    TestMachine t;
};

TEST(RichSel, PlaysAKindOfItsResultAndRecordsTheCodeOnlyAfterwards) {
    std::array<int, 11> kinds_played{};
    for (Int16 result = 1; result <= 3; ++result) {
        // Hits get more games: four of their kinds come once in 32 draws.
        const int games = result == 3 ? 160 : 40;
        for (int game = 0; game < games; ++game) {
            Dispatch d(1000 + static_cast<std::uint64_t>(1000 * result + game));
            Random copy = d.t.m.rnd;
            const Int16 drawn = richKind(result, copy.upTo(32));
            Int16 kind_during = -1;
            std::string code_during;
            d.t.display.atFrame(1, [&] {
                kind_during = d.t.m.G_iRichSyu;
                code_during = d.t.m.G_sRichCode;
            });
            const Int16 r = static_cast<Int16>(1 + game % 14);
            const Outcome o = result == 1   ? Outcome::FarMiss
                              : result == 3 ? Outcome::Hit
                              : game % 2    ? Outcome::NearAfter
                                            : Outcome::NearBefore;
            ASSERT_EQ(d.run(o, result, r, 2 + game % 11), -1);

            EXPECT_EQ(d.t.m.G_iRichSyu, drawn);
            EXPECT_EQ(kind_during, drawn);
            EXPECT_EQ(code_during, "before");
            EXPECT_EQ(d.t.m.G_sRichCode, richCode(drawn));
            // The statistics name a kind by the message its presentation ends with.
            EXPECT_EQ(d.t.m.scene.Lbl_Rich[1].caption, richName(drawn));
            EXPECT_EQ(d.t.m.G_iNowZug[2], test::stopFor(o, r, 2 + game % 11));
            EXPECT_TRUE(d.t.display.messages().empty());
            ++kinds_played[static_cast<std::size_t>(drawn)];
        }
    }
    for (int kind = 1; kind <= 10; ++kind)
        EXPECT_GT(kinds_played[kind], 0) << kind;
}

TEST(RichSel, AnyOtherResultPlaysNothingAndKeepsTheCode) {
    for (Int16 result : {Int16{0}, Int16{4}}) {
        Dispatch d(7);
        d.t.m.G_iRichSyu = 5;
        ASSERT_EQ(d.run(Outcome::Hit, result, 4), -1);
        EXPECT_EQ(d.t.m.G_iRichSyu, 0);
        EXPECT_EQ(d.t.m.G_sRichCode, "before");
        EXPECT_EQ(d.t.display.frames(), 0u);
        EXPECT_EQ(d.t.m.G_iNowZug[2], 2);
    }
}

TEST(RichSel, StopSymbolIsTwoOnFromTheCentreWrapped) {
    // The centre at 13 is laid for a stop on 1, at 14 for a stop on 2; hits on R = 1 and 2.
    for (Int16 r : {Int16{1}, Int16{2}}) {
        Dispatch d(99);
        ASSERT_EQ(d.run(Outcome::Hit, 3, r), -1);
        EXPECT_EQ(d.t.m.G_iNowZug[2], r);
        EXPECT_TRUE(
            test::centreAlignedOn(d.t.m, r, d.t.m.G_iRichSyu == 2 || d.t.m.G_iRichSyu == 5));
    }
    Dispatch d(5);
    test::layReach(d.t.m, 1, 1, 1);
    EXPECT_EQ(d.t.m.G_iNowZug[2], 13);
}

TEST(RichSel, ACentreOutsideTheStripEndsWithTheSystemError) {
    Dispatch d(3);
    test::layReach(d.t.m, 4, 4, 1);
    d.t.m.G_iNowZug[2] = 32767;
    d.t.m.G_iRichRes = 3;
    EXPECT_EQ(runUntilEnd([&] { RICH_SEL(d.t.m, d.t.m.G_iRichRes, d.t.m.G_iRichSyu); }), 1);
    ASSERT_EQ(d.t.display.messages().size(), 1u);
    EXPECT_EQ(d.t.display.messages()[0].text.rfind("システムエラーが発生しました", 0), 0u);
}

}  // namespace
}  // namespace rl00
