#pragma once
// What the logic asks of the platform beyond the scene: event processing, animation frames,
// sleeping, repaints, the beep, modal messages, the clock and the end of the program.
// The window program implements it with Qt; tests and batch runs with a virtual clock.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/vb_types.h"

namespace rl00 {

// The animation frame period, in ms, of a program that was told no other: the window's pace
// and the headless runner's virtual frame both start from it.
inline constexpr double kDefaultFrameMs = 2.0;

// Thrown by a Display that unwinds instead of exiting (tests, headless runs). It does not
// derive from RuntimeError or std::exception, so no error handler of the logic catches it.
struct ProgramEnd {
    int exit_code = 0;
};

// What a repaint request names.
enum class Repaint {
    ReelWindow,    // Pic_Window01 with all it holds
    MessageLabel,  // Lbl_Rich(1)
    Ghost,         // Img_Obake
};

// Message-box style values and results of the platform.
namespace mb {
inline constexpr Int32 kOk = 0;
inline constexpr Int32 kYesNo = 4;
inline constexpr Int32 kIconCritical = 16;
inline constexpr Int32 kIconQuestion = 32;
inline constexpr Int32 kIconExclamation = 48;
inline constexpr Int32 kIconInformation = 64;
inline constexpr Int32 kResultOk = 1;
inline constexpr Int32 kResultYes = 6;
inline constexpr Int32 kResultNo = 7;
}  // namespace mb

struct LocalDateTime {
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Display {
  public:
    virtual ~Display() = default;

    // Process pending window events once.
    virtual void processEvents() = 0;
    // Process pending window events once, first waiting for one when none is pending: for a loop
    // with nothing to do between events. Without real events it only processes them.
    virtual void waitForEvents() { processEvents(); }
    // End one animation frame: the frame is shown and pending events are processed.
    virtual void endFrame() = 0;
    // Suspend the thread for ms milliseconds (no event processing).
    virtual void sleepMs(Int32 ms) = 0;
    virtual void repaint(Repaint what) = 0;
    virtual void beep() = 0;
    // Modal message window; returns the platform's result code of the pressed button.
    virtual Int32 messageBox(const std::string& text, const std::string& title, Int32 style) = 0;
    // The current local date and time, as the run log stamps it.
    virtual LocalDateTime now() = 0;
    // The time a motion takes, counted as the frames and pauses it would have shown.
    struct MotionTime {
        std::uint64_t frames = 0;   // animation frames
        std::int64_t pause_ms = 0;  // milliseconds of pauses
        std::uint64_t passes = 0;   // passes of event processing (frames, pauses and others)
        bool operator==(const MotionTime&) const = default;
    };
    // Lets a motion's time pass without showing its frames, for runs that draw nothing. False
    // when this display shows every frame or has something to do inside that time (a scripted
    // event, an observer of frames or pauses); the motion must then be played frame by frame.
    virtual bool skipMotion(const MotionTime& /*time*/) { return false; }

    // End the program at once. Never returns.
    [[noreturn]] void endProgram(int exit_code) {
        quit(exit_code);
        std::abort();  // a quit() that returned would be a fault of the Display
    }

  protected:
    // Exits the process or unwinds (throws ProgramEnd); must not return.
    virtual void quit(int exit_code) = 0;
};

}  // namespace rl00
