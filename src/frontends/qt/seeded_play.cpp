#include "frontends/qt/seeded_play.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <iostream>

#include "engine/motion_cache.h"
#include "engine/rand_loop.h"
#include "frontends/qt/main_window.h"
#include "frontends/qt/qt_display.h"
#include "machine/machine.h"
#include "session/controller.h"
#include "session/game_sequence.h"

namespace rl00 {

namespace {

// A long replay looks up from its games this often, so that the window answers (a close, the
// menu) and it tells how far the replay has come. The clock is read once per block of
// games: a game takes about a microsecond.
constexpr qint64 kLookUpNs = 100'000'000;
constexpr std::uint64_t kGamesPerBlock = 1024;

// Plays the games up to `last` at once, unless the program's end comes first.
void replayUpTo(Machine& m, MainWindow& window, QtDisplay& display, std::uint64_t last) {
    MotionCache motions;
    m.motions = &motions;
    display.setFastForward(true);
    QElapsedTimer took;
    took.start();
    qint64 next_look = kLookUpNs;
    while (window.completedGames() < last && m.G_bEnd != kTrue) {
        if (!window.playNextGame()) break;
        if (window.completedGames() % kGamesPerBlock != 0 || took.nsecsElapsed() < next_look)
            continue;
        window.showReplayProgress(window.completedGames(), last);
        // Only the replay starts games until it is done: a tick of Tim_Start or a click on the
        // start button is ignored meanwhile.
        const StartRequestsPaused held(m);
        QCoreApplication::processEvents();
        next_look = took.nsecsElapsed() + kLookUpNs;
    }
    display.setFastForward(false);
    m.motions = nullptr;
    window.showReplayProgress(0, 0);
    if (window.completedGames() == last) {
        std::cerr << "rl00: games 1 to " << last << " replayed in "
                  << QString::number(double(took.nsecsElapsed()) / 1e9, 'f', 2).toStdString()
                  << " s\n";
    }
}

}  // namespace

void playSeededInWindow(Machine& m, SeededRun& run, MainWindow& window, QtDisplay& display,
                        std::uint64_t show_game) {
    run.powerOn(m);
    if (show_game > 1) replayUpTo(m, window, display, show_game - 1);
    heldIdleLoop(m);
}

}  // namespace rl00
