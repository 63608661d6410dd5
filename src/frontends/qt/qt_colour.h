#pragma once
// The machine's colours keep red in the low byte; Qt wants its channels by name.

#include <QColor>

#include "platform/vb_types.h"

namespace rl00 {

inline QColor toQColor(Colour c) {
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

}  // namespace rl00
