#pragma once
// A seeded run in the window: the runner's games of that seed, shown. The idle loop takes its
// first step and then holds the counter; each game moves it by the run's own draw when its start
// request is accepted (MainWindow::playNextGame). A replay first plays the games before the one
// to be shown at once, as the runner plays them, then shows that game at the chosen pace and
// plays on.

#include <cstdint>

namespace rl00 {

struct Machine;
class MainWindow;
class QtDisplay;
class SeededRun;

// The idle entry of a seeded window run, where `show_game` is the first game to be shown (1: all
// of them). Never returns: the held idle loop ends the program.
[[noreturn]] void playSeededInWindow(Machine& m, SeededRun& run, MainWindow& window,
                                     QtDisplay& display, std::uint64_t show_game);

}  // namespace rl00
