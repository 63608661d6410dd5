#include "frontends/qt/view_options.h"

#include <sys/stat.h>

#include <QAction>
#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QSettings>
#include <QWindow>
#include <algorithm>
#include <cmath>

#include "frontends/qt/main_window.h"
#include "frontends/qt/qt_display.h"
#include "session/window_layout.h"

namespace rl00 {

namespace {

constexpr double kSpeeds[] = {0.5, 1.0, 2.0, 5.0, 10.0, 20.0};

// ~/.config/rl00/view.ini: beside RL00.INI, with a name that cannot be taken for it.
QSettings store() {
    return QSettings(QSettings::IniFormat, QSettings::UserScope, "rl00", "view");
}

constexpr const char* kKeys[] = {"view/zoom", "speed/frame_ms", "speed/no_delay"};

bool sameExistingFile(const QString& a, const QString& b) {
    struct stat sa {};
    struct stat sb {};
    return ::stat(QFile::encodeName(a).constData(), &sa) == 0 &&
           ::stat(QFile::encodeName(b).constData(), &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

// Earlier versions kept the choices in rl00.ini, a name that differs from the settings file's
// only in case. They are taken over once, when view.ini does not exist yet; the old file is
// removed unless it is the settings file itself (a file system that ignores case).
void takeOverOldStore(const QSettings& now) {
    const QString path = now.fileName();
    if (QFileInfo::exists(path)) return;
    const QString old_path = QFileInfo(path).dir().filePath(QStringLiteral("rl00.ini"));
    const QFileInfo old(old_path);
    if (!old.isFile()) return;
    const QSettings from(old_path, QSettings::IniFormat);
    QSettings to(path, QSettings::IniFormat);
    for (const char* key : kKeys) {
        if (from.contains(key)) to.setValue(key, from.value(key));
    }
    to.sync();
    if (to.status() == QSettings::NoError &&
        !sameExistingFile(old_path, old.dir().filePath(QStringLiteral("RL00.INI")))) {
        QFile::remove(old_path);
    }
}

}  // namespace

ViewChoice loadViewChoice() {
    QSettings s = store();
    takeOverOldStore(s);
    ViewChoice c;
    c.zoom = std::clamp(s.value("view/zoom", 0).toInt(), 0, kMaxZoom);
    c.frame_ms = std::clamp(s.value("speed/frame_ms", QtDisplay::kDefaultFrameMs).toDouble(),
                            QtDisplay::kMinFrameMs, QtDisplay::kMaxFrameMs);
    c.no_delay = s.value("speed/no_delay", false).toBool();
    return c;
}

void saveViewChoice(const ViewChoice& c) {
    QSettings s = store();
    if (c.zoom >= kMinZoom) s.setValue("view/zoom", c.zoom);
    s.setValue("speed/frame_ms", c.frame_ms);
    s.setValue("speed/no_delay", c.no_delay);
}

int zoomForScreen(int screen_height) {
    const double fit = screen_height / 2.0 / (kFormHeight / double(kTwipsPerPixel));
    return std::clamp(static_cast<int>(std::lround(fit)), kMinZoom, kMaxZoom);
}

ViewMenu::ViewMenu(MainWindow& window, QtDisplay& display, ViewChoice choice, int zoom)
    : QObject(&window),
      window_(window),
      display_(display),
      choice_(choice),
      menu_(new QMenu(&window)) {
    display_.setFramePeriodMs(choice_.frame_ms);
    display_.setNoDelay(choice_.no_delay);
    addZoomItems(menu_->addMenu(QStringLiteral("表示倍率（次回起動から）")), zoom);
    addSpeedItems(menu_->addMenu(QStringLiteral("速度")));
    QAction* pause = addAction(menu_, QStringLiteral("一時停止"), QKeySequence(Qt::Key_P));
    pause->setCheckable(true);
    pause->setChecked(display_.paused());
    connect(pause, &QAction::toggled, this, [this](bool on) { display_.setPaused(on); });
    QAction* step = addAction(menu_, QStringLiteral("1コマ送り"), QKeySequence(Qt::Key_Period));
    step->setEnabled(display_.paused());
    connect(pause, &QAction::toggled, step, &QAction::setEnabled);
    connect(step, &QAction::triggered, this, [this] { display_.stepFrame(); });
    window_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&window_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { menu_->popup(window_.mapToGlobal(at)); });
    menu_->installEventFilter(this);
    for (QMenu* sub : menu_->findChildren<QMenu*>())
        sub->installEventFilter(this);
}

bool ViewMenu::eventFilter(QObject* watched, QEvent* e) {
    // A menu's window exists once it is shown, and may be made anew for a later showing.
    if (auto* menu = qobject_cast<QMenu*>(watched); menu != nullptr) {
        if (e->type() == QEvent::Show && menu->windowHandle() != nullptr)
            menu->windowHandle()->installEventFilter(this);
        return false;
    }
    return redirectFromClosedMenu(watched, e);
}

// A menu holds the pointer (an X pointer grab) until the program handles what closes it. While a
// presentation pauses (up to 600 ms without processing events), an Escape and a click on 終了
// made during the pause both wait in the queue, and the server has already sent the click to
// the menu's window: handled after the Escape, it reached the closed menu and was lost. It
// belongs to the window under the pointer, as it would have without the grab.
bool ViewMenu::redirectFromClosedMenu(QObject* watched, QEvent* e) {
    switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
            break;
        default:
            return false;
    }
    auto* from = qobject_cast<QWindow*>(watched);
    if (from == nullptr || from->isVisible()) return false;
    const auto* me = static_cast<const QMouseEvent*>(e);
    const QPointF global = me->globalPosition();
    QWindow* to = QGuiApplication::topLevelAt(global.toPoint());
    if (to == nullptr || to == from) return false;
    QMouseEvent moved(me->type(), to->mapFromGlobal(global), global, me->button(), me->buttons(),
                      me->modifiers(), me->pointingDevice());
    QCoreApplication::sendEvent(to, &moved);
    return true;
}

QAction* ViewMenu::addItem(const QString& text, const QKeySequence& key) {
    menu_->addSeparator();
    return addAction(menu_, text, key);
}

QAction* ViewMenu::addAction(QMenu* menu, const QString& text, const QKeySequence& key) {
    QAction* a = menu->addAction(text);
    a->setShortcut(key);
    window_.addAction(a);  // shortcuts work while the menu is closed
    return a;
}

void ViewMenu::addZoomItems(QMenu* menu, int zoom) {
    // The scale is fixed when the program starts; the menu says so where the choice is made.
    QAction* note = menu->addAction(QStringLiteral("次回の起動から有効（いまは%1倍）").arg(zoom));
    note->setEnabled(false);
    menu->addSeparator();
    auto* group = new QActionGroup(menu);
    for (int z = kMinZoom; z <= kMaxZoom; ++z) {
        QAction* a = addAction(menu, QStringLiteral("%1倍").arg(z),
                               QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_0 + z)));
        a->setCheckable(true);
        a->setChecked(z == zoom);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, z] {
            choice_.zoom = z;
            applyAndSave();
        });
    }
}

void ViewMenu::addSpeedItems(QMenu* menu) {
    auto* group = new QActionGroup(menu);
    for (double ms : kSpeeds) {
        QAction* a = menu->addAction(QStringLiteral("1コマ %1 ms").arg(ms));
        a->setCheckable(true);
        a->setChecked(std::abs(ms - choice_.frame_ms) < 1e-9);
        group->addAction(a);
        speed_actions_.emplace_back(ms, a);
        connect(a, &QAction::triggered, this, [this, ms] {
            choice_.frame_ms = ms;
            applyAndSave();
        });
    }
    menu->addSeparator();
    QAction* faster = addAction(menu, QStringLiteral("速く"), QKeySequence(Qt::Key_Plus));
    connect(faster, &QAction::triggered, this, [this] { stepSpeed(-1); });
    QAction* slower = addAction(menu, QStringLiteral("遅く"), QKeySequence(Qt::Key_Minus));
    connect(slower, &QAction::triggered, this, [this] { stepSpeed(+1); });
    no_delay_ = addAction(menu, QStringLiteral("待ちなし（最速）"), QKeySequence(Qt::Key_N));
    no_delay_->setCheckable(true);
    no_delay_->setChecked(choice_.no_delay);
    connect(no_delay_, &QAction::toggled, this, [this](bool on) {
        choice_.no_delay = on;
        applyAndSave();
    });
}

void ViewMenu::stepSpeed(int direction) {
    // The nearest listed period in the asked direction from the current one.
    const double now = choice_.frame_ms;
    double next = now;
    if (direction < 0) {
        for (double ms : kSpeeds) {
            if (ms < now - 1e-9) next = ms;
        }
    } else {
        for (auto it = std::rbegin(kSpeeds); it != std::rend(kSpeeds); ++it) {
            if (*it > now + 1e-9) next = *it;
        }
    }
    choice_.frame_ms = next;
    for (auto& [ms, a] : speed_actions_)
        a->setChecked(std::abs(ms - next) < 1e-9);
    applyAndSave();
}

void ViewMenu::applyAndSave() {
    display_.setFramePeriodMs(choice_.frame_ms);
    display_.setNoDelay(choice_.no_delay);
    saveViewChoice(choice_);
}

}  // namespace rl00
