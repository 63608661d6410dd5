// Reading a statistics file back, for the merge: only the counts are taken; everything else must
// be exactly what the program writes for them.

#include <algorithm>
#include <limits>

#include "platform/json.h"
#include "stats/stats_file.h"

namespace rl00 {

namespace {

using json::Value;

[[noreturn]] void refuse(const std::string& what) {
    throw StatsFileError(what);
}

// The name of a member as the messages give it: "counts.games".
std::string path(const std::string& where, const std::string& key) {
    return where.empty() ? key : where + "." + key;
}

const Value& member(const Value& object, const std::string& key, const std::string& where) {
    if (!object.isObject()) refuse("holds \"" + where + "\" that is not an object");
    if (object.asObject().count(key) == 0) refuse("has no \"" + path(where, key) + "\"");
    return object[key];
}

[[noreturn]] void refuseValue(const std::string& where, const std::string& key, const char* what) {
    refuse("holds \"" + path(where, key) + "\" that is not " + what);
}

std::uint64_t whole(const Value& object, const std::string& key, const std::string& where) {
    const Value& v = member(object, key, where);
    if (!v.isInt() || v.asInt() < 0) refuseValue(where, key, "a whole number");
    return static_cast<std::uint64_t>(v.asInt());
}

std::int64_t integer(const Value& object, const std::string& key, const std::string& where) {
    const Value& v = member(object, key, where);
    if (!v.isInt()) refuseValue(where, key, "an integer");
    return v.asInt();
}

const std::string& text(const Value& object, const std::string& key, const std::string& where) {
    const Value& v = member(object, key, where);
    if (!v.isString()) refuseValue(where, key, "a text");
    return v.asString();
}

const json::Array& array(const Value& object, const std::string& key, const std::string& where,
                         std::size_t size = std::numeric_limits<std::size_t>::max()) {
    const Value& v = member(object, key, where);
    if (!v.isArray()) refuseValue(where, key, "an array");
    if (size != std::numeric_limits<std::size_t>::max() && v.asArray().size() != size)
        refuseValue(where, key, ("an array of " + std::to_string(size)).c_str());
    return v.asArray();
}

std::string item(const std::string& where, std::size_t i) {
    return where + "[" + std::to_string(i) + "]";
}

// Refuses unless a count adds up as it must.
void expectSum(std::uint64_t actual, std::uint64_t expected, const std::string& what) {
    if (actual != expected)
        refuse("does not add up: " + what + " is " + std::to_string(actual) + ", not " +
               std::to_string(expected));
}

}  // namespace

// The counts of a file, into a RunStats (whose counters it may set).
class StatsReader {
  public:
    static RunStats counts(const Value& c) {
        const std::string where = "counts";
        RunStats s;
        s.games_ = whole(c, "games", where);
        s.hits_ = whole(c, "hits", where);
        s.kakuhen_hits_ = whole(c, "kakuhen_hits", where);
        s.frames = whole(c, "frames", where);
        s.whole_ms = whole(c, "whole_ms", where);
        const Value& panel = member(c, "panel", where);
        for (std::size_t i = 0; i < kPanelNames.size(); ++i)
            s.panel.counters[i] = integer(panel, kPanelNames[i], where + ".panel");
        readKinds(c, "panel_reaches", {"doha", "oshi", "atari", "total"},
                  [&](int k, int i, auto v) {
                      s.panel.reaches[static_cast<std::size_t>(k)][static_cast<std::size_t>(i)] =
                          static_cast<std::int64_t>(v);
                  });
        readKinds(c, "reaches", {"far", "near", "hit"}, [&](int k, int i, auto v) {
            s.by_kind_result_[static_cast<std::size_t>(k)][static_cast<std::size_t>(i) + 1] = v;
        });
        const json::Array& modes = array(c, "modes", where, kModes);
        for (std::size_t m = 0; m < modes.size(); ++m) {
            s.by_mode_[m] = {whole(modes[m], "hits", item(where + ".modes", m)),
                             whole(modes[m], "games", item(where + ".modes", m))};
        }
        const json::Array& previews = array(c, "previews", where, 2);
        for (std::size_t p = 0; p < previews.size(); ++p) {
            s.previews_[p + 1] = {whole(previews[p], "hits", item(where + ".previews", p)),
                                  whole(previews[p], "games", item(where + ".previews", p))};
        }
        histogram(c, "chains", s.chains);
        histogram(c, "gaps", s.gaps);
        histogram(c, "gaps_from_normal", s.gaps_from_normal);
        return s;
    }

  private:
    template <class Put>
    static void readKinds(const Value& c, const std::string& key,
                          std::initializer_list<const char*> fields, Put put) {
        const json::Array& rows = array(c, key, "counts", kReachKinds);
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const std::string where = item("counts." + key, k);
            int i = 0;
            for (const char* f : fields)
                put(static_cast<int>(k + 1), i++, whole(rows[k], f, where));
        }
    }

    static void histogram(const Value& c, const std::string& key, Histogram& h) {
        const std::string where = "counts." + key;
        const Value& v = member(c, key, "counts");
        if (whole(v, "bound", where) != h.bound())
            refuseValue(where, "bound", std::to_string(h.bound()).c_str());
        std::vector<std::uint64_t> bins;
        const json::Array& by_value = array(v, "by_value", where);
        for (std::size_t i = 0; i < by_value.size(); ++i) {
            if (!by_value[i].isInt() || by_value[i].asInt() < 0)
                refuseValue(where, "by_value[" + std::to_string(i) + "]", "a whole number");
            bins.push_back(static_cast<std::uint64_t>(by_value[i].asInt()));
        }
        if (!h.assign(bins, whole(v, "over_count", where), whole(v, "over_sum", where)))
            refuseValue("counts", key, "a histogram of values up to its bound");
    }
};

namespace {

RunIdentity identityOf(const Value& root) {
    RunIdentity run;
    run.program_version = text(root, "program_version", "");
    const Value& r = member(root, "run", "");
    run.seed = whole(r, "seed", "run");
    run.argument = text(r, "argument", "run");
    const Value& frame = member(r, "frame_ms", "run");
    if (!frame.isInt() && !frame.isDouble()) refuseValue("run", "frame_ms", "a number");
    run.frame_ms = frame.asNumber();
    run.games_per_machine = whole(r, "games_per_machine", "run");
    run.machines = whole(r, "machines", "run");
    if (!member(r, "end_after_ms", "run").isNull())
        run.end_after_ms = whole(r, "end_after_ms", "run");
    return run;
}

void readShard(const Value& root, StatsDocument& d) {
    const Value& s = member(root, "shard", "");
    d.shard = {whole(s, "index", "shard"), whole(s, "count", "shard")};
    if (d.shard.count == 0 || d.shard.index >= d.shard.count)
        refuse("names shard " + shardText(d.shard) + ", which is no shard");
    const MachineRange range = shardMachines(d.shard, d.run.machines);
    if (whole(s, "first_machine", "shard") != range.first ||
        whole(s, "end_machine", "shard") != range.end)
        refuse("names other machines than those of shard " + shardText(d.shard) + " of " +
               std::to_string(d.run.machines) + " machines");
}

void readMachines(const Value& root, StatsDocument& d) {
    const MachineRange range = shardMachines(d.shard, d.run.machines);
    const json::Array& rows = array(root, "machines", "");
    if (rows.size() > range.size())
        refuse("holds " + std::to_string(rows.size()) + " machines; its shard has " +
               std::to_string(range.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string where = item("machines", i);
        MachineSummary m;
        m.machine = whole(rows[i], "machine", where);
        m.games = whole(rows[i], "games", where);
        m.hits = whole(rows[i], "hits", where);
        m.longest_drought = whole(rows[i], "longest_drought", where);
        const std::int64_t code = integer(rows[i], "exit_code", where);
        if (code < 0 || code > 255) refuseValue(where, "exit_code", "an exit code");
        m.exit_code = static_cast<int>(code);
        if (m.machine != range.first + i)
            refuse("has machine " + std::to_string(m.machine) + " where machine " +
                   std::to_string(range.first + i) + " belongs");
        if (m.games > d.run.games_per_machine || m.hits > m.games || m.longest_drought > m.games)
            refuse("counts more for machine " + std::to_string(m.machine) + " than its games");
        d.machines.push_back(m);
    }
}

// The counts must agree with each other and with the machines' lines.
void checkSums(const StatsDocument& d) {
    const RunStats& s = d.counts;
    std::uint64_t games = 0, hits = 0, hit_machines = 0;
    for (const MachineSummary& m : d.machines) {
        games += m.games;
        hits += m.hits;
        hit_machines += m.hits > 0;
    }
    expectSum(s.games(), games, "counts.games (the machines' games added up)");
    expectSum(s.hits(), hits, "counts.hits (the machines' hits added up)");
    std::uint64_t mode_games = 0, mode_hits = 0;
    for (int m = 0; m < kModes; ++m) {
        mode_games += s.mode(m).trials;
        mode_hits += s.mode(m).hits;
    }
    expectSum(mode_games, s.games(), "the games of the three modes added up");
    expectSum(mode_hits, s.hits(), "the hits of the three modes added up");
    // A machine that ended itself inside a game may have counted the hit on its panel but not
    // among the games it completed.
    const bool all_ended_well =
        std::all_of(d.machines.begin(), d.machines.end(),
                    [](const MachineSummary& m) { return m.exit_code == 0; });
    if (all_ended_well) {
        expectSum(static_cast<std::uint64_t>(s.panel.counters[1]), s.hits(),
                  "counts.panel.G_lOoatariCnt");
        expectSum(static_cast<std::uint64_t>(s.panel.counters[2] + s.panel.counters[3]), s.hits(),
                  "G_lOoatariT and G_lOoatariK added up");
        expectSum(static_cast<std::uint64_t>(s.panel.counters[3]), s.kakuhenHits().hits,
                  "counts.panel.G_lOoatariK");
    }
    expectSum(s.gaps.total(), s.hits() - hit_machines, "the gaps between hits");
    std::uint64_t reach_hits = 0;
    for (int k = 1; k <= kReachKinds; ++k)
        reach_hits += s.reachResult(k, 3);
    for (int p = 1; p <= 2; ++p) {
        if (s.preview(p).hits > s.preview(p).trials || s.preview(p).trials > s.games())
            refuse("does not add up: the games with preview " + std::to_string(p));
    }
    if (reach_hits > s.hits() || s.kakuhenHits().hits > s.hits() ||
        s.gaps_from_normal.total() > s.hits() ||
        s.chains.sum() > static_cast<long double>(s.hits()))
        refuse("does not add up: its reaches, gaps or chains count more hits than it has");
}

}  // namespace

StatsDocument readStatsFile(std::string_view file_text) {
    Value root;
    try {
        root = json::parse(file_text);
    } catch (const json::ParseError& e) {
        refuse(std::string("is cut short or not JSON (") + e.what() + ")");
    }
    if (!root.isObject() || !root["format"].isString() ||
        root["format"].asString() != "rl00-headless statistics")
        refuse("is not a statistics file of rl00-headless");
    if (!root["format_version"].isInt()) refuse("is a statistics file of another format");
    if (root["format_version"].asInt() < 3)
        refuse(
            "is a statistics file of an older format, whose intervals took every game for an "
            "independent trial: play the run again with this rl00-headless");
    if (root["format_version"].asInt() != 3) refuse("is a statistics file of another format");
    StatsDocument d;
    d.run = identityOf(root);
    if (d.run.program_version != programVersion())
        refuse("comes from rl00-headless " + d.run.program_version + ", this is " +
               std::string(programVersion()));
    readShard(root, d);
    readMachines(root, d);
    d.counts = StatsReader::counts(member(root, "counts", ""));
    checkSums(d);
    const Value& complete = member(root, "complete", "");
    if (!complete.isBool() || complete.asBool() != d.complete())
        refuse("has a completeness mark that disagrees with its machines");
    if (statsFileText(d) != file_text)
        refuse("differs from what rl00-headless writes for its own counts (edited?)");
    return d;
}

}  // namespace rl00
