#include "frontends/qt/charts/chart_style.h"

#include <QAbstractAxis>
#include <QChart>
#include <QLegend>
#include <QLegendMarker>
#include <QPen>
#include <QValueAxis>
#include <QXYSeries>

#include "engine/rich_sel.h"
#include "stats/figure_text.h"

namespace rl00 {

namespace {

constexpr int kTitlePx = 15;
constexpr int kLabelPx = 12;
// The share axis reaches a little beyond 0 and 100 %, so that a mark there shows whole.
constexpr qreal kShareMargin = 2.0;

}  // namespace

QFont chartFont(int pixel_size, bool bold) {
    QFont f(QStringLiteral("IPAPGothic"));
    f.setPixelSize(pixel_size);
    f.setBold(bold);
    return f;
}

QString reachKindName(int kind) {
    QString name = toQString(richName(static_cast<Int16>(kind)));
    while (name.endsWith(QLatin1Char('!')))
        name.chop(1);
    return name;
}

QString counted(std::uint64_t n) {
    return toQString(grouped(n));
}

QString toQString(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

void styleChart(QChart& chart, const QString& title) {
    chart.setTitle(title);
    chart.setTitleFont(chartFont(kTitlePx, true));
    chart.setAnimationOptions(QChart::NoAnimation);
    chart.setBackgroundRoundness(0);
    chart.setMargins(QMargins(6, 6, 6, 6));
    chart.legend()->setAlignment(Qt::AlignBottom);
    chart.legend()->setMarkerShape(QLegend::MarkerShapeFromSeries);
    chart.legend()->setFont(chartFont(kLabelPx));
}

void addTitledAxis(QChart& chart, QAbstractAxis* axis, Qt::Alignment alignment,
                   const QString& title) {
    axis->setTitleText(title);
    axis->setTitleFont(chartFont(kLabelPx));
    axis->setLabelsFont(chartFont(kLabelPx));
    // A chart is drawn at a size where every label fits; cut, a reach's name would be "…".
    axis->setTruncateLabels(false);
    chart.addAxis(axis, alignment);
}

void addOnAxes(QChart& chart, QAbstractSeries* series) {
    chart.addSeries(series);
    for (QAbstractAxis* axis : chart.axes())
        series->attachAxis(axis);
}

void styleLine(QXYSeries& series, QRgb colour, qreal width, Qt::PenStyle style) {
    QPen pen{QColor(colour)};
    pen.setWidthF(width);
    pen.setStyle(style);
    pen.setCapStyle(Qt::FlatCap);
    series.setPen(pen);
}

void wholeShareRange(QValueAxis& axis) {
    axis.setTickType(QValueAxis::TicksDynamic);
    axis.setTickAnchor(0.0);
    axis.setTickInterval(10.0);
    axis.setRange(-kShareMargin, 100.0 + kShareMargin);
}

void showInLegend(QChart& chart, QAbstractSeries* series, bool shown) {
    for (QLegendMarker* marker : chart.legend()->markers(series))
        marker->setVisible(shown);
}

}  // namespace rl00
