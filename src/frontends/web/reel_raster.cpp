#include "frontends/web/reel_raster.h"

#include <algorithm>
#include <cmath>

#include "session/window_layout.h"

// The pictures' straight RGBA bytes, written at build time from assets/images.
extern const std::uint8_t kImlMotoRgba[rl00::PictureSet::kCount]
                                      [rl00::PictureSet::kSide * rl00::PictureSet::kSide * 4];

namespace rl00 {

namespace {

// x * a / 255 per channel of a packed pixel, rounded as the raster painter rounds it.
std::uint32_t byteMul(std::uint32_t x, std::uint32_t a) {
    std::uint64_t t = ((std::uint64_t{x} | (std::uint64_t{x} << 24)) & 0x00FF00FF00FF00FFull) * a;
    t = (t + ((t >> 8) & 0x00FF00FF00FF00FFull) + 0x0080008000800080ull) >> 8;
    t &= 0x00FF00FF00FF00FFull;
    return static_cast<std::uint32_t>(t) | static_cast<std::uint32_t>(t >> 24);
}

std::uint32_t premultiplied(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    const std::uint32_t straight = (std::uint32_t{r} << 16) | (std::uint32_t{g} << 8) | b;
    return (byteMul(straight, a) & 0x00FFFFFF) | (std::uint32_t{a} << 24);
}

void sourceOver(std::uint32_t& dst, std::uint32_t src) {
    if (src >= 0xFF000000u) {
        dst = src;
    } else if (src != 0) {
        dst = src + byteMul(dst, 255 - (src >> 24));
    }
}

std::uint32_t argbOf(Colour c) {
    return 0xFF000000u | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// Half away from zero, as the painter rounds.
int roundHalfAway(double d) {
    return static_cast<int>(std::round(d));
}

struct IntRect {
    int left, top, right, bottom;  // right and bottom exclusive
};

// A rectangle of device coordinates rounded to pixels as the painter rounds a target: the corner
// to the nearest pixel, the size corrected by half the corner's rounding.
IntRect toPixelRect(double x, double y, double w, double h) {
    const int left = roundHalfAway(x);
    const int top = roundHalfAway(y);
    const int width = roundHalfAway(w + (x - left) / 2);
    const int height = roundHalfAway(h + (y - top) / 2);
    return {left, top, left + width, top + height};
}

IntRect intersected(const IntRect& a, const IntRect& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

}  // namespace

PictureSet::PictureSet(const std::array<const std::uint8_t*, kCount>& rgba) {
    for (std::size_t i = 0; i < items_.size(); ++i) {
        const std::uint8_t* p = rgba[i];
        for (std::uint32_t& px : items_[i]) {
            px = premultiplied(p[0], p[1], p[2], p[3]);
            p += 4;
        }
    }
}

const PictureSet& PictureSet::builtIn() {
    static const PictureSet pictures = [] {
        std::array<const std::uint8_t*, kCount> rgba{};
        for (std::size_t i = 0; i < rgba.size(); ++i)
            rgba[i] = kImlMotoRgba[i];
        return PictureSet(rgba);
    }();
    return pictures;
}

const PictureSet::Pixels* PictureSet::item(int i) const {
    if (i < 1 || i > kCount) return nullptr;
    return &items_[static_cast<std::size_t>(i - 1)];
}

void ReelRaster::setScale(double scale) {
    if (scale == scale_) return;
    scale_ = scale;
    // The window's painter maps twips by the view's width over the reel window's, then by the
    // screen's pixel ratio: the same two factors, multiplied in the same order.
    const double view_px = double(std::lround(Scene::kWindowWidth / double(kTwipsPerPixel)));
    twips_to_device_ = view_px / double(Scene::kWindowWidth) * scale;
    width_ = static_cast<int>(std::lround(view_px * scale));
    height_ = static_cast<int>(
        std::lround(double(std::lround(Scene::kWindowHeight / double(kTwipsPerPixel))) * scale));
    argb_.assign(static_cast<std::size_t>(width_) * height_, 0);
    rgba_.assign(argb_.size(), 0);
    drawn_ = false;
}

bool ReelRaster::draw(const Scene& scene) {
    if (drawn_ && scene.window_back == drawn_back_ && scene.z_order == drawn_order_) {
        bool same = true;
        for (std::size_t i = 0; i < drawn_pictures_.size() && same; ++i) {
            const Picture& a = scene.pictures[i];
            const Picture& b = drawn_pictures_[i];
            same = a.left == b.left && a.top == b.top && a.width == b.width &&
                   a.height == b.height && a.image == b.image && a.visible == b.visible &&
                   a.stretch == b.stretch;
        }
        if (same) return false;
    }
    redraw(scene);
    return true;
}

void ReelRaster::redraw(const Scene& scene) {
    std::fill(argb_.begin(), argb_.end(), argbOf(scene.window_back));
    for (PictureId id : scene.z_order) {
        const Picture& pic = scene.pictures[static_cast<std::size_t>(id)];
        if (pic.visible) drawPicture(pic);
    }
    toRgba();
    drawn_ = true;
    drawn_pictures_ = scene.pictures;
    drawn_order_ = scene.z_order;
    drawn_back_ = scene.window_back;
}

void ReelRaster::drawPicture(const Picture& pic) {
    const PictureSet::Pixels* image = pictures_.item(pic.image);
    if (image == nullptr) return;
    constexpr int kSide = PictureSet::kSide;
    const double k = twips_to_device_;
    IntRect clip{0, 0, width_, height_};
    // A picture that is not stretched shows at its natural size (a pixel of it as many twips as
    // a pixel of the window), cut to its box.
    double tw = pic.width * k, th = pic.height * k;
    if (!pic.stretch) {
        const double bx = pic.left * k, by = pic.top * k;
        clip = intersected(clip, {roundHalfAway(bx), roundHalfAway(by), roundHalfAway(bx + tw),
                                  roundHalfAway(by + th)});
        tw = kSide * kTwipsPerPixel * k;
        th = kSide * kTwipsPerPixel * k;
    }
    const double tx = pic.left * k, ty = pic.top * k;
    if (tw <= 0 || th <= 0) return;
    const IntRect t = intersected(toPixelRect(tx, ty, tw, th), clip);
    int w = t.right - t.left;
    int h = t.bottom - t.top;
    if (w <= 0 || h <= 0) return;
    // Source steps per device pixel in 16.16, sampled at the centres of the device pixels.
    const int ix = static_cast<int>(0x10000 * (kSide / tw));
    const int iy = static_cast<int>(0x10000 * (kSide / th));
    const std::uint32_t basex =
        static_cast<std::uint32_t>(static_cast<int>(std::ceil((t.left + 0.5 - tx) * ix)) - 1);
    std::uint32_t srcy =
        static_cast<std::uint32_t>(static_cast<int>(std::ceil((t.top + 0.5 - ty) * iy)) - 1);
    // Rounding may reach one pixel past the picture's last row or column.
    if (static_cast<int>((srcy + std::uint32_t(iy) * std::uint32_t(h - 1)) >> 16) >= kSide) --h;
    if (static_cast<int>((basex + std::uint32_t(ix) * std::uint32_t(w - 1)) >> 16) >= kSide) --w;
    for (int y = 0; y < h; ++y, srcy += static_cast<std::uint32_t>(iy)) {
        const std::uint32_t* src = image->data() + (srcy >> 16) * kSide;
        std::uint32_t* dst = argb_.data() + static_cast<std::size_t>(t.top + y) * width_ + t.left;
        std::uint32_t srcx = basex;
        for (int x = 0; x < w; ++x, srcx += static_cast<std::uint32_t>(ix))
            sourceOver(dst[x], src[srcx >> 16]);
    }
}

void ReelRaster::toRgba() {
    for (std::size_t i = 0; i < argb_.size(); ++i) {
        const std::uint32_t p = argb_[i];
        // Memory order R, G, B, A on a little-endian machine (WebAssembly is one).
        rgba_[i] = ((p >> 16) & 0xFF) | (p & 0xFF00) | ((p & 0xFF) << 16) | 0xFF000000u;
    }
}

std::uint32_t ReelRaster::rgbAt(int x, int y) const {
    return argb_[static_cast<std::size_t>(y) * width_ + x] & 0x00FFFFFF;
}

}  // namespace rl00
