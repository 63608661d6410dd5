#pragma once
// Pic_Window01, the reel window: draws the scene's 42 symbol pictures and three sprites at their
// twip places, in the scene's z-order, clipped to the window, on the scene's background colour.
// It owns no game state; it only reads the scene.

#include <QElapsedTimer>
#include <QWidget>
#include <array>
#include <vector>

#include "machine/scene.h"

namespace rl00 {

class ImageList;

class ReelView : public QWidget {
  public:
    ReelView(const Scene& scene, const ImageList& images, QWidget* parent);

    // Asks for a paint when the scene differs from what was painted last, at most once per
    // `min_interval_ms` (one screen refresh): a reel steps far more often than a screen shows.
    void refreshIfChanged(double min_interval_ms);
    // Paints the scene now (the old window's Refresh).
    void paintNow();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool changedSincePaint() const;

    const Scene& scene_;
    const ImageList& images_;
    std::array<Picture, kPictureCount> painted_pictures_{};
    std::vector<PictureId> painted_order_;
    Colour painted_back_ = -1;
    QElapsedTimer since_paint_;
};

}  // namespace rl00
