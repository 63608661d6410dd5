#include "frontends/qt/charts/interval_chart.h"

#include <QCategoryAxis>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>

#include "frontends/qt/charts/chart_style.h"

namespace rl00 {

namespace {

// How far the theory's mark reaches up and down from the middle of its row.
constexpr qreal kTheoryHalfHeight = 0.3;
constexpr qreal kObservedMarker = 10.0;
constexpr int kShareTicks = 6;
QString rowLabel(const QString& name, const Comparison& c) {
    QString label = QStringLiteral("%1  %2回").arg(name, counted(c.observed.trials));
    if (c.outside()) label += QStringLiteral(" !");
    return label;
}

}  // namespace

IntervalChart::IntervalChart(const QString& title, const QString& share_title, QStringList rows,
                             bool whole_range)
    : rows_(std::move(rows)),
      whole_range_(whole_range),
      share_axis_(new QValueAxis),
      row_axis_(new QCategoryAxis),
      observed_(new QScatterSeries) {
    styleChart(*this, title);
    wholeShareRange(*share_axis_);
    share_axis_->setLabelFormat(QStringLiteral("%g"));
    addTitledAxis(*this, share_axis_, Qt::AlignBottom, share_title);
    // One category per row, numbered from 1 at the top.
    const int count = static_cast<int>(rows_.size());
    row_axis_->setStartValue(0.5);
    for (int i = 0; i < count; ++i)
        row_axis_->append(rows_[i], i + 1.5);
    row_axis_->setRange(0.5, count + 0.5);
    row_axis_->setReverse(true);
    row_axis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    addTitledAxis(*this, row_axis_, Qt::AlignLeft, QString());

    for (int i = 0; i < count; ++i) {
        auto* interval = new QLineSeries;
        interval->setName(QStringLiteral("95%信頼区間"));
        styleLine(*interval, kObservedColour, 2.5);
        addOnAxes(*this, interval);
        showInLegend(*this, interval, i == 0);
        intervals_.push_back(interval);
    }
    for (int i = 0; i < count; ++i) {
        auto* theory = new QLineSeries;
        theory->setName(QStringLiteral("理論値"));
        styleLine(*theory, kTheoryColour, 3.0);
        addOnAxes(*this, theory);
        showInLegend(*this, theory, false);
        theories_.push_back(theory);
    }
    observed_->setName(QStringLiteral("観測値"));
    observed_->setMarkerShape(QScatterSeries::MarkerShapeCircle);
    observed_->setMarkerSize(kObservedMarker);
    observed_->setColor(QColor(kObservedColour));
    observed_->setBorderColor(Qt::white);
    addOnAxes(*this, observed_);
}

void IntervalChart::plot(const std::vector<Comparison>& figures) {
    QList<QPointF> observed;
    bool any_theory = false;
    qreal largest = 0.0;
    for (std::size_t i = 0; i < figures.size() && i < intervals_.size(); ++i) {
        const Comparison& c = figures[i];
        const qreal row = static_cast<qreal>(i) + 1.0;
        // A row without trials has nothing to show; a 0..100 % interval would only hide the others.
        if (c.observed.trials == 0) {
            intervals_[i]->clear();
        } else {
            const Interval ci = c.ci95();
            observed.append({100.0 * c.observed.share(), row});
            intervals_[i]->replace({{100.0 * ci.low, row}, {100.0 * ci.high, row}});
            largest = std::max(largest, ci.high);
        }
        if (c.theory) {
            const qreal x = 100.0 * *c.theory;
            theories_[i]->replace({{x, row - kTheoryHalfHeight}, {x, row + kTheoryHalfHeight}});
            largest = std::max(largest, *c.theory);
            any_theory = true;
        } else {
            theories_[i]->clear();
        }
        const QString label = rowLabel(rows_[static_cast<qsizetype>(i)], c);
        const QString old = row_axis_->categoriesLabels().at(static_cast<qsizetype>(i));
        if (label != old) row_axis_->replaceLabel(old, label);
    }
    observed_->replace(observed);
    showInLegend(*this, theories_.front(), any_theory);
    if (!whole_range_) {
        if (largest > 0.9) {
            wholeShareRange(*share_axis_);
        } else {
            share_axis_->setTickType(QValueAxis::TicksFixed);
            share_axis_->setTickCount(kShareTicks);
            share_axis_->setRange(0.0, largest > 0.0 ? 108.0 * largest : 1.0);
            share_axis_->applyNiceNumbers();
        }
    }
}

}  // namespace rl00
