#include "frontends/qt/qt_display.h"

#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "frontends/qt/main_window.h"

namespace rl00 {

namespace {

// Sleeping is coarse; the last stretch before a deadline is spent processing events instead.
constexpr qint64 kSpinNs = 300'000;

QMessageBox::Icon iconOf(Int32 style) {
    switch (style & 0xF0) {
        case mb::kIconCritical:
            return QMessageBox::Critical;
        case mb::kIconQuestion:
            return QMessageBox::Question;
        case mb::kIconExclamation:
            return QMessageBox::Warning;
        case mb::kIconInformation:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}

}  // namespace

QtDisplay::QtDisplay() {
    clock_.start();
    if (const QScreen* s = QGuiApplication::primaryScreen(); s && s->refreshRate() >= 1.0) {
        refresh_ms_ = 1000.0 / s->refreshRate();
    }
}

void QtDisplay::sync() {
    if (window_ != nullptr) window_->syncFromScene(refresh_ms_);
}

void QtDisplay::processEvents() {
    if (fast_forward_) return;
    sync();
    QCoreApplication::processEvents();
}

void QtDisplay::waitForEvents() {
    // What stands still is on the screen before the wait, however soon after the last paint it
    // came: the frame held, or what the last game left.
    if (window_ != nullptr) window_->syncFromScene(0.0);
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtDisplay::pumpUntil(qint64 deadline_ns) {
    for (;;) {
        QCoreApplication::processEvents();
        const qint64 left = deadline_ns - clock_.nsecsElapsed();
        if (left <= 0 || end_requested_) return;
        if (left > kSpinNs) std::this_thread::sleep_for(std::chrono::nanoseconds(left - kSpinNs));
    }
}

void QtDisplay::endFrame() {
    ++frames_;
    if (fast_forward_) return;
    sync();
    QCoreApplication::processEvents();
    holdWhilePaused();
    if (end_requested_) return;
    const qint64 period = no_delay_ ? 0 : static_cast<qint64>(frame_ms_ * 1e6);
    const qint64 deadline = last_frame_ns_ + period;
    if (clock_.nsecsElapsed() < deadline) pumpUntil(deadline);
    // Keep to the frame grid; only a frame that is late by a whole period starts a new grid.
    const qint64 now_ns = clock_.nsecsElapsed();
    last_frame_ns_ = now_ns - deadline >= period ? now_ns : deadline;
}

void QtDisplay::holdWhilePaused() {
    while (paused_ && !end_requested_) {
        if (steps_ > 0) {
            --steps_;
            return;
        }
        waitForEvents();
    }
}

void QtDisplay::setPaused(bool on) {
    paused_ = on;
    if (!on) steps_ = 0;
}

void QtDisplay::stepFrame() {
    if (paused_) ++steps_;
}

void QtDisplay::sleepMs(Int32 ms) {
    // A real pause: the machine processes no events while it sleeps.
    if (ms <= 0) return;
    whole_ms_ += static_cast<std::uint64_t>(ms);
    if (end_requested_ || fast_forward_) return;
    const qint64 deadline = clock_.nsecsElapsed() + qint64{ms} * 1'000'000;
    for (qint64 left = deadline - clock_.nsecsElapsed(); left > 0;
         left = deadline - clock_.nsecsElapsed()) {
        if (left > kSpinNs) {
            std::this_thread::sleep_for(std::chrono::nanoseconds(left - kSpinNs));
        } else {
            std::this_thread::yield();
        }
    }
}

void QtDisplay::repaint(Repaint what) {
    if (window_ == nullptr || fast_forward_) return;
    switch (what) {
        case Repaint::ReelWindow:
        case Repaint::Ghost:
            window_->repaintReelWindow();
            break;
        case Repaint::MessageLabel:
            window_->repaintMessageLabel();
            break;
    }
}

void QtDisplay::beep() {
    if (!fast_forward_) QApplication::beep();
}

Int32 QtDisplay::messageBox(const std::string& text, const std::string& title, Int32 style) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QChar('\r'), QChar('\n'));
    const bool yes_no = (style & 0xF) == mb::kYesNo;
    QMessageBox box(iconOf(style), QString::fromStdString(title), shown,
                    yes_no ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, window_);
    box.setTextFormat(Qt::PlainText);
    // The texts of a Japanese desktop's message box, whether or not Qt's own translations are
    // installed and whatever locale the program runs in.
    if (yes_no) {
        box.button(QMessageBox::Yes)->setText(QStringLiteral("はい(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("いいえ(&N)"));
    } else {
        box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    }
    const int pressed = box.exec();
    if (!yes_no) return mb::kResultOk;
    return pressed == QMessageBox::Yes ? mb::kResultYes : mb::kResultNo;
}

bool QtDisplay::skipMotion(const MotionTime& time) {
    if (!fast_forward_) return false;
    frames_ += time.frames;
    whole_ms_ += static_cast<std::uint64_t>(time.pause_ms);
    return true;
}

LocalDateTime QtDisplay::now() {
    const QDateTime t = QDateTime::currentDateTime();
    const QDate d = t.date();
    const QTime c = t.time();
    return {d.year(), d.month(), d.day(), c.hour(), c.minute(), c.second()};
}

void QtDisplay::setFramePeriodMs(double ms) {
    frame_ms_ = std::clamp(ms, kMinFrameMs, kMaxFrameMs);
}

void QtDisplay::quit(int exit_code) {
    // Qt cannot unwind an exception through its event processing, and the machine's loop never
    // returns to it. Leave at once with the output flushed: running the static destructors
    // while the application object is still alive can tear Qt's global state down under it.
    // Nothing needs them: the run log and the settings are closed as soon as they are written,
    // the trace here.
    for (const auto& close : closers_) {
        if (!close() && exit_code == 0) exit_code = 1;
    }
    std::fflush(nullptr);
    std::_Exit(exit_code);
}

}  // namespace rl00
