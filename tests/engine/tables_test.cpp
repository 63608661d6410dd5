#include "engine/tables.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "platform/runtime_error.h"

namespace rl00 {
namespace {

int countClass(LotteryClass c, Int16 mode) {
    int n = 0;
    for (Int16 v = kLotteryMin; v <= kLotteryMax; ++v)
        n += lotteryClass(v, mode) == c ? 1 : 0;
    return n;
}

TEST(Tables, LotteryClassesHaveTheirSizesInEveryMode) {
    for (Int16 mode : {kModeNormal, kModeJitan}) {
        EXPECT_EQ(countClass(LotteryClass::kHit, mode), 1) << mode;
        EXPECT_EQ(countClass(LotteryClass::kNearMissReach, mode), 5) << mode;
    }
    EXPECT_EQ(countClass(LotteryClass::kHit, kModeKakuhen), 7);
    EXPECT_EQ(countClass(LotteryClass::kNearMissReach, kModeKakuhen), 5);
    EXPECT_EQ(countClass(LotteryClass::kFarMissReach, kModeNormal), 21);
    EXPECT_EQ(countClass(LotteryClass::kPairedMiss, kModeNormal), 0);
    for (Int16 mode : {kModeKakuhen, kModeJitan}) {
        EXPECT_EQ(countClass(LotteryClass::kFarMissReach, mode), 0) << mode;
        EXPECT_EQ(countClass(LotteryClass::kPairedMiss, mode), 21) << mode;
    }
}

TEST(Tables, LotteryClassBoundaries) {
    EXPECT_EQ(lotteryClass(7, kModeNormal), LotteryClass::kHit);
    EXPECT_EQ(lotteryClass(8, kModeNormal), LotteryClass::kMiss);
    EXPECT_EQ(lotteryClass(17, kModeNormal), LotteryClass::kMiss);
    EXPECT_EQ(lotteryClass(17, kModeJitan), LotteryClass::kMiss);
    EXPECT_EQ(lotteryClass(17, kModeKakuhen), LotteryClass::kHit);
    EXPECT_EQ(lotteryClass(57, kModeKakuhen), LotteryClass::kHit);
    EXPECT_EQ(lotteryClass(65, kModeKakuhen), LotteryClass::kMiss);
    EXPECT_EQ(lotteryClass(9, kModeKakuhen), LotteryClass::kMiss);
    EXPECT_EQ(lotteryClass(8, kModeKakuhen), LotteryClass::kMiss);
    EXPECT_EQ(lotteryClass(48, kModeKakuhen), LotteryClass::kNearMissReach);
    EXPECT_EQ(lotteryClass(56, kModeNormal), LotteryClass::kFarMissReach);
    EXPECT_EQ(lotteryClass(56, kModeKakuhen), LotteryClass::kPairedMiss);
    EXPECT_EQ(lotteryClass(56, kModeJitan), LotteryClass::kPairedMiss);
    EXPECT_EQ(lotteryClass(216, kModeNormal), LotteryClass::kFarMissReach);
    EXPECT_EQ(lotteryClass(224, kModeNormal), LotteryClass::kMiss);
    EXPECT_EQ(lotteryClass(0, kModeNormal), LotteryClass::kMiss);
    EXPECT_EQ(lotteryClass(366, kModeKakuhen), LotteryClass::kMiss);
}

TEST(Tables, HitSymbolTableFollowsTheParityOfTheCount) {
    std::set<Int16> symbols;
    for (Int16 count = 1; count <= 14; ++count) {
        const auto hit = ATARI_ZUG_GET(count);
        ASSERT_TRUE(hit) << count;
        const auto& [symbol, mark, text] = *hit;
        ASSERT_GE(symbol, 1);
        ASSERT_LE(symbol, 14);
        symbols.insert(symbol);
        EXPECT_EQ(mark, toFlag(count % 2 == 1)) << count;
        EXPECT_EQ(isKakuhenSymbol(symbol), count % 2 == 1) << count;
        EXPECT_EQ(text, std::to_string(symbol));
    }
    // Every symbol is reachable as a hit, so the parity check above pins the kakuhen symbols.
    EXPECT_EQ(symbols.size(), 14u);

    const std::vector<std::pair<Int16, Int16>> known = {{1, 3}, {4, 2}, {13, 14}, {14, 9}};
    for (auto [count, expected] : known) {
        EXPECT_EQ(ATARI_ZUG_GET(count).value_or(HitSymbol{}).symbol, expected) << count;
    }
}

TEST(Tables, LookupsOutsideTheirRangeGiveNothing) {
    for (Int16 count : {Int16{0}, Int16{15}, Int16{-1}})
        EXPECT_FALSE(ATARI_ZUG_GET(count)) << count;
    for (Int16 s : {Int16{0}, Int16{15}, Int16{-3}})
        EXPECT_FALSE(ZUG_STR(s)) << s;
    EXPECT_EQ(ZUG_STR(1), "1");
    EXPECT_EQ(ZUG_STR(14), "14");
}

TEST(Tables, TestTableWalksTheSpecialValuesWithOneMissAtRowTwenty) {
    std::vector<Int16> special;
    for (Int16 v = 0; v <= 200; ++v) {
        if (lotteryClass(v, kModeNormal) != LotteryClass::kMiss ||
            lotteryClass(v, kModeKakuhen) != LotteryClass::kMiss)
            special.push_back(v);
    }
    std::vector<Int16> rows;
    for (Int16 k = 1; k <= 32; ++k) {
        if (k != 20) rows.push_back(GAME_TEST_TABLE(k));
    }
    EXPECT_EQ(rows, special);
    EXPECT_EQ(GAME_TEST_TABLE(20), 366);
    EXPECT_EQ(lotteryClass(366, kModeKakuhen), LotteryClass::kMiss);

    for (Int16 k : {Int16{0}, Int16{33}, Int16{-1}}) {
        try {
            GAME_TEST_TABLE(k);
            ADD_FAILURE() << "row " << k << " exists";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.number(), err::kSubscriptOutOfRange);
        }
    }
}

}  // namespace
}  // namespace rl00
