#include "frontends/qt/charts/mode_reliability_chart.h"

#include <QCategoryAxis>
#include <QLineSeries>
#include <QScatterSeries>
#include <QValueAxis>

#include "frontends/qt/charts/chart_style.h"
#include "stats/theory.h"

namespace rl00 {

namespace {

// Normal, kakuhen, time shortening: the kakuhen line red-ish as the machine shows its mode, yet
// apart from the theory's orange.
constexpr std::array<QRgb, kModes> kModeColours = {kObservedColour, 0xC2255C, kObservedColour2};
// The modes' lines of a kind lie this far apart within its row, the middle one at its centre.
constexpr qreal kLinePitch = 0.28;
// How far the theory's mark reaches up and down from its line: less than half the pitch, so
// that the marks of neighbouring lines stay apart.
constexpr qreal kLineTheoryHalfHeight = 0.12;
constexpr qreal kLineObservedMarker = 8.0;

std::size_t at(int i) {
    return static_cast<std::size_t>(i);
}

}  // namespace

qreal ModeReliabilityChart::lineOf(int mode, std::size_t kind) {
    return static_cast<qreal>(kind) + 1.0 + (mode - (kModes - 1) / 2.0) * kLinePitch;
}

bool ModeReliabilityChart::plays(int mode, std::size_t kind) const {
    return theory_->modes[at(mode)].reach_kind[kind + 1].num > 0;
}

ModeReliabilityChart::ModeReliabilityChart(const QString& title, QStringList kinds,
                                           const QStringList& modes, const Theory* theory)
    : kinds_(std::move(kinds)), theory_(theory), kind_axis_(new QCategoryAxis) {
    styleChart(*this, title);
    auto* share_axis = new QValueAxis;
    wholeShareRange(*share_axis);
    share_axis->setLabelFormat(QStringLiteral("%g"));
    addTitledAxis(*this, share_axis, Qt::AlignBottom,
                  QStringLiteral("信頼度 (%)　点: 観測値　横線: 95%信頼区間"));
    // One category per kind, numbered from 1 at the top; the modes' lines share its row.
    const int count = static_cast<int>(kinds_.size());
    kind_axis_->setStartValue(0.5);
    for (int i = 0; i < count; ++i)
        kind_axis_->append(kinds_[i], i + 1.5);
    kind_axis_->setRange(0.5, count + 0.5);
    kind_axis_->setReverse(true);
    kind_axis_->setLabelsPosition(QCategoryAxis::AxisLabelsPositionCenter);
    addTitledAxis(*this, kind_axis_, Qt::AlignLeft, QString());

    for (int m = 0; m < kModes; ++m) {
        for (int i = 0; i < count; ++i) {
            auto* interval = new QLineSeries;
            styleLine(*interval, kModeColours[at(m)], 2.0);
            addOnAxes(*this, interval);
            showInLegend(*this, interval, false);
            intervals_[at(m)].push_back(interval);
            auto* mark = new QLineSeries;
            mark->setName(QStringLiteral("理論値"));
            styleLine(*mark, kTheoryColour, 2.5);
            addOnAxes(*this, mark);
            showInLegend(*this, mark, false);
            theories_[at(m)].push_back(mark);
        }
    }
    // The observations last, drawn over their intervals and the theory's marks.
    for (int m = 0; m < kModes; ++m) {
        auto* observed = new QScatterSeries;
        observed->setName(modes.at(m));
        observed->setMarkerShape(QScatterSeries::MarkerShapeCircle);
        observed->setMarkerSize(kLineObservedMarker);
        observed->setColor(QColor(kModeColours[at(m)]));
        observed->setBorderColor(Qt::white);
        addOnAxes(*this, observed);
        observed_[at(m)] = observed;
    }
}

void ModeReliabilityChart::plot(const Report& r) {
    const auto kinds = static_cast<std::size_t>(kinds_.size());
    bool any_theory = false;
    std::vector<bool> outside(kinds, false);
    for (int m = 0; m < kModes; ++m) {
        QList<QPointF> observed;
        for (std::size_t k = 0; k < kinds; ++k) {
            const Comparison& c = r.others.at(r.first_mode_reliability_row + kinds * at(m) + k);
            const qreal y = lineOf(m, k);
            // A mode that brought no reach of the kind has nothing to show.
            if (c.observed.trials == 0) {
                intervals_[at(m)][k]->clear();
            } else {
                const Interval ci = c.ci95();
                observed.append({100.0 * c.observed.share(), y});
                intervals_[at(m)][k]->replace({{100.0 * ci.low, y}, {100.0 * ci.high, y}});
            }
            // The figures give such a kind's reliability the theory 0 %; a mark there would
            // read as a presentation that never ends in a hit.
            if (c.theory && plays(m, k)) {
                const qreal x = 100.0 * *c.theory;
                theories_[at(m)][k]->replace(
                    {{x, y - kLineTheoryHalfHeight}, {x, y + kLineTheoryHalfHeight}});
                any_theory = true;
            } else {
                theories_[at(m)][k]->clear();
            }
            if (c.outside()) outside[k] = true;
        }
        observed_[at(m)]->replace(observed);
    }
    for (std::size_t k = 0; k < kinds; ++k) {
        const auto i = static_cast<qsizetype>(k);
        const QString label = kinds_[i] + (outside[k] ? QStringLiteral(" !") : QString());
        const QString old = kind_axis_->categoriesLabels().at(i);
        if (label != old) kind_axis_->replaceLabel(old, label);
    }
    showInLegend(*this, theories_.front().front(), any_theory);
}

}  // namespace rl00
