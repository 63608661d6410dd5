#include "frontends/headless/batch.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <ostream>

#include "engine/motion_cache.h"
#include "engine/rand_loop.h"
#include "frontends/headless/game_record.h"
#include "frontends/headless/headless_display.h"
#include "frontends/headless/run_stats.h"
#include "io/settings_home.h"
#include "machine/machine.h"
#include "session/controller.h"

namespace rl00 {

namespace {

// Catches what no state keeps after the game: the outcome as the selection set it.
class RecordingObserver : public GameObserver {
  public:
    explicit RecordingObserver(GameRecord& record) : record_(record) {}
    void outcomeDecided(const Machine& m) override {
        record_.lottery = m.G_iLottery;
        record_.zugcnt = m.G_iZugCnt;
        record_.oshidir = m.G_iOshiDir;
        for (int r = 1; r <= 3; ++r) {
            record_.first[static_cast<std::size_t>(r - 1)] = m.G_iNowZug[r];
            record_.stop[static_cast<std::size_t>(r - 1)] = m.G_iStopZug[r];
        }
    }

  private:
    GameRecord& record_;
};

void completeRecord(GameRecord& r, const Machine& m) {
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
}

bool openOutput(std::ofstream& file, const std::string& path, std::ostream& err) {
    if (path.empty()) return true;
    file.open(path, std::ios::binary | std::ios::trunc);
    if (!file) err << "rl00-headless: cannot write " << path << "\n";
    return static_cast<bool>(file);
}

// A configuration file named on the command line must be there: silently playing on without it
// would run with no log directory and lose every record.
bool checkIniFile(const std::string& path, std::ostream& err) {
    if (path.empty()) return true;
    std::error_code ec;
    const bool readable =
        std::filesystem::is_regular_file(path, ec) && std::ifstream(path, std::ios::binary).good();
    if (!readable) err << "rl00-headless: cannot read the configuration file " << path << "\n";
    return readable;
}

}  // namespace

int runBatch(const BatchOptions& o, std::ostream& out, std::ostream& err) {
    if (!checkIniFile(o.ini_file, err)) return 2;
    std::ofstream trace;
    std::ofstream stats_file;
    if (!openOutput(trace, o.trace_file, err) || !openOutput(stats_file, o.stats_file, err))
        return 2;

    const std::uint64_t seed = o.seed ? *o.seed : clockSeed();
    // A seed taken from the clock is the only way to repeat the run: say it even when quiet.
    if (!o.quiet) {
        out << "seed " << seed << "\n";
    } else if (!o.seed) {
        err << "rl00-headless: seed " << seed << "\n";
    }

    HeadlessDisplay display;
    display.setFramePeriodMs(o.frame_ms);
    display.echoMessagesTo(&err);
    Machine m(display, seed);
    // Nothing is drawn, so the motions may be accounted in closed form: the same games, frames
    // and pauses, without stepping each frame.
    MotionCache motions;
    if (!o.every_frame) m.motions = &motions;
    Random idle_rng(seed ^ 0x5DEECE66DULL);
    RunStats stats;
    GameRecord record;
    RecordingObserver observer(record);
    int exit_code = 0;

    const auto started = std::chrono::steady_clock::now();
    auto last_progress = started;
    try {
        loadMachine(m, o.program_dir, o.argument, seed);
        if (!o.ini_file.empty()) readSettingsInstead(m, o.ini_file);
        m.observer = &observer;
        idleStep(m);  // the loop publishes its first step before any event is processed
        for (std::uint64_t g = 1; g <= o.games; ++g) {
            // The free-running counter's passes between two games: uniform over one whole
            // cycle, as a game starting at an arbitrary moment sees lottery value and symbol.
            advanceIdle(m, idle_rng.nextBits() % kIdleCyclePasses);
            // The games follow each other at Tim_Start's ticks.
            display.advanceMs(m.scene.Tim_Start.interval_ms);
            record = GameRecord{};
            record.game = g;
            record.mode = m.G_iSyriMode;
            const std::uint64_t frames_before = display.frames();
            const double ms_before = display.elapsedMs();
            onStartRequest(m);
            completeRecord(record, m);
            record.frames = display.frames() - frames_before;
            record.virtual_ms = display.elapsedMs() - ms_before;
            stats.add(record);
            if (trace.is_open()) trace << toJsonLine(record);
            if (o.progress && (g & 1023) == 0) {
                const auto now = std::chrono::steady_clock::now();
                if (now - last_progress > std::chrono::milliseconds(500)) {
                    last_progress = now;
                    err << "\rgame " << g << " / " << o.games << std::flush;
                }
            }
        }
    } catch (const ProgramEnd& end) {
        exit_code = end.exit_code;
        err << "rl00-headless: the machine ended itself (exit code " << exit_code << ") after "
            << stats.games() << " completed games\n";
    }
    if (o.progress) err << "\r" << std::string(40, ' ') << "\r" << std::flush;

    const double wall_s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    if (stats_file.is_open()) stats_file << stats.json(m, display.elapsedMs());
    if (!o.quiet) {
        out << stats.table(m, display.elapsedMs());
        out << "\nwall time " << wall_s << " s, "
            << (wall_s > 0 ? double(stats.games()) / wall_s : 0.0) << " games/s\n";
        if (!o.every_frame) {
            const MotionCache::Counts& c = motions.counts();
            out << "motions: " << c.accounted << " in closed form, " << c.stepped
                << " frame by frame, " << c.recorded << " outcomes stored, " << c.refused
                << " refused\n";
        }
    }
    return exit_code;
}

}  // namespace rl00
