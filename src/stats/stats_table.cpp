#include "stats/stats_table.h"

#include <fmt/format.h>

#include <algorithm>

#include "engine/rich_sel.h"
#include "stats/figure_text.h"
#include "stats/stats_report.h"
#include "stats/theory.h"

namespace rl00 {

namespace {

constexpr std::size_t kBarWidth = 40;

// The panel's counters in plain words, with the captions the window shows beside them.
struct PanelLine {
    const char* words;
    const char* caption;
};
constexpr PanelLine kPanelLines[kPanelCounters] = {
    {"games since the last hit", "回転数"},
    {"hits", "大当たり数"},
    {"hits on normal symbols", "大当たり数 通"},
    {"hits on kakuhen symbols", "大当たり数 確"},
    {"preview 1 alone since the last hit", "予告動作 ガセ"},
    {"preview 2 since the last hit", "予告動作 本物"},
    {"preview 1 alone in all", "予告動作 ガセ"},
    {"preview 2 in all", "予告動作 本物"},
    {"reaches since the last hit", "リーチの数"}};

std::string mark(const Comparison& c) {
    return c.outside() ? " !" : "";
}

// A figure as the table shows it: scaled (per 1,000 games) or as a percentage.
std::string shown(const Comparison& c, double share) {
    return c.scale == 1.0 ? percent(share) : significant(share * c.scale);
}

// A row without trials observed nothing: no share and no interval to show.
std::string observedColumns(const Comparison& c) {
    if (c.observed.trials == 0) return fmt::format("{:>9}  {:>21}", "-", "-");
    const Interval ci = c.ci95();
    return fmt::format("{:>9}  {:>21}", shown(c, c.observed.share()),
                       shown(c, ci.low) + " - " + shown(c, ci.high));
}

std::string theoryColumn(const Comparison& c) {
    return c.theory ? shown(c, *c.theory) + mark(c) : "-";
}

std::string machinesLine(const StatsDocument& d) {
    const MachineRange range = shardMachines(d.shard, d.run.machines);
    std::string line = fmt::format("machines: {}, games per machine: {}",
                                   grouped(d.machines.size()), grouped(d.run.games_per_machine));
    if (range.size() != d.run.machines) {
        line += fmt::format("   shard {}: machines {} to {} of {}", shardText(d.shard), range.first,
                            range.end - 1, d.run.machines);
    }
    return line + "\n";
}

std::string panelSection(const RunStats& s, std::uint64_t machines) {
    std::string out = machines > 1 ? "the statistics panel when the machines ended, added up\n"
                                   : "the statistics panel when the machine ended\n";
    for (std::size_t i = 0; i < kPanelNames.size(); ++i) {
        out += fmt::format("  {:<36} {:>13}   ({})\n", kPanelLines[i].words,
                           grouped(s.panel.counters[i]), kPanelLines[i].caption);
    }
    return out;
}

std::string reachSection(const RunStats& s, const Report& r) {
    std::string out =
        fmt::format("\n{:<7} {:>9} {:>9} {:>9}   {:>9}  {:<21}  {:<10}   {:>9}  {:<21}  {}\n",
                    "reach", "far miss", "near miss", "hit", "per 1,000", "95% interval", "theory",
                    "hit share", "95% interval", "theory");
    for (int k = 1; k <= kReachKinds; ++k) {
        const Comparison& kind = r.others[r.first_kind_row + static_cast<std::size_t>(k - 1)];
        const Comparison& hits = r.reach_kinds[static_cast<std::size_t>(k - 1)];
        out += fmt::format("{:<7} {:>9} {:>9} {:>9}   {}  {:<10}   {}  {}\n",
                           richCode(static_cast<Int16>(k)), grouped(s.reachResult(k, 1)),
                           grouped(s.reachResult(k, 2)), grouped(s.reachResult(k, 3)),
                           observedColumns(kind), theoryColumn(kind), observedColumns(hits),
                           theoryColumn(hits));
    }
    return out;
}

std::string modeSection(const RunStats& s, const Report& r) {
    std::string out = fmt::format(
        "\n{:<7} {:>13}   {:>9}  {:<21}  {:<10}   {:>9}   {:>9}  {:<21}  {}\n", "mode", "games",
        "share", "95% interval", "theory", "hits", "hit rate", "95% interval", "theory");
    for (int m = 0; m < kModes; ++m) {
        const Comparison& share = r.others[r.first_mode_share_row + static_cast<std::size_t>(m)];
        const Comparison& hits = r.modes[static_cast<std::size_t>(m)];
        out += fmt::format("{:<7} {:>13}   {}  {:<10}   {:>9}   {}  {}\n", kModeWords[m],
                           grouped(s.mode(m).trials), observedColumns(share), theoryColumn(share),
                           grouped(s.mode(m).hits), observedColumns(hits), theoryColumn(hits));
    }
    return out;
}

std::string figuresSection(const Report& r) {
    std::string out = fmt::format("\n{:<40} {:>13} {:>13}   {:>9}  {:<21}  {}\n", "figure", "count",
                                  "of", "observed", "95% interval", "theory");
    for (const Comparison& c : r.others) {
        out += fmt::format("{:<40} {:>13} {:>13}   {}  {}\n", c.figure, grouped(c.observed.hits),
                           grouped(c.observed.trials), observedColumns(c), theoryColumn(c));
    }
    for (const MeanComparison& c : r.means) {
        out += fmt::format("{:<40} {:>13} {:>13}   {:>9}  {:<21}  {}\n", "mean " + c.figure, "", "",
                           c.observed ? significant(*c.observed) : "-", "",
                           c.theory ? significant(*c.theory) : "-");
    }
    return out;
}

std::string spreadSection(const MachineComparison& c) {
    const Spread& s = c.observed;
    std::string out =
        s.machines == 1
            ? fmt::format("{}: {}\n", c.figure, grouped(s.max))
            : fmt::format("{}: mean {}, sd {}, least {}, most {}\n", c.figure, significant(s.mean),
                          significant(s.sd), grouped(s.min), grouped(s.max));
    if (c.with_theory) {
        out += fmt::format("  theory for one machine: mean {}, sd {}, 99% of machines {} - {}{}\n",
                           significant(c.theory_mean), significant(c.theory_sd),
                           significant(c.usual_low), significant(c.usual_high),
                           c.outside.value_or(false) ? " !" : "");
    }
    if (s.machines < 2) return out;
    std::uint64_t most = 1;
    for (const Spread::Bin& b : s.bins)
        most = std::max(most, b.machines);
    for (const Spread::Bin& b : s.bins) {
        const std::size_t bar = static_cast<std::size_t>(b.machines * kBarWidth / most);
        out += fmt::format("  {:>9} - {:<9} {:>9}  {}\n", grouped(b.from), grouped(b.to),
                           grouped(b.machines), std::string(bar, '#'));
    }
    return out;
}

std::string perMachineSection(const StatsDocument& d, const Theory* theory) {
    std::string out = d.machines.size() == 1 ? std::string("\nthe machine\n")
                                             : fmt::format("\nper machine ({} machines)\n",
                                                           grouped(d.machines.size()));
    for (const MachineComparison& c : compareMachines(d.machines, d.run.games_per_machine, theory))
        out += spreadSection(c);
    return out;
}

}  // namespace

std::string statsTable(const StatsDocument& d) {
    const RunStats& s = d.counts;
    std::optional<Theory> theory;
    if (theoryApplies(d.run.argument)) theory = computeTheory();
    const Theory* t = theory ? &*theory : nullptr;
    const Report r = compare(s, t, d.run.games_per_machine);

    std::string out = fmt::format("games played: {}   virtual time: {} s\n", grouped(s.games()),
                                  significant(s.virtualMs(d.run.frame_ms) / 1000.0, 7));
    if (d.run.machines > 1) out += machinesLine(d);
    out += "\n" + panelSection(s, d.machines.size());
    out +=
        "\nShares are percentages, rates per 1,000 games; the intervals hold the machine's own "
        "figure\n95 times in 100, the games' carry-over from mode to mode taken into account. "
        "! marks a\ntheory outside its 99.99% interval: worth a look.\n";
    if (!t) out += "The test arguments 7 and 8 play no free-running lottery: no theory.\n";
    out += reachSection(s, r);
    out += modeSection(s, r);
    out += figuresSection(r);
    if (d.machines.size() > 0) out += perMachineSection(d, t);
    return out;
}

}  // namespace rl00
