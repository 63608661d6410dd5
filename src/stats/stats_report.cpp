#include "stats/stats_report.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <string_view>

#include "engine/rich_sel.h"
#include "engine/tables.h"
#include "machine/machine.h"
#include "stats/theory.h"

namespace rl00 {

namespace {

constexpr const char* kModeCaptions[kModes] = {"通常時", "確変中", "時短中"};
constexpr const char* kResultNames[4] = {"", "far miss", "near miss", "hit"};
// The panel's headings of the reach table.
constexpr const char* kResultCaptions[4] = {"", "どは", "惜し", "大当"};
// The panel's captions of the previews: kind 1 teases, kind 2 comes with the real thing.
constexpr const char* kPreviewCaptions[3] = {"", "予告ガセ", "予告本物"};

// Where the survival of a gap is shown: from a few games to about ten times the mean gap.
constexpr std::uint64_t kGapRows[] = {10, 100, 367, 1000, 2000};

using Split = std::array<long double, kGameResults>;

Split split(const ByResult& b) {
    return {b[kResultMiss].exact(), b[kResultNormalHit].exact(), b[kResultKakuhenHit].exact()};
}

Split hitsOnly(Split b) {
    b[kResultMiss] = 0.0L;
    return b;
}

std::string reachCaption(int kind) {
    std::string name(richName(static_cast<Int16>(kind)));
    while (!name.empty() && name.back() == '!')
        name.pop_back();
    return name;
}

std::string code(int kind) {
    std::string c(richCode(static_cast<Int16>(kind)));
    while (!c.empty() && c.back() == ' ')
        c.pop_back();
    return c;
}

std::optional<double> meanOf(const Histogram& h) {
    const std::uint64_t n = h.total();
    if (n == 0) return std::nullopt;
    return static_cast<double>(h.sum() / static_cast<long double>(n));
}

// Builds the rows of one run: each figure's theory, design effect and start offset, when a
// theory applies.
class Rows {
  public:
    Rows(const RunStats& s, const Theory* t, std::uint64_t games_per_machine)
        : s_(s), t_(t), games_(games_per_machine != 0 ? games_per_machine : s.games()) {
        if (t_) excess_ = t_->powerOnExcess(games_);
    }

    // A share counted per game: `part` and `whole` give a mode's events by result.
    template <class Part, class Whole>
    Comparison perGame(std::string figure, std::string caption, Proportion observed, Part part,
                       Whole whole, double scale = 1.0) const {
        Comparison c = trials(std::move(figure), std::move(caption), observed);
        c.scale = scale;
        if (!t_) return c;
        GameEvents e;
        for (int m = 0; m < kModes; ++m) {
            const ModeChances& mc = t_->modes[static_cast<std::size_t>(m)];
            e.part[static_cast<std::size_t>(m)] = part(m, mc);
            e.whole[static_cast<std::size_t>(m)] = whole(m, mc);
        }
        const GameFigure f = t_->gameFigure(e, excess_, games_);
        c.theory = f.share;
        c.design_effect = f.design_effect;
        c.start_offset = f.start_offset;
        return c;
    }

    // A share of independent trials: the theory's chance alone.
    Comparison trials(std::string figure, std::string caption, Proportion observed,
                      double (*theory)(const Theory&, std::uint64_t) = nullptr,
                      std::uint64_t arg = 0) const {
        Comparison c;
        c.figure = std::move(figure);
        c.caption = std::move(caption);
        c.observed = observed;
        if (t_ && theory) c.theory = theory(*t_, arg);
        return c;
    }

    const RunStats& s() const { return s_; }
    const Theory* t() const { return t_; }

  private:
    const RunStats& s_;
    const Theory* t_;
    std::uint64_t games_;
    Vector excess_;
};

Split every(int, const ModeChances& mc) {
    return split(mc.game);
}

Comparison hitsPer1000(const Rows& rows) {
    return rows.perGame(
        "hits per 1,000 games", "大当たり（1,000回転あたり）", {rows.s().hits(), rows.s().games()},
        [](int, const ModeChances& mc) { return hitsOnly(split(mc.game)); }, every, 1000.0);
}

Comparison kakuhenShare(const Rows& rows) {
    return rows.perGame(
        "kakuhen hits among hits", "大当たりのうち確変", rows.s().kakuhenHits(),
        [](int, const ModeChances& mc) {
            return Split{0.0L, 0.0L, mc.game[kResultKakuhenHit].exact()};
        },
        [](int, const ModeChances& mc) { return hitsOnly(split(mc.game)); });
}

Comparison modeShare(const Rows& rows, int mode) {
    const RunStats& s = rows.s();
    return rows.perGame(
        std::string("games in ") + kModeWords[mode] + " mode",
        std::string(kModeCaptions[mode]) + "の回転", {s.mode(mode).trials, s.games()},
        [mode](int m, const ModeChances& mc) { return m == mode ? split(mc.game) : Split{}; },
        every);
}

Comparison hitRateInMode(const Rows& rows, int mode) {
    return rows.perGame(
        std::string("hit chance in ") + kModeWords[mode] + " mode",
        std::string(kModeCaptions[mode]) + "の大当たり確率", rows.s().mode(mode),
        [mode](int m, const ModeChances& mc) {
            return m == mode ? hitsOnly(split(mc.game)) : Split{};
        },
        [mode](int m, const ModeChances& mc) { return m == mode ? split(mc.game) : Split{}; });
}

Comparison reliability(const Rows& rows, int kind) {
    const auto k = static_cast<std::size_t>(kind);
    return rows.perGame(
        "hit share of " + std::string(richCode(static_cast<Int16>(kind))),
        reachCaption(kind) + "の信頼度", rows.s().reachKind(kind),
        [k](int, const ModeChances& mc) { return hitsOnly(split(mc.reach_kind_by_result[k])); },
        [k](int, const ModeChances& mc) { return split(mc.reach_kind_by_result[k]); });
}

Comparison kindPer1000(const Rows& rows, int kind) {
    const auto k = static_cast<std::size_t>(kind);
    return rows.perGame(
        std::string(richCode(static_cast<Int16>(kind))) + " per 1,000 games",
        reachCaption(kind) + "（1,000回転あたり）",
        {rows.s().reachKind(kind).trials, rows.s().games()},
        [k](int, const ModeChances& mc) { return split(mc.reach_kind_by_result[k]); }, every,
        1000.0);
}

// Reaches of a kind with one result per 1,000 games: a far or near miss is a miss, a hit either.
Comparison resultPer1000(const Rows& rows, int kind, int result) {
    const auto k = static_cast<std::size_t>(kind);
    const auto res = static_cast<std::size_t>(result);
    return rows.perGame(
        code(kind) + " " + kResultNames[result] + " per 1,000 games",
        reachCaption(kind) + "・" + kResultCaptions[result] + "（1,000回転あたり）",
        {rows.s().reachResult(kind, result), rows.s().games()},
        [k, res](int, const ModeChances& mc) {
            if (res == kRichHit) return hitsOnly(split(mc.reach_kind_by_result[k]));
            return Split{mc.reach[k][res].exact(), 0.0L, 0.0L};
        },
        every, 1000.0);
}

const ByResult& previewEvents(const ModeChances& mc, int preview) {
    return preview == 1 ? mc.preview1_alone_by_result : mc.preview2_by_result;
}

Comparison previewPer1000(const Rows& rows, int preview) {
    return rows.perGame(
        std::string(preview == 1 ? "preview 1 alone" : "preview 2") + " per 1,000 games",
        std::string(kPreviewCaptions[preview]) + "（1,000回転あたり）",
        {rows.s().preview(preview).trials, rows.s().games()},
        [preview](int, const ModeChances& mc) { return split(previewEvents(mc, preview)); }, every,
        1000.0);
}

Comparison previewReliability(const Rows& rows, int preview) {
    return rows.perGame(
        std::string("hit share of ") + (preview == 1 ? "preview 1 alone" : "preview 2"),
        std::string(kPreviewCaptions[preview]) + "の信頼度", rows.s().preview(preview),
        [preview](int, const ModeChances& mc) {
            return hitsOnly(split(previewEvents(mc, preview)));
        },
        [preview](int, const ModeChances& mc) { return split(previewEvents(mc, preview)); });
}

// Each mode's rows: a reach kind's reliability and its reaches per 1,000 games of the mode, and
// the previews per 1,000 games of the mode. The chain's events are kept to the one mode, so their
// design effects are those of the mode's own games.
void addModeRows(Report& r, const Rows& rows) {
    const RunStats& s = rows.s();
    r.first_mode_reliability_row = r.others.size();
    for (int m = 0; m < kModes; ++m) {
        for (int k = 1; k <= kReachKinds; ++k) {
            const auto kind = static_cast<std::size_t>(k);
            r.others.push_back(rows.perGame(
                "hit share of " + code(k) + " in " + kModeWords[m] + " mode",
                reachCaption(k) + "の信頼度（" + kModeCaptions[m] + "）", s.reachKindInMode(m, k),
                [m, kind](int mm, const ModeChances& mc) {
                    return mm == m ? hitsOnly(split(mc.reach_kind_by_result[kind])) : Split{};
                },
                [m, kind](int mm, const ModeChances& mc) {
                    return mm == m ? split(mc.reach_kind_by_result[kind]) : Split{};
                }));
        }
    }
    r.first_mode_kind_row = r.others.size();
    for (int m = 0; m < kModes; ++m) {
        for (int k = 1; k <= kReachKinds; ++k) {
            const auto kind = static_cast<std::size_t>(k);
            r.others.push_back(rows.perGame(
                code(k) + " per 1,000 games in " + kModeWords[m] + " mode",
                reachCaption(k) + "（" + kModeCaptions[m] + "の1,000回転あたり）",
                {s.reachKindInMode(m, k).trials, s.mode(m).trials},
                [m, kind](int mm, const ModeChances& mc) {
                    return mm == m ? split(mc.reach_kind_by_result[kind]) : Split{};
                },
                [m](int mm, const ModeChances& mc) { return mm == m ? split(mc.game) : Split{}; },
                1000.0));
        }
    }
    r.first_mode_preview_row = r.others.size();
    for (int m = 0; m < kModes; ++m) {
        for (int p = 1; p <= 2; ++p) {
            r.others.push_back(rows.perGame(
                std::string(p == 1 ? "preview 1 alone" : "preview 2") + " per 1,000 games in " +
                    kModeWords[m] + " mode",
                std::string(kPreviewCaptions[p]) + "（" + kModeCaptions[m] + "の1,000回転あたり）",
                {s.previewInMode(m, p), s.mode(m).trials},
                [m, p](int mm, const ModeChances& mc) {
                    return mm == m ? split(previewEvents(mc, p)) : Split{};
                },
                [m](int mm, const ModeChances& mc) { return mm == m ? split(mc.game) : Split{}; },
                1000.0));
        }
    }
}

// Each hit draws its re-lottery and each re-lottery its overshoot apart from every other, and
// each time-shortening period begins alike: independent trials, whose chances are the tables'.
void addReLotteryRows(Report& r, const Rows& rows) {
    const RunStats& s = rows.s();
    r.first_re_lottery_row = r.others.size();
    for (const bool kakuhen : {false, true}) {
        r.others.push_back(rows.trials(
            std::string("re-lottery among ") + (kakuhen ? "kakuhen" : "normal") + " hits",
            std::string(kakuhen ? "確変" : "通常") + "大当たりのうち再抽選", s.reLottery(kakuhen),
            [](const Theory&, std::uint64_t kakuhen_symbol) {
                return static_cast<double>(reLotteryReveals(kakuhen_symbol == 1)) / kRevealOdds;
            },
            kakuhen ? 1 : 0));
    }
    r.others.push_back(rows.trials(
        "overshoot among re-lotteries of kakuhen hits", "確変再抽選のうち行き過ぎ", s.overshoot(),
        [](const Theory&, std::uint64_t) { return 1.0 / kOvershootOdds; }));
    r.others.push_back(
        rows.trials("time-shortening periods with a hit", "時短中に大当たり", s.jitanPeriods(),
                    [](const Theory& t, std::uint64_t) { return t.jitanHitChance(); }));
}

// A chain's length hangs on the chain before it only through a normal hit in the period's last
// game, which starts the next chain with a chain of one: chains count as independent trials.
void addChainRows(Report& r, const Rows& rows) {
    const Histogram& chains = rows.s().chains;
    r.first_chain_row = r.others.size();
    for (std::uint64_t k = 1; k <= kChainRows; ++k) {
        r.others.push_back(rows.trials(
            fmt::format("chain of {} hit{}", k, k == 1 ? "" : "s"), fmt::format("{}連チャン", k),
            {chains.count(k), chains.total()},
            [](const Theory& t, std::uint64_t n) { return t.chainLengthPmf(n); }, k));
    }
    r.others.push_back(rows.trials(
        fmt::format("chain of {} hits or more", kChainRows + 1),
        fmt::format("{}連チャン以上", kChainRows + 1),
        {chains.atLeast(kChainRows + 1), chains.total()},
        [](const Theory& t, std::uint64_t n) {
            double tail = 1.0;
            for (std::uint64_t k = 1; k < n; ++k)
                tail -= t.chainLengthPmf(k);
            return std::max(0.0, tail);
        },
        kChainRows + 1));
}

// The gaps from normal mode each begin in the same state: independent trials. The gaps between
// hits begin where the hit before left the machine; their design effect comes from the chain of
// those states.
void addGapRows(Report& r, const Rows& rows) {
    const Histogram& gaps = rows.s().gaps;
    for (const std::uint64_t n : kGapRows) {
        Comparison c = rows.trials(
            fmt::format("gap between hits of {} games or more", n),
            fmt::format("大当たり間 {}回転以上", n), {gaps.atLeast(n), gaps.total()},
            [](const Theory& t, std::uint64_t m) { return t.survival(m); }, n);
        if (rows.t()) c.design_effect = static_cast<double>(rows.t()->gapShare(n).design_effect);
        r.others.push_back(c);
    }
    const Histogram& from_normal = rows.s().gaps_from_normal;
    for (const std::uint64_t n : kGapRows) {
        r.others.push_back(rows.trials(
            fmt::format("gap from normal mode of {} games or more", n),
            fmt::format("通常時から {}回転以上", n), {from_normal.atLeast(n), from_normal.total()},
            [](const Theory& t, std::uint64_t m) { return t.survivalFromNormal(m); }, n));
    }
}

void addMeans(Report& r, const RunStats& s, const Theory* t) {
    auto theory = [t](double value) { return t ? std::optional<double>(value) : std::nullopt; };
    r.means.push_back(
        {"chain length", meanOf(s.chains), theory(t ? t->mean_chain_length : 0.0), "連チャン数"});
    r.means.push_back(
        {"gap between hits", meanOf(s.gaps), theory(t ? t->mean_gap : 0.0), "大当たり間の回転数"});
    r.means.push_back({"gap from normal mode", meanOf(s.gaps_from_normal),
                       theory(t ? t->meanGapFrom(kStateNormal) : 0.0),
                       "通常時から大当たりまでの回転数"});
}

}  // namespace

Interval Comparison::interval(double tail) const {
    if (observed.trials == 0) return {0.0, 1.0};
    // The long run's figure: the observation without what the start adds, over effective counts.
    const double d = std::max(design_effect, 1e-12);
    const double trials = static_cast<double>(observed.trials);
    const double hits = static_cast<double>(observed.hits) - start_offset * trials;
    Interval out = exactInterval(hits / d, trials / d, tail);
    // What the start adds may leave a fraction of an event where none was seen, whose interval
    // begins at 1e-150 rather than at 0 (and a table prints all its zeros); none seen bounds the
    // figure from below by nothing, all seen from above by nothing.
    if (observed.hits == 0) out.low = 0.0;
    if (observed.hits == observed.trials) out.high = 1.0;
    return out;
}

bool Comparison::outside() const {
    return theory && !ci9999().holds(*theory);
}

bool theoryApplies(const std::string& argument) {
    const std::string_view arg = commandArgument(argument);
    return arg != "7" && arg != "8";
}

Report compare(const RunStats& s, const Theory* t, std::uint64_t games_per_machine) {
    const Rows rows(s, t, games_per_machine);
    Report r;
    for (int k = 1; k <= kReachKinds; ++k)
        r.reach_kinds.push_back(reliability(rows, k));
    for (int m = 0; m < kModes; ++m)
        r.modes.push_back(hitRateInMode(rows, m));

    r.others.push_back(hitsPer1000(rows));
    r.others.push_back(kakuhenShare(rows));
    r.first_mode_share_row = r.others.size();
    for (int m = 0; m < kModes; ++m)
        r.others.push_back(modeShare(rows, m));
    r.first_kind_row = r.others.size();
    for (int k = 1; k <= kReachKinds; ++k)
        r.others.push_back(kindPer1000(rows, k));
    r.first_reach_result_row = r.others.size();
    for (int k = 1; k <= kReachKinds; ++k) {
        for (int result = kRichFarMiss; result <= kRichHit; ++result)
            r.others.push_back(resultPer1000(rows, k, result));
    }
    for (int p = 1; p <= 2; ++p)
        r.others.push_back(previewPer1000(rows, p));
    for (int p = 1; p <= 2; ++p)
        r.others.push_back(previewReliability(rows, p));
    addModeRows(r, rows);
    addReLotteryRows(r, rows);
    addChainRows(r, rows);
    addGapRows(r, rows);
    addMeans(r, s, t);
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
