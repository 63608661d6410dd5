#include "frontends/web/web_display.h"

#include <algorithm>

#include "frontends/web/page_host.h"

namespace rl00 {

namespace {

// A wait longer than this hands the browser a timer for all but the last stretch, which is spent
// on the clock: a browser's timer wakes late by a millisecond or more.
constexpr double kTimerWaitMs = 6.0;
constexpr double kTimerMarginMs = 2.0;
// The longest the idle wait sleeps without looking at the clock.
constexpr double kIdleWaitMs = 250.0;

}  // namespace

WebDisplay::WebDisplay(PageHost& host) : host_(host) {
    last_turn_ms_ = host_.nowMs();
    last_frame_ms_ = last_turn_ms_;
}

void WebDisplay::paintIfDue(bool now) {
    if (window_ == nullptr) return;
    const double t = host_.nowMs();
    if (!now && t - last_paint_ms_ < refresh_ms_) return;
    window_->paint();
    last_paint_ms_ = t;
}

void WebDisplay::keepPageAnswering() {
    const double t = host_.nowMs();
    if (t - last_turn_ms_ < refresh_ms_) return;
    paintIfDue(false);
    host_.yieldToPage(0.0);
    last_turn_ms_ = host_.nowMs();
}

void WebDisplay::pump() {
    if (window_ != nullptr) window_->takeInput();
    const double before = last_turn_ms_;
    keepPageAnswering();
    if (last_turn_ms_ != before && window_ != nullptr) window_->takeInput();
}

void WebDisplay::processEvents() {
    if (fast_forward_) return;
    pump();
}

void WebDisplay::waitForEvents() {
    // What stands still is on the screen before the wait, however soon after the last paint.
    paintIfDue(true);
    double wait = kIdleWaitMs;
    if (window_ != nullptr) {
        const double due = window_->nextDueMs();
        if (due >= 0.0) wait = std::clamp(due - host_.nowMs(), 0.0, kIdleWaitMs);
    }
    host_.waitForInput(wait);
    last_turn_ms_ = host_.nowMs();
    if (window_ != nullptr) window_->takeInput();
}

void WebDisplay::waitUntil(double deadline_ms) {
    for (double left = deadline_ms - host_.nowMs(); left > 0 && !end_requested_;
         left = deadline_ms - host_.nowMs()) {
        if (left > kTimerWaitMs) {
            paintIfDue(false);
            host_.yieldToPage(left - kTimerMarginMs);
            last_turn_ms_ = host_.nowMs();
            if (window_ != nullptr) window_->takeInput();
        } else {
            pump();
        }
    }
}

void WebDisplay::endFrame() {
    ++frames_;
    if (fast_forward_) return;
    pump();
    holdWhilePaused();
    if (end_requested_) return;
    const double period = no_delay_ ? 0.0 : frame_ms_;
    const double deadline = last_frame_ms_ + period;
    if (host_.nowMs() < deadline) waitUntil(deadline);
    // Keep to the frame grid; only a frame that is late by a whole period starts a new grid.
    const double now_ms = host_.nowMs();
    last_frame_ms_ = now_ms - deadline >= period ? now_ms : deadline;
    if (frame_times_.size() < frame_times_wanted_) frame_times_.push_back(now_ms);
}

void WebDisplay::recordFrameTimes(std::size_t count) {
    frame_times_.clear();
    frame_times_.reserve(count);
    frame_times_wanted_ = count;
}

void WebDisplay::holdWhilePaused() {
    while (paused_ && !end_requested_) {
        if (steps_ > 0) {
            --steps_;
            return;
        }
        // Cleared however the wait ends: the program may end inside it.
        struct Holding {
            bool& on;
            explicit Holding(bool& flag) : on(flag) { on = true; }
            ~Holding() { on = false; }
        } holding(holding_);
        waitForEvents();
    }
}

void WebDisplay::setPaused(bool on) {
    paused_ = on;
    if (!on) steps_ = 0;
}

void WebDisplay::stepFrame() {
    if (paused_) ++steps_;
}

void WebDisplay::setFramePeriodMs(double ms) {
    frame_ms_ = std::clamp(ms, kMinFrameMs, kMaxFrameMs);
}

void WebDisplay::sleepMs(Int32 ms) {
    // A real pause: the machine takes no input while it sleeps, though the browser paints.
    if (ms <= 0) return;
    whole_ms_ += static_cast<std::uint64_t>(ms);
    if (end_requested_ || fast_forward_) return;
    const double deadline = host_.nowMs() + ms;
    for (double left = deadline - host_.nowMs(); left > 0; left = deadline - host_.nowMs()) {
        if (left > kTimerWaitMs) {
            paintIfDue(false);
            host_.yieldToPage(left - kTimerMarginMs);
            last_turn_ms_ = host_.nowMs();
        }
    }
}

void WebDisplay::repaint(Repaint) {
    // The canvas shows what was drawn when the browser paints, at its next refresh; an earlier
    // picture than the latest would never be seen.
}

void WebDisplay::beep() {
    if (!fast_forward_) host_.beep();
}

Int32 WebDisplay::messageBox(const std::string& text, const std::string& title, Int32 style) {
    paintIfDue(true);
    const Int32 pressed = host_.messageBox(text, title, style);
    last_turn_ms_ = host_.nowMs();
    return pressed;
}

LocalDateTime WebDisplay::now() {
    return host_.localTime();
}

bool WebDisplay::skipMotion(const MotionTime& time) {
    if (!fast_forward_) return false;
    frames_ += time.frames;
    whole_ms_ += static_cast<std::uint64_t>(time.pause_ms);
    return true;
}

void WebDisplay::quit(int exit_code) {
    // The page's program unwinds to its entry, which tells the page how the machine ended.
    paintIfDue(true);
    throw ProgramEnd{exit_code};
}

}  // namespace rl00
