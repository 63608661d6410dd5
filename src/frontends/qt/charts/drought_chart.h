#pragma once
// Droughts: the chance that a hit takes at least n games to come, on a log scale, as observed
// and as the theory has it, for the gaps between hits and for the stretches that begin in normal
// mode (what a player who sits down at a machine in normal mode faces).

#include <QChart>

#include "stats/run_stats.h"

class QGraphicsSimpleTextItem;
class QLineSeries;
class QLogValueAxis;
class QValueAxis;

namespace rl00 {

struct Theory;

class DroughtChart : public QChart {
  public:
    // `theory` (null: none applies) must outlive the chart.
    explicit DroughtChart(const Theory* theory);

    void plot(const RunStats& s);

    // Points (n, P(gap >= n)): observed as steps, down to the longest gap; the theory's curve
    // over the same games. The second pair counts from normal mode.
    const QLineSeries& observed() const { return *observed_; }
    const QLineSeries& theory() const { return *theory_; }
    const QLineSeries& observedFromNormal() const { return *observed_normal_; }
    const QLineSeries& theoryFromNormal() const { return *theory_normal_; }
    // The line that says why no drought is drawn, empty while there are droughts to draw.
    QString note() const;

  private:
    const Theory* theory_model_;
    QValueAxis* games_axis_;
    QLogValueAxis* chance_axis_;
    QLineSeries* observed_;
    QLineSeries* theory_;
    QLineSeries* observed_normal_;
    QLineSeries* theory_normal_;
    QGraphicsSimpleTextItem* note_;
};

}  // namespace rl00
