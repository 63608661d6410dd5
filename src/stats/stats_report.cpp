#include "stats/stats_report.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "engine/rich_sel.h"
#include "machine/machine.h"
#include "stats/theory.h"

namespace rl00 {

namespace {

constexpr const char* kModeNames[kModes] = {"normal", "kakuhen", "jitan"};

// Where the survival of a gap is shown: from a few games to about ten times the mean gap.
constexpr std::uint64_t kGapRows[] = {10, 100, 367, 1000, 2000};

std::optional<double> when(const Theory* t, double value) {
    return t ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> meanOf(const Histogram& h) {
    const std::uint64_t n = h.total();
    if (n == 0) return std::nullopt;
    return static_cast<double>(h.sum() / static_cast<long double>(n));
}

void addChainRows(Report& r, const RunStats& s, const Theory* t) {
    const std::uint64_t chains = s.chains.total();
    r.first_chain_row = r.others.size();
    double tail = 1.0;
    for (std::uint64_t k = 1; k <= kChainRows; ++k) {
        const double pmf = t ? t->chainLengthPmf(k) : 0.0;
        tail -= pmf;
        r.others.push_back({fmt::format("chain of {} hit{}", k, k == 1 ? "" : "s"),
                            {s.chains.count(k), chains},
                            when(t, pmf)});
    }
    r.others.push_back({fmt::format("chain of {} hits or more", kChainRows + 1),
                        {s.chains.atLeast(kChainRows + 1), chains},
                        when(t, std::max(0.0, tail))});
}

void addGapRows(Report& r, const Histogram& gaps, const char* which, const Theory* t,
                bool from_normal) {
    for (const std::uint64_t n : kGapRows) {
        const double theory = !t ? 0.0 : from_normal ? t->survivalFromNormal(n) : t->survival(n);
        r.others.push_back({fmt::format("gap {} of {} games or more", which, n),
                            {gaps.atLeast(n), gaps.total()},
                            when(t, theory)});
    }
}

}  // namespace

Interval wilson(const Proportion& p, double z) {
    if (p.trials == 0) return {0.0, 1.0};
    const double n = double(p.trials);
    const double phat = p.share();
    const double z2 = z * z;
    const double denom = 1.0 + z2 / n;
    const double centre = (phat + z2 / (2 * n)) / denom;
    const double half = z * std::sqrt(phat * (1 - phat) / n + z2 / (4 * n * n)) / denom;
    // At no hits (all hits) the interval reaches 0 (1) exactly; rounding must not lift it off.
    return {p.hits == 0 ? 0.0 : std::max(0.0, centre - half),
            p.hits == p.trials ? 1.0 : std::min(1.0, centre + half)};
}

Interval Comparison::ci95() const {
    return wilson95(observed);
}

bool Comparison::outside() const {
    return judged && theory && !wilson(observed, kZ9999).holds(*theory);
}

bool theoryApplies(const std::string& argument) {
    const std::string_view arg = commandArgument(argument);
    return arg != "7" && arg != "8";
}

Report compare(const RunStats& s, const Theory* t) {
    Report r;
    for (int k = 1; k <= kReachKinds; ++k) {
        const auto at = static_cast<std::size_t>(k);
        r.reach_kinds.push_back({"hit share of " + std::string(richCode(static_cast<Int16>(k))),
                                 s.reachKind(k), when(t, t ? t->reach_reliability[at] : 0.0)});
    }
    for (int m = 0; m < kModes; ++m) {
        const auto at = static_cast<std::size_t>(m);
        r.modes.push_back({std::string("hit chance in ") + kModeNames[m] + " mode", s.mode(m),
                           when(t, t ? t->modes[at].hit.value() : 0.0)});
    }

    r.others.push_back(
        {"hits per 1,000 games", {s.hits(), s.games()}, when(t, t ? t->hits_per_game : 0.0), 1000});
    r.others.push_back({"kakuhen hits among hits", s.kakuhenHits(),
                        when(t, t ? t->kakuhen_hits_per_game / t->hits_per_game : 0.0)});
    for (int m = 0; m < kModes; ++m) {
        const auto at = static_cast<std::size_t>(m);
        r.others.push_back({std::string("games in ") + kModeNames[m] + " mode",
                            {s.mode(m).trials, s.games()},
                            when(t, t ? t->mode_share[at] : 0.0),
                            1.0,
                            false});
    }
    for (int k = 1; k <= kReachKinds; ++k) {
        const auto at = static_cast<std::size_t>(k);
        const Proportion kind = s.reachKind(k);
        r.others.push_back({std::string(richCode(static_cast<Int16>(k))) + " per 1,000 games",
                            {kind.trials, s.games()},
                            when(t, t ? t->reach_per_game[at] : 0.0),
                            1000});
    }
    r.others.push_back(
        {"hit share of preview 1 alone", s.preview(1), when(t, t ? t->preview1_reliability : 0.0)});
    r.others.push_back(
        {"hit share of preview 2", s.preview(2), when(t, t ? t->preview2_reliability : 0.0)});
    addChainRows(r, s, t);
    addGapRows(r, s.gaps, "between hits", t, false);
    addGapRows(r, s.gaps_from_normal, "from normal mode", t, true);

    r.means.push_back({"chain length", meanOf(s.chains), when(t, t ? t->mean_chain_length : 0.0)});
    r.means.push_back({"gap between hits", meanOf(s.gaps), when(t, t ? t->mean_gap : 0.0)});
    r.means.push_back({"gap from normal mode", meanOf(s.gaps_from_normal),
                       when(t, t ? t->meanGapFrom(kStateNormal) : 0.0)});
    return r;
}

Spread spreadOf(const std::vector<std::uint64_t>& values) {
    Spread s;
    s.machines = values.size();
    if (values.empty()) return s;
    const auto [lo, hi] = std::minmax_element(values.begin(), values.end());
    s.min = *lo;
    s.max = *hi;
    long double sum = 0.0L;
    for (const std::uint64_t v : values)
        sum += static_cast<long double>(v);
    const long double mean = sum / static_cast<long double>(values.size());
    s.mean = static_cast<double>(mean);
    if (values.size() > 1) {
        long double squares = 0.0L;
        for (const std::uint64_t v : values) {
            const long double d = static_cast<long double>(v) - mean;
            squares += d * d;
        }
        s.sd =
            static_cast<double>(std::sqrt(squares / static_cast<long double>(values.size() - 1)));
    }
    const std::uint64_t width = (s.max - s.min) / kSpreadBins + 1;
    for (std::uint64_t from = s.min; from <= s.max; from += width) {
        const std::uint64_t to = std::min(s.max, from + (width - 1));
        s.bins.push_back({from, to, 0});
        if (to == s.max) break;
    }
    for (const std::uint64_t v : values)
        ++s.bins[static_cast<std::size_t>((v - s.min) / width)].machines;
    return s;
}

}  // namespace rl00
