// The page's reel window pixels against the window's own: random scenes of the machine's pictures
// (sizes 480 and 495 twips, any place, any order, any visibility, any window colour) drawn by the
// Qt window on the offscreen platform and by ReelRaster, pixel for pixel. One process per zoom
// (QT_SCALE_FACTOR, RL00_ZOOM). The rows under the labels that overlap the reel window are left
// out: the page draws those labels over its reel window as the window does.

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <algorithm>
#include <cstdlib>
#include <random>

#include "frontends/qt/main_window.h"
#include "frontends/qt/qt_display.h"
#include "frontends/qt/reel_view.h"
#include "frontends/web/reel_raster.h"
#include "machine/machine.h"
#include "session/window_layout.h"

namespace rl00 {
namespace {

int zoom() {
    const char* z = std::getenv("RL00_ZOOM");
    return z != nullptr ? std::atoi(z) : 1;
}

TEST(ReelRasterAgainstTheWindow, RandomScenesGiveTheWindowsPixels) {
    const int z = zoom();
    QtDisplay display;
    Machine m{display, 1};
    initWindowScene(m.scene);
    MainWindow window(m, display);
    display.attach(&window);
    window.show();
    QCoreApplication::processEvents();
    ReelRaster raster(PictureSet::builtIn());
    raster.setScale(z);
    std::mt19937 rng(20240611);
    int differing_scenes = 0;
    for (int scene = 0; scene < 400; ++scene) {
        for (int id = 0; id < kPictureCount; ++id) {
            Picture& p = m.scene.picture(id);
            p.image = static_cast<Int16>(rng() % 21);
            p.left = static_cast<Int32>(rng() % 2400) - 600;
            p.top = static_cast<Int32>(rng() % 1800) - 900;
            p.width = p.height = rng() % 2 != 0 ? 480 : 495;
            p.visible = rng() % 4 != 0;
            p.stretch = true;
        }
        std::shuffle(m.scene.z_order.begin(), m.scene.z_order.end(), rng);
        m.scene.window_back = rng() % 2 != 0 ? kBlack : static_cast<Colour>(rng() & 0xFFFFFF);
        window.syncFromScene(0.0);
        window.reelView().paintNow();
        const QImage shot = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        raster.redraw(m.scene);
        int differ = 0;
        for (int y = z; y < raster.height() - z; ++y) {
            for (int x = 0; x < raster.width(); ++x) {
                if ((shot.pixel(x, y + 16 * z) & 0xFFFFFF) != raster.rgbAt(x, y)) ++differ;
            }
        }
        if (differ != 0) {
            ++differing_scenes;
            ADD_FAILURE() << "scene " << scene << ": " << differ << " pixels differ";
        }
        if (differing_scenes > 3) break;
    }
    display.attach(nullptr);
}

}  // namespace
}  // namespace rl00

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
