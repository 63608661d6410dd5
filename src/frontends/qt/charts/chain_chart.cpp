#include "frontends/qt/charts/chain_chart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

#include "frontends/qt/charts/chart_style.h"

namespace rl00 {

namespace {

constexpr std::size_t kBars = kChainRows + 1;

}  // namespace

ChainChart::ChainChart() : share_axis_(new QValueAxis), observed_(new QBarSet(QString())) {
    styleChart(*this, QStringLiteral("連チャン: 1回の連チャンの大当たり数"));
    QStringList lengths;
    for (std::size_t k = 1; k <= kChainRows; ++k)
        lengths << QString::number(k);
    lengths << QStringLiteral("%1〜").arg(kChainRows + 1);
    auto* length_axis = new QBarCategoryAxis;
    length_axis->append(lengths);
    addTitledAxis(*this, length_axis, Qt::AlignBottom,
                  QStringLiteral("連チャン数（大当たり回数）"));
    share_axis_->setLabelFormat(QStringLiteral("%g"));
    addTitledAxis(*this, share_axis_, Qt::AlignLeft, QStringLiteral("連チャンの割合 (%)"));

    observed_->setLabel(QStringLiteral("観測値"));
    observed_->setColor(QColor(kObservedColour).lighter(150));
    observed_->setBorderColor(QColor(kObservedColour));
    for (std::size_t k = 0; k < kBars; ++k)
        observed_->append(0.0);
    auto* bars = new QBarSeries;
    bars->append(observed_);
    bars->setBarWidth(0.6);
    addOnAxes(*this, bars);
    // A bar's marker taken "from the series" comes out empty and cuts its label short.
    for (QLegendMarker* marker : legend()->markers(bars))
        marker->setShape(QLegend::MarkerShapeRectangle);
    for (std::size_t k = 0; k < kBars; ++k) {
        auto* interval = new QLineSeries;
        interval->setName(QStringLiteral("95%信頼区間"));
        styleLine(*interval, kObservedColour, 2.0);
        addOnAxes(*this, interval);
        showInLegend(*this, interval, k == 0);
        intervals_.push_back(interval);
    }
    theory_ = new QLineSeries;
    theory_->setName(QStringLiteral("理論値"));
    styleLine(*theory_, kTheoryColour, 2.5);
    theory_->setPointsVisible(true);
    addOnAxes(*this, theory_);
}

void ChainChart::plot(const Report& r) {
    qreal largest = 0.0;
    QList<QPointF> theory;
    for (std::size_t k = 0; k < kBars; ++k) {
        const Comparison& c = r.others.at(r.first_chain_row + k);
        const auto bar = static_cast<qreal>(k);
        observed_->replace(static_cast<int>(k), 100.0 * c.observed.share());
        if (c.observed.trials == 0) {
            intervals_[k]->clear();
        } else {
            const Interval ci = c.ci95();
            intervals_[k]->replace({{bar, 100.0 * ci.low}, {bar, 100.0 * ci.high}});
            largest = std::max(largest, ci.high);
        }
        if (c.theory) {
            theory.append({bar, 100.0 * *c.theory});
            largest = std::max(largest, *c.theory);
        }
    }
    theory_->replace(theory);
    showInLegend(*this, theory_, !theory.isEmpty());
    share_axis_->setRange(0.0, largest > 0.0 ? std::min(100.0, 105.0 * largest) : 1.0);
    share_axis_->applyNiceNumbers();
}

}  // namespace rl00
