#include "stats/stats_file.h"

#include <algorithm>
#include <utility>

#include "engine/rich_sel.h"
#include "platform/json.h"
#include "stats/stats_layout.h"
#include "stats/stats_report.h"
#include "stats/theory.h"

#ifndef RL00_VERSION
#error "RL00_VERSION names the project's version; the build defines it"
#endif

namespace rl00 {

namespace {

// The text is handed on in pieces of about this size.
constexpr std::size_t kPieceBytes = std::size_t{1} << 16;

using json::Span;
using json::Writer;

// Writes the values of a section's layout (stats_layout.h).
class WriteFormat {
  public:
    explicit WriteFormat(Writer& w) : w_(w) {}

    void beginObject(const char* key, Span span) { at(key).beginObject(span); }
    void endObject() { w_.endObject(); }
    void beginArray(const char* key, Span span) { at(key).beginArray(span); }
    void endArray() { w_.endArray(); }
    template <class T>
    void whole(const char* key, const T& n) {
        at(key).integer(n);
    }
    void given(const char* key, std::uint64_t n) { at(key).integer(n); }
    void text(const char* key, const std::string& s) { at(key).string(s); }
    void number(const char* key, double d) { at(key).number(d); }
    void optionalWhole(const char* key, const std::optional<std::uint64_t>& n) {
        if (n) {
            at(key).integer(*n);
        } else {
            at(key).null();
        }
    }
    void histogram(const char* key, const Histogram& h) {
        at(key).beginObject();
        w_.key("bound").integer(h.bound());
        w_.key("by_value").beginArray();
        for (const std::uint64_t c : h.trimmedBins())
            w_.integer(c);
        w_.endArray();
        w_.key("over_count").integer(h.overCount());
        w_.key("over_sum").integer(h.overSum());
        w_.endObject();
    }

  private:
    Writer& at(const char* key) {
        if (key != nullptr) w_.key(key);
        return w_;
    }

    Writer& w_;
};

const Theory& machineTheory() {
    static const Theory theory = computeTheory();
    return theory;
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
        w.beginObject().key("mode").integer(m).key("name").string(kModeWords[m]);
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

}  // namespace

void writeFigures(Writer& w, const StatsDocument& d) {
    const RunStats& s = d.counts;
    const Theory* t = theoryApplies(d.run.argument) ? &machineTheory() : nullptr;
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

std::string_view programVersion() {
    return RL00_VERSION;
}

void MachineLines::add(const MachineSummary& m) {
    addCount(games_, m.games, "the machines' games");
    addCount(hits_, m.hits, "the machines' hits");
    ++count_;
    hit_machines_ += m.hits > 0;
    fewest_games_ = std::min(fewest_games_, m.games);
    all_ended_well_ = all_ended_well_ && m.exit_code == 0;
    if (keep_) {
        lines_.push_back(m);
    } else {
        hits_per_machine_.push_back(m.hits);
        drought_per_machine_.push_back(m.longest_drought);
    }
}

void MachineLines::append(MachineLines&& other) {
    if (!other.keep_) throw std::logic_error("machines' lines that were not kept are appended");
    if (keep_ && count_ == 0) {
        // Taken over whole: a merge of one large file holds its lines once.
        *this = std::move(other);
        other = MachineLines(keep_);
        return;
    }
    for (const MachineSummary& m : other.lines_)
        add(m);
    other = MachineLines(true);
}

std::vector<std::uint64_t> MachineLines::hitsPerMachine() const {
    if (!keep_) return hits_per_machine_;
    std::vector<std::uint64_t> values;
    values.reserve(lines_.size());
    for (const MachineSummary& m : lines_)
        values.push_back(m.hits);
    return values;
}

std::vector<std::uint64_t> MachineLines::droughtPerMachine() const {
    if (!keep_) return drought_per_machine_;
    std::vector<std::uint64_t> values;
    values.reserve(lines_.size());
    for (const MachineSummary& m : lines_)
        values.push_back(m.longest_drought);
    return values;
}

bool StatsDocument::complete() const {
    if (machines.size() != shardMachines(shard, run.machines).size()) return false;
    return machines.size() == 0 || machines.fewestGames() == run.games_per_machine;
}

void writeStatsFile(const StatsDocument& d, const TextSink& sink) {
    std::string out;
    Writer w(out, json::Layout::Pretty);
    WriteFormat f(w);
    w.beginObject(Span::LinePerItem);
    w.key("format").string(kStatsFormat);
    w.key("format_version").integer(kStatsFormatVersion);
    w.key("program_version").string(d.run.program_version);
    identityLayout(f, d.run);
    const MachineRange range = shardMachines(d.shard, d.run.machines);
    w.key("shard").beginObject();
    w.key("index").integer(d.shard.index);
    w.key("count").integer(d.shard.count);
    w.key("first_machine").integer(range.first);
    w.key("end_machine").integer(range.end);
    w.endObject();
    w.key("machines").beginArray(Span::LinePerItem);
    // The writer never reads back what it wrote, so its text may be handed on at any point.
    for (const MachineSummary& m : d.machines.lines()) {
        machineLayout(f, m);
        if (out.size() >= kPieceBytes) sink(std::exchange(out, {}));
    }
    w.endArray();
    countsLayout(f, d.counts);
    writeFigures(w, d);
    w.key("complete").boolean(d.complete());
    w.endObject();
    out += '\n';
    sink(out);
}

std::string statsFileText(const StatsDocument& d) {
    std::string text;
    writeStatsFile(d, [&text](std::string_view piece) { text += piece; });
    return text;
}

}  // namespace rl00
