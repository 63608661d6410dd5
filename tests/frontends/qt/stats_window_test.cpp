// The statistics window: fed the records of real games, each chart shows what the counts of the
// same games say, figured here from the counts themselves; the counts go on while the window is
// closed; and opening and closing it while the main window plays leaves nothing behind.

#include <gtest/gtest.h>

#include <QApplication>
#include <QBarSet>
#include <QLineSeries>
#include <QPushButton>
#include <QScatterSeries>
#include <QTimer>
#include <functional>

#include "engine/motion_cache.h"
#include "engine/rand_loop.h"
#include "frontends/headless/headless_display.h"
#include "frontends/qt/charts/chain_chart.h"
#include "frontends/qt/charts/drought_chart.h"
#include "frontends/qt/charts/interval_chart.h"
#include "frontends/qt/charts/mode_reliability_chart.h"
#include "frontends/qt/main_window.h"
#include "frontends/qt/qt_display.h"
#include "frontends/qt/stats_window.h"
#include "frontends/qt/view_options.h"
#include "machine/machine.h"
#include "session/controller.h"
#include "session/window_layout.h"
#include "stats/game_recorder.h"
#include "stats/stats_report.h"

namespace rl00 {
namespace {

// Plays `games` games on a machine without a window and hands over each one's record in order.
void playGames(std::uint64_t seed, int games, const std::function<void(const GameRecord&)>& take) {
    HeadlessDisplay display;
    Machine m(display, seed);
    MotionCache motions;
    m.motions = &motions;
    GameRecorder recorder;
    loadMachine(m, "/nonexistent", "", seed);
    m.observer = &recorder;
    idleStep(m);
    Random idle(seed + 1);
    for (int g = 1; g <= games; ++g) {
        advanceIdle(m, idle.nextBits() % kIdleCyclePasses);
        recorder.begin(m, static_cast<std::uint64_t>(g));
        onStartRequest(m);
        ASSERT_TRUE(recorder.finish(m, 0, 0.0));
        take(recorder.record());
    }
}

constexpr double kEps = 1e-9;

struct StatsWindowFixture : ::testing::Test {
    QtDisplay display;
    Machine m{display, 1};
    std::unique_ptr<MainWindow> window;
    ViewMenu* menu = nullptr;
    LiveStats* live = nullptr;
    const Theory theory = computeTheory();

    void SetUp() override {
        initWindowScene(m.scene);
        m.scene.Tim_Start.enabled = false;
        window = std::make_unique<MainWindow>(m, display);
        window->setIdleEntry([] {});
        menu = new ViewMenu(*window, display, ViewChoice{}, 1);
        live = new LiveStats(*window, *menu, "");
        display.attach(window.get());
    }
    void TearDown() override { display.attach(nullptr); }

    // Closes the statistics window and lets Qt delete it.
    void closeStats() {
        live->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
};

// A row of an interval chart against the proportion it stands for and the interval the
// judgement gives it.
void expectRow(const IntervalChart& c, std::size_t row, const Proportion& p, const Comparison& f,
               double theory) {
    const double y = static_cast<double>(row) + 1.0;
    const Interval ci = f.ci95();
    ASSERT_EQ(c.interval(row).count(), 2) << row;
    EXPECT_NEAR(c.interval(row).at(0).x(), 100.0 * ci.low, kEps) << row;
    EXPECT_NEAR(c.interval(row).at(1).x(), 100.0 * ci.high, kEps) << row;
    EXPECT_EQ(c.interval(row).at(0).y(), y);
    const QList<QPointF> observed = c.observed().points();
    EXPECT_TRUE(std::any_of(observed.begin(), observed.end(), [&](const QPointF& o) {
        return o.y() == y && std::abs(o.x() - 100.0 * p.share()) < kEps;
    })) << row;
    ASSERT_EQ(c.theory(row).count(), 2) << row;
    EXPECT_NEAR(c.theory(row).at(0).x(), 100.0 * theory, kEps) << row;
    EXPECT_LT(c.theory(row).at(0).y(), y);
    EXPECT_GT(c.theory(row).at(1).y(), y);
}

// Each mode's line of each reach kind against the mode's own counts, the interval the judgement
// gives it and the mode's exact chances (none without a theory); a kind whose theory falls outside
// any mode's 99.99 % interval is marked.
void expectModeReliabilities(const ModeReliabilityChart& c, const RunStats& s, const Report& r,
                             const Theory* theory) {
    int lines = 0;
    int impossible = 0;
    for (int mode = 0; mode < kModes; ++mode) {
        const QList<QPointF> observed = c.observed(mode).points();
        for (int k = 1; k <= kReachKinds; ++k) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " kind " << k);
            const auto kind = static_cast<std::size_t>(k - 1);
            const Proportion p = s.reachKindInMode(mode, k);
            const Comparison& f = r.others.at(r.first_mode_reliability_row +
                                              static_cast<std::size_t>(kReachKinds * mode) + kind);
            const double y = ModeReliabilityChart::lineOf(mode, kind);
            EXPECT_GT(y, static_cast<double>(k) - 0.5);
            EXPECT_LT(y, static_cast<double>(k) + 0.5);
            if (p.trials == 0) {
                EXPECT_EQ(c.interval(mode, kind).count(), 0);
            } else {
                ++lines;
                const Interval ci = f.ci95();
                ASSERT_EQ(c.interval(mode, kind).count(), 2);
                EXPECT_NEAR(c.interval(mode, kind).at(0).x(), 100.0 * ci.low, kEps);
                EXPECT_NEAR(c.interval(mode, kind).at(1).x(), 100.0 * ci.high, kEps);
                EXPECT_EQ(c.interval(mode, kind).at(0).y(), y);
                EXPECT_TRUE(std::any_of(observed.begin(), observed.end(), [&](const QPointF& o) {
                    return o.y() == y && std::abs(o.x() - 100.0 * p.share()) < kEps;
                }));
            }
            if (theory == nullptr) {
                EXPECT_EQ(c.theory(mode, kind).count(), 0);
                continue;
            }
            const ModeChances& mc = theory->modes[static_cast<std::size_t>(mode)];
            const auto at = static_cast<std::size_t>(k);
            // A kind the mode never plays has no reliability to mark.
            if (mc.reach_kind[at].num == 0) {
                ++impossible;
                EXPECT_EQ(c.theory(mode, kind).count(), 0);
                continue;
            }
            ASSERT_EQ(c.theory(mode, kind).count(), 2);
            EXPECT_NEAR(c.theory(mode, kind).at(0).x(),
                        100.0 * mc.reach[at][kRichHit].value() / mc.reach_kind[at].value(), kEps);
            EXPECT_LT(c.theory(mode, kind).at(0).y(), y);
            EXPECT_GT(c.theory(mode, kind).at(1).y(), y);
        }
    }
    // The games played reach in every mode, or this would check little; far misses, and a kind
    // played only as one, are a normal mode's alone.
    EXPECT_GT(lines, 2 * kReachKinds);
    if (theory != nullptr) {
        EXPECT_GT(impossible, 0);
    }
}

TEST_F(StatsWindowFixture, ChartsShowTheCountsOfTheGamesFed) {
    MachineStats reference(0);
    playGames(7, 40000, [&](const GameRecord& r) {
        live->add(r);
        reference.add(r);
    });
    const RunStats& s = reference.counts();
    ASSERT_GT(s.chains.total(), 20u);
    live->openWindow();
    const RunCharts& charts = live->window()->charts();
    EXPECT_TRUE(live->window()->summary().contains(QStringLiteral("40,000")));
    const Report judged = compare(s, &theory);

    for (int k = 1; k <= kReachKinds; ++k) {
        SCOPED_TRACE(k);
        const auto at = static_cast<std::size_t>(k);
        if (s.reachKind(k).trials == 0) continue;
        expectRow(charts.reachReliability(), at - 1, s.reachKind(k), judged.reach_kinds[at - 1],
                  theory.reach_reliability[at]);
    }
    for (int mode = 0; mode < kModes; ++mode) {
        const auto at = static_cast<std::size_t>(mode);
        expectRow(charts.modeHitRates(), at, s.mode(mode), judged.modes[at],
                  theory.modes[at].hit.value());
    }

    expectModeReliabilities(charts.modeReachReliability(), s, judged, &theory);
    // Without a theory, as for the test arguments, the same observations show without marks.
    QWidget holder;
    RunCharts bare(nullptr, &holder);
    bare.plot(s);
    expectModeReliabilities(bare.modeReachReliability(), s, compare(s, nullptr), nullptr);

    const ChainChart& chains = charts.chains();
    const double ended = static_cast<double>(s.chains.total());
    for (std::uint64_t k = 1; k <= kChainRows + 1; ++k) {
        const double share =
            static_cast<double>(k <= kChainRows ? s.chains.count(k) : s.chains.atLeast(k)) / ended;
        EXPECT_NEAR(chains.observed().at(static_cast<int>(k - 1)), 100.0 * share, kEps) << k;
        const QPointF t = chains.theory().at(static_cast<int>(k - 1));
        EXPECT_EQ(t.x(), static_cast<double>(k - 1));
        if (k <= kChainRows) {
            EXPECT_NEAR(t.y(), 100.0 * theory.chainLengthPmf(k), kEps) << k;
        }
    }

    // Each point of the steps is P(gap >= n) at its n, just before or just after the drop there.
    const DroughtChart& droughts = charts.droughts();
    for (const auto& [steps, gaps] :
         {std::pair{&droughts.observed(), &s.gaps},
          std::pair{&droughts.observedFromNormal(), &s.gaps_from_normal}}) {
        const QList<QPointF> points = steps->points();
        ASSERT_GT(points.size(), 2);
        const double total = static_cast<double>(gaps->total());
        EXPECT_EQ(points.front(), QPointF(1.0, 1.0));
        for (const QPointF& p : points) {
            const auto n = static_cast<std::uint64_t>(p.x());
            const double before = static_cast<double>(gaps->atLeast(n)) / total;
            const double after = static_cast<double>(gaps->atLeast(n + 1)) / total;
            EXPECT_TRUE(std::abs(p.y() - before) < kEps || std::abs(p.y() - after) < kEps)
                << p.x() << " " << p.y();
        }
        EXPECT_NEAR(points.back().y(), 1.0 / total, kEps);
    }
    for (const QPointF& p : droughts.theory().points())
        EXPECT_NEAR(p.y(), theory.survival(static_cast<std::uint64_t>(p.x())), kEps);
    for (const QPointF& p : droughts.theoryFromNormal().points())
        EXPECT_NEAR(p.y(), theory.survivalFromNormal(static_cast<std::uint64_t>(p.x())), kEps);
}

TEST_F(StatsWindowFixture, GamesCountWhileTheWindowIsClosedAndShowWhenItOpensAgain) {
    std::vector<GameRecord> games;
    playGames(3, 3000, [&](const GameRecord& r) { games.push_back(r); });
    for (std::size_t g = 0; g < 1000; ++g)
        live->add(games[g]);
    live->openWindow();
    StatsWindow* first = live->window();
    EXPECT_TRUE(first->summary().startsWith(QStringLiteral("回転数 1,000")));
    closeStats();
    EXPECT_EQ(live->window(), nullptr);

    for (std::size_t g = 1000; g < games.size(); ++g)
        live->add(games[g]);
    live->openWindow();
    ASSERT_NE(live->window(), nullptr);
    EXPECT_TRUE(live->window()->summary().startsWith(QStringLiteral("回転数 3,000")));
    // A second open brings the same window forward.
    StatsWindow* open = live->window();
    live->openWindow();
    EXPECT_EQ(live->window(), open);
}

// The main window plays real games while the statistics window opens and closes from inside
// their event processing, as a user's key presses reach it. Under the sanitizers this is the
// check that nothing of a closed window is used or left behind.
TEST_F(StatsWindowFixture, OpensAndClosesWhileTheMainWindowPlays) {
    loadMachine(m, "/nonexistent", "", 5);
    m.scene.Tim_Start.enabled = false;
    idleStep(m);
    display.setNoDelay(true);
    window->syncFromScene(0.0);
    window->show();
    // The turns follow the games' progress, not the clock: every few frames, so that a game sees
    // many of them however slowly the machine runs (a turn costs much more under the sanitizers).
    constexpr std::uint64_t kFramesPerToggle = 40;
    std::uint64_t next_toggle = kFramesPerToggle;
    int toggles = 0;
    QTimer toggle;
    QObject::connect(&toggle, &QTimer::timeout, [&] {
        if (display.frames() < next_toggle) return;
        next_toggle = display.frames() + kFramesPerToggle;
        if (live->window() != nullptr) {
            live->window()->close();
        } else {
            live->openWindow();
        }
        ++toggles;
    });
    toggle.start(0);
    auto* start = static_cast<QPushButton*>(window->control("Com_Start"));
    constexpr std::uint64_t kGames = 2;
    for (std::uint64_t g = 1; g <= kGames; ++g)
        start->click();
    toggle.stop();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(live->stats().counts().games(), kGames);
    EXPECT_GT(toggles, 10);
    // Every closed window is gone; the one left open, if any, stays.
    const QList<QWidget*> windows = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    EXPECT_EQ(std::count_if(windows.begin(), windows.end(),
                            [](const QWidget* w) {
                                return w->windowTitle().startsWith(QStringLiteral("統計"));
                            }),
              live->window() != nullptr ? 1 : 0);
}

}  // namespace
}  // namespace rl00

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
