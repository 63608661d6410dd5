#include "stats/theory.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

namespace rl00 {

namespace {

constexpr int kJitanFirst = jitanState(1);
constexpr int kJitanLast = jitanState(kJitanGames);
constexpr GameResult kHits[] = {GameResult::kNormalHit, GameResult::kKakuhenHit};
constexpr GameResult kResults[] = {GameResult::kMiss, GameResult::kNormalHit,
                                   GameResult::kKakuhenHit};

// Chains are followed until this little of them is left, or this long.
constexpr long double kNegligible = 1e-30L;
constexpr std::size_t kLongestChain = 100000;

using StateVector = std::array<long double, kPlayStates>;

bool isJitan(int state) {
    return state >= kJitanFirst && state <= kJitanLast;
}

std::size_t at(int state) {
    return static_cast<std::size_t>(state);
}

long double chanceOf(const ModeChances& mc, GameResult r) {
    switch (r) {
        case GameResult::kNormalHit:
            return mc.normal_hit.exact();
        case GameResult::kKakuhenHit:
            return mc.kakuhen_hit.exact();
        case GameResult::kMiss:
            break;
    }
    return static_cast<long double>(mc.hit.den - mc.hit.num) / static_cast<long double>(mc.hit.den);
}

// The mode process: from each state, where a miss, a normal hit and a kakuhen hit lead.
MarkovChain modeChain(const std::array<ModeChances, kModes>& modes) {
    std::vector<Transition> steps;
    for (int s = 0; s < kPlayStates; ++s) {
        const ModeChances& mc = modes[static_cast<std::size_t>(modeOf(s))];
        for (GameResult r : kResults)
            steps.push_back({at(s), at(nextState(s, r)), chanceOf(mc, r)});
    }
    return MarkovChain(kPlayStates, std::move(steps));
}

// Where and how the first hit falls, from a game played in some state on.
struct FirstHit {
    int state;
    GameResult result;
    long double chance;
};

// Misses lead every state along one path into a state that keeps itself (normal or kakuhen),
// so the first hit is a finite walk plus a geometric tail.
std::vector<FirstHit> firstHits(int state, const std::array<ModeChances, kModes>& modes) {
    std::vector<FirstHit> out;
    long double none = 1.0L;  // no hit before this game
    for (int step = 0; step <= kPlayStates; ++step) {
        const ModeChances& mc = modes[static_cast<std::size_t>(modeOf(state))];
        const int next = nextState(state, GameResult::kMiss);
        const long double h = mc.hit.exact();
        const long double reach = next == state ? none / h : none;
        for (GameResult r : kHits)
            out.push_back({state, r, reach * chanceOf(mc, r)});
        if (next == state) break;
        none *= 1.0L - h;
        state = next;
    }
    return out;
}

// G_iRenchan at the end of each chain: the hits are followed from state to state after each hit
// of a chain, from the states that chain-starting hits leave behind in the long run.
std::vector<double> chainPmf(const StateVector& pi, const std::array<ModeChances, kModes>& modes) {
    StateVector alive{};
    long double starts = 0.0L;
    for (int t = 0; t < kPlayStates; ++t) {
        const ModeChances& mc = modes[static_cast<std::size_t>(modeOf(t))];
        for (GameResult r : kHits) {
            if (!startsChain(t, r)) continue;
            alive[at(nextState(t, r))] += pi[at(t)] * chanceOf(mc, r);
            starts += pi[at(t)] * chanceOf(mc, r);
        }
    }
    for (long double& a : alive)
        a /= starts;

    std::array<std::vector<FirstHit>, kPlayStates> first;
    std::vector<double> pmf{0.0};
    long double left = 1.0L;
    while (left > kNegligible && pmf.size() <= kLongestChain) {
        StateVector next{};
        long double ended = 0.0L;
        for (int s = 0; s < kPlayStates; ++s) {
            if (alive[at(s)] == 0.0L) continue;
            if (first[at(s)].empty()) first[at(s)] = firstHits(s, modes);
            for (const FirstHit& f : first[at(s)]) {
                const long double mass = alive[at(s)] * f.chance;
                if (startsChain(f.state, f.result)) {
                    ended += mass;
                } else {
                    next[at(nextState(f.state, f.result))] += mass;
                }
            }
        }
        pmf.push_back(static_cast<double>(ended));
        alive = next;
        left = 0.0L;
        for (long double a : alive)
            left += a;
    }
    return pmf;
}

// From every state, where the next hit leaves the machine: the chances of the states hits
// leave behind, in the order of `after_hit_states`.
std::array<std::vector<long double>, kPlayStates> nextAfterHit(
    const std::array<ModeChances, kModes>& modes, const std::vector<int>& after_hit_states) {
    std::array<std::vector<long double>, kPlayStates> out;
    for (int u = 0; u < kPlayStates; ++u) {
        out[at(u)].assign(after_hit_states.size(), 0.0L);
        for (const FirstHit& f : firstHits(u, modes)) {
            const int left = nextState(f.state, f.result);
            for (std::size_t i = 0; i < after_hit_states.size(); ++i) {
                if (after_hit_states[i] == left) out[at(u)][i] += f.chance;
            }
        }
    }
    return out;
}

}  // namespace

Int16 modeOf(int state) {
    if (state == kStateKakuhen) return kModeKakuhen;
    return isJitan(state) ? kModeJitan : kModeNormal;
}

int nextState(int state, GameResult result) {
    switch (result) {
        case GameResult::kKakuhenHit:
            return kStateKakuhen;
        case GameResult::kNormalHit:
            // Only a normal hit that ends kakuhen grants the period; one inside it ends it.
            return state == kStateKakuhen ? jitanState(1) : kStateNormal;
        case GameResult::kMiss:
            break;
    }
    // The period runs out after its last game, whatever else that game brought.
    if (isJitan(state)) return state == kJitanLast ? kStateNormal : state + 1;
    return state;
}

bool startsChain(int state, GameResult result) {
    switch (result) {
        case GameResult::kKakuhenHit:
            // Neither G_bKakuhenPrev nor G_bJitan is set only in normal mode.
            return state == kStateNormal;
        case GameResult::kNormalHit:
            // Inside the period G_lRevCnt counts this game: at the period's last game it is no
            // longer below the limit, and with G_bKakuhenPrev off the chain starts again.
            return state == kStateNormal || state == kJitanLast;
        case GameResult::kMiss:
            break;
    }
    return false;
}

Theory::MissPath Theory::missPath(int state, const StateVector& hit_chance) {
    MissPath path;
    path.log_none.push_back(0.0L);
    for (int step = 0; step <= kPlayStates; ++step) {
        const int next = nextState(state, GameResult::kMiss);
        const long double log_miss = std::log1p(-hit_chance[at(state)]);
        if (next == state) {
            path.log_miss_after = log_miss;
            break;
        }
        path.log_none.push_back(path.log_none.back() + log_miss);
        state = next;
    }
    return path;
}

double Theory::survivalFrom(int state, std::uint64_t n) const {
    if (n <= 1) return 1.0;
    const MissPath& path = miss_paths_[at(state)];
    const std::uint64_t games = n - 1;  // games that must all miss
    const std::uint64_t walked = path.log_none.size() - 1;
    if (games <= walked) return static_cast<double>(std::exp(path.log_none[games]));
    return static_cast<double>(std::exp(
        path.log_none[walked] + static_cast<long double>(games - walked) * path.log_miss_after));
}

double Theory::meanGapFrom(int state) const {
    long double total = 0.0L;
    long double none = 1.0L;
    for (int step = 0; step <= kPlayStates; ++step) {
        const int next = nextState(state, GameResult::kMiss);
        if (next == state) return static_cast<double>(total + none / hit_chance_[at(state)]);
        total += none;
        none *= 1.0L - hit_chance_[at(state)];
        state = next;
    }
    return static_cast<double>(total);
}

double Theory::survival(std::uint64_t n) const {
    long double total = 0.0L;
    for (int s = 0; s < kPlayStates; ++s) {
        if (after_hit_share[at(s)] > 0.0) total += after_hit_share[at(s)] * survivalFrom(s, n);
    }
    return static_cast<double>(total);
}

double Theory::chainLengthPmf(std::uint64_t k) const {
    return k >= 1 && k < chain_pmf_.size() ? chain_pmf_[k] : 0.0;
}

void Theory::followHits(const std::array<long double, kPlayStates>& after_hit) {
    for (int s = 0; s < kPlayStates; ++s) {
        if (after_hit[at(s)] > 0.0L) after_hit_states_.push_back(s);
    }
    next_after_hit_ = nextAfterHit(modes, after_hit_states_);
    std::vector<Transition> steps;
    for (std::size_t i = 0; i < after_hit_states_.size(); ++i) {
        const auto& next = next_after_hit_[at(after_hit_states_[i])];
        for (std::size_t j = 0; j < next.size(); ++j)
            steps.push_back({i, j, next[j]});
    }
    hit_chain_ = MarkovChain(after_hit_states_.size(), std::move(steps));

    std::vector<Transition> hits;
    Vector chance(kPlayStates);
    for (int s = 0; s < kPlayStates; ++s) {
        const ModeChances& mc = modes[static_cast<std::size_t>(modeOf(s))];
        chance[at(s)] = hit_chance_[at(s)];
        for (GameResult r : kHits)
            hits.push_back({at(s), at(nextState(s, r)), chanceOf(mc, r)});
    }
    hit_variance_ = chain_.asymptoticVariance(hits, chance);
    hit_offset_from_normal_ = chain_.poisson(chance)[at(kStateNormal)];
}

Theory computeTheory() {
    Theory t;
    for (Int16 m = 0; m < kModes; ++m)
        t.modes[static_cast<std::size_t>(m)] = modeChances(m);
    t.chain_ = modeChain(t.modes);
    StateVector pi{};
    std::copy(t.chain_.stationary().begin(), t.chain_.stationary().end(), pi.begin());

    long double hits = 0.0L, kakuhen_hits = 0.0L, starts = 0.0L;
    StateVector after_hit{};
    std::array<long double, kModes> mode_share{};
    for (int s = 0; s < kPlayStates; ++s) {
        const ModeChances& mc = t.modes[static_cast<std::size_t>(modeOf(s))];
        t.hit_chance_[at(s)] = mc.hit.exact();
        t.state_share[at(s)] = static_cast<double>(pi[at(s)]);
        mode_share[static_cast<std::size_t>(modeOf(s))] += pi[at(s)];
        for (GameResult r : kHits) {
            const long double rate = pi[at(s)] * chanceOf(mc, r);
            hits += rate;
            if (r == GameResult::kKakuhenHit) kakuhen_hits += rate;
            if (startsChain(s, r)) starts += rate;
            after_hit[at(nextState(s, r))] += rate;
        }
    }
    t.hits_per_game = static_cast<double>(hits);
    t.kakuhen_hits_per_game = static_cast<double>(kakuhen_hits);
    t.chain_starts_per_game = static_cast<double>(starts);
    t.mean_chain_length = static_cast<double>(hits / starts);
    for (int s = 0; s < kPlayStates; ++s)
        t.miss_paths_[at(s)] = Theory::missPath(s, t.hit_chance_);
    long double mean_gap = 0.0L;
    for (int s = 0; s < kPlayStates; ++s) {
        t.after_hit_share[at(s)] = static_cast<double>(after_hit[at(s)] / hits);
        if (after_hit[at(s)] > 0.0L) mean_gap += after_hit[at(s)] / hits * t.meanGapFrom(s);
    }
    t.mean_gap = static_cast<double>(mean_gap);
    t.followLongRunMisses();
    t.chain_pmf_ = chainPmf(pi, t.modes);
    t.followHits(after_hit);

    // Presentations and previews, weighing each mode by its long-run share of the games.
    long double p1 = 0.0L, p1_hit = 0.0L, p2 = 0.0L, p2_hit = 0.0L;
    for (std::size_t m = 0; m < kModes; ++m) {
        t.mode_share[m] = static_cast<double>(mode_share[m]);
        const ModeChances& mc = t.modes[m];
        p1 += mode_share[m] * mc.preview1_alone.exact();
        p1_hit += mode_share[m] * mc.hit_with_preview1_alone.exact();
        p2 += mode_share[m] * mc.preview2.exact();
        p2_hit += mode_share[m] * mc.hit_with_preview2.exact();
    }
    t.preview1_reliability = static_cast<double>(p1_hit / p1);
    t.preview2_reliability = static_cast<double>(p2_hit / p2);
    for (std::size_t kind = 1; kind <= kReachKinds; ++kind) {
        long double any = 0.0L, hit = 0.0L;
        for (std::size_t m = 0; m < kModes; ++m) {
            any += mode_share[m] * t.modes[m].reach_kind[kind].exact();
            hit += mode_share[m] * t.modes[m].reach[kind][kRichHit].exact();
        }
        t.reach_per_game[kind] = static_cast<double>(any);
        t.reach_reliability[kind] = any > 0.0L ? static_cast<double>(hit / any) : 0.0;
    }
    return t;
}

}  // namespace rl00
