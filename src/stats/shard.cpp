#include "stats/shard.h"

#include <charconv>

namespace rl00 {

namespace {

__extension__ using Wide = unsigned __int128;

// floor(k * m / s) without the product overflowing 64 bits.
std::uint64_t boundary(std::uint64_t k, std::uint64_t m, std::uint64_t s) {
    return static_cast<std::uint64_t>(static_cast<Wide>(k) * m / s);
}

bool readWhole(std::string_view text, std::uint64_t& value) {
    const char* end = text.data() + text.size();
    const auto res = std::from_chars(text.data(), end, value);
    return !text.empty() && res.ec == std::errc{} && res.ptr == end;
}

}  // namespace

MachineRange shardMachines(const Shard& shard, std::uint64_t machines) {
    return {boundary(shard.index, machines, shard.count),
            boundary(shard.index + 1, machines, shard.count)};
}

std::optional<Shard> parseShard(std::string_view text) {
    const auto slash = text.find('/');
    if (slash == std::string_view::npos) return std::nullopt;
    Shard s;
    if (!readWhole(text.substr(0, slash), s.index) || !readWhole(text.substr(slash + 1), s.count))
        return std::nullopt;
    if (s.count == 0 || s.index >= s.count) return std::nullopt;
    return s;
}

std::string shardText(const Shard& shard) {
    return std::to_string(shard.index) + "/" + std::to_string(shard.count);
}

}  // namespace rl00
