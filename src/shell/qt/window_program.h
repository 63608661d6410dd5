#pragma once
// The start of the window program: options, zoom, fonts, translations, then the load of the
// main window in its order, and the event loop.

#include <functional>

namespace rl00 {

// Maps the window's Japanese font names to the IPA fonts; before any widget exists.
void installFontSubstitutes();

// Runs the window program; returns its exit code when it ends without the machine ending it
// (bad options, --help). `launch_analysis` is what Cmd_Excel starts (may be empty).
int runWindowProgram(int argc, char** argv, std::function<void()> launch_analysis);

}  // namespace rl00
