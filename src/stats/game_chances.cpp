#include "stats/game_chances.h"

#include <numeric>
#include <string>

#include "engine/rich_sel.h"
#include "engine/tables.h"
#include "machine/symbols.h"

namespace rl00 {

namespace {

// Every combination of the draws that decide a game besides value and counter: preview 1,
// preview 2, the re-lottery reveal and the reach kind. Each (value, counter) pair weighs this
// much, so every count below is a whole number.
constexpr std::int64_t kDrawCombinations =
    std::int64_t{kPreview1Odds} * kPreview2Odds * kRevealOdds * reach::kDraws;
constexpr std::int64_t kAllCombinations =
    std::int64_t{kLotteryValues} * kSymbols * kDrawCombinations;

// Combinations in which a draw of 1..n hits its one winning value.
constexpr std::int64_t oneIn(Int16 n) {
    return kDrawCombinations / n;
}

Chance fraction(std::int64_t count) {
    const std::int64_t g = std::gcd(count, kAllCombinations);
    return g == 0 ? Chance{} : Chance{count / g, kAllCombinations / g};
}

struct Counts {
    std::int64_t hit = 0, near_miss = 0, far_miss = 0, paired_miss = 0, miss = 0;
    std::int64_t kakuhen_hit = 0, re_lottery = 0;
    std::int64_t preview1_alone = 0, preview2 = 0;
    std::int64_t hit_with_preview1_alone = 0, hit_with_preview2 = 0;
    std::array<std::array<std::int64_t, kRichHit + 1>, kReachKinds + 1> reach{};
    using Split = std::array<std::int64_t, kGameResults>;
    Split game{}, preview1_alone_by_result{}, preview2_by_result{};
    std::array<Split, kReachKinds + 1> reach_kind_by_result{};
};

ByResult fractions(const Counts::Split& counts);

Int16 reachResult(LotteryClass cls) {
    switch (cls) {
        case LotteryClass::kHit:
            return kRichHit;
        case LotteryClass::kNearMissReach:
            return kRichNearMiss;
        case LotteryClass::kFarMissReach:
            return kRichFarMiss;
        default:
            return kRichNone;
    }
}

// One (value, counter) pair, weighed over all the draws that follow it.
void countPair(Counts& c, Int16 v, Int16 count, Int16 mode) {
    const LotteryClass cls = lotteryClass(v, mode);
    const HitSymbol hit_symbol = ATARI_ZUG_GET(count).value_or(HitSymbol{});
    const Flag mark = hit_symbol.kakuhen;
    const Int16 symbol = hit_symbol.symbol;

    const bool hit = cls == LotteryClass::kHit;
    const std::size_t result = !hit            ? kResultMiss
                               : mark == kTrue ? kResultKakuhenHit
                                               : kResultNormalHit;
    c.game[result] += kDrawCombinations;
    switch (cls) {
        case LotteryClass::kHit:
            c.hit += kDrawCombinations;
            if (mark == kTrue) c.kakuhen_hit += kDrawCombinations;
            c.re_lottery += oneIn(kRevealOdds) * reLotteryReveals(mark == kTrue);
            break;
        case LotteryClass::kNearMissReach:
            c.near_miss += kDrawCombinations;
            break;
        case LotteryClass::kFarMissReach:
            c.far_miss += kDrawCombinations;
            break;
        case LotteryClass::kPairedMiss:
            c.paired_miss += kDrawCombinations;
            break;
        case LotteryClass::kMiss:
            c.miss += kDrawCombinations;
            break;
    }

    // A hit teases with its own kakuhen mark, a near miss with the symbol the counter points at.
    const bool teased =
        isPreview2Value(v) && ((hit && mark == kTrue) ||
                               (cls == LotteryClass::kNearMissReach && isKakuhenSymbol(symbol)));
    const std::int64_t preview2 = teased ? oneIn(kPreview2Odds) : 0;
    // Preview 1 alone: drawn in every game, counted only where preview 2 stays off.
    const std::int64_t preview1_alone =
        teased ? oneIn(kPreview1Odds) / kPreview2Odds * (kPreview2Odds - 1) : oneIn(kPreview1Odds);
    c.preview2 += preview2;
    c.preview1_alone += preview1_alone;
    c.preview2_by_result[result] += preview2;
    c.preview1_alone_by_result[result] += preview1_alone;
    if (hit) {
        c.hit_with_preview2 += preview2;
        c.hit_with_preview1_alone += preview1_alone;
    }

    const Int16 reach_result = reachResult(cls);
    if (reach_result == kRichNone) return;
    for (Int16 k = 1; k <= reach::kDraws; ++k) {
        const auto kind = static_cast<std::size_t>(richKind(reach_result, k));
        c.reach[kind][static_cast<std::size_t>(reach_result)] += oneIn(reach::kDraws);
        c.reach_kind_by_result[kind][result] += oneIn(reach::kDraws);
    }
}

ByResult fractions(const Counts::Split& counts) {
    ByResult out;
    for (std::size_t r = 0; r < kGameResults; ++r)
        out[r] = fraction(counts[r]);
    return out;
}

}  // namespace

ModeChances modeChances(Int16 mode) {
    Counts c;
    for (Int16 v = kLotteryMin; v <= kLotteryMax; ++v) {
        for (Int16 count = 1; count <= kSymbols; ++count)
            countPair(c, v, count, mode);
    }

    ModeChances out;
    out.mode = mode;
    out.hit = fraction(c.hit);
    out.near_miss = fraction(c.near_miss);
    out.far_miss = fraction(c.far_miss);
    out.paired_miss = fraction(c.paired_miss);
    out.plain_miss = fraction(c.miss);
    out.kakuhen_hit = fraction(c.kakuhen_hit);
    out.normal_hit = fraction(c.hit - c.kakuhen_hit);
    out.re_lottery = fraction(c.re_lottery);
    out.preview1_alone = fraction(c.preview1_alone);
    out.preview2 = fraction(c.preview2);
    out.hit_with_preview1_alone = fraction(c.hit_with_preview1_alone);
    out.hit_with_preview2 = fraction(c.hit_with_preview2);
    for (std::size_t kind = 1; kind <= kReachKinds; ++kind) {
        std::int64_t any = 0;
        for (std::size_t result = kRichFarMiss; result <= kRichHit; ++result) {
            out.reach[kind][result] = fraction(c.reach[kind][result]);
            any += c.reach[kind][result];
        }
        out.reach_kind[kind] = fraction(any);
        out.reach_kind_by_result[kind] = fractions(c.reach_kind_by_result[kind]);
    }
    out.game = fractions(c.game);
    out.preview1_alone_by_result = fractions(c.preview1_alone_by_result);
    out.preview2_by_result = fractions(c.preview2_by_result);
    return out;
}

}  // namespace rl00
