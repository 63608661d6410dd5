#pragma once
// The shared state of the game engine, with the machine's own names (G_ plus a type letter:
// i 16-bit, l 32-bit, b flag, s text). Everything starts at 0 or empty.

#include <string>

#include "platform/vb_array.h"
#include "platform/vb_types.h"

namespace rl00 {

// G_iSyriMode.
inline constexpr Int16 kModeNormal = 0;
inline constexpr Int16 kModeKakuhen = 1;
inline constexpr Int16 kModeJitan = 2;
inline constexpr int kModes = 3;

// G_iRichRes.
inline constexpr Int16 kRichNone = 0;
inline constexpr Int16 kRichFarMiss = 1;
inline constexpr Int16 kRichNearMiss = 2;
inline constexpr Int16 kRichHit = 3;

// G_iRichSyu: the reach presentations 1..10; 0 is none.
inline constexpr Int16 kReachKinds = 10;

// G_iLottery runs over 0..366.
inline constexpr Int16 kLotteryMin = 0;
inline constexpr Int16 kLotteryMax = 366;
inline constexpr int kLotteryValues = kLotteryMax - kLotteryMin + 1;

using ReelArray16 = VbArray<Int16, 0, 3>;            // per reel, 1..3 used
using KindArray32 = VbArray<Int32, 0, kReachKinds>;  // per reach kind, 1..10 used

struct GameState {
    // Idle lottery counter.
    Int16 G_iLottery = 0;
    Int16 G_iZugCnt = 0;

    // Modes.
    Int16 G_iSyriMode = 0;
    Flag G_bKakuhen = kFalse;
    Flag G_bKakuhenPrev = kFalse;
    Flag G_bJitan = kFalse;
    Int16 G_iRenchan = 0;

    // Outcome of the current game.
    Flag G_bOoatari = kFalse;
    Flag G_bRich = kFalse;
    Int16 G_iRichRes = 0;
    Int16 G_iOshiDir = 0;
    Flag G_bSaiChusen = kFalse;
    Flag G_bYokoku1 = kFalse;
    Flag G_bYokoku2 = kFalse;
    Int16 G_iRichSyu = 0;
    std::string G_sRichCode;
    std::string G_sZugaraHit;
    std::string G_sZugaraKari;
    std::string G_sYokoku;
    Flag G_bSaiChusenUp = kFalse;

    // Counters.
    Int32 G_lRevCnt = 0;
    Int32 G_lOoatariCnt = 0;
    Int32 G_lOoatariT = 0;
    Int32 G_lOoatariK = 0;
    Int32 G_lYokoku1N = 0;
    Int32 G_lYokoku2N = 0;
    Int32 G_lYokoku1A = 0;
    Int32 G_lYokoku2A = 0;
    Int32 G_lRichCnt = 0;
    Int32 G_lOshiCnt = 0;
    Int32 G_lDohaCnt = 0;
    KindArray32 G_lRichDoha;
    KindArray32 G_lRichOshi;
    KindArray32 G_lRichAtari;
    KindArray32 G_lRichTotal;

    // Per-reel symbols.
    ReelArray16 G_iStopZug;
    ReelArray16 G_iNowZug;
    ReelArray16 G_iStartZug;

    // Control and status.
    Flag G_bEnd = kFalse;
    Flag G_bActivated = kFalse;
    // Return mode of the right ghost super reach.
    Flag G_bModori = kFalse;
};

}  // namespace rl00
