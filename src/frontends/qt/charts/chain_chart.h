#pragma once
// Chain lengths: how many hits a chain held when it ended (G_iRenchan), as a share of the chains
// that ended, observed with its 95 % interval against the theory's distribution. Lengths beyond
// kChainRows share one bar, as they share one row of the tables.

#include <QChart>
#include <vector>

#include "stats/stats_report.h"

class QBarSet;
class QLineSeries;
class QValueAxis;

namespace rl00 {

class ChainChart : public QChart {
  public:
    ChainChart();

    // Draws the chain rows of `r` (from r.first_chain_row).
    void plot(const Report& r);

    // The observed shares in % (one bar per length), the theory's (point k - 1 for length k; none
    // without a theory) and each bar's interval (two points at the bar).
    const QBarSet& observed() const { return *observed_; }
    const QLineSeries& theory() const { return *theory_; }
    const QLineSeries& interval(std::size_t bar) const { return *intervals_.at(bar); }

  private:
    QValueAxis* share_axis_;
    QBarSet* observed_;
    QLineSeries* theory_;
    std::vector<QLineSeries*> intervals_;
};

}  // namespace rl00
