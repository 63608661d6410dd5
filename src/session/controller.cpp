#include "session/controller.h"

#include "engine/game_start.h"
#include "io/ini_read.h"
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
    m.G_iStopZug[1] = 1;
    m.G_iStopZug[2] = 2;
    m.G_iStopZug[3] = 3;
    prepareReelPictures(m);
    prepareSprites(m);
    m.scene.Lbl_Rich[1].caption.clear();
    m.scene.Lbl_SyriMode.caption.clear();
    m.rnd.reseed(seed ? *seed : clockSeed());
    if (commandArgument(command) == "1") {
        m.G_iSyriMode = 1;
        m.G_bKakuhen = kTrue;
        m.G_bKakuhenPrev = kTrue;
    }
}

void onStartRequest(Machine& m) {
    // A request delivered inside a running game's event processing would nest a second cycle
    // over the same reels and outcome; before the idle counter's first step the symbol counter
    // is still 0 and no hit symbol could be chosen.
    if (m.game_running || !m.idle.stepped) return;
    m.game_running = true;
    struct Done {
        bool& running;
        ~Done() { running = false; }
    } done{m.game_running};
    GAME_START(m);
}

void onEndRequest(Machine& m) {
    m.G_bEnd = kTrue;
}

}  // namespace rl00
