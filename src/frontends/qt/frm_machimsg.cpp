#include "frontends/qt/frm_machimsg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDeadlineTimer>
#include <QFont>
#include <QPalette>
#include <QWindow>

#include "analysis/analysis_texts.h"
#include "frontends/qt/form_center.h"
#include "session/window_layout.h"

namespace rl00 {

namespace {

// How often the elapsed seconds are looked at; the text changes once a second.
constexpr int kElapsedTickMs = 200;

int px(int twips) {
    return twips / kTwipsPerPixel;
}

QString windowFont() {
    return QUtf8StringView(kDefaultFont).toString();
}

QString elapsedText(qint64 seconds) {
    return QStringLiteral("経過 %1 秒").arg(seconds);
}

}  // namespace

FrmMachimsg::FrmMachimsg(Machine& m, QWidget& main_window)
    : QWidget(nullptr, Qt::Dialog | Qt::WindowStaysOnTopHint), m_(m), main_window_(main_window) {
    setWindowTitle(QString::fromUtf8(analysis_text::kWaitCaption));
    setFixedSize(px(kWidthTwips), px(kHeightTwips));
    setFont(QFont(windowFont(), 9));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);

    // The two fixed texts lie behind the two that the launch changes. In one colour the four
    // overlapping lines read as garbled text; faint, they stay a backdrop.
    lblMSGDOWN_ = label(360, 240, 4095, 255, 14.25, false);
    lbl_MSGBACK_ = label(360, 600, 4095, 255, 14.25, false);
    for (QLabel* fixed : {lblMSGDOWN_, lbl_MSGBACK_}) {
        QPalette faint = fixed->palette();
        faint.setColor(QPalette::WindowText, QColor::fromRgb(kBackdropText));
        fixed->setPalette(faint);
    }
    lblMSGUP_ = label(240, 120, 4095, 255, 9, true);
    lbl_MSG_ = label(240, 480, 4095, 255, 9, false);
    Pic_Machi_ = new QWidget(this);
    Pic_Machi_->setGeometry(px(240), px(960), px(4215), px(495));

    elapsed_tick_.setInterval(kElapsedTickMs);
    connect(&elapsed_tick_, &QTimer::timeout, this, [this] { showElapsed(); });
}

FrmMachimsg::~FrmMachimsg() {
    restorePointer();
}

QLabel* FrmMachimsg::label(int left, int top, int width, int height, double points, bool bold) {
    auto* l = new QLabel(QString::fromUtf8(analysis_text::kDesignCaption), this);
    l->setGeometry(px(left), px(top), px(width), px(height));
    QFont f(windowFont());
    f.setPointSizeF(points);
    f.setBold(bold);
    l->setFont(f);
    return l;
}

void FrmMachimsg::show() {
    // Loading the window: a fresh window shows its design captions.
    for (QLabel* l : {lblMSGDOWN_, lbl_MSGBACK_, lblMSGUP_})
        l->setText(QString::fromUtf8(analysis_text::kDesignCaption));
    FORM_CENTER(m_, *this, QString());
    lbl_MSG_->clear();
    if (!hourglass_) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        hourglass_ = true;
    }
    shown_since_.start();
    elapsed_shown_s_ = 0;
    elapsed_tick_.start();
    QWidget::show();
    // A window is mapped by the window system some time after show(); painting before that
    // paints nothing, and the office start that follows keeps the window an empty box for
    // a while. Wait for the window to be on the screen, then paint it at once. Input waits,
    // as it does during the rest of the launch.
    const QDeadlineTimer deadline(kExposeWaitMs);
    while (!(windowHandle() != nullptr && windowHandle()->isExposed()) && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    }
    QWidget::repaint();
}

void FrmMachimsg::makeTopmost() {
    // On top from its creation: setting the flag on a shown window would hide it and show it
    // anew, unpainted, while the office starts.
    raise();
}

void FrmMachimsg::setProgress(const std::string& text) {
    lblMSGUP_->setText(QString::fromStdString(text));
    lblMSGUP_->repaint();
}

void FrmMachimsg::repaint() {
    QWidget::repaint();
}

void FrmMachimsg::unload() {
    elapsed_tick_.stop();
    hide();
    restorePointer();
}

void FrmMachimsg::focusMainWindow() {
    main_window_.raise();
    main_window_.activateWindow();
}

void FrmMachimsg::closeEvent(QCloseEvent* e) {
    elapsed_tick_.stop();
    restorePointer();
    e->accept();
}

void FrmMachimsg::restorePointer() {
    if (!hourglass_) return;
    QApplication::restoreOverrideCursor();
    hourglass_ = false;
}

void FrmMachimsg::showElapsed() {
    const qint64 seconds = shown_since_.elapsed() / 1000;
    if (seconds == elapsed_shown_s_) return;
    elapsed_shown_s_ = seconds;
    lbl_MSG_->setText(elapsedText(seconds));
}

}  // namespace rl00
