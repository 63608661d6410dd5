#pragma once
// The start of the window program: options, zoom, fonts, translations, then the load of the
// main window in its order, and the event loop.

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <string>

#include "platform/vb_types.h"
#include "session/options.h"

class QWidget;

namespace rl00 {

struct Machine;

// What the window program reads from its command line beyond the shared options.
struct WindowOptions {
    SharedOptions shared;
    int zoom = 0;  // 0: not given
    bool no_delay = false;
    long end_after_games = 0;  // 0: never
    int end_after_ms = 0;      // 0: never
    bool measure = false;
    std::optional<std::uint64_t> seed;
    std::uint64_t replay = 0;  // 0: not given
    std::string trace_file;
    bool paused = false;
    // --report or report: the statistics file to render; the folder is then the positional
    // argument, or report's own DIR.
    std::string report;
    std::string report_dir;
};

// The largest game --replay reaches: the machine counts in 32 bits, and with the argument 7,
// where every game is a hit, its count of hits G_lOoatariCnt reaches its largest value in this
// game and would overflow in the next.
inline constexpr auto kMaxReplayGame =
    static_cast<std::uint64_t>(std::numeric_limits<Int32>::max());

// The window program's command line, reading into `o`.
CommandLine windowCommandLine(WindowOptions& o);

// Reads `args` with `line`, the table of `o`, and checks what one option needs of another.
Reading readWindowCommandLine(const CommandLine& line, const WindowOptions& o,
                              std::span<const std::string> args, Foreign foreign = Foreign::Fault);

// What Cmd_Excel starts: a launch for this machine, with the main window as its owner.
using AnalysisLauncher = std::function<void(Machine&, QWidget&)>;

// Maps the window's Japanese font names to the IPA fonts; before any widget exists.
void installFontSubstitutes();

// Runs the window program; returns its exit code when it ends without the machine ending it
// (bad options, --help). `launch_analysis` is what Cmd_Excel starts (may be empty).
int runWindowProgram(int argc, char** argv, AnalysisLauncher launch_analysis);

}  // namespace rl00
