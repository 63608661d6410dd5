#include "engine/stop_sel.h"

#include <string>

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
void drawRightEqualToLeft(Machine& m) {
    do {
        m.G_iNowZug[3] = drawSymbol(m);
    } while (m.G_iNowZug[3] != m.G_iNowZug[1]);
}

void drawNearMiss(Machine& m, Int16 v, Int16& rich_res, Flag& rich, Flag& yokoku2,
                  Int16& oshi_dir) {
    m.G_iNowZug[1] = drawSymbol(m);
    const Int16 left = m.G_iNowZug[1];
    for (;;) {
        m.G_iNowZug[2] = drawSymbol(m);
        if (m.G_iNowZug[2] == symbolAfter(left, 1)) {
            oshi_dir = 1;
            break;
        }
        if (m.G_iNowZug[2] == symbolBefore(left, 1)) {
            oshi_dir = 0;
            break;
        }
    }
    drawRightEqualToLeft(m);
    rich = kTrue;
    rich_res = kRichNearMiss;
    m.G_iStopZug = m.G_iNowZug;

    // Preview 2 teases a kakuhen hit: only when the counter now points at a kakuhen symbol.
    Int16 symbol = 0;
    Flag kakuhen = kFalse;
    std::string text;
    ATARI_ZUG_GET(m.G_iZugCnt, symbol, kakuhen, text);
    if (isPreview2Value(v) && isKakuhenSymbol(symbol)) {
        if (m.rnd.upTo(kPreview2Odds) == 1) yokoku2 = kTrue;
    }
}

// Far misses are only played out in normal mode; in the other modes the pattern stays silent.
void drawFarMiss(Machine& m, bool played, Int16& rich_res, Flag& rich, Int16& oshi_dir) {
    m.G_iNowZug[1] = drawSymbol(m);
    const Int16 left = m.G_iNowZug[1];
    do {
        m.G_iNowZug[2] = drawSymbol(m);
    } while (m.G_iNowZug[2] == left || m.G_iNowZug[2] == symbolAfter(left, 1) ||
             m.G_iNowZug[2] == symbolBefore(left, 1));
    oshi_dir = 0;
    drawRightEqualToLeft(m);
    rich = toFlag(played);
    rich_res = played ? kRichFarMiss : kRichNone;
    m.G_iStopZug = m.G_iNowZug;
}

void drawMiss(Machine& m, Int16& rich_res) {
    m.G_iNowZug[1] = drawSymbol(m);
    m.G_iNowZug[2] = drawSymbol(m);
    do {
        m.G_iNowZug[3] = drawSymbol(m);
    } while (m.G_iNowZug[3] == m.G_iNowZug[1]);
    m.G_iStopZug = m.G_iNowZug;
    rich_res = kRichNone;
}

[[noreturn]] void failSelection(Machine& m) {
    showMessage(m, text::kReLotteryFailed);
    showSystemError(m);
}

// Decides the hit symbol and how the hit is revealed. Returns false when no symbols can be
// chosen for the current counter.
bool decideHit(Machine& m, Int16 v, Int16& rich_res, Flag& rich, Flag& saichusen, Flag& yokoku2,
               Int16& oshi_dir, Flag& kakuhen_flag) {
    kakuhen_flag = kFalse;
    Flag mark = kFalse;
    // Without a hit symbol for the counter the stop symbols would be left over from an earlier
    // game; such a hit is refused rather than played on a stale symbol.
    if (m.G_iZugCnt < 1 || m.G_iZugCnt > kSymbols) return false;
    ATARI_ZUG_GET(m.G_iZugCnt, m.G_iStopZug[1], mark, m.G_sZugaraHit);
    const Int16 hit = m.G_iStopZug[1];
    m.G_iStopZug[2] = hit;
    m.G_iStopZug[3] = hit;
    const Int16 reveal = m.rnd.upTo(kRevealOdds);
    rich = kTrue;
    rich_res = kRichHit;
    oshi_dir = 1;
    m.G_sZugaraKari = m.G_sZugaraHit;

    Int16 first = hit;
    const bool kakuhen_symbol = mark == kTrue;
    if (kakuhen_symbol) {
        // Only the machine's own hit value teases with preview 2; the kakuhen-mode extra hits
        // never do.
        if (isPreview2Value(v) && m.rnd.upTo(kPreview2Odds) == 1) yokoku2 = kTrue;
        kakuhen_flag = kTrue;
    }
    if (reveal <= reLotteryReveals(kakuhen_symbol)) {
        saichusen = kTrue;
        first = reLotterySymbol(m.G_iZugCnt, mark, m.rnd.upTo(kReLotteryDraw));
    }
    if (first == 0) return false;
    m.G_iNowZug[1] = first;
    m.G_iNowZug[2] = first;
    m.G_iNowZug[3] = first;
    ZUG_STR(m.G_iNowZug[1], m.G_sZugaraKari);
    return true;
}

}  // namespace

Flag STOP_SEL(Machine& m, Int16& P_iLottery, Int16& P_iMode, Int16& P_iRichRes, Flag& P_bRich,
              Flag& P_bOoatari, Flag& P_bSaiChusen, Flag& P_bYokoku1, Flag& P_bYokoku2,
              Int16& P_iOshiDir, Flag& P_bKakuhen) {
    try {
        P_iRichRes = kRichNone;
        P_bRich = kFalse;
        P_bOoatari = kFalse;
        P_bSaiChusen = kFalse;
        P_bYokoku1 = kFalse;
        P_bYokoku2 = kFalse;
        P_iOshiDir = 0;

        if (m.rnd.upTo(kPreview1Odds) == 1) P_bYokoku1 = kTrue;

        const Int16 v = P_iLottery;
        const LotteryClass cls = lotteryClass(v, P_iMode);
        switch (cls) {
            case LotteryClass::kHit:
                // The kakuhen-mode extra hits draw the symbols of a miss before the hit's own.
                if (!isHitValue(v)) drawMiss(m, P_iRichRes);
                P_bOoatari = kTrue;
                break;
            case LotteryClass::kNearMissReach:
                drawNearMiss(m, v, P_iRichRes, P_bRich, P_bYokoku2, P_iOshiDir);
                break;
            case LotteryClass::kFarMissReach:
            case LotteryClass::kPairedMiss:
                drawFarMiss(m, cls == LotteryClass::kFarMissReach, P_iRichRes, P_bRich, P_iOshiDir);
                break;
            case LotteryClass::kMiss:
                drawMiss(m, P_iRichRes);
                break;
        }

        if (P_bOoatari == kTrue && !decideHit(m, v, P_iRichRes, P_bRich, P_bSaiChusen, P_bYokoku2,
                                              P_iOshiDir, P_bKakuhen)) {
            failSelection(m);
        }
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
    return kTrue;
}

}  // namespace rl00
