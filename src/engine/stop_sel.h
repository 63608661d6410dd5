#pragma once
// Stop-symbol selection: the lottery value of a game becomes its outcome (hit, reach and its
// result, previews, kakuhen, re-lottery) and the stop symbols of the three reels that agree
// with it. STOP_SEL keeps the machine's own name.

#include "machine/game_state.h"
#include "platform/vb_types.h"

namespace rl00 {

struct Machine;

// What STOP_SEL reads of the game.
struct StopSelInput {
    Int16 lottery = 0;      // G_iLottery
    Int16 mode = 0;         // G_iSyriMode
    Int16 zug_cnt = 0;      // G_iZugCnt, which picks the hit symbol
    Flag kakuhen = kFalse;  // G_bKakuhen, which only a hit rewrites
};

// What STOP_SEL decides, named after the shared variables it goes into.
struct StopSelection {
    Int16 rich_res = kRichNone;
    Flag rich = kFalse;
    Flag ooatari = kFalse;
    Flag saichusen = kFalse;
    Flag yokoku1 = kFalse;
    Flag yokoku2 = kFalse;
    Int16 oshi_dir = 0;
    Flag kakuhen = kFalse;
    ReelArray16 now_zug;   // the symbols the reels stop on first, 1..3
    ReelArray16 stop_zug;  // the decided symbols, 1..3

    bool operator==(const StopSelection&) const = default;
};

// Decides the game for `in`. Every draw comes from m.rnd, in a fixed order, so a seeded run
// repeats; nothing else of the machine is read or written. When the symbols cannot be chosen (a
// hit on a symbol counter outside 1..14) it shows "再抽選停止出目選定に失敗しました" and then
// "システムエラーが発生しました", which ends the program; any runtime error shows the latter.
StopSelection STOP_SEL(Machine& m, const StopSelInput& in);

// The machine's own input of STOP_SEL.
StopSelInput stopSelInput(const Machine& m);

// Writes a selection into the shared variables, as GAME_START takes it: the reel symbols 1..3
// and, on a hit only, the texts of the hit symbol (G_sZugaraHit) and of the symbol the reels stop
// on first (G_sZugaraKari).
void applySelection(Machine& m, const StopSelection& s);

}  // namespace rl00
