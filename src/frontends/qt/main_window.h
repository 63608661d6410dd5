#pragma once
// frmRL00, the main window: every control of the layout table at its place, showing the scene.
// The window never owns game state; it turns its events into calls of the machine's logic:
// Tim_Start ticks and Com_Start clicks start a game, Cmd_End and every close end the program,
// and the first activation starts the idle loop.

#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <vector>

#include "frontends/qt/image_list.h"
#include "machine/scene.h"
#include "stats/game_recorder.h"

class QLabel;
class QPushButton;

namespace rl00 {

struct Machine;
struct ControlDesign;
class QtDisplay;
class ReelView;
class SeededRun;
class StatusLine;
class WindowGoneWatch;

class MainWindow : public QWidget {
  public:
    MainWindow(Machine& m, QtDisplay& display, QWidget* parent = nullptr);
    ~MainWindow() override;

    // What Cmd_Excel starts; unset, the button does nothing.
    void setAnalysisLauncher(std::function<void()> launch) { analysis_ = std::move(launch); }
    // Clicks Cmd_End after `games` completed games (0: never), for unattended runs.
    void setEndAfterGames(long games) { end_after_games_ = games; }
    // Clicks Cmd_End `ms` milliseconds after the window is shown, whatever runs at that moment.
    void setEndAfterMs(int ms) { end_after_ms_ = ms; }
    // Told of every completed game, in order, as the runner records it.
    void addGameListener(std::function<void(const GameRecord&)> listener) {
        game_listeners_.push_back(std::move(listener));
    }
    // Runs `start` instead of the idle loop once the window is active (a seeded run, a
    // measurement mode).
    void setIdleEntry(std::function<void()> start) { idle_entry_ = std::move(start); }
    // Plays the games of `run` (may be null: the free-running idle counter's games).
    void setSeededRun(SeededRun* run) { run_ = run; }

    // What a Tim_Start tick or a Com_Start click does: plays the next game when a start request
    // is accepted, records it and tells the listeners. False when no game was completed.
    bool playNextGame();
    std::uint64_t completedGames() const { return completed_games_; }

    // Brings labels, the timer and the reel window in line with the scene; the reel window is
    // painted at most once per `refresh_ms`.
    void syncFromScene(double refresh_ms);
    void repaintReelWindow();
    void repaintMessageLabel();

    // Starts the idle loop if no activation has come by then.
    void armFallbackStart(int ms);

    // How far a replay has come (games 1..`done` of 1..`last`); cleared by `last` 0.
    void showReplayProgress(std::uint64_t done, std::uint64_t last);
    // The strip's first line under the reels' presentation ("" while hidden).
    QString statusText() const;

    ReelView& reelView() { return *reel_view_; }
    QWidget* control(std::string_view name, int index = -1) const;

  protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

  private:
    struct BoundLabel {
        QLabel* widget;
        const ControlDesign* design;
        Label shown;
    };

    void build();
    void showLabel(BoundLabel& b, const Label& l);
    void syncLabels();
    void syncTimer();
    void syncStatus();
    void endRequest();
    void enterIdle();

    Machine& m_;
    QtDisplay& display_;
    ImageList images_;
    ReelView* reel_view_ = nullptr;
    std::unique_ptr<StatusLine> status_;
    std::vector<BoundLabel> labels_;
    std::vector<std::pair<const ControlDesign*, QWidget*>> widgets_;
    QPushButton* cmd_end_ = nullptr;
    QTimer tim_start_;
    // Destroyed before the widget, so that tearing the window down is not taken for its loss.
    std::unique_ptr<WindowGoneWatch> gone_watch_;
    std::function<void()> analysis_;
    std::function<void()> idle_entry_;
    SeededRun* run_ = nullptr;
    GameRecorder recorder_;
    std::vector<std::function<void(const GameRecord&)>> game_listeners_;
    long end_after_games_ = 0;
    int end_after_ms_ = 0;
    std::uint64_t completed_games_ = 0;
    // The display's frame count when the game being played began; none between games.
    std::optional<std::uint64_t> game_first_frame_;
    bool replaying_ = false;
    // What the strip says now: paused, the game and its frame.
    std::tuple<bool, std::uint64_t, std::uint64_t> status_shown_{};
    bool activation_seen_ = false;
    bool idle_entered_ = false;
};

}  // namespace rl00
