#pragma once
// The reliability of each reach kind in each mode: a far miss is played as a reach in normal mode
// only, so the same presentation ends in a hit far more often in kakuhen or time shortening than
// in normal mode, and the overall figure is only their mixture. Per kind, one line for each mode
// with its observed share, its 95 % interval and the theory's chance; a kind whose theory lies
// outside any of its modes' 99.99 % intervals is marked "!". A kind a mode never plays has no
// reliability there, and no theory's mark.

#include <QChart>
#include <QStringList>
#include <array>
#include <vector>

#include "stats/stats_report.h"

class QCategoryAxis;
class QLineSeries;
class QScatterSeries;

namespace rl00 {

struct Theory;

class ModeReliabilityChart : public QChart {
  public:
    // `kinds` names the reach kinds from the top, `modes` the modes 0..kModes-1; `theory` (null:
    // none applies) must outlive the chart.
    ModeReliabilityChart(const QString& title, QStringList kinds, const QStringList& modes,
                         const Theory* theory);

    // Draws the per-mode reliability rows of `r`.
    void plot(const Report& r);

    // The series, for whoever checks what is drawn: per mode the observed shares (x in %, y the
    // mode's line within its kind's row), and per mode and kind (from 0) the interval and the
    // theory (two points each, none without trials or without a theory).
    const QScatterSeries& observed(int mode) const { return *observed_.at(index(mode)); }
    const QLineSeries& interval(int mode, std::size_t kind) const {
        return *intervals_.at(index(mode)).at(kind);
    }
    const QLineSeries& theory(int mode, std::size_t kind) const {
        return *theories_.at(index(mode)).at(kind);
    }
    // Where the line of `mode` lies within the row of kind index `kind`.
    static qreal lineOf(int mode, std::size_t kind);

  private:
    static std::size_t index(int mode) { return static_cast<std::size_t>(mode); }

    // Whether the mode plays the kind (index from 0) at all, by the theory's chances.
    bool plays(int mode, std::size_t kind) const;

    QStringList kinds_;
    const Theory* theory_;
    QCategoryAxis* kind_axis_;
    std::array<QScatterSeries*, kModes> observed_{};
    std::array<std::vector<QLineSeries*>, kModes> intervals_;
    std::array<std::vector<QLineSeries*>, kModes> theories_;
};

}  // namespace rl00
