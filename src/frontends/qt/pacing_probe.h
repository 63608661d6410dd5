#pragma once
// A measurement mode of the window program: how evenly it paces animation frames, how exact its
// pauses are, how many idle passes it makes per second and how much memory it holds.

namespace rl00 {

struct Machine;
class QtDisplay;

// Measures on the shown window, prints the figures on standard output and ends the program.
[[noreturn]] void runPacingProbe(Machine& m, QtDisplay& display);

}  // namespace rl00
