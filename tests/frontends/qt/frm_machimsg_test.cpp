// The waiting window of the analysis, driven as the launch drives it, without an office; the
// launch processes events every 10 ms while it waits. The screen's view of it is saved as
// gui/machimsg_{start,macro}_zoom<N>.png in the build folder.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <cstdlib>

#include "analysis/analysis_texts.h"
#include "frontends/qt/frm_machimsg.h"
#include "frontends/qt/qt_display.h"
#include "machine/machine.h"

namespace rl00 {
namespace {

namespace text = analysis_text;

struct WaitWindowTest : ::testing::Test {
    QtDisplay display;
    Machine m{display, 1};
    QWidget main_window;
    FrmMachimsg w{m, main_window};

    static void pumpFor(int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    // What the screen shows of the window now, saved; no event is processed first.
    QImage onScreen(const char* name) {
        const QImage img = w.screen()->grabWindow(w.winId()).toImage();
        const char* zoom = std::getenv("RL00_ZOOM");
        QDir().mkpath(QStringLiteral(RL00_BUILD_DIR "/gui"));
        img.save(QStringLiteral(RL00_BUILD_DIR "/gui/machimsg_%1_zoom%2.png")
                     .arg(name, zoom != nullptr ? zoom : "1"));
        return img;
    }
    // The share of the pixels in `r` (window pixels) for which `pick` holds.
    static double share(const QImage& img, const QRect& r, auto pick) {
        const double s = img.width() / double(FrmMachimsg::kWidthTwips / 15);
        int hits = 0;
        int all = 0;
        for (int y = int(r.top() * s); y < int((r.bottom() + 1) * s); ++y) {
            for (int x = int(r.left() * s); x < int((r.right() + 1) * s); ++x, ++all)
                hits += pick(img.pixelColor(x, y)) ? 1 : 0;
        }
        return double(hits) / all;
    }
};

bool isBlack(const QColor& c) {
    return c.red() < 0x60 && c.green() < 0x60 && c.blue() < 0x60;
}

TEST_F(WaitWindowTest, IsOnTheScreenPaintedWhenShowReturns) {
    w.show();
    w.makeTopmost();
    w.setProgress(text::kStarting);
    w.repaint();
    // The launch now blocks on the office for a while: this is what the user sees meanwhile.
    const QImage screen = onScreen("start");
    ASSERT_FALSE(screen.isNull());
    EXPECT_GT(share(screen, w.rect(), [](QColor c) { return c == Qt::white; }), 0.7);
    EXPECT_GT(share(screen, w.lblMSGUP().geometry(), isBlack), 0.02);
}

TEST_F(WaitWindowTest, KeepsItsPlacesAndCaptionsWithTheFixedTextsAFaintBackdrop) {
    w.show();
    w.setProgress(text::kRunningMacro);
    EXPECT_EQ(w.lblMSGUP().geometry(), QRect(16, 8, 273, 17));
    EXPECT_EQ(w.lblMSGDOWN().geometry(), QRect(24, 16, 273, 17));
    EXPECT_EQ(w.lblMSGDOWN().text(), QString::fromUtf8(text::kDesignCaption));
    EXPECT_EQ(w.lbl_MSGBACK().text(), QString::fromUtf8(text::kDesignCaption));
    EXPECT_TRUE(w.lbl_MSG().text().isEmpty());

    // Where only a fixed text is drawn (below the progress text, and below the empty lbl_MSG)
    // there is grey but nothing darker; the progress text is black.
    const QImage img = w.grab().toImage();
    const int grey = QColor::fromRgb(FrmMachimsg::kBackdropText).red() - 8;
    for (const QRect& only_fixed : {QRect(24, 25, 273, 7), QRect(24, 49, 273, 8)}) {
        EXPECT_GT(share(img, only_fixed, [&](QColor c) { return c != Qt::white; }), 0.02);
        EXPECT_EQ(share(img, only_fixed, [&](QColor c) { return c.red() < grey; }), 0.0);
    }
    EXPECT_GT(share(img, QRect(16, 8, 273, 8), isBlack), 0.02);
}

TEST_F(WaitWindowTest, CountsTheSecondsSinceItWasShown) {
    w.show();
    w.setProgress(text::kStarting);
    pumpFor(1300);
    EXPECT_EQ(w.lbl_MSG().text(), QStringLiteral("経過 1 秒"));

    // The launch shows the window anew for the macro: the count starts again, and stops when
    // the window goes.
    w.unload();
    w.show();
    w.makeTopmost();
    w.setProgress(text::kRunningMacro);
    EXPECT_TRUE(w.lbl_MSG().text().isEmpty());
    pumpFor(2300);
    EXPECT_EQ(w.lbl_MSG().text(), QStringLiteral("経過 2 秒"));
    onScreen("macro");
    w.unload();
    pumpFor(1100);
    EXPECT_EQ(w.lbl_MSG().text(), QStringLiteral("経過 2 秒"));
}

}  // namespace
}  // namespace rl00
