#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <limits>
#include <utility>
#include <vector>

#include "machine/scene.h"
#include "platform/checked.h"
#include "platform/random.h"
#include "platform/vb_array.h"

namespace rl00 {
namespace {

Int32 errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.number();
    }
    return 0;
}

TEST(CheckedArithmetic, OverflowRaisesSixAndLeavesTheItem) {
    Int16 a = 32766;
    checkedAdd(a, 1);
    EXPECT_EQ(a, 32767);
    EXPECT_EQ(errorOf([&] { checkedAdd(a, 1); }), err::kOverflow);
    EXPECT_EQ(a, 32767);
    Int16 b = -32768;
    EXPECT_EQ(errorOf([&] { checkedAdd(b, -1); }), err::kOverflow);
    EXPECT_EQ(b, -32768);

    Int32 c = std::numeric_limits<Int32>::max() - 1;
    checkedAdd(c, 1);
    EXPECT_EQ(errorOf([&] { checkedAdd(c, 1); }), err::kOverflow);
    EXPECT_EQ(c, std::numeric_limits<Int32>::max());
    EXPECT_EQ(RuntimeError(err::kOverflow).description(), "オーバーフローしました。");
}

TEST(VbArrayBounds, OutsideTheBoundsRaisesNine) {
    VbArray<Int16, 0, 3> reels;
    reels[3] = 7;
    EXPECT_EQ(reels[3], 7);
    EXPECT_EQ(errorOf([&] { reels[4] = 1; }), err::kSubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { (void)reels[-1]; }), err::kSubscriptOutOfRange);
    VbArray<VbArray<Int32, 1, 14>, 1, 3> table;
    EXPECT_EQ(errorOf([&] { table[1][0] = 1; }), err::kSubscriptOutOfRange);
    EXPECT_EQ(RuntimeError(err::kSubscriptOutOfRange).description(),
              "インデックスが有効範囲にありません。");
}

TEST(RandomGenerator, DrawsInRangeRepeatablyAndUniformly) {
    Random a(42);
    Random b(42);
    std::array<int, 17> counts{};
    constexpr int kDraws = 160000;
    for (int k = 0; k < kDraws; ++k) {
        const double d = a.draw();
        ASSERT_EQ(d, b.draw());
        ASSERT_GE(d, 0.0);
        ASSERT_LT(d, 1.0);
        const Int16 r = a.upTo(16);
        b.upTo(16);
        ASSERT_GE(r, 1);
        ASSERT_LE(r, 16);
        ++counts[r];
    }
    for (int v = 1; v <= 16; ++v)
        EXPECT_NEAR(counts[v], kDraws / 16, 500) << v;
    EXPECT_NE(Random(1).draw(), Random(2).draw());
}

// Every seeded run depends on these values: a change here changes every game of every seeded
// run, so it must be deliberate and named in its commit.
TEST(RandomGenerator, KnownAnswers) {
    const std::uint64_t seed1[] = {0xb3f2af6d0fc710c5ULL, 0x853b559647364ceaULL,
                                   0x92f89756082a4514ULL, 0x642e1c7bc266a3a7ULL};
    const std::uint64_t seed2[] = {0x12b83667dc71ea69ULL, 0xba85a7b47184bc8bULL,
                                   0xf402a460dfe491e5ULL, 0x7c84bb5e52138f7eULL};
    Random a(1);
    Random b(20241207);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(a.nextBits(), seed1[i]) << i;
        EXPECT_EQ(b.nextBits(), seed2[i]) << i;
    }

    Random d(1);
    EXPECT_EQ(d.draw(), 0.70292183315885048);
    EXPECT_EQ(d.draw(), 0.52043661993885693);

    // "random 1..n" from one generator, eight draws for each n in turn.
    Random r(1);
    const std::vector<std::pair<Int16, std::vector<Int16>>> expected = {
        {2, {2, 2, 2, 1, 2, 1, 1, 1}},
        {14, {13, 8, 14, 14, 14, 10, 9, 13}},
        {32, {3, 16, 2, 3, 15, 16, 20, 12}},
    };
    for (const auto& [n, draws] : expected) {
        std::vector<Int16> got;
        for (std::size_t i = 0; i < draws.size(); ++i)
            got.push_back(r.upTo(n));
        EXPECT_EQ(got, draws) << "n = " << n;
    }
}

TEST(RandomGenerator, TheLargestDrawStillPicksAtMostN) {
    // s1 chosen so that the next output's top 53 bits are all set: the draw is 1 - 2^-53.
    const std::array<std::uint64_t, 4> largest = {1, 0x99b05b05b05b05b0ULL, 1, 1};
    EXPECT_EQ(Random(largest).draw(), 1.0 - 0x1.0p-53);
    for (const Int16 n :
         {Int16{1}, Int16{2}, Int16{4}, Int16{10}, Int16{14}, Int16{16}, Int16{32}, Int16{367}}) {
        Random r(largest);
        EXPECT_EQ(r.upTo(n), n) << "n = " << n;
    }
    // Every other draw keeps its old result: the integer part of draw * n + 1.
    for (const double d : {0.0, 0.5, 0.999, 1.0 - 0x1.0p-52}) {
        for (const Int16 n : {Int16{2}, Int16{14}, Int16{32}})
            EXPECT_EQ(Random::pick(d, n), static_cast<Int16>(d * n + 1.0)) << d << " " << n;
    }
}

TEST(SceneOrder, BringToFrontAndSendToBack) {
    Scene s;
    const PictureId c5 = reelPicture(2, 5);
    s.bringToFront(c5);
    EXPECT_EQ(s.z_order.back(), c5);
    EXPECT_EQ(s.z_order.size(), static_cast<std::size_t>(kPictureCount));
    s.sendToBack(c5);
    EXPECT_EQ(s.z_order.front(), c5);
    EXPECT_EQ(errorOf([&] { s.picture(kPictureCount); }), err::kControlArrayElement);
}

}  // namespace
}  // namespace rl00
