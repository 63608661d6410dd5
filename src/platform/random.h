#pragma once
// The machine's one uniform generator of numbers in [0,1). A draw of "random 1..n" is the
// integer part of (draw * n + 1). Seedable, so a headless run with a fixed seed is repeatable.

#include <array>
#include <cstdint>

#include "platform/vb_types.h"

namespace rl00 {

class Random {
  public:
    explicit Random(std::uint64_t seed = 1) { reseed(seed); }
    // A generator that continues from a given state (all four words not zero).
    explicit Random(const std::array<std::uint64_t, 4>& state) : s_(state) {}

    void reseed(std::uint64_t seed);

    // A number in [0,1).
    double draw() { return static_cast<double>(nextBits() >> 11) * 0x1.0p-53; }

    // random 1..n. For the largest draw, 1 - 2^-53, draw * n + 1 rounds up to n + 1 for some n
    // (2, 4, 16, 32, ...); that one draw is held at n, every other draw keeps its result.
    Int16 upTo(Int16 n) { return pick(draw(), n); }
    static Int16 pick(double d, Int16 n) {
        const auto k = static_cast<Int16>(d * n + 1.0);
        return k > n ? n : k;
    }

    std::uint64_t nextBits() {
        const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
        const std::uint64_t t = s_[1] << 17;
        s_[2] ^= s_[0];
        s_[3] ^= s_[1];
        s_[1] ^= s_[2];
        s_[0] ^= s_[3];
        s_[2] ^= t;
        s_[3] = rotl(s_[3], 45);
        return result;
    }

  private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }
    std::array<std::uint64_t, 4> s_{};
};

// A seed taken from the clock, as the window does when it loads.
std::uint64_t clockSeed();

}  // namespace rl00
