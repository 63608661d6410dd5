// Reading a statistics file back, section by section (stats_read_format.h): only the counts are
// taken, and checked against each other and against the machines' lines.

#include "io/input_file.h"
#include "platform/json.h"
#include "stats/stats_file.h"
#include "stats/stats_layout.h"
#include "stats/stats_read_format.h"

namespace rl00 {

namespace {

[[noreturn]] void refuse(const std::string& what) {
    throw StatsFileError(what);
}

// A text as a message shows it: control characters escaped as JSON escapes them.
std::string shown(std::string_view text) {
    std::string quoted;
    json::Writer(quoted).string(text);
    return quoted.substr(1, quoted.size() - 2);
}

// Refuses unless a count adds up as it must.
void expectSum(std::uint64_t actual, std::uint64_t expected, const std::string& what) {
    if (actual != expected)
        refuse("does not add up: " + what + " is " + std::to_string(actual) + ", not " +
               std::to_string(expected));
}

void readHeader(StatsReadFormat& f, StatsInput& in, RunIdentity& run) {
    if (in.ahead(1).empty()) refuse("is empty");
    std::string format;
    try {
        f.beginObject(nullptr, json::Span::LinePerItem);
        f.text("format", format);
    } catch (const StatsFileError&) {
        refuse("is not a statistics file of rl00-headless");
    }
    if (format != kStatsFormat) refuse("is not a statistics file of rl00-headless");
    std::uint64_t version = 0;
    f.whole("format_version", version);
    if (version < kStatsFormatVersion)
        refuse(
            "is a statistics file of an older format, whose intervals took every game for an "
            "independent trial and which lacks counts this one keeps: play the run again "
            "with this rl00-headless");
    if (version != kStatsFormatVersion) refuse("is a statistics file of another format");
    f.text("program_version", run.program_version);
    if (run.program_version != programVersion())
        refuse("comes from rl00-headless " + shown(run.program_version) + ", this is " +
               std::string(programVersion()));
    identityLayout(f, run);
    if (run.machines == 0) refuse("is of a run without machines");
}

void readShard(StatsReadFormat& f, StatsDocument& d) {
    f.beginObject("shard", json::Span::OneLine);
    f.whole("index", d.shard.index);
    f.whole("count", d.shard.count);
    if (d.shard.count == 0 || d.shard.index >= d.shard.count)
        refuse("names shard " + shardText(d.shard) + ", which is no shard");
    const MachineRange range = shardMachines(d.shard, d.run.machines);
    std::uint64_t first = 0, end = 0;
    f.whole("first_machine", first);
    f.whole("end_machine", end);
    if (first != range.first || end != range.end)
        refuse("names other machines than those of shard " + shardText(d.shard) + " of " +
               std::to_string(d.run.machines) + " machines");
    f.endObject();
}

void readMachines(StatsReadFormat& f, StatsDocument& d) {
    const MachineRange range = shardMachines(d.shard, d.run.machines);
    f.beginArray("machines", json::Span::LinePerItem);
    for (std::uint64_t i = 0; f.moreItems(); ++i) {
        if (i == range.size())
            refuse("holds more machines than the " + std::to_string(range.size()) +
                   " of its shard");
        MachineSummary m;
        machineLayout(f, m);
        if (m.machine != range.first + i)
            refuse("has machine " + std::to_string(m.machine) + " where machine " +
                   std::to_string(range.first + i) + " belongs");
        if (m.games > d.run.games_per_machine || m.hits > m.games || m.longest_drought > m.games)
            refuse("counts more for machine " + std::to_string(m.machine) + " than its games");
        if (m.exit_code > 255)
            refuse("gives machine " + std::to_string(m.machine) + " an exit code past 255");
        d.machines.add(m);
    }
    f.endArray();
}

// The counts must agree with each other and with the machines' lines.
// The counts kept per mode add up to those kept for the run; the re-lottery and the
// time-shortening periods count no more than the hits they are drawn from.
void checkModeSums(const RunStats& s) {
    for (int k = 1; k <= kReachKinds; ++k) {
        for (int result = 1; result <= 3; ++result) {
            std::uint64_t sum = 0;
            for (int m = 0; m < kModes; ++m)
                addCount(sum, s.reachResultInMode(m, k, result), "the reaches of the three modes");
            expectSum(sum, s.reachResult(k, result), "counts.reaches_by_mode added up");
        }
    }
    for (int p = 1; p <= 2; ++p) {
        std::uint64_t sum = 0;
        for (int m = 0; m < kModes; ++m)
            addCount(sum, s.previewInMode(m, p), "the previews of the three modes");
        expectSum(sum, s.preview(p).trials, "counts.previews_by_mode added up");
    }
    std::uint64_t shown_of = s.reLottery(false).trials;
    addCount(shown_of, s.reLottery(true).trials, "the hits of counts.re_lottery");
    expectSum(shown_of, s.hits(), "the hits of counts.re_lottery added up");
    expectSum(s.reLottery(true).trials, s.kakuhenHits().hits, "counts.re_lottery.kakuhen_hits");
    const Proportion& jitan = s.jitanPeriods();
    if (s.reLottery(false).hits > s.reLottery(false).trials ||
        s.reLottery(true).hits > s.reLottery(true).trials ||
        s.overshoot().hits > s.overshoot().trials || jitan.hits > jitan.trials ||
        jitan.hits > s.mode(kModeJitan).hits || jitan.trials > s.mode(kModeJitan).trials)
        refuse(
            "does not add up: its re-lotteries or time-shortening periods count more than "
            "their hits or games");
}

void checkSums(const StatsDocument& d) {
    const RunStats& s = d.counts;
    expectSum(s.games(), d.machines.games(), "counts.games (the machines' games added up)");
    expectSum(s.hits(), d.machines.hits(), "counts.hits (the machines' hits added up)");
    std::uint64_t mode_games = 0, mode_hits = 0;
    for (int m = 0; m < kModes; ++m) {
        if (s.mode(m).hits > s.mode(m).trials)
            refuse("does not add up: mode " + std::to_string(m) + " has more hits than games");
        addCount(mode_games, s.mode(m).trials, "the games of the three modes");
        addCount(mode_hits, s.mode(m).hits, "the hits of the three modes");
    }
    expectSum(mode_games, s.games(), "the games of the three modes added up");
    expectSum(mode_hits, s.hits(), "the hits of the three modes added up");
    // A machine that ended itself inside a game may have counted the hit on its panel but not
    // among the games it completed.
    if (d.machines.allEndedWell()) {
        const auto& panel = s.panel.counters;
        std::uint64_t by_kind = panel[2];
        addCount(by_kind, panel[3], "G_lOoatariT and G_lOoatariK");
        expectSum(panel[1], s.hits(), "counts.panel.G_lOoatariCnt");
        expectSum(by_kind, s.hits(), "G_lOoatariT and G_lOoatariK added up");
        expectSum(panel[3], s.kakuhenHits().hits, "counts.panel.G_lOoatariK");
    }
    expectSum(s.gaps.total(), s.hits() - d.machines.machinesWithHits(), "the gaps between hits");
    // A game plays one reach at most.
    std::uint64_t reaches = 0, reach_hits = 0;
    for (int k = 1; k <= kReachKinds; ++k) {
        for (int result = 1; result <= 3; ++result)
            addCount(reaches, s.reachResult(k, result), "the reaches of every kind");
        reach_hits += s.reachResult(k, 3);
    }
    if (reaches > s.games()) refuse("does not add up: it counts more reaches than games");
    checkModeSums(s);
    for (int p = 1; p <= 2; ++p) {
        if (s.preview(p).hits > s.preview(p).trials || s.preview(p).trials > s.games())
            refuse("does not add up: the games with preview " + std::to_string(p));
    }
    if (reach_hits > s.hits() || s.kakuhenHits().hits > s.hits() ||
        s.gaps_from_normal.total() > s.hits() ||
        s.chains.sum() > static_cast<long double>(s.hits()))
        refuse("does not add up: its reaches, gaps or chains count more hits than it has");
}

StatsDocument readDocument(StatsInput& in, MachineLinesRead lines) {
    StatsReadFormat f(in);
    StatsDocument d{.run = {},
                    .shard = {},
                    .machines = MachineLines(lines == MachineLinesRead::Keep),
                    .counts = {}};
    try {
        readHeader(f, in, d.run);
        readShard(f, d);
        readMachines(f, d);
        countsLayout(f, d.counts);
        checkSums(d);
    } catch (const CountOverflow& e) {
        refuse(std::string("does not add up: ") + e.what());
    }
    writeFigures(f.writer(), d);
    if (f.boolean("complete") != d.complete())
        refuse("has a completeness mark that disagrees with its machines");
    f.endObject();
    f.literal("\n");
    f.finish();
    return d;
}

}  // namespace

StatsDocument readStatsFile(std::string_view text, MachineLinesRead lines) {
    StatsInput in(text);
    return readDocument(in, lines);
}

StatsDocument readStatsFileAt(const std::string& path, MachineLinesRead lines) {
    InputFile file;
    if (!file.open(path, kMaxStatsFileBytes)) throw StatsFileError(file.error());
    StatsInput in(file);
    try {
        return readDocument(in, lines);
    } catch (const StatsReadFault& fault) {
        throw StatsFileError(fault.what);
    } catch (const StatsFileError& e) {
        throw StatsFileError(path + " " + e.what());
    }
}

}  // namespace rl00