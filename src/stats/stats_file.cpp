#include "stats/stats_file.h"

#include <algorithm>

#include "engine/rich_sel.h"
#include "platform/json.h"
#include "stats/stats_report.h"
#include "stats/theory.h"

#ifndef RL00_VERSION
#error "RL00_VERSION names the project's version; the build defines it"
#endif

namespace rl00 {

namespace {

constexpr const char* kFormat = "rl00-headless statistics";
constexpr std::int64_t kFormatVersion = 3;
constexpr const char* kModeNames[kModes] = {"normal", "kakuhen", "jitan"};
constexpr const char* kPanelReachKeys[4] = {"doha", "oshi", "atari", "total"};
constexpr const char* kResultKeys[4] = {"", "far", "near", "hit"};

using json::Span;
using json::Writer;

void writeRun(Writer& w, const RunIdentity& run) {
    w.key("run").beginObject();
    w.key("seed").integer(run.seed);
    w.key("argument").string(run.argument);
    w.key("frame_ms").number(run.frame_ms);
    w.key("games_per_machine").integer(run.games_per_machine);
    w.key("machines").integer(run.machines);
    w.key("end_after_ms");
    if (run.end_after_ms) {
        w.integer(*run.end_after_ms);
    } else {
        w.null();
    }
    w.endObject();
}

void writeShard(Writer& w, const StatsDocument& d) {
    const MachineRange range = shardMachines(d.shard, d.run.machines);
    w.key("shard").beginObject();
    w.key("index").integer(d.shard.index);
    w.key("count").integer(d.shard.count);
    w.key("first_machine").integer(range.first);
    w.key("end_machine").integer(range.end);
    w.endObject();
}

void writeMachines(Writer& w, const std::vector<MachineSummary>& machines) {
    w.key("machines").beginArray(Span::LinePerItem);
    for (const MachineSummary& m : machines) {
        w.beginObject();
        w.key("machine").integer(m.machine);
        w.key("games").integer(m.games);
        w.key("hits").integer(m.hits);
        w.key("longest_drought").integer(m.longest_drought);
        w.key("exit_code").integer(m.exit_code);
        w.endObject();
    }
    w.endArray();
}

void writeHistogram(Writer& w, const char* name, const Histogram& h) {
    w.key(name).beginObject();
    w.key("bound").integer(h.bound());
    w.key("by_value").beginArray();
    for (const std::uint64_t c : h.trimmedBins())
        w.integer(c);
    w.endArray();
    w.key("over_count").integer(h.overCount());
    w.key("over_sum").integer(h.overSum());
    w.endObject();
}

void writeCounts(Writer& w, const RunStats& s) {
    w.key("counts").beginObject(Span::LinePerItem);
    w.key("games").integer(s.games());
    w.key("hits").integer(s.hits());
    w.key("kakuhen_hits").integer(s.kakuhenHits().hits);
    w.key("frames").integer(s.frames);
    w.key("whole_ms").integer(s.whole_ms);
    w.key("panel").beginObject();
    for (std::size_t i = 0; i < kPanelNames.size(); ++i)
        w.key(kPanelNames[i]).integer(s.panel.counters[i]);
    w.endObject();
    w.key("panel_reaches").beginArray(Span::LinePerItem);
    for (int k = 1; k <= kReachKinds; ++k) {
        w.beginObject().key("kind").integer(k);
        for (std::size_t i = 0; i < 4; ++i)
            w.key(kPanelReachKeys[i]).integer(s.panel.reaches[static_cast<std::size_t>(k)][i]);
        w.endObject();
    }
    w.endArray();
    w.key("reaches").beginArray(Span::LinePerItem);
    for (int k = 1; k <= kReachKinds; ++k) {
        w.beginObject().key("kind").integer(k);
        for (int res = 1; res <= 3; ++res)
            w.key(kResultKeys[res]).integer(s.reachResult(k, res));
        w.endObject();
    }
    w.endArray();
    w.key("modes").beginArray(Span::LinePerItem);
    for (int m = 0; m < kModes; ++m) {
        w.beginObject().key("mode").integer(m);
        w.key("games").integer(s.mode(m).trials).key("hits").integer(s.mode(m).hits);
        w.endObject();
    }
    w.endArray();
    w.key("previews").beginArray(Span::LinePerItem);
    for (int p = 1; p <= 2; ++p) {
        w.beginObject().key("preview").integer(p);
        w.key("games").integer(s.preview(p).trials).key("hits").integer(s.preview(p).hits);
        w.endObject();
    }
    w.endArray();
    writeHistogram(w, "chains", s.chains);
    writeHistogram(w, "gaps", s.gaps);
    writeHistogram(w, "gaps_from_normal", s.gaps_from_normal);
    w.endObject();
}

// The theory's figure, whether it lies outside the 99.99 % interval, and the design effect that
// widens the interval (null without a theory).
void writeTheory(Writer& w, const Comparison& c) {
    w.key("theory");
    if (c.theory) {
        w.fixed(*c.theory * c.scale, kRateDecimals);
    } else {
        w.null();
    }
    w.key("outside").boolean(c.outside());
    w.key("design_effect");
    if (c.theory) {
        w.fixed(c.design_effect, kMeanDecimals);
    } else {
        w.null();
    }
}

// How the machines spread, and the theory's law for one machine with the verdict on them.
void writeSpread(Writer& w, const char* name, const MachineComparison& c) {
    const Spread& s = c.observed;
    w.key(name).beginObject();
    w.key("machines").integer(s.machines);
    w.key("mean").fixed(s.mean, 3);
    w.key("sd").fixed(s.sd, 3);
    w.key("min").integer(s.min);
    w.key("max").integer(s.max);
    w.key("histogram").beginArray();
    for (const Spread::Bin& b : s.bins) {
        w.beginObject();
        w.key("from").integer(b.from).key("to").integer(b.to).key("machines").integer(b.machines);
        w.endObject();
    }
    w.endArray();
    w.key("theory");
    if (c.with_theory) {
        w.beginObject();
        w.key("mean").fixed(c.theory_mean, 3).key("sd").fixed(c.theory_sd, 3);
        w.key("usual_low").fixed(c.usual_low, 3).key("usual_high").fixed(c.usual_high, 3);
        w.endObject();
    } else {
        w.null();
    }
    w.key("outside");
    if (c.outside) {
        w.boolean(*c.outside);
    } else {
        w.null();
    }
    w.endObject();
}

void writeReachKinds(Writer& w, const Report& r) {
    w.key("reach_kinds").beginArray(Span::LinePerItem);
    for (int k = 1; k <= kReachKinds; ++k) {
        const Comparison& c = r.reach_kinds[static_cast<std::size_t>(k - 1)];
        const Interval ci = c.ci95();
        w.beginObject().key("kind").integer(k);
        w.key("code").string(richCode(static_cast<Int16>(k)));
        w.key("hit_share").fixed(c.observed.share(), kShareDecimals);
        w.key("ci_low").fixed(ci.low, kShareDecimals).key("ci_high").fixed(ci.high, kShareDecimals);
        writeTheory(w, c);
        w.endObject();
    }
    w.endArray();
}

void writeModes(Writer& w, const Report& r) {
    w.key("modes").beginArray(Span::LinePerItem);
    for (int m = 0; m < kModes; ++m) {
        const Comparison& c = r.modes[static_cast<std::size_t>(m)];
        const Interval ci = c.ci95();
        w.beginObject().key("mode").integer(m).key("name").string(kModeNames[m]);
        w.key("hit_rate").fixed(c.observed.share(), kRateDecimals);
        w.key("ci_low").fixed(ci.low, kRateDecimals).key("ci_high").fixed(ci.high, kRateDecimals);
        writeTheory(w, c);
        w.endObject();
    }
    w.endArray();
}

void writeOthers(Writer& w, const Report& r) {
    w.key("theory").beginArray(Span::LinePerItem);
    for (const Comparison& c : r.others) {
        const Interval ci = c.ci95();
        w.beginObject().key("figure").string(c.figure);
        w.key("count").integer(c.observed.hits).key("of").integer(c.observed.trials);
        w.key("observed").fixed(c.observed.share() * c.scale, kRateDecimals);
        w.key("ci_low").fixed(ci.low * c.scale, kRateDecimals);
        w.key("ci_high").fixed(ci.high * c.scale, kRateDecimals);
        writeTheory(w, c);
        w.endObject();
    }
    w.endArray();
}

// A mean with its decimals, or null where there is none.
void writeMean(Writer& w, const std::optional<double>& mean) {
    if (mean) {
        w.fixed(*mean, kMeanDecimals);
    } else {
        w.null();
    }
}

void writeMeans(Writer& w, const Report& r) {
    w.key("means").beginArray(Span::LinePerItem);
    for (const MeanComparison& c : r.means) {
        w.beginObject().key("figure").string(c.figure).key("observed");
        writeMean(w, c.observed);
        w.key("theory");
        writeMean(w, c.theory);
        w.endObject();
    }
    w.endArray();
}

void writeFigures(Writer& w, const StatsDocument& d) {
    const RunStats& s = d.counts;
    std::optional<Theory> theory;
    if (theoryApplies(d.run.argument)) theory = computeTheory();
    const Theory* t = theory ? &*theory : nullptr;
    const Report r = compare(s, t, d.run.games_per_machine);

    w.key("figures").beginObject(Span::LinePerItem);
    w.key("virtual_ms").fixed(s.virtualMs(d.run.frame_ms), 3);
    writeReachKinds(w, r);
    writeModes(w, r);
    writeOthers(w, r);
    writeMeans(w, r);
    const std::vector<MachineComparison> machines =
        compareMachines(d.machines, d.run.games_per_machine, t);
    writeSpread(w, "hits_per_machine", machines[0]);
    writeSpread(w, "longest_drought_per_machine", machines[1]);
    w.endObject();
}

}  // namespace

std::string_view programVersion() {
    return RL00_VERSION;
}

bool StatsDocument::complete() const {
    if (machines.size() != shardMachines(shard, run.machines).size()) return false;
    return std::all_of(machines.begin(), machines.end(), [this](const MachineSummary& m) {
        return m.games == run.games_per_machine;
    });
}

std::string statsFileText(const StatsDocument& d) {
    std::string out;
    Writer w(out, json::Layout::Pretty);
    w.beginObject(Span::LinePerItem);
    w.key("format").string(kFormat);
    w.key("format_version").integer(kFormatVersion);
    w.key("program_version").string(d.run.program_version);
    writeRun(w, d.run);
    writeShard(w, d);
    writeMachines(w, d.machines);
    writeCounts(w, d.counts);
    writeFigures(w, d);
    w.key("complete").boolean(d.complete());
    w.endObject();
    out += '\n';
    return out;
}

}  // namespace rl00
