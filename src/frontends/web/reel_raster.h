#pragma once
// Pic_Window01 as device pixels for the page's canvas: the scene's pictures at their twip places,
// in the scene's z-order, clipped to the reel window, on its background colour. A canvas scales
// and places pictures by rules of its own, so the page does not let it: the pixels are made here,
// by the rules the window's raster painter follows for a scaled picture without smoothing
// (rounded target, sampling at pixel centres in 16.16 fixed point, premultiplied source-over), so
// that the page shows the window's very pixels.

#include <array>
#include <cstdint>
#include <vector>

#include "machine/scene.h"

namespace rl00 {

// Iml_Moto: the 20 pictures, each 32 x 32 pixels, premultiplied as the window keeps them.
class PictureSet {
  public:
    static constexpr int kCount = 20;
    static constexpr int kSide = 32;
    using Pixels = std::array<std::uint32_t, kSide * kSide>;  // 0xAARRGGBB, premultiplied

    // From straight (not premultiplied) RGBA bytes, kSide * kSide * 4 per picture, item 1..20.
    PictureSet(const std::array<const std::uint8_t*, kCount>& rgba);
    // The pictures built into the program.
    static const PictureSet& builtIn();

    // Item 1..20, or null for any other number (a picture without image).
    const Pixels* item(int i) const;

  private:
    std::array<Pixels, kCount> items_{};
};

class ReelRaster {
  public:
    explicit ReelRaster(const PictureSet& pictures) : pictures_(pictures) {}

    // Device pixels per pixel of the window at 1x (the zoom times the screen's pixel ratio).
    void setScale(double scale);
    int width() const { return width_; }
    int height() const { return height_; }

    // Draws the scene; true when it differed from the one drawn last (else nothing is done).
    bool draw(const Scene& scene);
    // Draws the scene whether or not it changed.
    void redraw(const Scene& scene);
    // Rows of width() pixels, RGBA bytes in memory order, as a canvas's image data holds them.
    const std::uint8_t* rgba() const { return reinterpret_cast<const std::uint8_t*>(rgba_.data()); }

    // The pixel at x, y as 0xRRGGBB.
    std::uint32_t rgbAt(int x, int y) const;

  private:
    void drawPicture(const Picture& pic);
    void toRgba();

    const PictureSet& pictures_;
    double scale_ = 0.0;
    double twips_to_device_ = 0.0;
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint32_t> argb_;  // 0xFFRRGGBB while drawing
    std::vector<std::uint32_t> rgba_;
    // What was drawn last, to skip a scene that stands still.
    bool drawn_ = false;
    std::array<Picture, kPictureCount> drawn_pictures_{};
    std::vector<PictureId> drawn_order_;
    Colour drawn_back_ = 0;
};

}  // namespace rl00
