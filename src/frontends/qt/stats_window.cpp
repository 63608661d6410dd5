#include "frontends/qt/stats_window.h"

#include <QChartView>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "frontends/qt/charts/chart_style.h"
#include "frontends/qt/main_window.h"
#include "frontends/qt/view_options.h"
#include "session/window_layout.h"
#include "stats/stats_report.h"

namespace rl00 {

namespace {

constexpr int kSummaryPx = 13;
constexpr int kMostColumns = 3;
constexpr int kSpacing = 10;
// What a desktop's window frame and title bar take beyond the window's own area.
constexpr QSize kFrame{16, 48};

// As many columns of charts as the screen holds side by side, one at least.
int columnsFor(const QSize& available) {
    int columns = kMostColumns;
    while (columns > 1 && columns * (chartSize(ChartKind::Droughts).width() + kSpacing) + kSpacing +
                                  kFrame.width() >
                              available.width())
        --columns;
    return columns;
}

// The charts in columns, each at the size where all its labels are whole, each going below the
// shortest column so far: the charts differ in height, and rows would leave gaps under the short
// ones. On a 1920x1080 screen at zoom 1 the page is then whole without scrolling.
QWidget* chartPage(const RunCharts& charts, int columns) {
    auto* page = new QWidget;
    auto* row = new QHBoxLayout(page);
    row->setSpacing(kSpacing);
    row->setContentsMargins(kSpacing, kSpacing, kSpacing, kSpacing);
    std::vector<QVBoxLayout*> stacks;
    std::vector<int> heights(static_cast<std::size_t>(columns), 0);
    for (int c = 0; c < columns; ++c) {
        stacks.push_back(new QVBoxLayout);
        stacks.back()->setSpacing(kSpacing);
        row->addLayout(stacks.back());
    }
    for (const ChartKind kind : kChartKinds) {
        QChartView* view = charts.view(kind);
        view->setFixedSize(chartSize(kind));
        const auto shortest = static_cast<std::size_t>(
            std::min_element(heights.begin(), heights.end()) - heights.begin());
        stacks[shortest]->addWidget(view);
        heights[shortest] += chartSize(kind).height() + kSpacing;
    }
    for (QVBoxLayout* stack : stacks)
        stack->addStretch(1);
    page->setFixedSize(row->sizeHint());
    return page;
}

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
    // At zoom 3 the line with the note on test mode is wider than the screen.
    summary_->setWordWrap(true);
    summary_->setContentsMargins(kSpacing, kSpacing, kSpacing, 0);
    // The screen it opens on, in the window's own pixels: the zoom makes them larger.
    const QScreen* screen = parent != nullptr ? parent->screen() : QGuiApplication::primaryScreen();
    const QSize available =
        screen != nullptr ? screen->availableGeometry().size() : QSize(1280, 960);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(chartPage(charts_, columnsFor(available)));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(summary_);
    layout->addWidget(scroll, 1);
    // The whole page where the screen holds it, else as much as it holds, the rest scrolled.
    const int bar = scroll->verticalScrollBar()->sizeHint().width();
    const QSize wanted =
        scroll->widget()->size() + QSize(bar, summary_->sizeHint().height() + kSpacing);
    resize(wanted.boundedTo(available - kFrame));
    redraw_.setInterval(kRedrawMs);
    connect(&redraw_, &QTimer::timeout, this, [this] {
        if (drawn_games_ != stats_.counts().games()) refresh();
    });
}

void StatsWindow::refresh() {
    const RunStats& s = stats_.counts();
    charts_.plot(s);
    QString text = QStringLiteral("回転数 %1　大当たり %2（確変 %3）　終わった連チャン %4")
                       .arg(counted(s.games()), counted(s.hits()), counted(s.kakuhenHits().hits),
                            counted(s.chains.total()));
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
