#include "frontends/qt/stats_window.h"

#include <QChartView>
#include <QGridLayout>
#include <QGuiApplication>
#include <QKeySequence>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

#include "frontends/qt/charts/chart_style.h"
#include "frontends/qt/main_window.h"
#include "frontends/qt/view_options.h"
#include "session/window_layout.h"
#include "stats/stats_report.h"

namespace rl00 {

namespace {

constexpr QSize kPreferredSize{1100, 760};
constexpr QSize kLeastChartSize{360, 250};
constexpr int kSummaryPx = 13;

}  // namespace

StatsWindow::StatsWindow(const MachineStats& stats, const Theory* theory, QWidget* parent)
    : QWidget(parent, Qt::Window),
      stats_(stats),
      with_theory_(theory != nullptr),
      summary_(new QLabel(this)),
      charts_(theory, this) {
    setWindowTitle(QStringLiteral("統計 - ") + toQString(kFormCaption));
    setAttribute(Qt::WA_DeleteOnClose);
    summary_->setFont(chartFont(kSummaryPx));
    auto* grid = new QGridLayout;
    const ChartKind places[2][2] = {{ChartKind::ReachReliability, ChartKind::Droughts},
                                    {ChartKind::Chains, ChartKind::ModeHitRates}};
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 2; ++column) {
            QChartView* view = charts_.view(places[row][column]);
            view->setMinimumSize(kLeastChartSize);
            grid->addWidget(view, row, column);
        }
    }
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addLayout(grid, 1);
    QSize size = kPreferredSize;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableGeometry().size() * 0.9);
    }
    resize(size);
    redraw_.setInterval(kRedrawMs);
    connect(&redraw_, &QTimer::timeout, this, [this] {
        if (drawn_games_ != stats_.counts().games()) refresh();
    });
}

void StatsWindow::refresh() {
    const RunStats& s = stats_.counts();
    charts_.plot(s);
    QString text = QStringLiteral("回転数 %1　大当たり %2（確変 %3）　終わった連チャン %4")
                       .arg(s.games())
                       .arg(s.hits())
                       .arg(s.kakuhenHits().hits)
                       .arg(s.chains.total());
    if (!with_theory_) text += QStringLiteral("　（試験モードの遊技: 理論値はありません）");
    summary_->setText(text);
    drawn_games_ = s.games();
}

QString StatsWindow::summary() const {
    return summary_->text();
}

void StatsWindow::showEvent(QShowEvent* e) {
    refresh();
    redraw_.start();
    QWidget::showEvent(e);
}

void StatsWindow::hideEvent(QHideEvent* e) {
    redraw_.stop();
    QWidget::hideEvent(e);
}

LiveStats::LiveStats(MainWindow& window, ViewMenu& menu, const std::string& argument)
    : QObject(&window), main_(window) {
    if (theoryApplies(argument)) theory_ = computeTheory();
    window.addGameListener([this](const GameRecord& r) { add(r); });
    QAction* open = menu.addItem(QStringLiteral("統計"), QKeySequence(Qt::Key_S));
    connect(open, &QAction::triggered, this, [this] { openWindow(); });
}

void LiveStats::openWindow() {
    if (window_ == nullptr)
        window_ = new StatsWindow(stats_, theory_ ? &*theory_ : nullptr, &main_);
    window_->show();
    window_->raise();
    window_->activateWindow();
}

}  // namespace rl00
