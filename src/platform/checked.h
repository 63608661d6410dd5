#pragma once
// Checked arithmetic on 16-bit and 32-bit items: a result outside the item's range raises
// Overflow (6) and leaves the item as it was, as the old runtime did.

#include <cstdint>
#include <limits>

#include "platform/runtime_error.h"

namespace rl00 {

inline Int16 toInt16(std::int64_t v) {
    if (v < std::numeric_limits<Int16>::min() || v > std::numeric_limits<Int16>::max())
        raiseError(err::kOverflow);
    return static_cast<Int16>(v);
}

inline Int32 toInt32(std::int64_t v) {
    if (v < std::numeric_limits<Int32>::min() || v > std::numeric_limits<Int32>::max())
        raiseError(err::kOverflow);
    return static_cast<Int32>(v);
}

inline void checkedAdd(Int16& item, std::int64_t delta) {
    item = toInt16(item + delta);
}
inline void checkedAdd(Int32& item, std::int64_t delta) {
    item = toInt32(item + delta);
}

}  // namespace rl00
