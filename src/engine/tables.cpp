#include "engine/tables.h"

#include "machine/scene.h"
#include "platform/vb_array.h"

namespace rl00 {

namespace {

struct HitEntry {
    Int16 symbol;
    Flag kakuhen;
};

// Indexed by G_iZugCnt: odd counts bring the kakuhen symbols, even counts the normal ones.
const VbArray<HitEntry, 1, 14> kHitTable{{{
    {3, kTrue},
    {1, kFalse},
    {7, kTrue},
    {2, kFalse},
    {10, kTrue},
    {4, kFalse},
    {11, kTrue},
    {5, kFalse},
    {12, kTrue},
    {6, kFalse},
    {13, kTrue},
    {8, kFalse},
    {14, kTrue},
    {9, kFalse},
}}};

// Row 20 is the one plain miss; the other rows walk through the special values in order.
const VbArray<Int16, 1, 32> kTestTable{{{
    7,  16, 17,  24,  25,  32,  33,  40,  41,  48,  49,  56,  57,  64,  72,  80,
    88, 96, 104, 366, 112, 120, 128, 136, 144, 152, 160, 168, 176, 184, 192, 200,
}}};

}  // namespace

LotteryClass lotteryClass(Int16 v, Int16 mode) {
    if (isHitValue(v)) return LotteryClass::kHit;
    if (isNearMissValue(v)) return LotteryClass::kNearMissReach;
    if (isFarMissValue(v)) {
        return mode == kModeKakuhen || mode == kModeJitan ? LotteryClass::kPairedMiss
                                                          : LotteryClass::kFarMissReach;
    }
    if (isKakuhenHitValue(v) && mode == kModeKakuhen) return LotteryClass::kHit;
    return LotteryClass::kMiss;
}

bool isKakuhenSymbol(Int16 s) {
    switch (s) {
        case 3:
        case 7:
        case 10:
        case 11:
        case 12:
        case 13:
        case 14:
            return true;
        default:
            return false;
    }
}

std::optional<std::string> ZUG_STR(Int16 symbol) {
    if (symbol < 1 || symbol > kSymbols) return std::nullopt;
    return std::to_string(symbol);
}

std::optional<HitSymbol> ATARI_ZUG_GET(Int16 count) {
    if (count < 1 || count > kSymbols) return std::nullopt;
    const HitEntry& e = kHitTable[count];
    return HitSymbol{e.symbol, e.kakuhen, std::to_string(e.symbol)};
}

Int16 GAME_TEST_TABLE(Int16 k) {
    return kTestTable[k];
}

}  // namespace rl00
