#include "frontends/qt/image_list.h"

#include <QString>

// Resources of a static library must be registered by name from the global namespace.
static void registerImageResources() {
    Q_INIT_RESOURCE(images);
}

namespace rl00 {

ImageList::ImageList() {
    registerImageResources();
    for (int i = 1; i <= kCount; ++i) {
        items_[static_cast<std::size_t>(i)].load(
            QStringLiteral(":/iml_moto/%1.png").arg(i, 2, 10, QLatin1Char('0')));
    }
}

const QPixmap& ImageList::item(int i) const {
    if (i < 1 || i > kCount) return items_[0];
    return items_[static_cast<std::size_t>(i)];
}

bool ImageList::complete() const {
    for (int i = 1; i <= kCount; ++i) {
        if (items_[static_cast<std::size_t>(i)].isNull()) return false;
    }
    return true;
}

}  // namespace rl00
