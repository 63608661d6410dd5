#include "frontends/qt/reel_view.h"

#include <QPainter>

#include "frontends/qt/image_list.h"
#include "frontends/qt/qt_colour.h"
#include "session/window_layout.h"

namespace rl00 {

namespace {

bool samePicture(const Picture& a, const Picture& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height &&
           a.image == b.image && a.visible == b.visible && a.stretch == b.stretch;
}

// An image that is not stretched shows at its natural size, a pixel of it as many twips as
// a pixel of the window.
constexpr double kTwipsPerImagePixel = kTwipsPerPixel;

}  // namespace

ReelView::ReelView(const Scene& scene, const ImageList& images, QWidget* parent)
    : QWidget(parent), scene_(scene), images_(images) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    since_paint_.start();
}

bool ReelView::changedSincePaint() const {
    if (scene_.window_back != painted_back_ || scene_.z_order != painted_order_) return true;
    for (std::size_t i = 0; i < painted_pictures_.size(); ++i) {
        if (!samePicture(scene_.pictures[i], painted_pictures_[i])) return true;
    }
    return false;
}

void ReelView::refreshIfChanged(double min_interval_ms) {
    if (since_paint_.nsecsElapsed() < static_cast<qint64>(min_interval_ms * 1e6)) return;
    if (changedSincePaint()) update();
}

void ReelView::paintNow() {
    repaint();
}

void ReelView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), toQColor(scene_.window_back));
    p.scale(width() / double(Scene::kWindowWidth), height() / double(Scene::kWindowHeight));
    p.setClipRect(0, 0, Scene::kWindowWidth, Scene::kWindowHeight);
    for (PictureId id : scene_.z_order) {
        const Picture& pic = scene_.pictures[static_cast<std::size_t>(id)];
        const QPixmap& image = images_.item(pic.image);
        if (!pic.visible || image.isNull()) continue;
        const QRectF box(pic.left, pic.top, pic.width, pic.height);
        if (pic.stretch) {
            p.drawPixmap(box, image, image.rect());
        } else {
            p.save();
            p.setClipRect(box, Qt::IntersectClip);
            p.drawPixmap(QRectF(pic.left, pic.top, image.width() * kTwipsPerImagePixel,
                                image.height() * kTwipsPerImagePixel),
                         image, image.rect());
            p.restore();
        }
    }
    painted_pictures_ = scene_.pictures;
    painted_order_ = scene_.z_order;
    painted_back_ = scene_.window_back;
    since_paint_.restart();
}

}  // namespace rl00
