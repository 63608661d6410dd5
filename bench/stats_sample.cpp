// Statistics files for measuring merge and the report on large inputs:
//
//   rl00_stats_sample shards DIR S [GAMES]     the S shard files of a run of S machines
//   rl00_stats_sample machines FILE N [GAMES]  the file of a run of N machines (N a multiple
//                                              of 1,000)
//
// The shards are played. The large file is made from one played block of 1,000 machines whose
// lines are repeated, renumbered, and whose counts are added up as often: a file that the reader
// takes, the size of a real run of N machines, at a small part of the time to play one.

#include <charconv>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "frontends/headless/batch.h"
#include "stats/stats_file.h"

namespace {

using namespace rl00;

constexpr std::uint64_t kBlock = 1000;
constexpr std::uint64_t kSeed = 20;

std::uint64_t number(const char* text) {
    std::uint64_t n = 0;
    const std::string_view s(text);
    const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), n);
    if (ec != std::errc{} || end != s.data() + s.size() || n == 0)
        throw std::invalid_argument(std::string("not a whole number above 0: ") + text);
    return n;
}

void play(std::uint64_t machines, Shard shard, std::uint64_t games, const std::string& file) {
    BatchOptions o;
    o.games = games;
    o.machines = machines;
    o.shard = shard;
    o.seed = kSeed;
    o.ini_file = "/dev/null";
    o.stats_file = file;
    o.quiet = true;
    std::ostringstream out, err;
    if (runBatch(o, out, err) != 0) throw std::runtime_error(err.str());
}

void shards(const std::string& dir, std::uint64_t count, std::uint64_t games) {
    for (std::uint64_t k = 0; k < count; ++k)
        play(count, {k, count}, games, dir + "/shard-" + std::to_string(k) + ".json");
}

void machines(const std::string& file, std::uint64_t count, std::uint64_t games) {
    if (count % kBlock != 0) throw std::invalid_argument("N must be a multiple of 1000");
    play(kBlock, {}, games, file);
    const StatsDocument block = readStatsFileAt(file);
    StatsDocument d;
    d.run = block.run;
    d.run.machines = count;
    for (std::uint64_t first = 0; first < count; first += kBlock) {
        for (MachineSummary m : block.machines.lines()) {
            m.machine += first;
            d.machines.add(m);
        }
        d.counts.merge(block.counts);
    }
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    writeStatsFile(d, [&out](std::string_view piece) { out << piece; });
    if (!out.flush()) throw std::runtime_error("cannot write " + file);
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::string what = argc >= 4 ? argv[1] : "";
        const std::uint64_t games = argc >= 5 ? number(argv[4]) : 100;
        if (what == "shards") {
            shards(argv[2], number(argv[3]), games);
        } else if (what == "machines") {
            machines(argv[2], number(argv[3]), games);
        } else {
            std::cerr << "usage: rl00_stats_sample shards DIR S [GAMES]\n"
                         "       rl00_stats_sample machines FILE N [GAMES]\n";
            return 2;
        }
    } catch (const std::exception& e) {
        std::cerr << "rl00_stats_sample: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
