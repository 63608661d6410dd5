#include "frontends/headless/run_stats.h"

#include <cmath>
#include <cstdio>

#include "engine/rich_sel.h"
#include "machine/machine.h"

namespace rl00 {

namespace {

constexpr double kZ = 1.959963984540054;  // two-sided 95 %
constexpr const char* kModeNames[3] = {"normal", "kakuhen", "jitan"};
constexpr double kModeHitRate[3] = {1.0 / 367, 7.0 / 367, 1.0 / 367};

std::string format(const char* fmt, auto... args) {
    char buf[256];
    std::snprintf(buf, sizeof buf, fmt, args...);
    return buf;
}

struct PanelCounter {
    const char* name;
    Int32 value;
};

std::array<PanelCounter, 9> panelCounters(const Machine& m) {
    return {{{"G_lRevCnt", m.G_lRevCnt},
             {"G_lOoatariCnt", m.G_lOoatariCnt},
             {"G_lOoatariT", m.G_lOoatariT},
             {"G_lOoatariK", m.G_lOoatariK},
             {"G_lYokoku1N", m.G_lYokoku1N},
             {"G_lYokoku2N", m.G_lYokoku2N},
             {"G_lYokoku1A", m.G_lYokoku1A},
             {"G_lYokoku2A", m.G_lYokoku2A},
             {"G_lRichCnt", m.G_lRichCnt}}};
}

std::string codeOf(int kind) {
    return std::string(richCode(static_cast<Int16>(kind)));
}

}  // namespace

Interval wilson95(const Proportion& p) {
    if (p.trials == 0) return {0.0, 1.0};
    const double n = double(p.trials);
    const double phat = p.share();
    const double z2 = kZ * kZ;
    const double denom = 1.0 + z2 / n;
    const double centre = (phat + z2 / (2 * n)) / denom;
    const double half = kZ * std::sqrt(phat * (1 - phat) / n + z2 / (4 * n * n)) / denom;
    return {std::max(0.0, centre - half), std::min(1.0, centre + half)};
}

void RunStats::add(const GameRecord& r) {
    ++games_;
    Proportion& mode = by_mode_[static_cast<std::size_t>(r.mode)];
    ++mode.trials;
    if (r.hit) ++mode.hits;
    if (r.reach >= 1 && r.reach <= 3 && r.kind >= 1 && r.kind <= 10) {
        const auto k = static_cast<std::size_t>(r.kind);
        ++by_kind_[k].trials;
        if (r.reach == 3) ++by_kind_[k].hits;
        ++by_kind_result_[k][static_cast<std::size_t>(r.reach)];
    }
}

std::uint64_t RunStats::reachResult(int kind, int result) const {
    return by_kind_result_[static_cast<std::size_t>(kind)][static_cast<std::size_t>(result)];
}

std::string RunStats::table(const Machine& m, double virtual_ms) const {
    std::string out = format("games played: %llu   virtual time: %.3f s\n\n",
                             static_cast<unsigned long long>(games_), virtual_ms / 1000.0);
    out += "statistics panel\n";
    for (const auto& c : panelCounters(m))
        out += format("  %-14s %10d\n", c.name, c.value);
    out += "\nreach kind   far  near   hit  total(panel)  hit share  95% interval\n";
    for (int k = 1; k <= 10; ++k) {
        const Proportion& p = reachKind(k);
        const Interval ci = wilson95(p);
        out += format("  %-7s %6llu %5llu %5llu %12d   %8.4f  [%.4f, %.4f]\n", codeOf(k).c_str(),
                      static_cast<unsigned long long>(reachResult(k, 1)),
                      static_cast<unsigned long long>(reachResult(k, 2)),
                      static_cast<unsigned long long>(reachResult(k, 3)), m.G_lRichTotal[k],
                      p.share(), ci.low, ci.high);
    }
    out += "\nmode      games      hits   hit rate  95% interval        expected\n";
    for (int i = 0; i < 3; ++i) {
        const Proportion& p = mode(i);
        const Interval ci = wilson95(p);
        out += format("  %-7s %9llu %7llu   %.6f  [%.6f, %.6f]  %.6f\n", kModeNames[i],
                      static_cast<unsigned long long>(p.trials),
                      static_cast<unsigned long long>(p.hits), p.share(), ci.low, ci.high,
                      kModeHitRate[i]);
    }
    return out;
}

std::string RunStats::json(const Machine& m, double virtual_ms) const {
    std::string out = "{\n";
    out += format("  \"games\": %llu,\n", static_cast<unsigned long long>(games_));
    out += format("  \"virtual_ms\": %.3f,\n", virtual_ms);
    out += "  \"panel\": {";
    bool first = true;
    for (const auto& c : panelCounters(m)) {
        out += format("%s\"%s\": %d", first ? "" : ", ", c.name, c.value);
        first = false;
    }
    out += "},\n  \"reach_kinds\": [\n";
    for (int k = 1; k <= 10; ++k) {
        const Proportion& p = reachKind(k);
        const Interval ci = wilson95(p);
        out += format(
            "    {\"kind\": %d, \"code\": \"%s\", \"far\": %llu, \"near\": %llu, \"hit\": %llu, "
            "\"panel_doha\": %d, \"panel_oshi\": %d, \"panel_atari\": %d, \"panel_total\": %d, "
            "\"hit_share\": %.6f, \"ci_low\": %.6f, \"ci_high\": %.6f}%s\n",
            k, codeOf(k).c_str(), static_cast<unsigned long long>(reachResult(k, 1)),
            static_cast<unsigned long long>(reachResult(k, 2)),
            static_cast<unsigned long long>(reachResult(k, 3)), m.G_lRichDoha[k], m.G_lRichOshi[k],
            m.G_lRichAtari[k], m.G_lRichTotal[k], p.share(), ci.low, ci.high, k < 10 ? "," : "");
    }
    out += "  ],\n  \"modes\": [\n";
    for (int i = 0; i < 3; ++i) {
        const Proportion& p = mode(i);
        const Interval ci = wilson95(p);
        out += format(
            "    {\"mode\": %d, \"name\": \"%s\", \"games\": %llu, \"hits\": %llu, "
            "\"hit_rate\": %.8f, \"ci_low\": %.8f, \"ci_high\": %.8f, \"expected\": %.8f}%s\n",
            i, kModeNames[i], static_cast<unsigned long long>(p.trials),
            static_cast<unsigned long long>(p.hits), p.share(), ci.low, ci.high, kModeHitRate[i],
            i < 2 ? "," : "");
    }
    out += "  ]\n}\n";
    return out;
}

}  // namespace rl00
