#pragma once
// Shards: the machines of a run split into S parts that computers of a cluster play apart and
// `rl00-headless merge` puts together again. Shard K of S (0 <= K < S) holds the machines
// floor(K * M / S) up to, not including, floor((K + 1) * M / S): consecutive blocks of sizes
// that differ by at most one, in machine order, so the shards' traces and logs laid one after
// the other in shard order are those of the whole run.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rl00 {

struct Shard {
    std::uint64_t index = 0;
    std::uint64_t count = 1;
    friend bool operator==(const Shard&, const Shard&) = default;
};

// Machines first..end - 1.
struct MachineRange {
    std::uint64_t first = 0;
    std::uint64_t end = 0;
    std::uint64_t size() const { return end - first; }
    friend bool operator==(const MachineRange&, const MachineRange&) = default;
};

MachineRange shardMachines(const Shard& shard, std::uint64_t machines);

// "K/S" with 0 <= K < S; nothing for any other text.
std::optional<Shard> parseShard(std::string_view text);
std::string shardText(const Shard& shard);

}  // namespace rl00
