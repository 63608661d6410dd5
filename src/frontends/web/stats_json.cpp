#include "frontends/web/stats_json.h"

#include <string_view>

#include "engine/rich_sel.h"
#include "platform/json.h"
#include "stats/drought_curves.h"
#include "stats/stats_report.h"

namespace rl00 {

namespace {

constexpr std::string_view kModeNames[] = {"通常", "確変", "時短"};

std::string reachKindName(int kind) {
    std::string name(richName(static_cast<Int16>(kind)));
    while (!name.empty() && name.back() == '!')
        name.pop_back();
    return name;
}

void row(json::Writer& w, std::string_view name, const Comparison& c) {
    w.beginObject().key("name").string(name);
    w.key("trials").integer(c.observed.trials).key("hits").integer(c.observed.hits);
    w.key("share").number(c.observed.share());
    const Interval ci = c.ci95();
    w.key("low").number(ci.low).key("high").number(ci.high);
    w.key("theory");
    if (c.theory) {
        w.number(*c.theory);
    } else {
        w.null();
    }
    w.key("outside").boolean(c.outside()).endObject();
}

void curve(json::Writer& w, std::string_view name, const std::vector<CurvePoint>& points) {
    w.key(name).beginArray();
    for (const CurvePoint& p : points)
        w.beginArray().number(p.x).number(p.y).endArray();
    w.endArray();
}

}  // namespace

std::string statsJson(const RunStats& s, const Theory* theory) {
    const Report r = compare(s, theory);
    std::string out;
    json::Writer w(out);
    w.beginObject();
    w.key("games").integer(s.games()).key("hits").integer(s.hits());
    w.key("kakuhen_hits").integer(s.kakuhenHits().hits).key("chains").integer(s.chains.total());
    w.key("theory").boolean(theory != nullptr);
    w.key("reach_kinds").beginArray();
    for (std::size_t k = 0; k < r.reach_kinds.size(); ++k)
        row(w, reachKindName(static_cast<int>(k) + 1), r.reach_kinds[k]);
    w.endArray().key("modes").beginArray();
    for (std::size_t m = 0; m < r.modes.size() && m < std::size(kModeNames); ++m)
        row(w, kModeNames[m], r.modes[m]);
    w.endArray().key("chains_rows").beginArray();
    for (std::uint64_t k = 1; k <= kChainRows + 1; ++k) {
        const std::string name =
            k <= kChainRows ? std::to_string(k) : std::to_string(kChainRows + 1) + "〜";
        row(w, name, r.others.at(static_cast<std::size_t>(r.first_chain_row + k - 1)));
    }
    w.endArray();
    const DroughtCurves d = droughtCurves(s, theory);
    w.key("droughts").beginObject();
    curve(w, "steps", d.steps);
    curve(w, "steps_from_normal", d.steps_from_normal);
    curve(w, "theory", d.theory);
    curve(w, "theory_from_normal", d.theory_from_normal);
    w.key("floor").number(d.floor).key("last").number(d.last).endObject();
    w.endObject();
    return out;
}

}  // namespace rl00
