#include "frontends/headless/run_stats.h"

#include <cmath>
#include <cstdio>

#include "engine/rich_sel.h"
#include "machine/machine.h"
#include "platform/json.h"

namespace rl00 {

namespace {

constexpr double kZ = 1.959963984540054;  // two-sided 95 %
constexpr const char* kModeNames[3] = {"normal", "kakuhen", "jitan"};
constexpr double kModeHitRate[3] = {1.0 / 367, 7.0 / 367, 1.0 / 367};

// printf into a string as long as the text, so that no line of the table is ever cut.
std::string format(const char* fmt, auto... args) {
    const int length = std::snprintf(nullptr, 0, fmt, args...);
    if (length <= 0) return {};
    std::string out(static_cast<std::size_t>(length), '\0');
    std::snprintf(out.data(), out.size() + 1, fmt, args...);
    return out;
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
    std::string out;
    json::Writer w(out, json::Layout::Pretty);
    w.beginObject(json::Span::LinePerItem);
    w.key("games").integer(games_);
    w.key("virtual_ms").fixed(virtual_ms, 3);
    w.key("panel").beginObject();
    for (const auto& c : panelCounters(m))
        w.key(c.name).integer(c.value);
    w.endObject();
    w.key("reach_kinds").beginArray(json::Span::LinePerItem);
    for (int k = 1; k <= 10; ++k) {
        const Proportion& p = reachKind(k);
        const Interval ci = wilson95(p);
        w.beginObject();
        w.key("kind").integer(k);
        w.key("code").string(codeOf(k));
        w.key("far").integer(reachResult(k, 1));
        w.key("near").integer(reachResult(k, 2));
        w.key("hit").integer(reachResult(k, 3));
        w.key("panel_doha").integer(m.G_lRichDoha[k]);
        w.key("panel_oshi").integer(m.G_lRichOshi[k]);
        w.key("panel_atari").integer(m.G_lRichAtari[k]);
        w.key("panel_total").integer(m.G_lRichTotal[k]);
        w.key("hit_share").fixed(p.share(), 6);
        w.key("ci_low").fixed(ci.low, 6);
        w.key("ci_high").fixed(ci.high, 6);
        w.endObject();
    }
    w.endArray();
    w.key("modes").beginArray(json::Span::LinePerItem);
    for (int i = 0; i < 3; ++i) {
        const Proportion& p = mode(i);
        const Interval ci = wilson95(p);
        w.beginObject();
        w.key("mode").integer(i);
        w.key("name").string(kModeNames[i]);
        w.key("games").integer(p.trials);
        w.key("hits").integer(p.hits);
        w.key("hit_rate").fixed(p.share(), 8);
        w.key("ci_low").fixed(ci.low, 8);
        w.key("ci_high").fixed(ci.high, 8);
        w.key("expected").fixed(kModeHitRate[i], 8);
        w.endObject();
    }
    w.endArray();
    w.endObject();
    out += '\n';
    return out;
}

}  // namespace rl00
