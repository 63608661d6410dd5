// The statistics file's reader over any bytes, and the sums a merge makes of what it accepts:
// an accepted file is exactly what the program writes for its counts, and adding its counts up
// either gives a total or refuses with CountOverflow.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "stats/run_stats.h"
#include "stats/stats_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    rl00::StatsDocument d;
    try {
        d = rl00::readStatsFile(text);
    } catch (const rl00::StatsFileError&) {
        return 0;
    }
    if (rl00::statsFileText(d) != text) __builtin_trap();
    rl00::RunStats total;
    try {
        for (int shard = 0; shard < 3; ++shard)
            total.merge(d.counts);
    } catch (const rl00::CountOverflow&) {
    }
    return 0;
}
