#include "frontends/qt/form_center.h"

#include <QDir>
#include <QScreen>
#include <cmath>

#include "machine/machine.h"
#include "session/window_layout.h"

namespace rl00 {

void FORM_CENTER(Machine& m, QWidget& window, const QString& title) {
    Q_UNUSED(title);
    m.G_sAppPath = QDir::currentPath().toStdString();
    const QScreen* screen = window.screen();
    if (screen == nullptr) return;
    const QRect area = screen->geometry();
    const double tw = kTwipsPerPixel;
    const double left = (area.width() * tw - window.width() * tw) / 2.0;
    const double top = (area.height() * tw - window.height() * tw) / 2.0;
    window.move(area.left() + static_cast<int>(std::lround(left / tw)),
                area.top() + static_cast<int>(std::lround(top / tw)));
}

}  // namespace rl00
