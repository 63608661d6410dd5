#pragma once
// The start of the window program: options, zoom, fonts, translations, then the load of the
// main window in its order, and the event loop.

#include <functional>

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
    // --report: the statistics file to render; the folder is then the positional argument.
    std::string report;
};

// The window program's command line, reading into `o`.
CommandLine windowCommandLine(WindowOptions& o);

// What Cmd_Excel starts: a launch for this machine, with the main window as its owner.
using AnalysisLauncher = std::function<void(Machine&, QWidget&)>;

// Maps the window's Japanese font names to the IPA fonts; before any widget exists.
void installFontSubstitutes();

// Runs the window program; returns its exit code when it ends without the machine ending it
// (bad options, --help). `launch_analysis` is what Cmd_Excel starts (may be empty).
int runWindowProgram(int argc, char** argv, AnalysisLauncher launch_analysis);

}  // namespace rl00
