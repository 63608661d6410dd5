// The window's side of the page's pixel check: plays a seed's games as the runner does up to frame
// F of game G, shows that scene in the Qt main window (offscreen, at the zoom QT_SCALE_FACTOR
// gives) and writes the reel window's part of the window's grab as a binary PPM, and on standard
// output whether the ghost is on the screen.
//   rl00-qt-reel-frame SEED ARG FRAME_MS GAME FRAME OUT.ppm     (ARG: -, 1, 7 or 8)

#include <QApplication>
#include <QImage>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>

#include "engine/motion_cache.h"
#include "frontends/headless/headless_display.h"
#include "frontends/qt/main_window.h"
#include "frontends/qt/qt_display.h"
#include "frontends/qt/window_program.h"
#include "machine/machine.h"
#include "session/controller.h"
#include "session/game_sequence.h"
#include "session/window_layout.h"
#include "stats/game_recorder.h"

namespace rl00 {
namespace {

// The scene at frame `frame` of game `game`, as the page holds it paused there.
std::optional<Scene> sceneAt(std::uint64_t seed, const std::string& argument, double frame_ms,
                             std::uint64_t game, std::uint64_t frame) {
    HeadlessDisplay display;
    display.setFramePeriodMs(frame_ms);
    Machine m(display, seed);
    SeededRun run(seed);
    GameRecorder recorder;
    MotionCache motions;
    std::optional<Scene> shot;
    try {
        loadMachine(m, "/nonexistent", argument, seed);
        m.observer = &recorder;
        m.motions = &motions;
        run.powerOn(m);
        for (std::uint64_t g = 1; g < game; ++g) {
            run.betweenGames(m, display);
            if (!playRecordedGame(m, recorder, g, display)) return std::nullopt;
        }
        m.motions = nullptr;  // game G frame by frame, as the page shows it
        display.atFrame(display.frames() + frame, [&] {
            shot = m.scene;
            shot->z_moves = nullptr;
            throw ProgramEnd{0};
        });
        run.betweenGames(m, display);
        playRecordedGame(m, recorder, game, display);
    } catch (const ProgramEnd&) {
    }
    return shot;
}

}  // namespace
}  // namespace rl00

int main(int argc, char** argv) {
    using namespace rl00;
    if (argc != 7) {
        std::cerr << "usage: rl00-qt-reel-frame SEED ARG FRAME_MS GAME FRAME OUT.ppm\n";
        return 2;
    }
    const std::string argument = std::string(argv[2]) == "-" ? "" : argv[2];
    const std::optional<Scene> scene = sceneAt(std::stoull(argv[1]), argument, std::stod(argv[3]),
                                               std::stoull(argv[4]), std::stoull(argv[5]));
    if (!scene) {
        std::cerr << "rl00-qt-reel-frame: the game ended before that frame\n";
        return 1;
    }
    QApplication app(argc, argv);
    installFontSubstitutes();
    QtDisplay display;
    Machine m(display, 1);
    m.scene = *scene;
    MainWindow window(m, display);
    display.attach(&window);
    window.syncFromScene(0.0);
    window.show();
    QCoreApplication::processEvents();
    window.syncFromScene(0.0);
    const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB888);
    const double zoom = shot.width() / double(kFormWidth / kTwipsPerPixel);
    const ControlDesign& box = *findControl("Pic_Window01");
    auto device = [zoom](Int32 twips) {
        return static_cast<int>(
            std::lround(double(std::lround(twips / double(kTwipsPerPixel))) * zoom));
    };
    const QRect reels(device(box.left), device(box.top), device(box.width), device(box.height));
    const QImage part = shot.copy(reels);
    std::ofstream out(argv[6], std::ios::binary);
    out << "P6\n" << part.width() << " " << part.height() << "\n255\n";
    for (int y = 0; y < part.height(); ++y)
        out.write(reinterpret_cast<const char*>(part.constScanLine(y)), part.width() * 3);
    std::cout << "ghost " << (scene->picture(kImgObake).visible ? "shown" : "hidden") << "\n";
    return out ? 0 : 1;
}
