#pragma once
// Notices the main window going away without a close request: its X window destroyed by another
// program (`xdotool windowclose`, a window manager cleaning up) or the window hidden for good.
// The machine would otherwise play on, and log, with nothing on the screen and no way to end it.

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <functional>

class QWidget;

namespace rl00 {

class WindowGoneWatch : public QObject, public QAbstractNativeEventFilter {
  public:
    // `gone` runs each time the window is found gone; it must tolerate being run twice.
    WindowGoneWatch(QWidget& window, std::function<void()> gone);
    ~WindowGoneWatch() override;
    WindowGoneWatch(const WindowGoneWatch&) = delete;
    WindowGoneWatch& operator=(const WindowGoneWatch&) = delete;

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    QWidget& window_;
    std::function<void()> gone_;
};

}  // namespace rl00
