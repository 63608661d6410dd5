#pragma once
// Symbols on a reel strip: 1..14, wrapping at both ends (15 is read as 1, 0 as 14).

#include "platform/checked.h"
#include "platform/vb_types.h"

namespace rl00 {

inline constexpr int kSymbols = 14;

// Directions of travel of a reel.
inline constexpr Int16 kDown = 1;
inline constexpr Int16 kUp = -1;

// Advances a symbol one place in the direction of travel: down 14 -> 1, up 1 -> 14.
inline Int16 advanceSymbol(Int16 s, Int16 direction) {
    if (direction == kDown) return s >= kSymbols ? Int16{1} : static_cast<Int16>(s + 1);
    return s <= 1 ? Int16{kSymbols} : static_cast<Int16>(s - 1);
}

// r + k and r - k on the strip, with the single correction the machine applies.
inline Int16 symbolAfter(Int16 r, Int16 k) {
    const Int16 s = toInt16(r + k);
    return s > kSymbols ? toInt16(s - kSymbols) : s;
}
inline Int16 symbolBefore(Int16 r, Int16 k) {
    const Int16 s = toInt16(r - k);
    return s < 1 ? toInt16(s + kSymbols) : s;
}

}  // namespace rl00
