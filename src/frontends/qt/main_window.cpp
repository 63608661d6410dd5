#include "frontends/qt/main_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <cmath>
#include <utility>

#include "frontends/qt/fit_label.h"
#include "frontends/qt/qt_colour.h"
#include "frontends/qt/qt_display.h"
#include "frontends/qt/reel_view.h"
#include "frontends/qt/status_line.h"
#include "frontends/qt/window_gone.h"
#include "machine/machine.h"
#include "session/controller.h"
#include "session/game_sequence.h"
#include "session/window_layout.h"

namespace rl00 {

namespace {

QRect toPixels(const ControlDesign& c) {
    auto px = [](Int32 twips) {
        return static_cast<int>(std::lround(twips / double(kTwipsPerPixel)));
    };
    return {px(c.left), px(c.top), px(c.width), px(c.height)};
}

QFont fontOf(const ControlDesign& c) {
    QFont f(QString::fromUtf8(c.font.data(), static_cast<qsizetype>(c.font.size())));
    // Points at the old screen's 96 dots per inch, so text keeps its size against the twips.
    f.setPixelSize(static_cast<int>(std::lround(c.font_pt * 96.0 / 72.0)));
    f.setBold(c.bold);
    return f;
}

Qt::Alignment alignmentOf(const ControlDesign& c) {
    switch (c.align) {
        case Align::Centre:
            return Qt::AlignHCenter | Qt::AlignTop;
        case Align::Right:
            return Qt::AlignRight | Qt::AlignTop;
        case Align::Left:
            break;
    }
    return Qt::AlignLeft | Qt::AlignTop;
}

QString fromUtf8(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

MainWindow::MainWindow(Machine& m, QtDisplay& display, QWidget* parent)
    : QWidget(parent), m_(m), display_(display) {
    setWindowTitle(fromUtf8(kFormCaption));
    setFixedSize(kFormWidth / kTwipsPerPixel, kFormHeight / kTwipsPerPixel);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, toQColor(kFormBack));
    setPalette(pal);
    setAutoFillBackground(true);
    setFont(QFont(fromUtf8(kDefaultFont), 9));
    tim_start_.setTimerType(Qt::PreciseTimer);
    connect(&tim_start_, &QTimer::timeout, this, [this] { playNextGame(); });
    build();
    if (QWidget* foot = control("Lbl_About", kAboutLabels - 1); foot != nullptr)
        status_ = std::make_unique<StatusLine>(*this, foot->geometry());
    m_.observer = &recorder_;
    // A window taken away by the platform ends the program as a close request would.
    gone_watch_ = std::make_unique<WindowGoneWatch>(*this, [this] { endRequest(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::build() {
    for (const ControlDesign& c : windowControls()) {
        QWidget* w = nullptr;
        switch (c.kind) {
            case ControlKind::PictureBox:
                reel_view_ = new ReelView(m_.scene, images_, this);
                w = reel_view_;
                break;
            case ControlKind::Label: {
                auto* label = new FitLabel(fromUtf8(c.caption), this);
                label->setTextFormat(Qt::PlainText);
                label->setAlignment(alignmentOf(c));
                label->setAutoFillBackground(true);
                label->setWordWrap(c.name == "Lbl_About");
                if (c.border) {
                    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
                    label->setLineWidth(1);
                }
                QPalette pal = label->palette();
                pal.setColor(QPalette::Window, toQColor(c.back));
                pal.setColor(QPalette::WindowText, toQColor(c.fore));
                pal.setColor(QPalette::Light, QColor(0xE0, 0xE0, 0xE0));
                pal.setColor(QPalette::Dark, QColor(0x80, 0x80, 0x80));
                label->setPalette(pal);
                if (sceneLabel(m_.scene, c.name, c.index) != nullptr) {
                    labels_.push_back({label, &c, Label{std::string(c.caption), c.fore, c.back}});
                }
                w = label;
                break;
            }
            case ControlKind::Button: {
                auto* button = new QPushButton(fromUtf8(c.caption), this);
                button->setFocusPolicy(Qt::NoFocus);
                if (c.name == "Com_Start") {
                    connect(button, &QPushButton::clicked, this, [this] { playNextGame(); });
                } else if (c.name == "Cmd_Excel") {
                    connect(button, &QPushButton::clicked, this, [this] {
                        if (analysis_) analysis_();
                    });
                } else if (c.name == "Cmd_End") {
                    cmd_end_ = button;
                    connect(button, &QPushButton::clicked, this, [this] {
                        close();  // raises the close request, which sets the end flag
                        endRequest();
                    });
                }
                w = button;
                break;
            }
            case ControlKind::Image:
            case ControlKind::Timer:
            case ControlKind::ImageList:
                break;  // drawn by the reel window, or not visible
        }
        if (w == nullptr) continue;
        w->setGeometry(toPixels(c));
        w->setFont(fontOf(c));
        widgets_.emplace_back(&c, w);
    }
}

QWidget* MainWindow::control(std::string_view name, int index) const {
    for (const auto& [design, w] : widgets_) {
        if (design->name == name && design->index == index) return w;
    }
    return nullptr;
}

void MainWindow::showLabel(BoundLabel& b, const Label& l) {
    if (l.caption != b.shown.caption) b.widget->setText(QString::fromStdString(l.caption));
    if (l.fore != b.shown.fore || l.back != b.shown.back) {
        QPalette pal = b.widget->palette();
        pal.setColor(QPalette::Window, toQColor(l.back));
        pal.setColor(QPalette::WindowText, toQColor(l.fore));
        b.widget->setPalette(pal);
    }
    b.shown = l;
}

void MainWindow::syncLabels() {
    for (BoundLabel& b : labels_) {
        const Label* l = sceneLabel(m_.scene, b.design->name, b.design->index);
        if (l->caption != b.shown.caption || l->fore != b.shown.fore || l->back != b.shown.back) {
            showLabel(b, *l);
        }
    }
}

void MainWindow::syncTimer() {
    const TimerState& t = m_.scene.Tim_Start;
    if (tim_start_.interval() != t.interval_ms) tim_start_.setInterval(t.interval_ms);
    if (t.enabled && !tim_start_.isActive()) tim_start_.start();
    if (!t.enabled && tim_start_.isActive()) tim_start_.stop();
}

void MainWindow::syncStatus() {
    if (status_ == nullptr || replaying_) return;
    const bool paused = display_.paused();
    const std::uint64_t game = paused && game_first_frame_ ? completed_games_ + 1 : 0;
    const std::uint64_t frame = game > 0 ? display_.frames() - *game_first_frame_ : 0;
    const auto now = std::make_tuple(paused, game, frame);
    if (now == status_shown_) return;
    status_shown_ = now;
    if (paused) {
        status_->showPaused(game, frame);
    } else {
        status_->clear();
    }
}

void MainWindow::showReplayProgress(std::uint64_t done, std::uint64_t last) {
    if (status_ == nullptr) return;
    replaying_ = last > 0;
    status_shown_ = {};
    if (replaying_) {
        status_->showReplay(done, last);
    } else {
        status_->clear();
        syncStatus();
    }
}

QString MainWindow::statusText() const {
    return status_ == nullptr ? QString() : status_->text();
}

void MainWindow::syncFromScene(double refresh_ms) {
    syncTimer();
    syncLabels();
    syncStatus();
    reel_view_->refreshIfChanged(refresh_ms);
}

void MainWindow::repaintReelWindow() {
    reel_view_->paintNow();
}

void MainWindow::repaintMessageLabel() {
    for (BoundLabel& b : labels_) {
        if (b.design->name == "Lbl_Rich" && b.design->index == 1) {
            showLabel(b, m_.scene.Lbl_Rich[1]);
            b.widget->repaint();
        }
    }
}

bool MainWindow::playNextGame() {
    // A request that is not accepted is no game: the seeded counter must not move for it.
    if (!acceptsStartRequest(m_)) return false;
    if (run_ != nullptr) run_->betweenGames(m_, display_);
    game_first_frame_ = display_.frames();
    const bool played = playRecordedGame(m_, recorder_, completed_games_ + 1, display_);
    game_first_frame_.reset();
    if (!played) return false;
    for (const auto& tell : game_listeners_)
        tell(recorder_.record());
    ++completed_games_;
    if (end_after_games_ > 0 && completed_games_ >= static_cast<std::uint64_t>(end_after_games_))
        cmd_end_->click();
    return true;
}

void MainWindow::endRequest() {
    display_.noteEndRequest();
    onEndRequest(m_);
}

void MainWindow::enterIdle() {
    if (idle_entered_) return;
    idle_entered_ = true;
    if (idle_entry_) {
        idle_entry_();
    } else {
        onActivate(m_);
    }
}

void MainWindow::armFallbackStart(int ms) {
    QTimer::singleShot(ms, this, [this] { enterIdle(); });
}

bool MainWindow::event(QEvent* e) {
    // The idle loop never returns, so it must not run inside the activation itself: Qt would
    // never finish activating the window. A 1 ms timer lets the activation complete first.
    if (e->type() == QEvent::WindowActivate && !activation_seen_) {
        activation_seen_ = true;
        QTimer::singleShot(1, Qt::PreciseTimer, this, [this] { enterIdle(); });
    }
    return QWidget::event(e);
}

void MainWindow::showEvent(QShowEvent* e) {
    if (end_after_ms_ > 0 && !e->spontaneous()) {
        QTimer::singleShot(std::exchange(end_after_ms_, 0), Qt::PreciseTimer, cmd_end_,
                           &QPushButton::click);
    }
    QWidget::showEvent(e);
}

void MainWindow::closeEvent(QCloseEvent* e) {
    endRequest();
    e->accept();  // a close is never refused
}

}  // namespace rl00
