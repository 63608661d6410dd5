#pragma once
// How the window shows the machine, beyond the old window and without changing its layout:
// the zoom (1x..4x, through QT_SCALE_FACTOR before the application exists) and the pace of the
// animation (frame period, no delay, pause, one frame at a time). Zoom and pace are remembered
// between runs; none of it is ever part of a game.

#include <QKeySequence>
#include <QObject>
#include <utility>
#include <vector>

#include "platform/display.h"

class QMenu;
class QAction;

namespace rl00 {

class MainWindow;
class QtDisplay;

struct ViewChoice {
    int zoom = 0;  // 1..4; 0 = not chosen yet
    double frame_ms = kDefaultFrameMs;
    bool no_delay = false;
};

inline constexpr int kMinZoom = 1;
inline constexpr int kMaxZoom = 4;

// The choice remembered from the last run (zoom 0 when none was made).
ViewChoice loadViewChoice();
void saveViewChoice(const ViewChoice& c);

// A zoom at which the window takes about half the height of a screen of `screen_height`
// logical pixels.
int zoomForScreen(int screen_height);

// The right-click menu and keyboard shortcuts of the main window. A new zoom takes effect at
// the next start, since the scale factor is fixed when the application starts.
class ViewMenu : public QObject {
  public:
    // `choice` is what the user chose (zoom 0: none yet); `zoom` the zoom in effect.
    ViewMenu(MainWindow& window, QtDisplay& display, ViewChoice choice, int zoom);

    // Adds an item after the view items, its shortcut working while the menu is closed.
    QAction* addItem(const QString& text, const QKeySequence& key);

  protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void addZoomItems(QMenu* menu, int zoom);
    void addSpeedItems(QMenu* menu);
    QAction* addAction(QMenu* menu, const QString& text, const QKeySequence& key);
    void stepSpeed(int direction);
    void applyAndSave();
    bool redirectFromClosedMenu(QObject* watched, QEvent* e);

    MainWindow& window_;
    QtDisplay& display_;
    ViewChoice choice_;
    QMenu* menu_;
    std::vector<std::pair<double, QAction*>> speed_actions_;
    QAction* no_delay_ = nullptr;
};

}  // namespace rl00
