#pragma once
// frmMACHIMSG, the waiting window of the analysis launch: a small white window that stays on
// top of the others and tells the user what the launch is doing, with the hourglass pointer
// while it shows. The control names are the machine's own vocabulary.

#include <QElapsedTimer>
#include <QLabel>
#include <QTimer>
#include <QWidget>

#include "analysis/analysis_launch.h"

namespace rl00 {

class FrmMachimsg : public QWidget, public WaitWindow {
  public:
    static constexpr int kWidthTwips = 4710;
    static constexpr int kHeightTwips = 1650;
    // The colour of the two fixed texts: a faint backdrop, as a shadow text would be.
    static constexpr QRgb kBackdropText = 0xD8D8D8;
    // The longest the window waits for the screen to show it before painting.
    static constexpr int kExposeWaitMs = 500;

    // `main_window` receives the focus back when the launch ends.
    FrmMachimsg(Machine& m, QWidget& main_window);
    ~FrmMachimsg() override;

    // --- WaitWindow ---
    // Shows the window painted: it returns once the screen shows the window's contents.
    void show() override;
    void makeTopmost() override;
    void setProgress(const std::string& text) override;
    void repaint() override;
    void unload() override;
    void focusMainWindow() override;

    QLabel& lblMSGUP() { return *lblMSGUP_; }
    QLabel& lbl_MSG() { return *lbl_MSG_; }
    QLabel& lblMSGDOWN() { return *lblMSGDOWN_; }
    QLabel& lbl_MSGBACK() { return *lbl_MSGBACK_; }
    QWidget& Pic_Machi() { return *Pic_Machi_; }

  protected:
    void closeEvent(QCloseEvent* e) override;

  private:
    QLabel* label(int left, int top, int width, int height, double points, bool bold);
    void restorePointer();
    void showElapsed();

    Machine& m_;
    QWidget& main_window_;
    QLabel* lblMSGDOWN_;
    QLabel* lbl_MSGBACK_;
    QLabel* lblMSGUP_;
    QLabel* lbl_MSG_;
    QWidget* Pic_Machi_;
    bool hourglass_ = false;
    // The seconds since the window was last shown, in lbl_MSG: the macro can run for many
    // seconds with nothing else changing on the screen.
    QElapsedTimer shown_since_;
    QTimer elapsed_tick_;
    qint64 elapsed_shown_s_ = 0;
};

}  // namespace rl00
