#include "engine/stop_sel.h"

#include "engine/tables.h"
#include "machine/machine.h"
#include "machine/msg_show.h"
#include "machine/texts.h"
#include "reels/reels.h"

namespace rl00 {

namespace {

constexpr Int16 kReLotteryDraw = 10;

// Provisional symbols of the re-lottery, [row][column]: the row is the symbol counter (odd
// counts in the kakuhen table, even counts in the normal one), the column covers two values of
// the draw d = 1..10.
using ReLotteryTable = Int16[7][5];

constexpr ReLotteryTable kKakuhenReLottery = {
    {1, 1, 1, 1, 1},  // count 1, hit symbol 3
    {1, 2, 4, 4, 5},  // count 3, hit symbol 7
    {4, 5, 5, 6, 8},  // count 5, hit symbol 10
    {4, 5, 6, 8, 9},  // count 7, hit symbol 11
    {5, 6, 6, 8, 9},  // count 9, hit symbol 12
    {6, 6, 8, 9, 9},  // count 11, hit symbol 13
    {8, 8, 8, 9, 9},  // count 13, hit symbol 14
};

constexpr ReLotteryTable kNormalReLottery = {
    {8, 8, 8, 9, 9},  // count 2, hit symbol 1
    {9, 9, 9, 9, 9},  // count 4, hit symbol 2
    {1, 1, 2, 2, 2},  // count 6, hit symbol 4
    {1, 1, 2, 2, 2},  // count 8, hit symbol 5
    {1, 2, 2, 4, 4},  // count 10, hit symbol 6
    {1, 2, 4, 5, 6},  // count 12, hit symbol 8
    {2, 4, 5, 5, 6},  // count 14, hit symbol 9
};

// The provisional symbol for symbol counter `count`, kakuhen mark `kakuhen` and draw d, or 0
// when the table of that mark has no row for the count.
Int16 reLotterySymbol(Int16 count, Flag kakuhen, Int16 d) {
    if (count < 1 || count > kSymbols || d < 1 || d > kReLotteryDraw) return 0;
    const bool odd = count % 2 == 1;
    if (odd != (kakuhen == kTrue)) return 0;
    const ReLotteryTable& table = odd ? kKakuhenReLottery : kNormalReLottery;
    return table[(count - 1) / 2][(d - 1) / 2];
}

Int16 drawSymbol(Machine& m) {
    return m.rnd.upTo(kSymbols);
}

// Left and right on one symbol; the loops draw until the pattern holds, as the machine did.
void drawRightEqualToLeft(Machine& m, StopSelection& s) {
    do {
        s.now_zug[3] = drawSymbol(m);
    } while (s.now_zug[3] != s.now_zug[1]);
}

void stopWhereFirst(StopSelection& s) {
    for (int r = 1; r <= 3; ++r)
        s.stop_zug[r] = s.now_zug[r];
}

void drawNearMiss(Machine& m, const StopSelInput& in, StopSelection& s) {
    s.now_zug[1] = drawSymbol(m);
    const Int16 left = s.now_zug[1];
    for (;;) {
        s.now_zug[2] = drawSymbol(m);
        if (s.now_zug[2] == symbolAfter(left, 1)) {
            s.oshi_dir = 1;
            break;
        }
        if (s.now_zug[2] == symbolBefore(left, 1)) {
            s.oshi_dir = 0;
            break;
        }
    }
    drawRightEqualToLeft(m, s);
    s.rich = kTrue;
    s.rich_res = kRichNearMiss;
    stopWhereFirst(s);

    // Preview 2 teases a kakuhen hit: only when the counter now points at a kakuhen symbol.
    const auto pointed = ATARI_ZUG_GET(in.zug_cnt);
    if (isPreview2Value(in.lottery) && pointed && isKakuhenSymbol(pointed->symbol)) {
        if (m.rnd.upTo(kPreview2Odds) == 1) s.yokoku2 = kTrue;
    }
}

// Far misses are only played out in normal mode; in the other modes the pattern stays silent.
void drawFarMiss(Machine& m, bool played, StopSelection& s) {
    s.now_zug[1] = drawSymbol(m);
    const Int16 left = s.now_zug[1];
    do {
        s.now_zug[2] = drawSymbol(m);
    } while (s.now_zug[2] == left || s.now_zug[2] == symbolAfter(left, 1) ||
             s.now_zug[2] == symbolBefore(left, 1));
    s.oshi_dir = 0;
    drawRightEqualToLeft(m, s);
    s.rich = toFlag(played);
    s.rich_res = played ? kRichFarMiss : kRichNone;
    stopWhereFirst(s);
}

void drawMiss(Machine& m, StopSelection& s) {
    s.now_zug[1] = drawSymbol(m);
    s.now_zug[2] = drawSymbol(m);
    do {
        s.now_zug[3] = drawSymbol(m);
    } while (s.now_zug[3] == s.now_zug[1]);
    stopWhereFirst(s);
    s.rich_res = kRichNone;
}

[[noreturn]] void failSelection(Machine& m) {
    showMessage(m, text::kReLotteryFailed);
    showSystemError(m);
}

// Decides the hit symbol and how the hit is revealed. Returns false when no symbols can be
// chosen for the counter: without a hit symbol the stop symbols would be left over from an
// earlier game, so such a hit is refused rather than played on a stale symbol.
bool decideHit(Machine& m, const StopSelInput& in, StopSelection& s) {
    s.kakuhen = kFalse;
    const auto hit_symbol = ATARI_ZUG_GET(in.zug_cnt);
    if (!hit_symbol) return false;
    const Int16 hit = hit_symbol->symbol;
    s.stop_zug[1] = hit;
    s.stop_zug[2] = hit;
    s.stop_zug[3] = hit;
    const Int16 reveal = m.rnd.upTo(kRevealOdds);
    s.rich = kTrue;
    s.rich_res = kRichHit;
    s.oshi_dir = 1;

    Int16 first = hit;
    const bool kakuhen_symbol = hit_symbol->kakuhen == kTrue;
    if (kakuhen_symbol) {
        // Only the machine's own hit value teases with preview 2; the kakuhen-mode extra hits
        // never do.
        if (isPreview2Value(in.lottery) && m.rnd.upTo(kPreview2Odds) == 1) s.yokoku2 = kTrue;
        s.kakuhen = kTrue;
    }
    if (reveal <= reLotteryReveals(kakuhen_symbol)) {
        s.saichusen = kTrue;
        first = reLotterySymbol(in.zug_cnt, hit_symbol->kakuhen, m.rnd.upTo(kReLotteryDraw));
    }
    if (first == 0) return false;
    s.now_zug[1] = first;
    s.now_zug[2] = first;
    s.now_zug[3] = first;
    return true;
}

StopSelection select(Machine& m, const StopSelInput& in) {
    StopSelection s;
    s.kakuhen = in.kakuhen;
    if (m.rnd.upTo(kPreview1Odds) == 1) s.yokoku1 = kTrue;

    const LotteryClass cls = lotteryClass(in.lottery, in.mode);
    switch (cls) {
        case LotteryClass::kHit:
            // The kakuhen-mode extra hits draw the symbols of a miss before the hit's own.
            if (!isHitValue(in.lottery)) drawMiss(m, s);
            s.ooatari = kTrue;
            break;
        case LotteryClass::kNearMissReach:
            drawNearMiss(m, in, s);
            break;
        case LotteryClass::kFarMissReach:
        case LotteryClass::kPairedMiss:
            drawFarMiss(m, cls == LotteryClass::kFarMissReach, s);
            break;
        case LotteryClass::kMiss:
            drawMiss(m, s);
            break;
    }
    if (s.ooatari == kTrue && !decideHit(m, in, s)) failSelection(m);
    return s;
}

}  // namespace

StopSelection STOP_SEL(Machine& m, const StopSelInput& in) {
    try {
        return select(m, in);
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

StopSelInput stopSelInput(const Machine& m) {
    return {m.G_iLottery, m.G_iSyriMode, m.G_iZugCnt, m.G_bKakuhen};
}

void applySelection(Machine& m, const StopSelection& s) {
    m.G_iRichRes = s.rich_res;
    m.G_bRich = s.rich;
    m.G_bOoatari = s.ooatari;
    m.G_bSaiChusen = s.saichusen;
    m.G_bYokoku1 = s.yokoku1;
    m.G_bYokoku2 = s.yokoku2;
    m.G_iOshiDir = s.oshi_dir;
    m.G_bKakuhen = s.kakuhen;
    for (int r = 1; r <= 3; ++r) {
        m.G_iNowZug[r] = s.now_zug[r];
        m.G_iStopZug[r] = s.stop_zug[r];
    }
    if (s.ooatari == kTrue) {
        // Both symbols are 1..14 after a hit, so both have a text.
        m.G_sZugaraHit = ZUG_STR(s.stop_zug[1]).value_or(m.G_sZugaraHit);
        m.G_sZugaraKari = ZUG_STR(s.now_zug[1]).value_or(m.G_sZugaraKari);
    }
}

}  // namespace rl00
