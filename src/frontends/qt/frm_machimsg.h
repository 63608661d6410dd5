#pragma once
// frmMACHIMSG, the waiting window of the analysis launch: a small white window that stays on
// top of the others and tells the user what the launch is doing, with the hourglass pointer
// while it shows. The control names are the machine's own vocabulary.

#include <QLabel>
#include <QWidget>

#include "analysis/analysis_launch.h"

namespace rl00 {

class FrmMachimsg : public QWidget, public WaitWindow {
  public:
    static constexpr int kWidthTwips = 4710;
    static constexpr int kHeightTwips = 1650;

    // `main_window` receives the focus back when the launch ends.
    FrmMachimsg(Machine& m, QWidget& main_window);
    ~FrmMachimsg() override;

    // --- WaitWindow ---
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

    Machine& m_;
    QWidget& main_window_;
    QLabel* lblMSGDOWN_;
    QLabel* lbl_MSGBACK_;
    QLabel* lblMSGUP_;
    QLabel* lbl_MSG_;
    QWidget* Pic_Machi_;
    bool hourglass_ = false;
};

}  // namespace rl00
