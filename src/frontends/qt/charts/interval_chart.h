#pragma once
// Observed shares, one row each, with their 95 % Wilson intervals and the theory's chance beside
// them: what share of a reach kind's presentations end in a hit, how often the games of a mode
// hit. A row whose theory lies outside its 99.99 % interval is marked "!", as in the tables.

#include <QChart>
#include <QStringList>
#include <vector>

#include "stats/stats_report.h"

class QCategoryAxis;
class QLineSeries;
class QScatterSeries;
class QValueAxis;

namespace rl00 {

class IntervalChart : public QChart {
  public:
    // `rows` names the rows from the top. With `whole_range` the share axis runs from 0 to 100 %,
    // else from 0 to a little beyond the largest figure.
    IntervalChart(const QString& title, const QString& share_title, QStringList rows,
                  bool whole_range);

    // Draws the rows' figures; rows without a theory show none.
    void plot(const std::vector<Comparison>& figures);

    // The series, for whoever checks what is drawn: the observed shares (x in %, y the row),
    // and per row its interval and its theory (two points each, none without a theory).
    const QScatterSeries& observed() const { return *observed_; }
    const QLineSeries& interval(std::size_t row) const { return *intervals_.at(row); }
    const QLineSeries& theory(std::size_t row) const { return *theories_.at(row); }

  private:
    QStringList rows_;
    bool whole_range_;
    QValueAxis* share_axis_;
    QCategoryAxis* row_axis_;
    QScatterSeries* observed_;
    std::vector<QLineSeries*> intervals_;
    std::vector<QLineSeries*> theories_;
};

}  // namespace rl00
