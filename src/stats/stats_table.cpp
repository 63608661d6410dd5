#include "stats/stats_table.h"

#include <algorithm>

#include "engine/rich_sel.h"
#include "stats/stats_report.h"
#include "stats/text_format.h"
#include "stats/theory.h"

namespace rl00 {

namespace {

constexpr const char* kModeNames[kModes] = {"normal", "kakuhen", "jitan"};
constexpr std::size_t kBarWidth = 40;

using ull = unsigned long long;

// The theory's figure and the mark of a figure it lies far from, or a dash without a theory.
std::string theoryColumn(const Comparison& c, const char* fmt) {
    if (!c.theory) return format("%10s", "-");
    return format(fmt, *c.theory * c.scale) + (!c.judged ? " ~" : c.outside() ? " !" : "");
}

std::string machinesLine(const StatsDocument& d) {
    const MachineRange range = shardMachines(d.shard, d.run.machines);
    std::string line = format("machines: %llu, games per machine: %llu", ull(d.machines.size()),
                              ull(d.run.games_per_machine));
    if (range.size() != d.run.machines) {
        line += format("   shard %s: machines %llu to %llu of %llu", shardText(d.shard).c_str(),
                       ull(range.first), ull(range.end - 1), ull(d.run.machines));
    }
    return line + "\n";
}

std::string panelSection(const RunStats& s, std::uint64_t machines) {
    std::string out =
        machines > 1 ? "statistics panel (added up over the machines)\n" : "statistics panel\n";
    for (std::size_t i = 0; i < kPanelNames.size(); ++i)
        out += format("  %-14s %10llu\n", kPanelNames[i], ull(s.panel.counters[i]));
    return out;
}

std::string reachSection(const RunStats& s, const Report& r) {
    std::string out =
        "\nreach kind   far  near   hit  total(panel)  hit share  95% interval        theory\n";
    for (int k = 1; k <= kReachKinds; ++k) {
        const Comparison& c = r.reach_kinds[static_cast<std::size_t>(k - 1)];
        const Interval ci = c.ci95();
        out += format("  %-7s %6llu %5llu %5llu %12llu   %8.4f  [%.4f, %.4f]  %s\n",
                      std::string(richCode(static_cast<Int16>(k))).c_str(),
                      ull(s.reachResult(k, 1)), ull(s.reachResult(k, 2)), ull(s.reachResult(k, 3)),
                      ull(s.panel.reaches[static_cast<std::size_t>(k)][3]), c.observed.share(),
                      ci.low, ci.high, theoryColumn(c, "%8.4f").c_str());
    }
    return out;
}

std::string modeSection(const Report& r) {
    std::string out = "\nmode      games      hits   hit rate  95% interval          theory\n";
    for (int m = 0; m < kModes; ++m) {
        const Comparison& c = r.modes[static_cast<std::size_t>(m)];
        const Interval ci = c.ci95();
        out += format("  %-7s %9llu %7llu   %.6f  [%.6f, %.6f]  %s\n", kModeNames[m],
                      ull(c.observed.trials), ull(c.observed.hits), c.observed.share(), ci.low,
                      ci.high, theoryColumn(c, "%.6f").c_str());
    }
    return out;
}

std::string theorySection(const Report& r) {
    std::string out =
        "\ntheory beside observation: ! marks a theory outside the 99.99 % Wilson interval\n"
        "(~: not judged; the games of a mode come in stretches, not as independent trials)\n";
    out += format("  %-42s %9s %10s  %10s  %-24s  %10s\n", "figure", "count", "of", "observed",
                  "95% interval", "theory");
    for (const Comparison& c : r.others) {
        const Interval ci = c.ci95();
        out += format("  %-42s %9llu %10llu  %10.6f  %-24s  %s\n", c.figure.c_str(),
                      ull(c.observed.hits), ull(c.observed.trials), c.observed.share() * c.scale,
                      format("[%.6f, %.6f]", ci.low * c.scale, ci.high * c.scale).c_str(),
                      theoryColumn(c, "%10.6f").c_str());
    }
    for (const MeanComparison& c : r.means) {
        const std::string observed = c.observed ? format("%10.4f", *c.observed) : "-";
        const std::string theory = c.theory ? format("%10.4f", *c.theory) : "-";
        out += format("  %-42s %9s %10s  %10s  %-24s  %10s\n", ("mean " + c.figure).c_str(), "", "",
                      observed.c_str(), "", theory.c_str());
    }
    return out;
}

std::string spreadSection(const char* title, const Spread& s) {
    std::string out = format("  %s: mean %.2f, sd %.2f, min %llu, max %llu\n", title, s.mean, s.sd,
                             ull(s.min), ull(s.max));
    std::uint64_t most = 1;
    for (const Spread::Bin& b : s.bins)
        most = std::max(most, b.machines);
    for (const Spread::Bin& b : s.bins) {
        const std::size_t bar = static_cast<std::size_t>(b.machines * kBarWidth / most);
        out += format("    %8llu - %-8llu %7llu  %s\n", ull(b.from), ull(b.to), ull(b.machines),
                      std::string(bar, '#').c_str());
    }
    return out;
}

std::string perMachineSection(const MachineLines& machines) {
    std::string out = format("\nper machine (%llu machines)\n", ull(machines.size()));
    out += spreadSection("hits", spreadOf(machines.hitsPerMachine()));
    out += spreadSection("longest drought (games without a hit)",
                         spreadOf(machines.droughtPerMachine()));
    return out;
}

}  // namespace

std::string statsTable(const StatsDocument& d) {
    const RunStats& s = d.counts;
    std::optional<Theory> theory;
    if (theoryApplies(d.run.argument)) theory = computeTheory();
    const Report r = compare(s, theory ? &*theory : nullptr);

    std::string out = format("games played: %llu   virtual time: %.3f s\n", ull(s.games()),
                             s.virtualMs(d.run.frame_ms) / 1000.0);
    if (d.run.machines > 1) out += machinesLine(d);
    out += "\n" + panelSection(s, d.machines.size());
    out += reachSection(s, r);
    out += modeSection(r);
    out += theorySection(r);
    if (d.machines.size() > 1) out += perMachineSection(d.machines);
    return out;
}

}  // namespace rl00
