#include "frontends/qt/charts/run_charts.h"

#include <QChartView>

#include "frontends/qt/charts/chain_chart.h"
#include "frontends/qt/charts/chart_style.h"
#include "frontends/qt/charts/drought_chart.h"
#include "frontends/qt/charts/interval_chart.h"
#include "frontends/qt/charts/mode_reliability_chart.h"
#include "stats/stats_report.h"

namespace rl00 {

namespace {

QStringList reachNames() {
    QStringList names;
    for (int k = 1; k <= kReachKinds; ++k)
        names << reachKindName(k);
    return names;
}

QStringList modeNames() {
    return {QStringLiteral("通常"), QStringLiteral("確変"), QStringLiteral("時短")};
}

std::size_t at(ChartKind kind) {
    return static_cast<std::size_t>(kind);
}

}  // namespace

const char* chartFileStem(ChartKind kind) {
    switch (kind) {
        case ChartKind::ReachReliability:
            return "reliability";
        case ChartKind::ModeReachReliability:
            return "mode_reliability";
        case ChartKind::Droughts:
            return "droughts";
        case ChartKind::Chains:
            return "chains";
        case ChartKind::ModeHitRates:
            return "modes";
    }
    return "";
}

QSize chartSize(ChartKind kind) {
    constexpr int kWidth = 600;
    switch (kind) {
        case ChartKind::ModeHitRates:
            return {kWidth, 260};
        case ChartKind::ModeReachReliability:
            return {kWidth, 640};
        default:
            return {kWidth, 400};
    }
}

RunCharts::RunCharts(const Theory* theory, QWidget* parent)
    : theory_(theory),
      reach_reliability_(new IntervalChart(QStringLiteral("リーチの信頼度: 大当たりで終わった割合"),
                                           QStringLiteral("信頼度 (%)"), reachNames(), true)),
      mode_reach_reliability_(new ModeReliabilityChart(QStringLiteral("状態ごとのリーチの信頼度"),
                                                       reachNames(), modeNames(), theory)),
      droughts_(new DroughtChart(theory)),
      chains_(new ChainChart),
      mode_hit_rates_(new IntervalChart(QStringLiteral("状態ごとの大当たり確率"),
                                        QStringLiteral("1回転あたりの大当たり確率 (%)"),
                                        modeNames(), false)) {
    views_[at(ChartKind::ReachReliability)] = new QChartView(reach_reliability_, parent);
    views_[at(ChartKind::ModeReachReliability)] = new QChartView(mode_reach_reliability_, parent);
    views_[at(ChartKind::Droughts)] = new QChartView(droughts_, parent);
    views_[at(ChartKind::Chains)] = new QChartView(chains_, parent);
    views_[at(ChartKind::ModeHitRates)] = new QChartView(mode_hit_rates_, parent);
    for (QChartView* v : views_)
        v->setRenderHint(QPainter::Antialiasing);
}

void RunCharts::plot(const RunStats& s) {
    const Report r = compare(s, theory_);
    reach_reliability_->plot(r.reach_kinds);
    mode_reach_reliability_->plot(r);
    droughts_->plot(s);
    chains_->plot(r);
    mode_hit_rates_->plot(r.modes);
}

QChartView* RunCharts::view(ChartKind kind) const {
    return views_[at(kind)];
}

QString RunCharts::title(ChartKind kind) const {
    return view(kind)->chart()->title();
}

}  // namespace rl00
