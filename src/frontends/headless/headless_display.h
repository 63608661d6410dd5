#pragma once
// The Display of tests and batch runs: no window, a virtual clock. Sleeps and frames advance
// virtual time instantly; message boxes are answered from a script; scripted events run inside
// event processing, where a window's events would run; program end unwinds as ProgramEnd.

#include <cstdint>
#include <ctime>
#include <deque>
#include <functional>
#include <iosfwd>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "platform/display.h"
#include "session/game_sequence.h"

namespace rl00 {

struct ShownMessage {
    std::string text;
    std::string title;
    Int32 style = 0;
};

class HeadlessDisplay : public Display, public GameClock {
  public:
    using Action = std::function<void()>;

    HeadlessDisplay();

    // --- Display ---
    void processEvents() override;
    void endFrame() override;
    void sleepMs(Int32 ms) override;
    void repaint(Repaint what) override;
    void beep() override {}
    Int32 messageBox(const std::string& text, const std::string& title, Int32 style) override;
    LocalDateTime now() override;
    bool skipMotion(const MotionTime& time) override;

    // --- virtual clock ---
    // Animation frames ended so far.
    std::uint64_t frames() const override { return frames_; }
    void setFramePeriodMs(double ms) { frame_ms_ = ms; }
    double virtualFrameMs() const override { return frame_ms_; }
    // Frames are counted and multiplied out rather than added up one by one, so a motion whose
    // frames are skipped takes exactly the time its frames would have taken.
    double elapsedMs() const { return double(frames_) * frame_ms_ + other_ms_; }
    void advanceMs(std::uint64_t ms) override { other_ms_ += double(ms); }
    // The milliseconds besides the frames. Every pause and timer tick is whole, so in a run this
    // is a whole number, exact, and a run's time adds up over machines without rounding.
    std::uint64_t wholeMs() const override { return static_cast<std::uint64_t>(other_ms_); }

    // --- scripted events (run inside event processing) ---
    // Runs `action` in the pass of event processing numbered `pass` (1-based, counting every
    // processEvents and every endFrame).
    void atPass(std::uint64_t pass, Action action);
    // Runs `action` in the event processing that ends frame number `frame` (1-based).
    void atFrame(std::uint64_t frame, Action action);
    // Runs `action` in the first pass of event processing at or after virtual time `ms`.
    void atTime(double ms, Action action);
    // Runs `action` in every pass of event processing.
    void onEveryPass(Action action) { every_pass_.push_back(std::move(action)); }
    // Observers for tests and traces.
    void onRepaint(std::function<void(Repaint)> f) { on_repaint_ = std::move(f); }
    void onFrame(Action f) { on_frame_ = std::move(f); }
    void onSleep(std::function<void(Int32)> f) { on_sleep_ = std::move(f); }

    // --- message boxes ---
    // Answers for the next message boxes; without one, OK (1) or Yes (6) is pressed.
    void queueAnswer(Int32 result) { answers_.push_back(result); }
    const std::vector<ShownMessage>& messages() const { return messages_; }
    // Also print every message's title and text on `sink` (nullptr: no echo). A carriage return
    // in the text, the line break of a message window, is printed as a new line: on a terminal
    // it would send the cursor back and let the next line overwrite the first.
    void echoMessagesTo(std::ostream* sink) { echo_sink_ = sink; }

    std::uint64_t passes() const { return passes_; }

  protected:
    void quit(int exit_code) override;

  private:
    struct Scripted {
        std::uint64_t at;
        Action action;
    };
    void runPass();
    void runTimed();
    static void runDue(std::vector<Scripted>& list, std::uint64_t count);

    static constexpr double kNever = std::numeric_limits<double>::infinity();

    double frame_ms_ = kDefaultFrameMs;
    double other_ms_ = 0.0;  // pauses and time between games
    std::time_t start_time_;
    std::uint64_t frames_ = 0;
    std::uint64_t passes_ = 0;
    std::vector<Scripted> at_pass_;
    std::vector<Scripted> at_frame_;
    std::vector<std::pair<double, Action>> at_time_;
    double next_time_ = kNever;
    bool timed_ran_ = false;
    std::vector<Action> every_pass_;
    std::function<void(Repaint)> on_repaint_;
    Action on_frame_;
    std::function<void(Int32)> on_sleep_;
    std::deque<Int32> answers_;
    std::vector<ShownMessage> messages_;
    std::ostream* echo_sink_ = nullptr;
};

}  // namespace rl00
