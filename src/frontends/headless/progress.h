#pragma once
// The progress line of a long run, for a person watching the terminal: games per second,
// machines done, time left. Redrawn in place a few times a second and cleared at the end, so
// nothing of it stays in the terminal or reaches a file.

#include <chrono>
#include <cstdint>
#include <iosfwd>
#include <string>

namespace rl00 {

struct ProgressFigures {
    std::uint64_t games_done = 0;
    std::uint64_t games_total = 0;
    std::uint64_t machines_done = 0;
    std::uint64_t machines_total = 0;
    double seconds = 0.0;  // since the run began
};

// The line's text: "1,234,567 of 6,400,000 games  512,345 games/s  machines 3 of 64  0:01:23
// left".
std::string progressText(const ProgressFigures& f);

class ProgressLine {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr auto kInterval = std::chrono::milliseconds(250);

    ProgressLine(std::ostream& terminal, Clock::time_point start)
        : terminal_(terminal), start_(start) {}

    // Draws the line when kInterval has passed since it was last drawn (or since the start).
    void update(Clock::time_point now, ProgressFigures f);
    // Takes the line away, if one was drawn.
    void clear();

  private:
    std::ostream& terminal_;
    Clock::time_point start_;
    Clock::time_point drawn_at_{};
    bool drawn_ = false;
};

}  // namespace rl00
