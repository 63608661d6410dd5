// The statistics file read back, and the merge of shards' files: a merge gives byte for byte the
// file of one run of all machines, and refuses, with one line and nothing written, whatever
// would make it anything else.

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <limits>
#include <sstream>

#include "frontends/headless/batch.h"
#include "frontends/headless/merge.h"
#include "frontends/headless/runner_support.h"
#include "stats/stats_file.h"
#include "stats/stats_report.h"
#include "stats/stats_table.h"
#include "support/test_size.h"

namespace rl00 {
namespace {

using test::slurp;
using test::TempDir;

class StatsFiles : public ::testing::Test {
  protected:
    // Plays a run (or a shard of it) in-process and returns its statistics file's text.
    std::string play(const std::string& name, BatchOptions o) {
        o.program_dir = dir_.path().string();
        o.ini_file = dir_.ini("run.ini", dir_ / "log");
        o.stats_file = dir_ / name;
        o.quiet = true;
        if (!o.seed) o.seed = 4;
        std::ostringstream out, err;
        EXPECT_EQ(runBatch(o, out, err), 0) << err.str();
        return slurp(o.stats_file);
    }

    static BatchOptions shard(std::uint64_t k, std::uint64_t s, std::uint64_t machines = 5) {
        BatchOptions o;
        o.games = 700;
        o.machines = machines;
        o.shard = {k, s};
        return o;
    }

    struct Merged {
        int exit_code;
        std::string err;
    };
    Merged merge(std::vector<std::string> args) {
        for (std::string& a : args) {
            if (!a.starts_with("-")) a = dir_ / a;
        }
        std::ostringstream out, err;
        const int code = runMerge(args, out, err);
        return {code, err.str()};
    }

    TempDir dir_{"rl00_stats_file"};
};

// `one`'s counts `factor` times over, by doubling and adding.
RunStats times(const RunStats& one, std::uint64_t factor) {
    RunStats sum, power = one;
    for (; factor != 0; factor >>= 1) {
        if (factor & 1) sum.merge(power);
        if (factor > 1) power.merge(RunStats(power));
    }
    return sum;
}

// `text` with the first `from` replaced by `to`.
std::string edited(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::string refusal(const std::string& text) {
    try {
        readStatsFile(text);
    } catch (const StatsFileError& e) {
        return e.what();
    }
    return "not refused";
}

TEST_F(StatsFiles, AFileReadsBackAsTheSameTextAndOnlyAWholeUneditedFileDoes) {
    BatchOptions o = shard(0, 1, 3);
    o.games = 1500;
    const std::string text = play("run.json", o);
    const StatsDocument d = readStatsFile(text);
    EXPECT_EQ(statsFileText(d), text);
    EXPECT_TRUE(d.complete());
    ASSERT_EQ(d.machines.size(), 3u);
    ASSERT_GT(d.counts.hits(), 0u);

    // Cut anywhere, even just before its last line end, it is refused. Each cut reads the file
    // again, and one past the counts works out the theory to compare the figures with (about
    // 12 ms): about 300 cuts, at a step prime to the lines' lengths, land on every kind of
    // line and anywhere within one. The sanitizer build steps wider and reads fewer of the last
    // bytes one by one.
    const std::size_t step = test::sized(211, 397), byByte = test::sized(100, 48);
    for (std::size_t size = 0; size < text.size(); size += size < text.size() - byByte ? step : 1) {
        EXPECT_THROW(readStatsFile(text.substr(0, size)), StatsFileError) << size;
    }

    const std::string version(programVersion());
    const std::string counted = "\"games\": " + std::to_string(d.counts.games()) + ",\n";
    const std::string more = "\"games\": " + std::to_string(d.counts.games() + 1) + ",\n";
    struct Edit {
        std::string from, to, said;
    };
    const Edit edits[] = {
        {"\"program_version\": \"" + version, "\"program_version\": \"0.0.9",
         "comes from rl00-headless 0.0.9"},
        {"\"format_version\": 3", "\"format_version\": 4", "another format"},
        {"\"format_version\": 3", "\"format_version\": 2", "an older format"},
        {"\"complete\": true", "\"complete\": false", "completeness mark"},
        {counted, more, "does not add up"},
        {"{\"machine\": 1,", "{\"machine\": 2,", "where machine 1 belongs"},
        {"\"first_machine\": 0", "\"first_machine\": 1", "other machines"},
        {"\"index\": 0", "\"index\": 1", "no shard"},
        {"\"over_count\": 0, \"over_sum\": 0", "\"over_count\": 1, \"over_sum\": 3", "histogram"},
        {"\"virtual_ms\": ", "\"virtual_ms\": 1", "differs from what rl00-headless writes"},
        {"\"seed\": 4", "\"seed\": -4", "not a whole number"},
        {"\"run\": {", "\"run\": {\"seed\": 4, ", "differs from what rl00-headless writes"},
    };
    for (const Edit& e : edits) {
        std::string edited = text;
        const auto at = edited.find(e.from);
        ASSERT_NE(at, std::string::npos) << e.from;
        edited.replace(at, e.from.size(), e.to);
        try {
            readStatsFile(edited);
            ADD_FAILURE() << "not refused: " << e.to;
        } catch (const StatsFileError& err) {
            EXPECT_NE(std::string(err.what()).find(e.said), std::string::npos)
                << err.what() << " for " << e.to;
        }
    }
}

TEST_F(StatsFiles, MergedShardsAreByteForByteTheRunOfAllMachines) {
    const std::string whole = play("whole.json", shard(0, 1));
    for (std::uint64_t k = 0; k < 3; ++k)
        play("three" + std::to_string(k) + ".json", shard(k, 3));
    // Seven shards of five machines: two of them hold none.
    for (std::uint64_t k = 0; k < 7; ++k)
        play("seven" + std::to_string(k) + ".json", shard(k, 7));

    const Merged three =
        merge({"three2.json", "three0.json", "--quiet", "three1.json", "--stats", "merged3.json"});
    ASSERT_EQ(three.exit_code, 0) << three.err;
    EXPECT_EQ(slurp(dir_ / "merged3.json"), whole);

    std::vector<std::string> sevens = {"--stats", "merged7.json", "--quiet"};
    for (std::uint64_t k = 0; k < 7; ++k)
        sevens.push_back("seven" + std::to_string(k) + ".json");
    ASSERT_EQ(merge(sevens).exit_code, 0);
    EXPECT_EQ(slurp(dir_ / "merged7.json"), whole);

    // Shards of different partitions fit together as long as every machine is there once.
    const std::string half = play("half0.json", shard(0, 2));  // machines 0 and 1
    ASSERT_FALSE(half.empty());
    ASSERT_EQ(merge({"half0.json", "seven3.json", "seven4.json", "seven5.json", "seven6.json",
                     "--stats", "mixed.json", "--quiet"})
                  .exit_code,
              0);
    EXPECT_EQ(slurp(dir_ / "mixed.json"), whole);
}

TEST_F(StatsFiles, AMergeThatCannotGiveTheWholeRunSaysWhyInOneLineAndWritesNothing) {
    for (std::uint64_t k = 0; k < 3; ++k)
        play("s" + std::to_string(k) + ".json", shard(k, 3));
    BatchOptions other_seed = shard(2, 3);
    other_seed.seed = 5;
    play("seed5.json", other_seed);
    BatchOptions other_frame = shard(2, 3);
    other_frame.frame_ms = 0.5;
    play("frame.json", other_frame);
    play("more.json", shard(2, 3, 6));
    play("half.json", shard(0, 2));
    for (std::uint64_t k = 0; k < 3; ++k) {
        BatchOptions ended = shard(k, 3);
        ended.end_after_ms = 60'000;
        play("ended" + std::to_string(k) + ".json", ended);
    }
    std::ofstream(dir_ / "cut.json") << slurp(dir_ / "s2.json").substr(0, 900);

    struct Case {
        std::vector<std::string> files;
        std::string said;
    };
    const Case cases[] = {
        {{"s0.json", "s1.json"}, "machines 3 to 4 are in none of the files"},
        {{"s0.json", "s2.json"}, "machines 1 to 2 are in none of the files"},
        {{"s1.json", "s2.json"}, "machine 0 is in none of the files"},
        {{"s0.json", "s1.json", "s2.json", "s1.json"}, "s1.json is named twice"},
        {{"half.json", "s1.json", "s2.json"}, "overlap: both hold machine 1"},
        {{"s0.json", "s1.json", "seed5.json"}, "not of the same run: seed 4 and 5"},
        {{"s0.json", "s1.json", "frame.json"}, "not of the same run: frame period 2 and 0.5"},
        {{"s0.json", "s1.json", "more.json"}, "not of the same run: machines 5 and 6"},
        {{"s0.json", "s1.json", "ended2.json"}, "not of the same run: end after none and"},
        {{"ended0.json", "ended1.json", "ended2.json"}, "ended0.json is incomplete: machine 0"},
        {{"s0.json", "s1.json", "cut.json"}, "cut.json is cut short"},
        {{"s0.json", "s1.json", "absent.json"}, "cannot read"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.files;
        args.insert(args.end(), {"--stats", "out.json"});
        const Merged m = merge(args);
        EXPECT_EQ(m.exit_code, 2) << c.said;
        EXPECT_TRUE(m.err.starts_with("rl00-headless merge: ")) << m.err;
        EXPECT_EQ(std::count(m.err.begin(), m.err.end(), '\n'), 1) << m.err;
        EXPECT_NE(m.err.find(c.said), std::string::npos) << m.err;
        EXPECT_FALSE(test::fs::exists(dir_ / "out.json")) << c.said;
    }
    const Merged nothing = merge({"--quiet"});
    EXPECT_EQ(nothing.exit_code, 2);
    EXPECT_NE(nothing.err.find("no statistics file to merge"), std::string::npos);
}

// The runner's table speaks plain words with the panel's captions, marks every long number's
// thousands and names every figure of the file.
TEST_F(StatsFiles, TheTableSpeaksPlainWordsAndShowsEveryFigure) {
    BatchOptions o = shard(0, 1, 2);
    o.games = 6000;
    const StatsDocument d = readStatsFile(play("table.json", o));
    const std::string table = statsTable(d);
    EXPECT_EQ(table.find("G_l"), std::string::npos);
    EXPECT_EQ(table.find("e+0"), std::string::npos);
    for (const char* caption : {"(回転数)", "(大当たり数 通)", "(予告動作 本物)", "(リーチの数)"})
        EXPECT_NE(table.find(caption), std::string::npos) << caption;
    EXPECT_NE(table.find("games played: 12,000"), std::string::npos);
    const Report r = compare(d.counts, nullptr);
    for (const Comparison& c : r.others)
        EXPECT_NE(table.find(c.figure), std::string::npos) << c.figure;
    EXPECT_NE(table.find("per machine (2 machines)"), std::string::npos);
    EXPECT_NE(table.find("theory for one machine"), std::string::npos);
    // 09:Frs is never played in kakuhen mode: its row there has no share and no interval.
    ASSERT_EQ(d.counts.reachKindInMode(kModeKakuhen, 9).trials, 0u);
    const std::size_t none = table.find("hit share of 09:Frs in kakuhen mode");
    ASSERT_NE(none, std::string::npos);
    const std::string line = table.substr(none, table.find('\n', none) - none);
    EXPECT_EQ(line.find("100.0%"), std::string::npos) << line;
}

TEST_F(StatsFiles, CountsThatPass64BitsOrContradictEachOtherAreRefused) {
    BatchOptions o = shard(0, 1, 1);
    o.games = 1;
    const StatsDocument one = readStatsFile(play("one.json", o));
    ASSERT_EQ(one.counts.hits(), 0u);

    // Three shards each of whose counts is near 2^63 and agrees with itself and its figures,
    // as an edit that writes the figures anew would make them: each is a file, the three
    // together add up past 64 bits.
    constexpr std::uint64_t kNear = (std::uint64_t{1} << 63) - 1;
    RunStats huge = one.counts;
    huge.frames = huge.whole_ms = 0;
    huge = times(huge, kNear);
    std::vector<std::string> args = {"--stats", "sum.json"};
    for (std::uint64_t k = 0; k < 3; ++k) {
        StatsDocument d;
        d.run.seed = 4;
        d.run.games_per_machine = kNear;
        d.run.machines = 3;
        d.shard = {k, 3};
        d.machines.add({.machine = k, .games = kNear, .hits = 0, .longest_drought = kNear});
        d.counts = huge;
        const std::string text = statsFileText(d);
        EXPECT_EQ(statsFileText(readStatsFile(text)), text);
        std::ofstream(dir_ / ("near" + std::to_string(k) + ".json")) << text;
        args.push_back("near" + std::to_string(k) + ".json");
    }
    const Merged sum = merge(args);
    EXPECT_EQ(sum.exit_code, 2);
    EXPECT_NE(sum.err.find("do not add up"), std::string::npos) << sum.err;
    EXPECT_EQ(std::count(sum.err.begin(), sum.err.end(), '\n'), 1) << sum.err;
    EXPECT_FALSE(test::fs::exists(dir_ / "sum.json"));

    BatchOptions three = shard(0, 1, 3);
    three.games = 1500;
    const std::string text = play("three.json", three);
    const StatsDocument d = readStatsFile(text);
    const std::string games = std::to_string(d.counts.mode(1).trials);
    const std::string hits = std::to_string(d.counts.mode(1).hits);
    const std::string kakuhen = std::to_string(d.counts.kakuhenHits().hits);
    struct Edit {
        std::string from, to, said;
    };
    const Edit edits[] = {
        {"\"G_lYokoku1N\": ", "\"G_lYokoku1N\": -999998", "not a whole number"},
        {"\"games\": ", "\"games\": 18446744073709551616", "not a whole number up to"},
        {"{\"mode\": 1, \"games\": " + games + ", \"hits\": " + hits,
         "{\"mode\": 1, \"games\": " + games + ", \"hits\": 1" + games,
         "mode 1 has more hits than games"},
        {"\"far\": ", "\"far\": 1" + std::to_string(d.counts.games()), "more reaches than games"},
        {"{\"mode\": 0, \"kind\": 1, \"far\": ", "{\"mode\": 0, \"kind\": 1, \"far\": 1",
         "counts.reaches_by_mode added up"},
        {"\"preview2\": ", "\"preview2\": 1", "counts.previews_by_mode added up"},
        {"\"kakuhen_hits\": " + kakuhen + ", \"kakuhen_shown\"",
         "\"kakuhen_hits\": 1" + kakuhen + ", \"kakuhen_shown\"",
         "the hits of counts.re_lottery added up"},
        {"\"overshoots\": ", "\"overshoots\": 1" + games, "re-lotteries or time-shortening"},
        {"\"with_hit\": ", "\"with_hit\": 1" + games, "re-lotteries or time-shortening"},
        {"\"by_value\": [0, ", "\"by_value\": [00, ", "differs from what"},
        {"], \"over_count\"", ", 0], \"over_count\"", "differs from what"},
        {"\"argument\": \"\"", "\"argument\": \"\xFF\xFE\"", "\"run.argument\" that is not UTF-8"},
        {"\"argument\": \"\"", "\"argument\": \"" + std::string(1025, 'a') + "\"",
         "longer than 1024 bytes"},
        {"\"argument\": \"\"", "\"argument\": \"\\u0041\"", "differs from what"},
        {"\n}\n", "\n}\n\n", "differs from what"},
    };
    for (const Edit& e : edits) {
        const std::string said = refusal(edited(text, e.from, e.to));
        EXPECT_NE(said.find(e.said), std::string::npos) << said << " for " << e.to;
    }
}

TEST_F(StatsFiles, EveryShardAndSeedTheRunnerTakesGivesAFileThatMerges) {
    constexpr std::uint64_t kMost = std::numeric_limits<std::uint64_t>::max();
    BatchOptions o = shard(kMost - 1, kMost, 1);
    o.games = 20;
    o.seed = kMost;
    play("last.json", o);
    o.shard = {};
    const std::string whole = play("whole.json", o);
    const Merged m = merge({"last.json", "--stats", "merged.json", "--quiet"});
    EXPECT_EQ(m.exit_code, 0) << m.err;
    EXPECT_TRUE(slurp(dir_ / "merged.json") == whole);
}

TEST_F(StatsFiles, OnlyARegularFileOfBoundedSizeIsReadAndAsAStream) {
    BatchOptions o = shard(0, 1, 4);
    const std::string text = play("run.json", o);
    const StatsDocument whole = readStatsFile(text);
    const StatsDocument streamed = readStatsFileAt(dir_ / "run.json", MachineLinesRead::Drop);
    EXPECT_EQ(streamed.counts, whole.counts);
    EXPECT_EQ(streamed.machines.size(), 4u);
    EXPECT_TRUE(streamed.machines.lines().empty());
    EXPECT_TRUE(streamed.complete());
    EXPECT_EQ(statsFileText(readStatsFileAt(dir_ / "run.json")), text);

    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    std::ofstream(dir_ / "empty.json");
    { std::ofstream huge(dir_ / "huge.json"); }
    ASSERT_EQ(::truncate((dir_ / "huge.json").c_str(), (off_t{256} << 20) + 1), 0);  // sparse
    const std::pair<std::string, std::string> cases[] = {
        {dir_ / "fifo", "fifo is a FIFO, not a regular file"},
        {dir_.path().string(), " is a folder"},
        {"/dev/zero", "/dev/zero is a device, not a regular file"},
        {dir_ / "huge.json", "huge.json is larger than 256 MiB"},
        {dir_ / "empty.json", "empty.json is empty"},
        {dir_ / "absent.json", "cannot read "},
    };
    for (const auto& [file, said] : cases) {
        try {
            readStatsFileAt(file);
            ADD_FAILURE() << "not refused: " << file;
        } catch (const StatsFileError& e) {
            EXPECT_NE(std::string(e.what()).find(said), std::string::npos) << e.what();
        }
    }
}

}  // namespace
}  // namespace rl00
