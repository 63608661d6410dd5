#include "engine/game_start.h"

#include <string>

#include "engine/motions.h"
#include "engine/rich_sel.h"
#include "engine/stop_sel.h"
#include "engine/tables.h"
#include "io/run_log.h"
#include "machine/machine.h"
#include "machine/msg_show.h"
#include "machine/texts.h"
#include "platform/checked.h"
#include "reels/reels.h"

namespace rl00 {

namespace {

// The command-line test modes overwrite the lottery value of this game.
void applyTestMode(Machine& m) {
    const std::string_view arg = commandArgument(m.command);
    if (arg == "7") {
        m.G_iLottery = 7;
    } else if (arg == "8") {
        m.G_iLottery = GAME_TEST_TABLE(m.rnd.upTo(32));
    }
}

// The game count and the mode rules of a hit. Returns the jitan-entry flag.
Flag applyModeRules(Machine& m) {
    Flag jitan_entry = kFalse;
    checkedAdd(m.G_lRevCnt, 1);
    if (m.G_bOoatari != kTrue) return jitan_entry;

    checkedAdd(m.G_lOoatariCnt, 1);
    m.G_iSyriMode = kModeNormal;
    if (m.G_bKakuhen == kTrue) {
        checkedAdd(m.G_lOoatariK, 1);
        if (m.G_bKakuhenPrev != kTrue && m.G_bJitan != kTrue) {
            m.G_iRenchan = 1;  // the hit comes from normal mode: a new chain
        } else {
            checkedAdd(m.G_iRenchan, 1);
            m.G_bJitan = kFalse;
        }
        m.G_iSyriMode = kModeKakuhen;
        return jitan_entry;
    }

    checkedAdd(m.G_lOoatariT, 1);
    if (m.G_bJitan == kTrue && m.G_lRevCnt < kJitanGames) {
        m.G_bJitan = kFalse;
        checkedAdd(m.G_iRenchan, 1);
    } else if (m.G_bKakuhenPrev == kTrue) {
        m.G_bJitan = kTrue;
        m.G_iSyriMode = kModeJitan;
        checkedAdd(m.G_iRenchan, 1);
        jitan_entry = kTrue;
    } else {
        m.G_bJitan = kFalse;
        m.G_iRenchan = 1;
        m.scene.Lbl_SyriMode.caption.clear();
        m.scene.Lbl_SyriMode.fore = kWhite;
        m.G_iSyriMode = kModeNormal;
    }
    return jitan_entry;
}

// One reach of this game's kind, counted under its result.
void countReach(Machine& m, KindArray32& by_result, Int32* by_result_since_hit) {
    const Int16 k = m.G_iRichSyu;
    checkedAdd(by_result[k], 1);
    checkedAdd(m.G_lRichTotal[k], 1);
    checkedAdd(m.G_lRichCnt, 1);
    if (by_result_since_hit) checkedAdd(*by_result_since_hit, 1);
}

// Preview and reach counting.
void countPreviewsAndReaches(Machine& m) {
    m.G_sYokoku = "0";
    if (m.G_bYokoku1 == kTrue && m.G_bYokoku2 == kFalse) {
        checkedAdd(m.G_lYokoku1N, 1);
        checkedAdd(m.G_lYokoku1A, 1);
        m.G_sYokoku = "1";
    }
    if (m.G_bYokoku2 == kTrue) {
        checkedAdd(m.G_lYokoku2N, 1);
        checkedAdd(m.G_lYokoku2A, 1);
        m.G_sYokoku = "2";
    }

    switch (m.G_iRichRes) {
        case kRichFarMiss:
            countReach(m, m.G_lRichDoha, &m.G_lDohaCnt);
            break;
        case kRichNearMiss:
            countReach(m, m.G_lRichOshi, &m.G_lOshiCnt);
            break;
        case kRichHit:
            countReach(m, m.G_lRichAtari, nullptr);
            break;
        default:
            break;
    }
}

// Every label of the statistics panel, the mode text and the reel window colour.
void updateLabels(Machine& m, Flag jitan_entry) {
    Scene& s = m.scene;
    s.Lbl_Rev[1].showCount(m.G_lRevCnt);
    s.Lbl_Ooatari[1].showCount(m.G_lOoatariCnt);
    s.Lbl_OoatariT[1].showCount(m.G_lOoatariT);
    s.Lbl_OoatariK[1].showCount(m.G_lOoatariK);
    s.Lbl_GHYokokuN[0].showCount(m.G_lYokoku1N);
    s.Lbl_GHYokokuN[1].showCount(m.G_lYokoku2N);
    s.Lbl_GHYokokuA[0].showCount(m.G_lYokoku1A);
    s.Lbl_GHYokokuA[1].showCount(m.G_lYokoku2A);
    s.Lbl_RichPoint[1].showCount(m.G_lRichCnt);
    for (int k = 1; k <= kReachKinds; ++k) {
        s.Lbl_RichSyuND[k - 1].showCount(m.G_lRichDoha[k]);
        s.Lbl_RichSyuNO[k - 1].showCount(m.G_lRichOshi[k]);
        s.Lbl_RichSyuNA[k - 1].showCount(m.G_lRichAtari[k]);
        s.Lbl_RichSyuA[k - 1].showCount(m.G_lRichTotal[k]);
    }

    Label& mode = s.Lbl_SyriMode;
    mode.caption.clear();
    mode.fore = kWhite;
    if (m.G_bJitan == kTrue) {
        mode.caption = text::kJitanMode;
        mode.fore = kBlue;
        if (jitan_entry == kFalse && m.G_lRevCnt >= kJitanGames) {
            m.G_bJitan = kFalse;
            mode.caption.clear();
            mode.fore = kWhite;
            m.G_iSyriMode = kModeNormal;
        }
    }
    if (m.G_bKakuhen == kTrue) {
        mode.caption = text::kKakuhenMode;
        mode.fore = kRed;
    }
    s.window_back = kBlack;
}

// The hit record, then the counters kept since the last hit start again.
void recordHit(Machine& m) {
    LOG_WRITE(m);
    m.G_lRevCnt = 0;
    m.G_lRichCnt = 0;
    m.G_lRichDoha.fill(0);
    m.G_lRichOshi.fill(0);
    m.G_lRichAtari.fill(0);
    m.G_lYokoku1N = 0;
    m.G_lYokoku2N = 0;
    m.G_lOshiCnt = 0;
    m.G_lDohaCnt = 0;
    m.G_bKakuhenPrev = m.G_bKakuhen;
}

// A presentation that sees the end flag returns early, with the centre reel short of its stop
// symbol, and an end requested during the last pause of a stop leaves a game that has not been
// seen to its end: such a game ends the program as every other end does, without the stop check
// (whose failure would be a false error), counting or record.
void endIfRequested(Machine& m) {
    if (m.G_bEnd == kTrue) m.display.endProgram(0);
}

}  // namespace

void hideSprites(Machine& m) {
    m.scene.picture(kImgObake).visible = false;
    m.scene.picture(kImgHandL).visible = false;
    m.scene.picture(kImgHandR).visible = false;
}

void GAME_START(Machine& m) {
    try {
        applyTestMode(m);

        m.scene.Tim_Start.enabled = false;
        hideSprites(m);
        m.display.processEvents();
        if (m.G_bEnd == kTrue) return;

        Motions& motions = motionsOf(m);
        motions.startDisplay(m);
        applySelection(m, STOP_SEL(m, stopSelInput(m)));
        if (m.observer) m.observer->outcomeDecided(m);
        if (m.G_bYokoku2 == kTrue || m.G_bYokoku1 == kTrue) m.scene.window_back = kBlue;
        const ReelArray16 decided = m.G_iStopZug;

        motions.spinToRightStop(m);
        if (m.G_bRich == kTrue) {
            RICH_SEL(m, m.G_iRichRes, m.G_iRichSyu);
            endIfRequested(m);
            m.display.repaint(Repaint::ReelWindow);
            if (m.G_bOoatari == kTrue) {
                m.scene.Lbl_Rich[1].caption = text::kHit;
                m.display.beep();
            } else {
                m.scene.Lbl_Rich[1].caption = text::kMiss;
            }
            if (m.G_bSaiChusen == kTrue) playReLottery(m);
        } else {
            motions.centreStop(m);
        }
        endIfRequested(m);

        for (Int16 r = 1; r <= 3; ++r) {
            if (m.G_iNowZug[r] != decided[r]) {
                showMessage(m, text::kStopFailed);
                showSystemError(m);
            }
        }

        const Flag jitan_entry = applyModeRules(m);
        countPreviewsAndReaches(m);
        updateLabels(m, jitan_entry);
        if (m.G_bOoatari == kTrue) recordHit(m);

        WAIT_MS(m, 130);
        hideSprites(m);
        m.scene.Lbl_Rich[1].caption.clear();
        m.scene.Tim_Start.enabled = true;
    } catch (const RuntimeError& e) {
        showSystemError(m, e);
    }
}

}  // namespace rl00
