// The waiting window of the analysis, shown without an office: as the launch drives it, with
// events processed every 10 ms as the launch does while it waits. The screen's view of it is
// saved as gui/machimsg_{start,macro}_zoom<N>.png in the build folder.

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

int zoom() {
    const char* z = std::getenv("RL00_ZOOM");
    return z != nullptr ? std::atoi(z) : 1;
}

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
    // What the screen shows of the window now, without processing any event first.
    QImage onScreen() { return w.screen()->grabWindow(w.winId()).toImage(); }
    static void save(const QImage& img, const char* what) {
        const QString dir = QStringLiteral(RL00_BUILD_DIR "/gui");
        QDir().mkpath(dir);
        img.save(QStringLiteral("%1/machimsg_%2_zoom%3.png").arg(dir).arg(what).arg(zoom()));
    }
    // The share of pixels in `r` (window pixels) for which `pick` holds.
    static double share(const QImage& img, const QRect& r, auto pick) {
        const double s = img.width() / double(FrmMachimsg::kWidthTwips / 15);
        int hits = 0;
        int all = 0;
        for (int y = int(r.top() * s); y < int((r.bottom() + 1) * s); ++y) {
            for (int x = int(r.left() * s); x < int((r.right() + 1) * s); ++x) {
                ++all;
                hits += pick(img.pixelColor(x, y)) ? 1 : 0;
            }
        }
        return all == 0 ? 0.0 : double(hits) / all;
    }
};

bool isInk(const QColor& c) {
    return c.red() < 0x60 && c.green() < 0x60 && c.blue() < 0x60;
}

TEST_F(WaitWindowTest, IsOnTheScreenPaintedWhenShowReturns) {
    w.show();
    w.makeTopmost();
    w.setProgress(text::kStarting);
    w.repaint();
    // The launch now blocks on the office for a while: this is what the user sees meanwhile.
    const QImage screen = onScreen();
    save(screen, "start");
    ASSERT_FALSE(screen.isNull());
    const QRect whole(0, 0, w.width(), w.height());
    EXPECT_GT(share(screen, whole, [](QColor c) { return c == Qt::white; }), 0.7);
    EXPECT_GT(share(screen, w.lblMSGUP().geometry(), isInk), 0.02);
    EXPECT_TRUE(w.isVisible());
}

TEST_F(WaitWindowTest, KeepsItsPlacesAndCaptionsWithTheFixedTextsAFaintBackdrop) {
    w.show();
    w.setProgress(text::kRunningMacro);
    EXPECT_EQ(w.lblMSGUP().geometry(), QRect(16, 8, 273, 17));
    EXPECT_EQ(w.lbl_MSG().geometry(), QRect(16, 32, 273, 17));
    EXPECT_EQ(w.lblMSGDOWN().geometry(), QRect(24, 16, 273, 17));
    EXPECT_EQ(w.lbl_MSGBACK().geometry(), QRect(24, 40, 273, 17));
    EXPECT_EQ(w.lblMSGUP().text(), QString::fromUtf8(text::kRunningMacro));
    EXPECT_EQ(w.lblMSGDOWN().text(), QString::fromUtf8(text::kDesignCaption));
    EXPECT_EQ(w.lbl_MSGBACK().text(), QString::fromUtf8(text::kDesignCaption));
    EXPECT_TRUE(w.lbl_MSG().text().isEmpty());

    // Where only a fixed text is drawn (below the progress text, and below the empty lbl_MSG)
    // there is grey but no black; the progress text is black.
    const QImage img = w.grab().toImage();
    const QColor backdrop = QColor::fromRgb(FrmMachimsg::kBackdropText);
    auto faint = [&](QColor c) { return c != Qt::white && c.red() >= backdrop.red() - 8; };
    auto darker = [&](QColor c) { return c.red() < backdrop.red() - 8; };
    for (const QRect& only_fixed : {QRect(24, 25, 273, 7), QRect(24, 49, 273, 8)}) {
        EXPECT_GT(share(img, only_fixed, faint), 0.02);
        EXPECT_EQ(share(img, only_fixed, darker), 0.0);
    }
    EXPECT_GT(share(img, QRect(16, 8, 273, 8), isInk), 0.02);
}

TEST_F(WaitWindowTest, CountsTheSecondsSinceItWasShown) {
    w.show();
    w.setProgress(text::kStarting);
    pumpFor(1300);
    EXPECT_EQ(w.lbl_MSG().text(), QStringLiteral("経過 1 秒"));

    // The launch shows the window anew for the macro: the count starts again.
    w.unload();
    w.show();
    w.makeTopmost();
    w.setProgress(text::kRunningMacro);
    EXPECT_TRUE(w.lbl_MSG().text().isEmpty());
    pumpFor(2300);
    EXPECT_EQ(w.lbl_MSG().text(), QStringLiteral("経過 2 秒"));
    save(onScreen(), "macro");

    w.unload();
    pumpFor(1100);
    EXPECT_EQ(w.lbl_MSG().text(), QStringLiteral("経過 2 秒"));
}

}  // namespace
}  // namespace rl00
