#pragma once
// frmRL00 on the page: the window's events turned into calls of the machine's logic (Tim_Start
// ticks and Com_Start clicks start a game, Cmd_End and closing the page end the program) and the
// view's commands (pace, pause, one frame, scale), and the scene handed to the page to paint.
// Cmd_Excel never reaches the machine: the page answers it with its statistics view and
// downloads. The window owns no game state.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "frontends/web/reel_raster.h"
#include "frontends/web/web_display.h"
#include "machine/scene.h"
#include "stats/game_recorder.h"

namespace rl00 {

struct Machine;
class PageHost;
class SeededRun;

// Every control of frmRL00 the page draws, in the order the window stacks them (later ones on
// top), as a JSON array; a label the scene holds carries the number the painted labels use.
std::string windowLayoutJson();

class WebWindow final : public PageWindow {
  public:
    WebWindow(Machine& m, WebDisplay& display, PageHost& host);

    // Device pixels per pixel of the window at 1x; the reel window is drawn again at the next
    // paint.
    void setScale(double scale);
    // Plays the games of `run` (may be null: the free-running idle counter's games).
    void setSeededRun(SeededRun* run) { run_ = run; }
    // Told of every completed game, in order, as the runner records it.
    void addGameListener(std::function<void(const GameRecord&)> listener) {
        game_listeners_.push_back(std::move(listener));
    }
    // Runs `command` for an input line the window does not know itself ("stats", ...).
    void setCommandHandler(std::function<void(std::string_view)> handler) {
        commands_ = std::move(handler);
    }

    // What a Tim_Start tick or a Com_Start click does: plays the next game when a start request
    // is accepted, records it and tells the listeners. False when no game was completed.
    bool playNextGame();
    std::uint64_t completedGames() const { return completed_games_; }

    // Carries out one line of the page's input.
    void perform(std::string_view command);

    // --- PageWindow ---
    void takeInput() override;
    void paint() override;
    double nextDueMs() const override;

    const ReelRaster& raster() const { return raster_; }

  private:
    void syncTimer();
    std::string changedLabels();

    Machine& m_;
    WebDisplay& display_;
    PageHost& host_;
    ReelRaster raster_;
    std::vector<Label> shown_labels_;  // as the page shows them, in layout order
    bool labels_sent_ = false;
    bool timer_active_ = false;
    double next_tick_ms_ = 0.0;
    SeededRun* run_ = nullptr;
    GameRecorder recorder_;
    std::vector<std::function<void(const GameRecord&)>> game_listeners_;
    std::function<void(std::string_view)> commands_;
    std::uint64_t completed_games_ = 0;
};

}  // namespace rl00
