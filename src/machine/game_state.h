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
// The modes' English words, as the statistics' files, tables and reports name them.
inline constexpr const char* kModeWords[kModes] = {"normal", "kakuhen", "jitan"};

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

    bool operator==(const GameState&) const = default;
};

// Items 1..3 of a per-reel array, kept; item 0 is no reel's.
template <class Visitor>
void keptReels(ReelArray16& a, Visitor& v) {
    for (int r = 1; r <= 3; ++r)
        v.kept(a[r]);
}

// Every item of the game state for the motion store (engine/motion_effect.*): `kept` for what a
// reel or reach motion may change, which a stored motion records; `untouched` for what no motion
// changes. The order of the kept items is the order of their slots. A test poisons the state and
// fails on any byte that no line here names, so an item added above must be added here too.
template <class Visitor>
void describeItems(GameState& s, Visitor& v) {
    keptReels(s.G_iNowZug, v);
    keptReels(s.G_iStartZug, v);
    keptReels(s.G_iStopZug, v);
    v.kept(s.G_iOshiDir);
    v.kept(s.G_bModori);
    v.kept(s.G_bSaiChusenUp);
    v.untouched(s.G_iLottery, s.G_iZugCnt, s.G_iSyriMode, s.G_bKakuhen, s.G_bKakuhenPrev,
                s.G_bJitan, s.G_iRenchan, s.G_bOoatari, s.G_bRich, s.G_iRichRes, s.G_bSaiChusen,
                s.G_bYokoku1, s.G_bYokoku2, s.G_iRichSyu, s.G_sRichCode, s.G_sZugaraHit,
                s.G_sZugaraKari, s.G_sYokoku, s.G_lRevCnt, s.G_lOoatariCnt, s.G_lOoatariT,
                s.G_lOoatariK, s.G_lYokoku1N, s.G_lYokoku2N, s.G_lYokoku1A, s.G_lYokoku2A,
                s.G_lRichCnt, s.G_lOshiCnt, s.G_lDohaCnt, s.G_lRichDoha, s.G_lRichOshi,
                s.G_lRichAtari, s.G_lRichTotal, s.G_bEnd, s.G_bActivated);
    for (ReelArray16* a : {&s.G_iNowZug, &s.G_iStartZug, &s.G_iStopZug})
        v.untouched((*a)[0]);
}

}  // namespace rl00
