#include "stats/game_recorder.h"

namespace rl00 {

void GameRecorder::begin(const Machine& m, std::uint64_t game) {
    record_ = GameRecord{};
    record_.game = game;
    record_.mode = m.G_iSyriMode;
    games_since_hit_ = m.G_lRevCnt;
    hits_ = m.G_lOoatariCnt;
}

void GameRecorder::outcomeDecided(const Machine& m) {
    record_.lottery = m.G_iLottery;
    record_.zugcnt = m.G_iZugCnt;
    record_.oshidir = m.G_iOshiDir;
    for (int r = 1; r <= 3; ++r) {
        record_.first[static_cast<std::size_t>(r - 1)] = m.G_iNowZug[r];
        record_.stop[static_cast<std::size_t>(r - 1)] = m.G_iStopZug[r];
    }
}

bool GameRecorder::finish(const Machine& m, std::uint64_t frames, double virtual_ms) {
    if (m.G_lRevCnt == games_since_hit_ && m.G_lOoatariCnt == hits_) return false;
    GameRecord& r = record_;
    r.hit = m.G_bOoatari == kTrue;
    r.reach = m.G_iRichRes;
    r.kind = m.G_iRichSyu;
    r.code = m.G_sRichCode;
    r.preview = m.G_sYokoku;
    r.yokoku1 = m.G_bYokoku1 == kTrue;
    r.yokoku2 = m.G_bYokoku2 == kTrue;
    r.kakuhen = m.G_bKakuhen == kTrue;
    r.relottery = m.G_bSaiChusen == kTrue;
    r.overshoot = r.relottery && m.G_bSaiChusenUp == kTrue;
    r.chain = m.G_iRenchan;
    r.jitan = m.G_bJitan == kTrue;
    r.mode_label = m.scene.Lbl_SyriMode.caption;
    r.mode_after = m.G_iSyriMode;
    r.frames = frames;
    r.virtual_ms = virtual_ms;
    return true;
}

}  // namespace rl00
