#pragma once
// The constant tables of the game engine: how a lottery value is read in each mode, which
// symbol a hit brings for each position of the symbol counter, the lottery values of the
// command-line test mode and the kakuhen symbols. ZUG_STR, ATARI_ZUG_GET and GAME_TEST_TABLE
// keep the machine's own names.

#include <optional>
#include <string>

#include "machine/game_state.h"
#include "platform/vb_types.h"

namespace rl00 {

// What a lottery value means in a given mode.
enum class LotteryClass {
    kHit,
    kNearMissReach,
    kFarMissReach,
    // The far-miss values outside normal mode: left and right agree, but no reach is played.
    kPairedMiss,
    kMiss,
};

// The lottery values whose meaning does not depend on the mode.
constexpr bool isHitValue(Int16 v) {
    return v == 7;
}
constexpr bool isNearMissValue(Int16 v) {
    return v >= 16 && v <= 48 && v % 8 == 0;
}
constexpr bool isFarMissValue(Int16 v) {
    return v >= 56 && v <= 216 && v % 8 == 0;
}
// The values that are an extra hit in kakuhen mode and a plain miss otherwise.
constexpr bool isKakuhenHitValue(Int16 v) {
    return v >= 17 && v <= 57 && v % 8 == 1;
}

// The values that tease preview 2 when the symbol counter points at a kakuhen symbol: the hit
// value and two of the near-miss values.
constexpr bool isPreview2Value(Int16 v) {
    return isHitValue(v) || v == 16 || v == 32;
}

// STOP_SEL's draws of "random 1..n": preview 1 shows on a 1 of kPreview1Odds, a teased preview 2
// on a 1 of kPreview2Odds, and a hit is shown with the re-lottery when its draw of 1..kRevealOdds
// is at most reLotteryReveals of its kakuhen mark.
inline constexpr Int16 kPreview1Odds = 16;
inline constexpr Int16 kPreview2Odds = 2;
inline constexpr Int16 kRevealOdds = 4;
// A kakuhen hit is the one worth the show: three reveals in four, against one for a normal hit.
constexpr Int16 reLotteryReveals(bool kakuhen_symbol) {
    return kakuhen_symbol ? 3 : 1;
}
// A kakuhen hit's re-lottery passes its symbol by one and comes back on a 1 of kOvershootOdds.
inline constexpr Int16 kOvershootOdds = 2;

// The class of lottery value v in mode `mode` (modes other than 1 and 2 read as normal).
LotteryClass lotteryClass(Int16 v, Int16 mode);

// Symbols 3, 7, 10, 11, 12, 13 and 14: a hit on them grants probability variation.
bool isKakuhenSymbol(Int16 s);

// The text "1".."14" of a symbol 1..14; nothing for any other symbol, whose text stays as it was.
std::optional<std::string> ZUG_STR(Int16 symbol);

// A hit symbol with its kakuhen mark (-1 or 0) and its text.
struct HitSymbol {
    Int16 symbol = 0;
    Flag kakuhen = kFalse;
    std::string text;
};

// The hit symbol of symbol counter 1..14; nothing for any other count.
std::optional<HitSymbol> ATARI_ZUG_GET(Int16 count);

// The lottery value of row k (1..32) of the command-line test table; another k raises
// "Subscript out of range" (9).
Int16 GAME_TEST_TABLE(Int16 k);

}  // namespace rl00
