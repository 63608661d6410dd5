#pragma once
// The five charts of a run's counts, each in a view of its own: the statistics window lays the
// views out and draws them again as games come in, the report renders each to its files.

#include <QSize>
#include <QString>
#include <array>

#include "stats/run_stats.h"

class QChartView;
class QWidget;

namespace rl00 {

struct Theory;
class IntervalChart;
class ModeReliabilityChart;
class DroughtChart;
class ChainChart;

enum class ChartKind { ReachReliability, ModeReachReliability, Droughts, Chains, ModeHitRates };
inline constexpr std::array<ChartKind, 5> kChartKinds = {
    ChartKind::ReachReliability, ChartKind::ModeReachReliability, ChartKind::Droughts,
    ChartKind::Chains, ChartKind::ModeHitRates};

// The name of a chart's files in the report ("reliability" for reliability.png and .svg).
const char* chartFileStem(ChartKind kind);

// The size a chart is drawn at, in the window's own pixels (the zoom scales them) and on the
// report's page: every title, axis label, category name and legend entry is whole at this size,
// and a chart of a few rows is no taller than they need.
QSize chartSize(ChartKind kind);

class RunCharts {
  public:
    // The views are children of `parent`; `theory` (null: none applies) must outlive them.
    RunCharts(const Theory* theory, QWidget* parent);

    // Draws every chart for these counts.
    void plot(const RunStats& s);

    QChartView* view(ChartKind kind) const;
    QString title(ChartKind kind) const;

    const IntervalChart& reachReliability() const { return *reach_reliability_; }
    const ModeReliabilityChart& modeReachReliability() const { return *mode_reach_reliability_; }
    const DroughtChart& droughts() const { return *droughts_; }
    const ChainChart& chains() const { return *chains_; }
    const IntervalChart& modeHitRates() const { return *mode_hit_rates_; }

  private:
    const Theory* theory_;
    IntervalChart* reach_reliability_;
    ModeReliabilityChart* mode_reach_reliability_;
    DroughtChart* droughts_;
    ChainChart* chains_;
    IntervalChart* mode_hit_rates_;
    std::array<QChartView*, kChartKinds.size()> views_{};
};

}  // namespace rl00
