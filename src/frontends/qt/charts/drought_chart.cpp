#include "frontends/qt/charts/drought_chart.h"

#include <QLineSeries>
#include <QLogValueAxis>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

#include "frontends/qt/charts/chart_style.h"
#include "stats/theory.h"

namespace rl00 {

namespace {

// The chance axis ends at a power of ten at most half the chance of one gap among all counted, so
// that the last step shows above it; but at 1 % at least and at one in a million at most.
constexpr double kHighestFloor = 1e-2;
constexpr double kLowestFloor = 1e-6;
constexpr int kTheoryPoints = 300;
constexpr double kFewestGames = 10.0;
constexpr qreal kStepMarker = 10.0;

QLineSeries* addCurve(QChart& chart, const QString& name, QRgb colour, Qt::PenStyle style) {
    auto* s = new QLineSeries;
    s->setName(name);
    styleLine(*s, colour, style == Qt::SolidLine ? 2.0 : 2.5, style);
    addOnAxes(chart, s);
    return s;
}

// The fewest games n with P(gap >= n) below `floor`, by halving: the chance only falls with n.
double gamesDownTo(double floor, double (*chance)(const Theory&, double), const Theory& t) {
    double low = 1.0, high = 2.0;
    while (chance(t, high) >= floor && high < 1e7)
        high *= 2.0;
    while (high - low > 1.0) {
        const double mid = std::floor((low + high) / 2.0);
        (chance(t, mid) >= floor ? low : high) = mid;
    }
    return high;
}

double longRun(const Theory& t, double n) {
    return t.survival(static_cast<std::uint64_t>(n));
}

double fromNormal(const Theory& t, double n) {
    return t.survivalFromNormal(static_cast<std::uint64_t>(n));
}

QList<QPointF> theoryCurve(double (*chance)(const Theory&, double), const Theory& t,
                           double last_games) {
    QList<QPointF> points;
    const double step = std::max(1.0, std::ceil(last_games / kTheoryPoints));
    for (double n = 1.0; n <= last_games + step; n += step) {
        const double c = chance(t, n);
        if (c <= 0.0) break;  // beyond what a log scale can show
        points.append({n, c});
    }
    return points;
}

}  // namespace

QList<QPointF> survivalSteps(const Histogram& gaps) {
    QList<QPointF> points;
    const double total = static_cast<double>(gaps.total());
    std::uint64_t left = gaps.atLeast(1);  // gaps of at least v games
    if (left == 0) return points;
    points.append({1.0, static_cast<double>(left) / total});
    for (std::uint64_t v = 1; v <= gaps.bound() && left > gaps.overCount(); ++v) {
        const std::uint64_t here = gaps.count(v);
        if (here == 0) continue;
        const double x = static_cast<double>(v);
        points.append({x, static_cast<double>(left) / total});
        left -= here;
        if (left > 0) points.append({x, static_cast<double>(left) / total});
    }
    // Gaps beyond the bound: the chance stays where it is to the end of the histogram.
    if (left > 0) points.append({static_cast<double>(gaps.bound()), double(left) / total});
    return points;
}

DroughtChart::DroughtChart(const Theory* theory)
    : theory_model_(theory), games_axis_(new QValueAxis), chance_axis_(new QLogValueAxis) {
    styleChart(*this, QStringLiteral("ハマり: n回転以上大当たりが来ない確率"));
    games_axis_->setLabelFormat(QStringLiteral("%.0f"));
    addTitledAxis(*this, games_axis_, Qt::AlignBottom, QStringLiteral("大当たりまでの回転数 n"));
    chance_axis_->setBase(10.0);
    chance_axis_->setLabelFormat(QStringLiteral("%g"));
    chance_axis_->setMinorTickCount(8);
    addTitledAxis(*this, chance_axis_, Qt::AlignLeft, QStringLiteral("確率（対数目盛）"));
    observed_ = addCurve(*this, QStringLiteral("観測: 大当たり間"), kObservedColour, Qt::SolidLine);
    observed_->setMarkerSize(kStepMarker);
    theory_ = addCurve(*this, QStringLiteral("理論: 大当たり間"), kTheoryColour, Qt::DashLine);
    observed_normal_ =
        addCurve(*this, QStringLiteral("観測: 通常時から"), kObservedColour2, Qt::SolidLine);
    observed_normal_->setMarkerSize(kStepMarker);
    theory_normal_ =
        addCurve(*this, QStringLiteral("理論: 通常時から"), kTheoryColour2, Qt::DashLine);
    showInLegend(*this, theory_, theory_model_ != nullptr);
    showInLegend(*this, theory_normal_, theory_model_ != nullptr);
}

void DroughtChart::plot(const RunStats& s) {
    const QList<QPointF> steps = survivalSteps(s.gaps);
    const QList<QPointF> steps_normal = survivalSteps(s.gaps_from_normal);
    // Steps that hardly leave n = 1 (every gap a single game, as under the argument 7) would be
    // no line at all; their points show them.
    for (const auto& [series, points] :
         {std::pair{observed_, &steps}, std::pair{observed_normal_, &steps_normal}}) {
        series->replace(*points);
        series->setPointsVisible(!points->isEmpty() && points->back().x() <= 1.0);
    }

    const double gaps = static_cast<double>(
        std::max<std::uint64_t>({s.gaps.total(), s.gaps_from_normal.total(), 1}));
    const double floor =
        std::clamp(std::pow(10.0, std::floor(std::log10(0.5 / gaps))), kLowestFloor, kHighestFloor);
    double last = kFewestGames;
    for (const QList<QPointF>* p : {&steps, &steps_normal}) {
        if (!p->isEmpty()) last = std::max(last, p->back().x());
    }
    if (theory_model_ != nullptr) {
        last = std::max({last, gamesDownTo(floor, longRun, *theory_model_),
                         gamesDownTo(floor, fromNormal, *theory_model_)});
        theory_->replace(theoryCurve(longRun, *theory_model_, last));
        theory_normal_->replace(theoryCurve(fromNormal, *theory_model_, last));
    }
    games_axis_->setRange(0.0, last);
    games_axis_->applyNiceNumbers();
    // A hair below the power of ten: the axis labels the powers it finds above its end, and
    // rounding may put the end itself just above.
    chance_axis_->setRange(floor * (1.0 - 1e-9), 1.0);
}

}  // namespace rl00
