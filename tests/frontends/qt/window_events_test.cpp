// The main window's handling of what the platform and the user do to it: a click that the window
// system routed to the right-click menu after it closed, the window taken away without a close
// request, the paused animation let on one frame at a time and what the window says about it,
// and where the view choices are kept.

#include <gtest/gtest.h>

#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QSettings>
#include <QTimer>
#include <QWindow>

#include "frontends/qt/fit_label.h"
#include "frontends/qt/main_window.h"
#include "frontends/qt/qt_display.h"
#include "frontends/qt/view_options.h"
#include "machine/machine.h"
#include "session/window_layout.h"

namespace rl00 {
namespace {

struct WindowEvents : ::testing::Test {
    QtDisplay display;
    Machine m{display, 1};
    std::unique_ptr<MainWindow> window;
    QMenu* menu = nullptr;

    void SetUp() override {
        initWindowScene(m.scene);
        m.scene.Tim_Start.enabled = false;
        window = std::make_unique<MainWindow>(m, display);
        window->setIdleEntry([] {});
        new ViewMenu(*window, display, ViewChoice{}, 1);
        menu = window->findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
        display.attach(window.get());
        window->syncFromScene(0.0);
        window->show();
        window->activateWindow();  // shortcuts act in the active window
        QCoreApplication::processEvents();
    }
    void TearDown() override { display.attach(nullptr); }

    // A key as the user presses it: the window's shortcuts see it first.
    void press(Qt::Key key) {
        QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
        QCoreApplication::sendEvent(window.get(), &e);
    }
};

TEST_F(WindowEvents, AClickRoutedToTheClosedMenuPressesTheButtonUnderThePointer) {
    ASSERT_NE(menu, nullptr);
    emit window->customContextMenuRequested(QPoint(200, 120));
    QCoreApplication::processEvents();
    ASSERT_TRUE(menu->isVisible());
    QWindow* menu_window = menu->windowHandle();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(menu, &escape);
    ASSERT_FALSE(menu->isVisible());
    EXPECT_NE(m.G_bEnd, kTrue);

    // As the window system hands over a click on 終了 that it sent to the menu's window while
    // the menu still held the pointer.
    QWidget* end = window->control("Cmd_End");
    const QPointF at = end->mapToGlobal(QPointF(end->rect().center()));
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
        QMouseEvent e(type, menu_window->mapFromGlobal(at), at, Qt::LeftButton, held,
                      Qt::NoModifier);
        QCoreApplication::sendEvent(menu_window, &e);
    }
    EXPECT_EQ(m.G_bEnd, kTrue);
}

TEST_F(WindowEvents, TheWindowHiddenForGoodEndsTheProgramAMinimisedOneDoesNot) {
    window->showMinimized();
    QCoreApplication::processEvents();
    window->showNormal();
    QCoreApplication::processEvents();
    EXPECT_NE(m.G_bEnd, kTrue);

    // As a platform that withdraws the window hides it.
    window->windowHandle()->setVisible(false);
    QCoreApplication::processEvents();
    EXPECT_EQ(m.G_bEnd, kTrue);
}

TEST_F(WindowEvents, EachFrameStepWhilePausedLetsExactlyOneFramePass) {
    // The held frame's step comes from the event processing that holds it.
    auto heldUntilStep = [&] {
        bool stepped = false;
        QTimer::singleShot(50, [&] {
            stepped = true;
            press(Qt::Key_Period);
        });
        display.endFrame();
        return stepped;
    };
    press(Qt::Key_Period);  // not paused: nothing to step, and nothing kept for later
    press(Qt::Key_P);
    ASSERT_TRUE(display.paused());
    // Steps asked for before their frames come: one frame each, and the next one is held.
    press(Qt::Key_Period);
    press(Qt::Key_Period);
    display.endFrame();
    display.endFrame();
    EXPECT_TRUE(heldUntilStep());
    EXPECT_EQ(display.frames(), 3u);
    // A step asked for and then resumed from is not kept for the next pause.
    press(Qt::Key_Period);
    press(Qt::Key_P);
    press(Qt::Key_P);
    EXPECT_TRUE(heldUntilStep());
}

TEST_F(WindowEvents, ThePauseAndAReplayAreShownInTheWindowAndItsTitle) {
    const QString title = window->windowTitle();
    EXPECT_EQ(window->statusText(), "");
    press(Qt::Key_P);
    window->syncFromScene(0.0);
    EXPECT_EQ(window->statusText(), "一時停止中");
    EXPECT_EQ(window->windowTitle(), title + " — 一時停止中");
    press(Qt::Key_P);
    window->syncFromScene(0.0);
    EXPECT_EQ(window->statusText(), "");
    EXPECT_EQ(window->windowTitle(), title);

    // The longest count a replay can show, whole and legible inside the window at this zoom.
    window->showReplayProgress(2'147'483'646, 2'147'483'647);
    EXPECT_EQ(window->statusText(), "再生中 2,147,483,646 / 2,147,483,647 ゲーム");
    EXPECT_EQ(window->windowTitle(), title + " — 再生中 99%");
    for (auto* line : window->findChildren<FitLabel*>()) {
        if (line->text() != window->statusText()) continue;
        EXPECT_TRUE(window->rect().contains(line->mapTo(window.get(), line->rect().bottomRight())));
        EXPECT_GT(line->textScale(), 0.85);
    }
    window->showReplayProgress(0, 0);
    EXPECT_EQ(window->statusText(), "");
    EXPECT_EQ(window->windowTitle(), title);
}

// The view choices once lived in rl00.ini, beside RL00.INI and differing from it only in case.
TEST(ViewChoices, AreTakenOverOnceFromTheOldFileIntoViewIni) {
    const QString dir = QDir::temp().filePath(QStringLiteral("rl00_view_%1").arg(getpid()));
    QDir(dir).removeRecursively();
    QDir().mkpath(dir + "/rl00");
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir);
    const auto write = [](const QString& path, const QByteArray& text) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    };
    const QString old_file = dir + "/rl00/rl00.ini";
    write(old_file, "[view]\nzoom=3\n[speed]\nframe_ms=5\nno_delay=true\n");
    ViewChoice c = loadViewChoice();
    EXPECT_EQ(c.zoom, 3);
    EXPECT_EQ(c.frame_ms, 5.0);
    EXPECT_TRUE(c.no_delay);
    EXPECT_FALSE(QFile::exists(old_file));
    EXPECT_TRUE(QFile::exists(dir + "/rl00/view.ini"));

    // Once only: a later rl00.ini (another version run since) does not override the new file.
    write(old_file, "[view]\nzoom=2\n");
    EXPECT_EQ(loadViewChoice().zoom, 3);

    // Where rl00.ini is the settings file itself (a file system that ignores case), it stays.
    QDir(dir).removeRecursively();
    QDir().mkpath(dir + "/rl00");
    write(old_file, "[view]\nzoom=4\n");
    ASSERT_EQ(::link(QFile::encodeName(old_file).constData(),
                     QFile::encodeName(dir + "/rl00/RL00.INI").constData()),
              0);
    EXPECT_EQ(loadViewChoice().zoom, 4);
    EXPECT_TRUE(QFile::exists(old_file));
    QDir(dir).removeRecursively();
}

}  // namespace
}  // namespace rl00
