#pragma once
// Stop-symbol selection: the lottery value of a game becomes its outcome (hit, reach and its
// result, previews, kakuhen, re-lottery) and the stop symbols of the three reels that agree
// with it. STOP_SEL keeps the machine's own name.

#include "platform/vb_types.h"

namespace rl00 {

struct Machine;

// Decides the game for lottery value P_iLottery in mode P_iMode, reading m.G_iZugCnt. Writes the
// outcome into arguments 3 to 10 (the kakuhen flag only on a hit), the symbols the reels stop
// on first into m.G_iNowZug, the decided ones into m.G_iStopZug and, on a hit, m.G_sZugaraHit
// and m.G_sZugaraKari. Every draw comes from m.rnd, in a fixed order, so a seeded run repeats.
// When the symbols cannot be chosen (a hit on a symbol counter outside 1..14) it shows
// "再抽選停止出目選定に失敗しました" and then "システムエラーが発生しました", which ends the
// program; any runtime error shows the latter. Returns true.
Flag STOP_SEL(Machine& m, Int16& P_iLottery, Int16& P_iMode, Int16& P_iRichRes, Flag& P_bRich,
              Flag& P_bOoatari, Flag& P_bSaiChusen, Flag& P_bYokoku1, Flag& P_bYokoku2,
              Int16& P_iOshiDir, Flag& P_bKakuhen);

}  // namespace rl00
