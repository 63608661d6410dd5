#include "machine/scene.h"

#include <algorithm>

namespace rl00 {

Scene::Scene() {
    // The reel pictures lie first (bottom), the sprites above them, as the window was laid out.
    z_order.reserve(kPictureCount);
    for (PictureId id = 0; id < kPictureCount; ++id)
        z_order.push_back(id);
}

Picture& Scene::picture(PictureId id) {
    if (id < 0 || id >= kPictureCount) raiseError(err::kControlArrayElement);
    return pictures[static_cast<std::size_t>(id)];
}

const Picture& Scene::picture(PictureId id) const {
    if (id < 0 || id >= kPictureCount) raiseError(err::kControlArrayElement);
    return pictures[static_cast<std::size_t>(id)];
}

void Scene::bringToFront(PictureId id) {
    auto it = std::find(z_order.begin(), z_order.end(), id);
    if (it == z_order.end()) raiseError(err::kControlArrayElement);
    std::rotate(it, it + 1, z_order.end());
    if (z_moves != nullptr) z_moves->push_back({id, true});
}

void Scene::sendToBack(PictureId id) {
    auto it = std::find(z_order.begin(), z_order.end(), id);
    if (it == z_order.end()) raiseError(err::kControlArrayElement);
    std::rotate(z_order.begin(), it, it + 1);
    if (z_moves != nullptr) z_moves->push_back({id, false});
}

}  // namespace rl00
