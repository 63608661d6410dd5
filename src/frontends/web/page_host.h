#pragma once
// What the page does for the machine: the clock, turns of the browser's event loop, the input the
// page has queued, the pictures shown, modal messages and what the machine tells the page. In the
// browser the calls that give the page a turn suspend the machine's synchronous code (Asyncify)
// and resume it afterwards; tests give the machine a host of their own.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/display.h"

namespace rl00 {

// One picture of the main window for the page: the reel window's pixels when they changed, and
// the labels whose caption or colours changed, as a JSON array.
struct PageFrame {
    const std::uint8_t* reel_rgba = nullptr;  // null: the reel window stands as it was
    int reel_width = 0;
    int reel_height = 0;
    std::string labels_json;  // "[]" when none changed
};

class PageHost {
  public:
    virtual ~PageHost() = default;

    // Milliseconds on a steady clock with sub-millisecond resolution.
    virtual double nowMs() = 0;
    // Gives the browser a turn (paint, input), back after about `ms` milliseconds; 0: as soon as
    // the browser has had its turn, without the 4 ms a nested timer costs.
    virtual void yieldToPage(double ms) = 0;
    // Gives the browser turns until the page queues input or `ms` milliseconds have passed.
    virtual void waitForInput(double ms) = 0;
    // The input queued since the last call, one command a line ("click Cmd_End", "pause 1", ...).
    virtual std::string takeInput() = 0;
    // Shows one picture of the window; painted by the browser at its next refresh.
    virtual void showFrame(const PageFrame& frame) = 0;
    // A modal message window; the machine waits for its button.
    virtual Int32 messageBox(const std::string& text, const std::string& title, Int32 style) = 0;
    virtual LocalDateTime localTime() = 0;
    virtual void beep() = 0;
    // Tells the page something of `kind` ("trace", "stats", "ended", ...) with a text.
    virtual void tell(std::string_view kind, std::string_view text) = 0;
};

}  // namespace rl00
