#include "frontends/headless/headless_display.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <utility>

namespace rl00 {

HeadlessDisplay::HeadlessDisplay() : start_time_(std::time(nullptr)) {}

void HeadlessDisplay::runDue(std::vector<Scripted>& list, std::uint64_t count) {
    // Take the due actions out first: an action may schedule more, or end the program.
    std::vector<Action> due;
    for (auto it = list.begin(); it != list.end();) {
        if (it->at == count) {
            due.push_back(std::move(it->action));
            it = list.erase(it);
        } else {
            ++it;
        }
    }
    for (auto& action : due)
        action();
}

void HeadlessDisplay::runPass() {
    ++passes_;
    if (!at_pass_.empty()) runDue(at_pass_, passes_);
    for (auto& action : every_pass_)
        action();
}

void HeadlessDisplay::processEvents() {
    runPass();
}

void HeadlessDisplay::endFrame() {
    ++frames_;
    if (on_frame_) on_frame_();
    if (!at_frame_.empty()) runDue(at_frame_, frames_);
    runPass();
}

void HeadlessDisplay::sleepMs(Int32 ms) {
    if (ms > 0) other_ms_ += ms;
    if (on_sleep_) on_sleep_(ms);
}

void HeadlessDisplay::repaint(Repaint what) {
    if (on_repaint_) on_repaint_(what);
}

Int32 HeadlessDisplay::messageBox(const std::string& text, const std::string& title, Int32 style) {
    messages_.push_back({text, title, style});
    if (echo_sink_ != nullptr) {
        std::string shown = text;
        std::replace(shown.begin(), shown.end(), '\r', '\n');
        *echo_sink_ << "[" << title << "] " << shown << "\n" << std::flush;
    }
    if (!answers_.empty()) {
        const Int32 answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    return (style & 0xF) == mb::kYesNo ? mb::kResultYes : mb::kResultOk;
}

LocalDateTime HeadlessDisplay::now() {
    const std::time_t t = start_time_ + static_cast<std::time_t>(std::floor(elapsedMs() / 1000.0));
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

bool HeadlessDisplay::skipMotion(const MotionTime& time) {
    // Anything that wants to see the motion's frames, pauses or passes makes it play them.
    if (!at_pass_.empty() || !every_pass_.empty() || on_frame_ || on_sleep_ || on_repaint_)
        return false;
    const std::uint64_t last = frames_ + time.frames;
    for (const Scripted& s : at_frame_) {
        if (s.at <= last) return false;
    }
    frames_ = last;
    other_ms_ += double(time.pause_ms);
    passes_ += time.passes;
    return true;
}

void HeadlessDisplay::quit(int exit_code) {
    throw ProgramEnd{exit_code};
}

void HeadlessDisplay::atPass(std::uint64_t pass, Action action) {
    at_pass_.push_back({pass, std::move(action)});
}

void HeadlessDisplay::atFrame(std::uint64_t frame, Action action) {
    at_frame_.push_back({frame, std::move(action)});
}

}  // namespace rl00
