#include "frontends/qt/frm_machimsg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QPalette>

#include "analysis/analysis_texts.h"
#include "frontends/qt/form_center.h"
#include "session/window_layout.h"

namespace rl00 {

namespace {

int px(int twips) {
    return twips / kTwipsPerPixel;
}

QString windowFont() {
    return QUtf8StringView(kDefaultFont).toString();
}

}  // namespace

FrmMachimsg::FrmMachimsg(Machine& m, QWidget& main_window)
    : QWidget(nullptr, Qt::Dialog), m_(m), main_window_(main_window) {
    setWindowTitle(QString::fromUtf8(analysis_text::kWaitCaption));
    setFixedSize(px(kWidthTwips), px(kHeightTwips));
    setFont(QFont(windowFont(), 9));
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    white.setColor(QPalette::WindowText, Qt::black);
    setPalette(white);
    setAutoFillBackground(true);

    // The two fixed texts lie behind the two that the launch changes.
    lblMSGDOWN_ = label(360, 240, 4095, 255, 14.25, false);
    lbl_MSGBACK_ = label(360, 600, 4095, 255, 14.25, false);
    lblMSGUP_ = label(240, 120, 4095, 255, 9, true);
    lbl_MSG_ = label(240, 480, 4095, 255, 9, false);
    Pic_Machi_ = new QWidget(this);
    Pic_Machi_->setGeometry(px(240), px(960), px(4215), px(495));
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
    QWidget::show();
    QWidget::repaint();
}

void FrmMachimsg::makeTopmost() {
    if (!(windowFlags() & Qt::WindowStaysOnTopHint)) {
        // Changing the flags hides the window; show it again in place.
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
        QWidget::show();
    }
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
    hide();
    restorePointer();
}

void FrmMachimsg::focusMainWindow() {
    main_window_.raise();
    main_window_.activateWindow();
}

void FrmMachimsg::closeEvent(QCloseEvent* e) {
    restorePointer();
    e->accept();
}

void FrmMachimsg::restorePointer() {
    if (!hourglass_) return;
    QApplication::restoreOverrideCursor();
    hourglass_ = false;
}

}  // namespace rl00
