#include "frontends/headless/progress.h"

#include <fmt/format.h>

#include <cmath>
#include <ostream>

#include "stats/figure_text.h"

namespace rl00 {

namespace {

std::string duration(double seconds) {
    const auto s = static_cast<std::uint64_t>(std::llround(seconds));
    return fmt::format("{}:{:02}:{:02}", s / 3600, s / 60 % 60, s % 60);
}

// Back to the start of the line, and the line cleared to its end.
constexpr const char* kRewind = "\r\033[K";

}  // namespace

std::string progressText(const ProgressFigures& f) {
    std::string text = grouped(f.games_done) + " of " + grouped(f.games_total) + " games";
    const double rate = f.seconds > 0.0 ? double(f.games_done) / f.seconds : 0.0;
    text += "  " + grouped(static_cast<std::uint64_t>(rate)) + " games/s";
    text += "  machines " + grouped(f.machines_done) + " of " + grouped(f.machines_total);
    if (rate > 0.0 && f.games_done < f.games_total)
        text += "  " + duration(double(f.games_total - f.games_done) / rate) + " left";
    return text;
}

void ProgressLine::update(Clock::time_point now, ProgressFigures f) {
    if (now - (drawn_ ? drawn_at_ : start_) < kInterval) return;
    drawn_at_ = now;
    drawn_ = true;
    f.seconds = std::chrono::duration<double>(now - start_).count();
    terminal_ << kRewind << progressText(f) << std::flush;
}

void ProgressLine::clear() {
    if (drawn_) terminal_ << kRewind << std::flush;
    drawn_ = false;
}

}  // namespace rl00
