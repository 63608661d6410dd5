#pragma once
// The Display of the window program: real time, real event processing, the main window as the
// picture of the scene. Animation frames are paced to a frame period that the user may change;
// pace and pause only decide how fast a game is shown, never what happens in it.

#include <QElapsedTimer>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/display.h"
#include "session/game_sequence.h"

namespace rl00 {

class MainWindow;

class QtDisplay final : public Display, public GameClock {
  public:
    static constexpr double kDefaultFrameMs = rl00::kDefaultFrameMs;
    static constexpr double kMinFrameMs = 0.5;
    static constexpr double kMaxFrameMs = 20.0;

    QtDisplay();

    // The window that shows the scene; until it is attached only events are processed.
    void attach(MainWindow* window) { window_ = window; }

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
    // Frames follow each other as fast as the machine can step them.
    void setNoDelay(bool on) { no_delay_ = on; }
    bool noDelay() const { return no_delay_; }
    // Holds the animation at its next frame until resumed; events are still processed.
    void setPaused(bool on);
    bool paused() const { return paused_; }
    // While paused: lets one more frame pass, and holds again at the one after it. Steps asked
    // for faster than the frames come are kept, one frame each.
    void stepFrame();

    // Games played at once, as a run that draws nothing plays them: motions in closed form, no
    // frame waits, pauses or paints, no sound and no event processing. Their frames and pauses
    // are counted all the same.
    void setFastForward(bool on) { fast_forward_ = on; }
    bool fastForward() const { return fast_forward_; }

    // The user asked to end: from now on nothing waits, so the logic reaches its next check of
    // the end flag at once.
    void noteEndRequest() { end_requested_ = true; }

    // Runs `close` when the program ends; one that fails turns an ordinary end into exit code 1.
    void closeAtEnd(std::function<bool()> close) { closers_.push_back(std::move(close)); }

    // --- virtual time, as the runner counts it: frames ended and whole milliseconds of pauses,
    // whatever the pace they were shown at ---
    std::uint64_t frames() const override { return frames_; }
    std::uint64_t wholeMs() const override { return whole_ms_; }
    void setVirtualFrameMs(double ms) { virtual_frame_ms_ = ms; }
    double virtualFrameMs() const override { return virtual_frame_ms_; }
    void advanceMs(std::uint64_t ms) override { whole_ms_ += ms; }

  protected:
    void quit(int exit_code) override;

  private:
    void sync();
    void holdWhilePaused();
    void pumpUntil(qint64 deadline_ns);

    MainWindow* window_ = nullptr;
    QElapsedTimer clock_;
    qint64 last_frame_ns_ = 0;
    double frame_ms_ = kDefaultFrameMs;
    double refresh_ms_ = 1000.0 / 60.0;
    bool no_delay_ = false;
    bool paused_ = false;
    std::uint64_t steps_ = 0;  // frames to let pass while paused
    bool fast_forward_ = false;
    bool end_requested_ = false;
    std::uint64_t frames_ = 0;
    std::uint64_t whole_ms_ = 0;
    double virtual_frame_ms_ = kDefaultFrameMs;
    std::vector<std::function<bool()>> closers_;
};

}  // namespace rl00
