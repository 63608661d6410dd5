#include "frontends/qt/charts/drought_chart.h"

#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QValueAxis>

#include "frontends/qt/charts/chart_style.h"
#include "stats/drought_curves.h"
#include "stats/theory.h"

namespace rl00 {

namespace {

// Every gap one game long, as under the argument 7, where every game is a hit: steps that never
// leave n = 1 are no curve to draw.
bool singleGamesOnly(const std::vector<CurvePoint>& steps) {
    return !steps.empty() && steps.back().x <= 1.0;
}

QLineSeries* addCurve(QChart& chart, const QString& name, QRgb colour, Qt::PenStyle style) {
    auto* s = new QLineSeries;
    s->setName(name);
    styleLine(*s, colour, style == Qt::SolidLine ? 2.0 : 2.5, style);
    addOnAxes(chart, s);
    return s;
}

QList<QPointF> toPoints(const std::vector<CurvePoint>& curve) {
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(curve.size()));
    for (const CurvePoint& p : curve)
        points.append({p.x, p.y});
    return points;
}

}  // namespace

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
    theory_ = addCurve(*this, QStringLiteral("理論: 大当たり間"), kTheoryColour, Qt::DashLine);
    observed_normal_ =
        addCurve(*this, QStringLiteral("観測: 通常時から"), kObservedColour2, Qt::SolidLine);
    theory_normal_ =
        addCurve(*this, QStringLiteral("理論: 通常時から"), kTheoryColour2, Qt::DashLine);
    showInLegend(*this, theory_, theory_model_ != nullptr);
    showInLegend(*this, theory_normal_, theory_model_ != nullptr);
    note_ = new QGraphicsSimpleTextItem(this);
    note_->setFont(chartFont(13));
    note_->setZValue(10.0);
    connect(this, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
        note_->setPos(area.center() - note_->boundingRect().center());
    });
}

QString DroughtChart::note() const {
    return note_->text();
}

void DroughtChart::plot(const RunStats& s) {
    const DroughtCurves c = droughtCurves(s, theory_model_);
    const QList<QPointF> steps = toPoints(c.steps);
    const QList<QPointF> steps_normal = toPoints(c.steps_from_normal);
    const bool single = singleGamesOnly(c.steps) || singleGamesOnly(c.steps_from_normal);
    observed_->replace(single ? QList<QPointF>() : steps);
    observed_normal_->replace(single ? QList<QPointF>() : steps_normal);
    note_->setText(single ? QStringLiteral("大当たり間はすべて1回転: ハマりはありません")
                          : QString());
    note_->setPos(plotArea().center() - note_->boundingRect().center());
    if (theory_model_ != nullptr) {
        theory_->replace(toPoints(c.theory));
        theory_normal_->replace(toPoints(c.theory_from_normal));
    }
    games_axis_->setRange(0.0, c.last);
    games_axis_->applyNiceNumbers();
    // A hair below the power of ten: the axis labels the powers it finds above its end, and
    // rounding may put the end itself just above.
    chance_axis_->setRange(c.floor * (1.0 - 1e-9), 1.0);
}

}  // namespace rl00
