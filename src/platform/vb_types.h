#pragma once
// The value types of the machine: signed 16-bit and 32-bit items, flags that hold -1 for true
// and 0 for false, and colours with red in the low byte (the platform's order).

#include <cstdint>

namespace rl00 {

using Int16 = std::int16_t;
using Int32 = std::int32_t;
using Flag = std::int16_t;

inline constexpr Flag kTrue = -1;
inline constexpr Flag kFalse = 0;

inline constexpr Flag toFlag(bool b) {
    return b ? kTrue : kFalse;
}

using Colour = std::int32_t;

inline constexpr Colour kBlack = 0x000000;
inline constexpr Colour kWhite = 0xFFFFFF;
inline constexpr Colour kBlue = 0xFF0000;
inline constexpr Colour kRed = 0x0000FF;
inline constexpr Colour kGreen = 0x00FF00;
inline constexpr Colour kCyan = 0xFFFF00;
inline constexpr Colour kGrey = 0x808080;
inline constexpr Colour kLightYellow = 0xC0FFFF;

}  // namespace rl00
