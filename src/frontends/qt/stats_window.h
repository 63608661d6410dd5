#pragma once
// 統計, the statistics window: the charts of the games the main window has played since the
// program started. The counts are kept whether or not the window is open, one cheap addition per
// game; the charts are drawn again from them at most twice a second, and only while the window
// is shown, since every game runs inside the same event processing.

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>

#include "frontends/qt/charts/run_charts.h"
#include "stats/run_stats.h"
#include "stats/theory.h"

class QLabel;

namespace rl00 {

class MainWindow;
class ViewMenu;

class StatsWindow : public QWidget {
  public:
    static constexpr int kRedrawMs = 500;

    // `stats` and `theory` (null: none applies) must outlive the window.
    StatsWindow(const MachineStats& stats, const Theory* theory, QWidget* parent = nullptr);

    // Draws the charts from the counts now.
    void refresh();

    const RunCharts& charts() const { return charts_; }
    QString summary() const;

  protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

  private:
    const MachineStats& stats_;
    bool with_theory_;
    QLabel* summary_;
    RunCharts charts_;
    QTimer redraw_;
    std::optional<std::uint64_t> drawn_games_;
};

// The statistics of the main window's games, and the menu item 統計 (shortcut S) that opens
// their window.
class LiveStats : public QObject {
  public:
    // `argument` is the machine's: the theory does not describe the test arguments' games.
    LiveStats(MainWindow& window, ViewMenu& menu, const std::string& argument);

    // Counts a completed game; the main window tells every one, in order.
    void add(const GameRecord& r) { stats_.add(r); }
    // Opens the window, or brings the open one to the front.
    void openWindow();

    // The open window, or null.
    StatsWindow* window() const { return window_; }
    const MachineStats& stats() const { return stats_; }

  private:
    MainWindow& main_;
    MachineStats stats_{0};
    std::optional<Theory> theory_;
    QPointer<StatsWindow> window_;
};

}  // namespace rl00
