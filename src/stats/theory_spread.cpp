// How far the figures of a run spread by the theory's chains: a share counted per game over the
// mode process, the gaps over the chain of the states hits leave behind, and what one machine
// from power-on brings (its hits, its longest stretch without a hit).

#include <algorithm>
#include <cmath>

#include "stats/theory.h"

namespace rl00 {

namespace {

constexpr GameResult kByIndex[kGameResults] = {GameResult::kMiss, GameResult::kNormalHit,
                                               GameResult::kKakuhenHit};

std::size_t at(int state) {
    return static_cast<std::size_t>(state);
}

// Where P(longest drought >= length) is 1 or 0 to the last bit of a double.
constexpr double kCertainStretches = 40.0;
constexpr double kNegligibleChance = 1e-17;

}  // namespace

int Theory::afterMisses(int state, std::uint64_t n) {
    // Misses lead every state into normal or kakuhen mode within the period's length.
    const std::uint64_t steps = std::min<std::uint64_t>(n > 0 ? n - 1 : 0, kPlayStates + 1);
    for (std::uint64_t i = 0; i < steps; ++i)
        state = nextState(state, GameResult::kMiss);
    return state;
}

ShareVariance Theory::gameShare(const GameEvents& e) const {
    std::vector<Transition> part, whole;
    for (int s = 0; s < kPlayStates; ++s) {
        const auto mode = static_cast<std::size_t>(modeOf(s));
        for (std::size_t r = 0; r < kGameResults; ++r) {
            const std::size_t next = at(nextState(s, kByIndex[r]));
            if (e.part[mode][r] != 0.0L) part.push_back({at(s), next, e.part[mode][r]});
            if (e.whole[mode][r] != 0.0L) whole.push_back({at(s), next, e.whole[mode][r]});
        }
    }
    return chain_.share(part, whole);
}

// Game by game for short runs; beyond some thousands of games what is left to add has faded below
// anything a figure shows (the chain forgets its start within about a thousand games), and the
// sum over all games is the fundamental matrix's.
Vector Theory::powerOnExcess(std::uint64_t games) const {
    constexpr std::uint64_t kWalkedGames = 2000;
    if (games > kWalkedGames) return chain_.excessFrom(at(kStateNormal));
    const Vector& pi = chain_.stationary();
    Vector excess(pi.size(), 0.0L), now(pi.size(), 0.0L), next(pi.size());
    now[at(kStateNormal)] = 1.0L;
    for (std::uint64_t g = 0; g < games; ++g) {
        for (std::size_t s = 0; s < now.size(); ++s)
            excess[s] += now[s] - pi[s];
        std::fill(next.begin(), next.end(), 0.0L);
        for (const Transition& t : chain_.transitions())
            next[t.to] += now[t.from] * t.value;
        now.swap(next);
    }
    return excess;
}

GameFigure Theory::gameFigure(const GameEvents& e, const Vector& excess,
                              std::uint64_t games) const {
    const ShareVariance v = gameShare(e);
    GameFigure f{static_cast<double>(v.share), static_cast<double>(v.design_effect), 0.0};
    long double part = 0.0L, whole = 0.0L, part_excess = 0.0L, whole_excess = 0.0L;
    for (int s = 0; s < kPlayStates; ++s) {
        const auto mode = static_cast<std::size_t>(modeOf(s));
        long double a = 0.0L, b = 0.0L;
        for (std::size_t r = 0; r < kGameResults; ++r) {
            a += e.part[mode][r];
            b += e.whole[mode][r];
        }
        const long double pi = chain_.stationary()[at(s)];
        part += pi * a;
        whole += pi * b;
        part_excess += excess[at(s)] * a;
        whole_excess += excess[at(s)] * b;
    }
    const long double g = static_cast<long double>(games);
    if (games > 0 && whole > 0.0L) {
        f.start_offset =
            static_cast<double>((g * part + part_excess) / (g * whole + whole_excess) - v.share);
    }
    return f;
}

// P(gap >= n and the next hit leaves state j | the gap starts in y) is P(n - 1 misses from y)
// times where the next hit leaves the machine from the state those misses lead to.
ShareVariance Theory::gapShare(std::uint64_t n) const {
    std::vector<Transition> part, whole;
    for (std::size_t i = 0; i < after_hit_states_.size(); ++i) {
        const int y = after_hit_states_[i];
        const long double none = survivalFrom(y, n);
        const std::vector<long double>& from_y = next_after_hit_[at(y)];
        const std::vector<long double>& later = next_after_hit_[at(afterMisses(y, n))];
        for (std::size_t j = 0; j < from_y.size(); ++j) {
            whole.push_back({i, j, from_y[j]});
            part.push_back({i, j, none * later[j]});
        }
    }
    return hit_chain_.share(part, whole);
}

double Theory::noHitFromLongRun(std::uint64_t games) const {
    if (games < long_run_none_.size()) return static_cast<double>(long_run_none_[games]);
    long double none = 0.0L;
    for (const auto& [c, log_miss] : long_run_tail_)
        none += c * std::exp(static_cast<long double>(games) * log_miss);
    return static_cast<double>(none);
}

void Theory::followLongRunMisses() {
    long_run_none_.assign(kPlayStates + 2, 0.0L);
    for (int s = 0; s < kPlayStates; ++s) {
        const MissPath& path = miss_paths_[at(s)];
        const long double share = chain_.stationary()[at(s)];
        for (std::uint64_t g = 0; g < long_run_none_.size(); ++g)
            long_run_none_[g] += share * survivalFrom(s, g + 1);
        // Beyond its walk: exp(log_none[w] + (games - w) * log_miss_after).
        const long double w = static_cast<long double>(path.log_none.size() - 1);
        const long double c = share * std::exp(path.log_none.back() - w * path.log_miss_after);
        auto same = std::find_if(long_run_tail_.begin(), long_run_tail_.end(),
                                 [&](const auto& t) { return t.second == path.log_miss_after; });
        if (same == long_run_tail_.end()) {
            long_run_tail_.push_back({c, path.log_miss_after});
        } else {
            same->first += c;
        }
    }
}

Distribution Theory::hitsPerMachine(std::uint64_t games) const {
    if (games == 0) return {};
    const long double g = static_cast<long double>(games);
    return {
        static_cast<double>(g * static_cast<long double>(hits_per_game) + hit_offset_from_normal_),
        static_cast<double>(std::sqrt(g * hit_variance_))};
}

// The stretches of at least `length` misses: one before each hit but the first (a gap of at
// least length + 1 games), the first from power-on in normal mode, and the last, cut by the end
// of the run, which is `length` misses in a row from wherever the machine stands then.
double Theory::droughtsOfAtLeast(std::uint64_t games, std::uint64_t length) const {
    if (length > games) return 0.0;
    const double between = std::max(0.0, hitsPerMachine(games).mean - 1.0);
    return between * survival(length + 1) + survivalFromNormal(length + 1) +
           noHitFromLongRun(length);
}

double Theory::longestDroughtAtLeast(std::uint64_t games, std::uint64_t length) const {
    if (length == 0) return 1.0;
    return -std::expm1(-droughtsOfAtLeast(games, length));
}

// The expected number of stretches only falls with their length.
std::uint64_t Theory::fewerDroughtsThan(std::uint64_t games, double expected) const {
    std::uint64_t low = 0, high = games + 1;
    while (high - low > 1) {
        const std::uint64_t mid = low + (high - low) / 2;
        (droughtsOfAtLeast(games, mid) > expected ? low : high) = mid;
    }
    return high;
}

std::uint64_t Theory::longestDroughtReachedAtMost(std::uint64_t games, double chance) const {
    return fewerDroughtsThan(games, -std::log1p(-chance));
}

// E[X] = sum P(X >= L) and E[X^2] = sum (2L - 1) P(X >= L) over L >= 1, where the chance is
// neither 1 nor 0 taken term by term.
Distribution Theory::longestDrought(std::uint64_t games) const {
    const std::uint64_t sure = fewerDroughtsThan(games, kCertainStretches);
    const std::uint64_t never = longestDroughtReachedAtMost(games, kNegligibleChance);
    long double mean = static_cast<long double>(sure > 0 ? sure - 1 : 0);
    long double square = mean * mean;
    for (std::uint64_t length = std::max<std::uint64_t>(sure, 1); length < never; ++length) {
        const long double p = longestDroughtAtLeast(games, length);
        mean += p;
        square += (2.0L * static_cast<long double>(length) - 1.0L) * p;
    }
    return {static_cast<double>(mean),
            static_cast<double>(std::sqrt(std::max(0.0L, square - mean * mean)))};
}

}  // namespace rl00
