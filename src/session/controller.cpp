#include "session/controller.h"

#include "engine/game_start.h"
#include "engine/rand_loop.h"
#include "io/ini_read.h"
#include "io/settings_home.h"
#include "machine/machine.h"
#include "reaches/reaches.h"
#include "reels/reels.h"
#include "session/window_layout.h"

namespace rl00 {

void loadMachine(Machine& m, const std::string& program_dir, const std::string& command,
                 std::optional<std::uint64_t> seed) {
    m.command = command;
    initWindowScene(m.scene);
    m.G_sAppPath = program_dir;
    INI_READ(m);
    resolveSettingFolders(m, m.G_sAppPath);
    m.G_iStopZug[1] = 1;
    m.G_iStopZug[2] = 2;
    m.G_iStopZug[3] = 3;
    prepareReelPictures(m);
    prepareSprites(m);
    m.scene.Lbl_Rich[1].caption.clear();
    m.scene.Lbl_SyriMode.caption.clear();
    m.rnd.reseed(seed ? *seed : clockSeed());
    if (commandArgument(command) == "1") {
        m.G_iSyriMode = kModeKakuhen;
        m.G_bKakuhen = kTrue;
        m.G_bKakuhenPrev = kTrue;
    }
}

bool acceptsStartRequest(const Machine& m) {
    // A request delivered inside a running game's event processing would nest a second cycle
    // over the same reels and outcome; before the idle counter's first step the symbol counter
    // is still 0 and no hit symbol could be chosen.
    return !m.game_running && !m.start_requests_paused && m.idle.stepped;
}

bool onStartRequest(Machine& m) {
    if (!acceptsStartRequest(m)) return false;
    m.game_running = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{m.game_running};
    GAME_START(m);
    return true;
}

void onEndRequest(Machine& m) {
    m.G_bEnd = kTrue;
}

void onActivate(Machine& m) {
    if (m.G_bActivated != kFalse) return;
    m.G_bActivated = kTrue;
    RAND_LOOP(m);
}

StartRequestsPaused::StartRequestsPaused(Machine& m) : m_(m), was_paused_(m.start_requests_paused) {
    m_.start_requests_paused = true;
}

StartRequestsPaused::~StartRequestsPaused() {
    m_.start_requests_paused = was_paused_;
}

}  // namespace rl00
