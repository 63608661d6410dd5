#include "stats/run_stats.h"

#include <algorithm>
#include <limits>

#include "machine/machine.h"

namespace rl00 {

namespace {

// A machine's counter as a count; its counters never go below zero.
std::uint64_t counted(Int32 value) {
    if (value < 0) throw std::logic_error("a counter of the machine below zero");
    return static_cast<std::uint64_t>(value);
}

}  // namespace

void addCount(std::uint64_t& count, std::uint64_t more, const std::string& what) {
    if (more > std::numeric_limits<std::uint64_t>::max() - count)
        throw CountOverflow(what + " adds up past " +
                            std::to_string(std::numeric_limits<std::uint64_t>::max()));
    count += more;
}

const std::array<const char*, kPanelCounters> kPanelNames = {
    "G_lRevCnt",   "G_lOoatariCnt", "G_lOoatariT", "G_lOoatariK", "G_lYokoku1N",
    "G_lYokoku2N", "G_lYokoku1A",   "G_lYokoku2A", "G_lRichCnt"};

// One value per game at most: a run cannot play the 2^64 games that would overflow a count.
void Histogram::add(std::uint64_t value) {
    ++total_;
    if (value < bins_.size()) {
        ++bins_[value];
    } else {
        ++over_count_;
        addCount(over_sum_, value, "the values beyond a histogram's bound");
    }
}

void Histogram::merge(const Histogram& other, const std::string& what) {
    if (other.bins_.size() > bins_.size()) bins_.resize(other.bins_.size(), 0);
    addCount(total_, other.total_, what);
    for (std::size_t v = 0; v < other.bins_.size(); ++v)
        bins_[v] += other.bins_[v];  // each bin is at most the total, which fits
    over_count_ += other.over_count_;
    addCount(over_sum_, other.over_sum_, what + ".over_sum");
}

long double Histogram::sum() const {
    long double s = static_cast<long double>(over_sum_);
    for (std::size_t v = 0; v < bins_.size(); ++v)
        s += static_cast<long double>(v) * static_cast<long double>(bins_[v]);
    return s;
}

std::uint64_t Histogram::atLeast(std::uint64_t n) const {
    std::uint64_t k = over_count_;
    for (std::size_t v = std::min<std::size_t>(n, bins_.size()); v < bins_.size(); ++v)
        k += bins_[v];
    return k;
}

bool Histogram::assign(const std::vector<std::uint64_t>& bins, std::uint64_t over_count,
                       std::uint64_t over_sum) {
    if (bins.size() > bins_.size()) return false;
    // Every value beyond the bound is at least bound + 1; a sum below that cannot be one.
    const std::uint64_t least = bins_.size();
    if (over_count != 0 && over_sum / over_count < least) return false;
    if (over_count == 0 && over_sum != 0) return false;
    std::uint64_t total = over_count;
    for (const std::uint64_t c : bins) {
        if (c > std::numeric_limits<std::uint64_t>::max() - total) return false;
        total += c;
    }
    std::fill(bins_.begin(), bins_.end(), 0);
    std::copy(bins.begin(), bins.end(), bins_.begin());
    over_count_ = over_count;
    over_sum_ = over_sum;
    total_ = total;
    return true;
}

std::vector<std::uint64_t> Histogram::trimmedBins() const {
    auto end = bins_.end();
    while (end != bins_.begin() && *(end - 1) == 0)
        --end;
    return {bins_.begin(), end};
}

void PanelSums::add(const Machine& m) {
    const std::array<Int32, kPanelCounters> values = {m.G_lRevCnt,   m.G_lOoatariCnt, m.G_lOoatariT,
                                                      m.G_lOoatariK, m.G_lYokoku1N,   m.G_lYokoku2N,
                                                      m.G_lYokoku1A, m.G_lYokoku2A,   m.G_lRichCnt};
    PanelSums one;
    for (std::size_t i = 0; i < values.size(); ++i)
        one.counters[i] = counted(values[i]);
    for (int k = 1; k <= kReachKinds; ++k) {
        one.reaches[static_cast<std::size_t>(k)] = {
            counted(m.G_lRichDoha[k]), counted(m.G_lRichOshi[k]), counted(m.G_lRichAtari[k]),
            counted(m.G_lRichTotal[k])};
    }
    merge(one);
}

void PanelSums::merge(const PanelSums& other) {
    for (std::size_t i = 0; i < counters.size(); ++i)
        addCount(counters[i], other.counters[i], std::string("counts.panel.") + kPanelNames[i]);
    for (std::size_t k = 0; k < reaches.size(); ++k) {
        for (std::size_t i = 0; i < 4; ++i)
            addCount(reaches[k][i], other.reaches[k][i], "counts.panel_reaches");
    }
}

void RunStats::add(const GameRecord& r) {
    ++games_;
    if (r.hit) ++hits_;
    if (r.hit && r.kakuhen) ++kakuhen_hits_;
    Proportion& mode = by_mode_[static_cast<std::size_t>(r.mode)];
    ++mode.trials;
    if (r.hit) ++mode.hits;
    if (r.reach >= 1 && r.reach <= 3 && r.kind >= 1 && r.kind <= kReachKinds)
        ++by_kind_result_[static_cast<std::size_t>(r.kind)][static_cast<std::size_t>(r.reach)];
    const auto mode_at = static_cast<std::size_t>(r.mode);
    if (r.reach >= 1 && r.reach <= 3 && r.kind >= 1 && r.kind <= kReachKinds) {
        ++by_mode_kind_result_[mode_at][static_cast<std::size_t>(r.kind)]
                              [static_cast<std::size_t>(r.reach)];
    }
    const int preview = r.preview == "1" ? 1 : r.preview == "2" ? 2 : 0;
    if (preview != 0) {
        Proportion& p = previews_[static_cast<std::size_t>(preview)];
        ++p.trials;
        if (r.hit) ++p.hits;
        ++previews_by_mode_[mode_at][static_cast<std::size_t>(preview)];
    }
    if (r.hit) {
        Proportion& shown = re_lottery_[r.kakuhen ? 1 : 0];
        ++shown.trials;
        if (r.relottery) ++shown.hits;
        if (r.relottery && r.kakuhen && r.overshoot) ++overshoots_;
    }
    // A period ends with its hit, or with its last game, after which the machine is in normal
    // mode again.
    if (r.mode == kModeJitan && (r.hit || r.mode_after == kModeNormal)) {
        ++jitan_periods_.trials;
        if (r.hit) ++jitan_periods_.hits;
    }
}

void RunStats::merge(const RunStats& other) {
    addCount(games_, other.games_, "counts.games");
    addCount(hits_, other.hits_, "counts.hits");
    addCount(kakuhen_hits_, other.kakuhen_hits_, "counts.kakuhen_hits");
    for (std::size_t k = 0; k < by_kind_result_.size(); ++k) {
        for (std::size_t res = 0; res < 4; ++res)
            addCount(by_kind_result_[k][res], other.by_kind_result_[k][res], "counts.reaches");
    }
    for (std::size_t i = 0; i < by_mode_.size(); ++i) {
        addCount(by_mode_[i].hits, other.by_mode_[i].hits, "counts.modes");
        addCount(by_mode_[i].trials, other.by_mode_[i].trials, "counts.modes");
    }
    for (std::size_t i = 0; i < previews_.size(); ++i) {
        addCount(previews_[i].hits, other.previews_[i].hits, "counts.previews");
        addCount(previews_[i].trials, other.previews_[i].trials, "counts.previews");
    }
    for (std::size_t m = 0; m < by_mode_kind_result_.size(); ++m) {
        for (std::size_t k = 0; k < by_mode_kind_result_[m].size(); ++k) {
            for (std::size_t res = 0; res < 4; ++res) {
                addCount(by_mode_kind_result_[m][k][res], other.by_mode_kind_result_[m][k][res],
                         "counts.reaches_by_mode");
            }
        }
        for (std::size_t p = 0; p < previews_by_mode_[m].size(); ++p)
            addCount(previews_by_mode_[m][p], other.previews_by_mode_[m][p],
                     "counts.previews_by_mode");
    }
    for (std::size_t i = 0; i < re_lottery_.size(); ++i) {
        addCount(re_lottery_[i].hits, other.re_lottery_[i].hits, "counts.re_lottery");
        addCount(re_lottery_[i].trials, other.re_lottery_[i].trials, "counts.re_lottery");
    }
    addCount(overshoots_, other.overshoots_, "counts.re_lottery");
    addCount(jitan_periods_.hits, other.jitan_periods_.hits, "counts.jitan_periods");
    addCount(jitan_periods_.trials, other.jitan_periods_.trials, "counts.jitan_periods");
    chains.merge(other.chains, "counts.chains");
    gaps.merge(other.gaps, "counts.gaps");
    gaps_from_normal.merge(other.gaps_from_normal, "counts.gaps_from_normal");
    panel.merge(other.panel);
    addCount(frames, other.frames, "counts.frames");
    addCount(whole_ms, other.whole_ms, "counts.whole_ms");
}

Proportion RunStats::reachKind(int kind) const {
    const auto& row = by_kind_result_[static_cast<std::size_t>(kind)];
    return {row[3], row[1] + row[2] + row[3]};
}

std::uint64_t RunStats::reachResult(int kind, int result) const {
    return by_kind_result_[static_cast<std::size_t>(kind)][static_cast<std::size_t>(result)];
}

std::uint64_t RunStats::reachResultInMode(int mode, int kind, int result) const {
    return by_mode_kind_result_[static_cast<std::size_t>(mode)][static_cast<std::size_t>(kind)]
                               [static_cast<std::size_t>(result)];
}

Proportion RunStats::reachKindInMode(int mode, int kind) const {
    const auto& row =
        by_mode_kind_result_[static_cast<std::size_t>(mode)][static_cast<std::size_t>(kind)];
    return {row[3], row[1] + row[2] + row[3]};
}

std::uint64_t RunStats::previewInMode(int mode, int kind) const {
    return previews_by_mode_[static_cast<std::size_t>(mode)][static_cast<std::size_t>(kind)];
}

double RunStats::virtualMs(double frame_ms) const {
    return static_cast<double>(frames) * frame_ms + static_cast<double>(whole_ms);
}

void MachineStats::add(const GameRecord& r) {
    counts_.add(r);
    if (since_hit_ == 0) gap_from_normal_ = r.mode == kModeNormal;
    ++since_hit_;
    if (r.hit) {
        if (hit_seen_) counts_.gaps.add(since_hit_);
        if (gap_from_normal_) counts_.gaps_from_normal.add(since_hit_);
        hit_seen_ = true;
        since_hit_ = 0;
        summary_.longest_drought = std::max(summary_.longest_drought, drought_);
        drought_ = 0;
        // A hit that starts a chain ends the one before it, if the machine never went back to
        // normal mode in between (a normal hit at the last game of the time-shortening period).
        if (r.chain == 1 && open_chain_ > 0) counts_.chains.add(std::uint64_t(open_chain_));
        open_chain_ = r.chain;
    } else {
        ++drought_;
    }
    // Back in normal mode, the next hit starts a new chain: this one has ended.
    if (open_chain_ > 0 && r.mode_after == kModeNormal) {
        counts_.chains.add(std::uint64_t(open_chain_));
        open_chain_ = 0;
    }
}

void MachineStats::finish(const Machine& m, std::uint64_t frames, std::uint64_t whole_ms,
                          int exit_code) {
    counts_.panel.add(m);
    addCount(counts_.frames, frames, "counts.frames");
    addCount(counts_.whole_ms, whole_ms, "counts.whole_ms");
    summary_.games = counts_.games();
    summary_.hits = counts_.hits();
    summary_.longest_drought = std::max(summary_.longest_drought, drought_);
    summary_.exit_code = exit_code;
}

}  // namespace rl00
