#pragma once
// The look every chart shares, in the window and in the report: IPA P Gothic in pixel
// sizes (so that a chart reads the same at any zoom, which scales pixels), one colour for what was
// observed and one for the theory, and no animations, since the charts are drawn anew as the
// games come in.

#include <QColor>
#include <QFont>
#include <QString>
#include <cstdint>
#include <string_view>

class QAbstractAxis;
class QAbstractSeries;
class QChart;
class QValueAxis;
class QXYSeries;

namespace rl00 {

inline constexpr QRgb kObservedColour = 0x1F5FBF;
inline constexpr QRgb kTheoryColour = 0xE8590C;
// The second observation of a chart and its theory (the droughts from normal mode).
inline constexpr QRgb kObservedColour2 = 0x2B8A3E;
inline constexpr QRgb kTheoryColour2 = 0x862E9C;

QFont chartFont(int pixel_size, bool bold = false);
QString toQString(std::string_view s);
// Reach kind 1..10 as the machine names it, without the exclamation of its message.
QString reachKindName(int kind);
// A count with its thousands marked, as a Japanese desktop writes it: "12,345".
QString counted(std::uint64_t n);

// Title, fonts, margins and a legend below the plot.
void styleChart(QChart& chart, const QString& title);
// Adds `axis` to the chart at `alignment` with its title and the chart's fonts.
void addTitledAxis(QChart& chart, QAbstractAxis* axis, Qt::Alignment alignment,
                   const QString& title);
// Adds `series` to the chart on both of its axes.
void addOnAxes(QChart& chart, QAbstractSeries* series);
// A line of `colour`; dashed for a theory drawn beside an observation of the same colour family.
void styleLine(QXYSeries& series, QRgb colour, qreal width, Qt::PenStyle style = Qt::SolidLine);
// A share axis over the whole range, 0 to 100 %, ticked every 10 %.
void wholeShareRange(QValueAxis& axis);
// Shows or hides the series' entry in the legend.
void showInLegend(QChart& chart, QAbstractSeries* series, bool shown);

}  // namespace rl00
