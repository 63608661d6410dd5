#pragma once
// The Display of the page: real time from the browser's clock, the page's queued input taken in
// event processing, the main window painted on the page's canvas. Frames keep the window's fixed
// frame grid; the machine's synchronous code gives the browser a turn at least once per screen
// refresh (to paint and to take input) and otherwise waits on the clock, since a browser's timers
// cannot wake it every 0.5 or 2 ms. Pace and pause only decide how fast a game is shown.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/display.h"
#include "session/game_sequence.h"

namespace rl00 {

class PageHost;

// What a pass of event processing does beside the clock: the page's window takes its input and
// timer ticks, and paints.
class PageWindow {
  public:
    virtual void takeInput() = 0;
    // Paints when the scene changed since the last paint.
    virtual void paint() = 0;
    // The time at which the window next has something to do by itself (a timer tick), or a
    // negative number when nothing is due.
    virtual double nextDueMs() const = 0;

  protected:
    ~PageWindow() = default;
};

class WebDisplay final : public Display, public GameClock {
  public:
    static constexpr double kMinFrameMs = 0.5;
    static constexpr double kMaxFrameMs = 20.0;

    explicit WebDisplay(PageHost& host);

    void attach(PageWindow* window) { window_ = window; }
    void setRefreshMs(double ms) { refresh_ms_ = ms; }

    // --- Display ---
    void processEvents() override;
    void waitForEvents() override;
    void endFrame() override;
    void sleepMs(Int32 ms) override;
    void repaint(Repaint what) override;
    void beep() override;
    Int32 messageBox(const std::string& text, const std::string& title, Int32 style) override;
    LocalDateTime now() override;
    bool skipMotion(const MotionTime& time) override;

    // --- pace ---
    void setFramePeriodMs(double ms);
    double framePeriodMs() const { return frame_ms_; }
    void setNoDelay(bool on) { no_delay_ = on; }
    bool noDelay() const { return no_delay_; }
    void setPaused(bool on);
    bool paused() const { return paused_; }
    // Paused and waiting for a step: the frame last counted is the one on the screen.
    bool holding() const { return holding_; }
    // While paused: lets one more frame pass; steps asked for faster than frames come are kept.
    void stepFrame();
    // Games played at once: motions in closed form, no frame waits, pauses, paints, sound or
    // event processing; their frames and pauses are counted all the same.
    void setFastForward(bool on) { fast_forward_ = on; }
    bool fastForward() const { return fast_forward_; }
    // From now on nothing waits, so the logic reaches its next check of the end flag at once.
    void noteEndRequest() { end_requested_ = true; }

    // Keeps the clock's time of each of the next `count` frames, for a measurement of the pace.
    void recordFrameTimes(std::size_t count);
    // The times kept so far.
    const std::vector<double>& frameTimes() const { return frame_times_; }

    // Gives the page a turn now when a screen refresh has passed since the last one: a long
    // piece of work that processes no events (a replay) keeps the page answering with it.
    void keepPageAnswering();

    // --- virtual time, as the runner counts it ---
    std::uint64_t frames() const override { return frames_; }
    std::uint64_t wholeMs() const override { return whole_ms_; }
    void setVirtualFrameMs(double ms) { virtual_frame_ms_ = ms; }
    double virtualFrameMs() const override { return virtual_frame_ms_; }
    void advanceMs(std::uint64_t ms) override { whole_ms_ += ms; }

  protected:
    void quit(int exit_code) override;

  private:
    void pump();
    void paintIfDue(bool now);
    void holdWhilePaused();
    void waitUntil(double deadline_ms);

    PageHost& host_;
    PageWindow* window_ = nullptr;
    double refresh_ms_ = 1000.0 / 60.0;
    double last_turn_ms_ = 0.0;
    double last_paint_ms_ = -1e9;
    double last_frame_ms_ = 0.0;
    double frame_ms_ = kDefaultFrameMs;
    bool no_delay_ = false;
    bool paused_ = false;
    std::uint64_t steps_ = 0;
    bool holding_ = false;
    bool fast_forward_ = false;
    bool end_requested_ = false;
    std::uint64_t frames_ = 0;
    std::uint64_t whole_ms_ = 0;
    double virtual_frame_ms_ = kDefaultFrameMs;
    std::vector<double> frame_times_;
    std::size_t frame_times_wanted_ = 0;
};

}  // namespace rl00
