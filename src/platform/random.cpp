#include "platform/random.h"

#include <chrono>

namespace rl00 {

namespace {
std::uint64_t splitmix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}
}  // namespace

void Random::reseed(std::uint64_t seed) {
    std::uint64_t x = seed;
    for (auto& s : s_)
        s = splitmix(x);
}

std::uint64_t clockSeed() {
    const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
    const auto mono = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<std::uint64_t>(wall) ^ (static_cast<std::uint64_t>(mono) << 17);
}

}  // namespace rl00
