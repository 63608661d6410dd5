#include "frontends/qt/window_gone.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <utility>

namespace rl00 {

WindowGoneWatch::WindowGoneWatch(QWidget& window, std::function<void()> gone)
    : window_(window), gone_(std::move(gone)) {
    window_.installEventFilter(this);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

WindowGoneWatch::~WindowGoneWatch() {
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool WindowGoneWatch::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
    // Qt selects structure events on its own windows but does not act on their destruction by
    // someone else: the widget stays "visible" and keeps painting into nothing.
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_DESTROY_NOTIFY) return false;
    const auto* destroyed = static_cast<const xcb_destroy_notify_event_t*>(message);
    const WId own = window_.internalWinId();
    if (own != 0 && destroyed->window == own) gone_();
    return false;  // Qt may still want to see it
}

bool WindowGoneWatch::eventFilter(QObject*, QEvent* e) {
    // The program hides its main window only by closing it, which ends the program anyway, so
    // any other hide is the platform's. A minimised window gets a spontaneous hide: not gone.
    if (e->type() == QEvent::Hide && !e->spontaneous() && !window_.isMinimized()) gone_();
    return false;
}

}  // namespace rl00
