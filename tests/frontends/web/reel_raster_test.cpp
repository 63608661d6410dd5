// The reel window's pixels: source-over of premultiplied pictures in the scene's order, clipped to
// the window, rounded places at any zoom, and nothing drawn again for a scene that stands still.
// That they equal the window's own pixels is checked against the window in headless Chromium.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "frontends/web/reel_raster.h"

namespace rl00 {
namespace {

// Twenty pictures of one straight colour each, (10 * (i - 1), 200, 100); picture 20 is half
// transparent.
struct Pictures {
    std::vector<std::uint8_t> bytes[PictureSet::kCount];
    PictureSet set;
    static PictureSet make(std::vector<std::uint8_t> (&b)[PictureSet::kCount]) {
        std::array<const std::uint8_t*, PictureSet::kCount> p{};
        for (int i = 0; i < PictureSet::kCount; ++i) {
            const std::uint8_t alpha = i == 19 ? 128 : 255;
            for (int k = 0; k < PictureSet::kSide * PictureSet::kSide; ++k)
                b[i].insert(b[i].end(), {std::uint8_t(10 * i), 200, 100, alpha});
            p[static_cast<std::size_t>(i)] = b[i].data();
        }
        return PictureSet(p);
    }
    Pictures() : set(make(bytes)) {}
};

Scene sceneWith(std::initializer_list<std::pair<PictureId, Picture>> pictures) {
    Scene s;
    for (Picture& p : s.pictures)
        p.visible = false;
    for (const auto& [id, p] : pictures) {
        s.picture(id) = p;
        s.bringToFront(id);
    }
    return s;
}

TEST(ReelRaster, PicturesLieAtTheirTwipPlacesInTheirOrderOnTheWindowColour) {
    Pictures pics;
    ReelRaster r(pics.set);
    r.setScale(1.0);
    EXPECT_EQ(r.width(), 105);
    EXPECT_EQ(r.height(), 41);
    Scene s = sceneWith({{0, Picture{150, 30, 480, 480, 1, true, true}},
                         {1, Picture{450, 30, 480, 480, 2, true, true}}});
    s.window_back = kRed;
    ASSERT_TRUE(r.draw(s));
    EXPECT_EQ(r.rgbAt(0, 0), 0xFF0000u);    // red in the low byte of the scene
    EXPECT_EQ(r.rgbAt(10, 2), 0x00C864u);   // picture 1, colour (0, 200, 100)
    EXPECT_EQ(r.rgbAt(35, 10), 0x0AC864u);  // picture 2, colour (10, 200, 100), over picture 1
    EXPECT_EQ(r.rgbAt(104, 40), 0xFF0000u);
    s.bringToFront(0);
    ASSERT_TRUE(r.draw(s));
    EXPECT_EQ(r.rgbAt(35, 10), 0x00C864u);
    EXPECT_FALSE(r.draw(s)) << "a scene that stands still is not drawn again";
    // Half a picture below the window is cut at its edge; the rest of the window stays.
    s.picture(0).top = 400;
    r.draw(s);
    EXPECT_EQ(r.rgbAt(10, 40), 0x00C864u);
    EXPECT_EQ(r.rgbAt(10, 20), 0xFF0000u);
}

TEST(ReelRaster, HalfTransparentPixelsBlendAsPremultipliedSourceOver) {
    Pictures pics;
    ReelRaster r(pics.set);
    r.setScale(2.0);
    EXPECT_EQ(r.width(), 210);
    Scene s = sceneWith({{0, Picture{0, 0, 495, 495, 20, true, true}}});
    s.window_back = kWhite;
    r.draw(s);
    // Straight (190, 200, 100) at alpha 128 premultiplied: 95, 100, 50 (rounded as x*a/255 is),
    // over white: c + 255 * 127 / 255.
    const std::uint32_t px = r.rgbAt(5, 5);
    EXPECT_EQ(px >> 16, 95u + 127u);
    EXPECT_EQ((px >> 8) & 0xFF, 100u + 127u);
    EXPECT_EQ(px & 0xFF, 50u + 127u);
    // The RGBA bytes a canvas takes: R, G, B, A.
    const std::uint8_t* b = r.rgba() + (5 * 210 + 5) * 4;
    EXPECT_EQ(b[0], 222);
    EXPECT_EQ(b[3], 255);
}

TEST(ReelRaster, AStretchedSpriteCoversItsRoundedBoxAtEveryZoom) {
    Pictures pics;
    for (double zoom : {1.0, 2.0, 3.0, 1.5}) {
        ReelRaster r(pics.set);
        r.setScale(zoom);
        Scene s = sceneWith({{kImgObake, Picture{840, 0, 495, 495, 5, true, true}}});
        r.draw(s);
        int covered = 0;
        for (int x = 0; x < r.width(); ++x)
            covered += r.rgbAt(x, 1) != 0 ? 1 : 0;
        EXPECT_EQ(covered, std::lround(495 / 15.0 * zoom)) << zoom;
    }
}

}  // namespace
}  // namespace rl00
