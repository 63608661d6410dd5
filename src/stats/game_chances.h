#pragma once
// The exact chances of one game in each mode, counted over every lottery value and symbol counter
// with the engine's own tables and predicates. The model is the headless runner's: lottery value
// and symbol counter uniform and independent over 367 x 14, and STOP_SEL's and RICH_SEL's draws
// uniform over their ranges (all powers of two, so a 53-bit draw hits them exactly).

#include <array>
#include <cstdint>

#include "machine/game_state.h"
#include "platform/vb_types.h"

namespace rl00 {

// A probability as a reduced fraction; the denominators divide 367 x 14 x 4096.
struct Chance {
    std::int64_t num = 0;
    std::int64_t den = 1;

    double value() const { return static_cast<double>(num) / static_cast<double>(den); }
    long double exact() const {
        return static_cast<long double>(num) / static_cast<long double>(den);
    }
    friend bool operator==(const Chance&, const Chance&) = default;
};

// What the mode rules of GAME_START see of a game: a miss, a hit on a normal symbol, a hit on a
// kakuhen symbol. The mode process moves on these alone.
enum GameResultIndex : std::size_t { kResultMiss, kResultNormalHit, kResultKakuhenHit };
inline constexpr std::size_t kGameResults = 3;

// A chance together with each result of the game: P(event and result), by GameResultIndex.
using ByResult = std::array<Chance, kGameResults>;

// Per reach kind 0..10 (0 unused) and per reach result kRichNone..kRichHit (kRichNone unused).
using ReachChances = std::array<std::array<Chance, kRichHit + 1>, kReachKinds + 1>;

// What one game played in a mode brings. The classes hit, near miss, far miss, paired miss and
// plain miss partition the game; a far miss is played as a reach in normal mode only, elsewhere
// its symbols stop silently as a paired miss.
struct ModeChances {
    Int16 mode = kModeNormal;
    Chance hit;
    Chance near_miss;
    Chance far_miss;
    Chance paired_miss;
    Chance plain_miss;
    Chance kakuhen_hit;
    Chance normal_hit;
    Chance re_lottery;
    Chance preview1_alone;  // G_sYokoku "1"
    Chance preview2;        // G_sYokoku "2"
    Chance hit_with_preview1_alone;
    Chance hit_with_preview2;
    ReachChances reach;                              // kind and result together
    std::array<Chance, kReachKinds + 1> reach_kind;  // kind, any result
    // The same events with what the mode rules see of the game, for the figures' variances.
    ByResult game;  // every game
    std::array<ByResult, kReachKinds + 1> reach_kind_by_result;
    ByResult preview1_alone_by_result;
    ByResult preview2_by_result;
};

// Counts every lottery value and symbol counter in `mode` (0 normal, 1 kakuhen, 2 jitan).
ModeChances modeChances(Int16 mode);

}  // namespace rl00
