#include "stats/stats_table.h"

#include <fmt/format.h>

#include <algorithm>

#include "engine/rich_sel.h"
#include "stats/stats_report.h"
#include "stats/theory.h"

namespace rl00 {

namespace {

constexpr const char* kModeNames[kModes] = {"normal", "kakuhen", "jitan"};
constexpr std::size_t kBarWidth = 40;

// The theory's figure, `width` wide with `decimals` decimals, and the mark of a figure it lies
// far from, or a dash without a theory.
std::string theoryColumn(const Comparison& c, int width, int decimals) {
    if (!c.theory) return fmt::format("{:>10}", "-");
    return fmt::format("{:{}.{}f}", *c.theory * c.scale, width, decimals) +
           (c.outside() ? " !" : "");
}

std::string machinesLine(const StatsDocument& d) {
    const MachineRange range = shardMachines(d.shard, d.run.machines);
    std::string line = fmt::format("machines: {}, games per machine: {}", d.machines.size(),
                                   d.run.games_per_machine);
    if (range.size() != d.run.machines) {
        line += fmt::format("   shard {}: machines {} to {} of {}", shardText(d.shard), range.first,
                            range.end - 1, d.run.machines);
    }
    return line + "\n";
}

std::string panelSection(const RunStats& s, std::size_t machines) {
    std::string out =
        machines > 1 ? "statistics panel (added up over the machines)\n" : "statistics panel\n";
    for (std::size_t i = 0; i < kPanelNames.size(); ++i)
        out += fmt::format("  {:<14} {:10}\n", kPanelNames[i], s.panel.counters[i]);
    return out;
}

std::string reachSection(const RunStats& s, const Report& r) {
    std::string out =
        "\nreach kind   far  near   hit  total(panel)  hit share  95% interval        theory\n";
    for (int k = 1; k <= kReachKinds; ++k) {
        const Comparison& c = r.reach_kinds[static_cast<std::size_t>(k - 1)];
        const Interval ci = c.ci95();
        out +=
            fmt::format("  {:<7} {:6} {:5} {:5} {:12}   {:8.4f}  [{:.4f}, {:.4f}]  {}\n",
                        richCode(static_cast<Int16>(k)), s.reachResult(k, 1), s.reachResult(k, 2),
                        s.reachResult(k, 3), s.panel.reaches[static_cast<std::size_t>(k)][3],
                        c.observed.share(), ci.low, ci.high, theoryColumn(c, 8, 4));
    }
    return out;
}

std::string modeSection(const Report& r) {
    std::string out = "\nmode      games      hits   hit rate  95% interval          theory\n";
    for (int m = 0; m < kModes; ++m) {
        const Comparison& c = r.modes[static_cast<std::size_t>(m)];
        const Interval ci = c.ci95();
        out += fmt::format("  {:<7} {:9} {:7}   {:.6f}  [{:.6f}, {:.6f}]  {}\n", kModeNames[m],
                           c.observed.trials, c.observed.hits, c.observed.share(), ci.low, ci.high,
                           theoryColumn(c, 0, 6));
    }
    return out;
}

std::string theorySection(const Report& r) {
    std::string out =
        "\ntheory beside observation: ! marks a theory outside the 99.99 % interval\n";
    out += fmt::format("  {:<42} {:>9} {:>10}  {:>10}  {:<24}  {:>10}\n", "figure", "count", "of",
                       "observed", "95% interval", "theory");
    for (const Comparison& c : r.others) {
        const Interval ci = c.ci95();
        out += fmt::format("  {:<42} {:9} {:10}  {:10.6f}  {:<24}  {}\n", c.figure, c.observed.hits,
                           c.observed.trials, c.observed.share() * c.scale,
                           fmt::format("[{:.6f}, {:.6f}]", ci.low * c.scale, ci.high * c.scale),
                           theoryColumn(c, 10, 6));
    }
    for (const MeanComparison& c : r.means) {
        const std::string observed = c.observed ? fmt::format("{:10.4f}", *c.observed) : "-";
        const std::string theory = c.theory ? fmt::format("{:10.4f}", *c.theory) : "-";
        out += fmt::format("  {:<42} {:>9} {:>10}  {:>10}  {:<24}  {:>10}\n", "mean " + c.figure,
                           "", "", observed, "", theory);
    }
    return out;
}

std::string spreadSection(const char* title, const Spread& s) {
    std::string out = fmt::format("  {}: mean {:.2f}, sd {:.2f}, min {}, max {}\n", title, s.mean,
                                  s.sd, s.min, s.max);
    std::uint64_t most = 1;
    for (const Spread::Bin& b : s.bins)
        most = std::max(most, b.machines);
    for (const Spread::Bin& b : s.bins) {
        const std::size_t bar = static_cast<std::size_t>(b.machines * kBarWidth / most);
        out += fmt::format("    {:8} - {:<8} {:7}  {}\n", b.from, b.to, b.machines,
                           std::string(bar, '#'));
    }
    return out;
}

std::string perMachineSection(const std::vector<MachineSummary>& machines) {
    std::vector<std::uint64_t> hits, droughts;
    for (const MachineSummary& m : machines) {
        hits.push_back(m.hits);
        droughts.push_back(m.longest_drought);
    }
    std::string out = fmt::format("\nper machine ({} machines)\n", machines.size());
    out += spreadSection("hits", spreadOf(hits));
    out += spreadSection("longest drought (games without a hit)", spreadOf(droughts));
    return out;
}

}  // namespace

std::string statsTable(const StatsDocument& d) {
    const RunStats& s = d.counts;
    std::optional<Theory> theory;
    if (theoryApplies(d.run.argument)) theory = computeTheory();
    const Report r = compare(s, theory ? &*theory : nullptr, d.run.games_per_machine);

    std::string out = fmt::format("games played: {}   virtual time: {:.3f} s\n", s.games(),
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
