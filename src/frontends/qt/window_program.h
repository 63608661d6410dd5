#pragma once
// The start of the window program: options, zoom, fonts, translations, then the load of the
// main window in its order, and the event loop.

#include <functional>

class QWidget;

namespace rl00 {

struct Machine;

// What Cmd_Excel starts: a launch for this machine, with the main window as its owner.
using AnalysisLauncher = std::function<void(Machine&, QWidget&)>;

// Maps the window's Japanese font names to the IPA fonts; before any widget exists.
void installFontSubstitutes();

// Runs the window program; returns its exit code when it ends without the machine ending it
// (bad options, --help). `launch_analysis` is what Cmd_Excel starts (may be empty).
int runWindowProgram(int argc, char** argv, AnalysisLauncher launch_analysis);

}  // namespace rl00
