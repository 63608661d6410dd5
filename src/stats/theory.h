#pragma once
// The exact theory of the machine: the chances of a game in each mode (game_chances.h) and the
// mode process as a Markov chain over the states a game can be played in, with its long-run
// shares, chains of hits, droughts between hits and the reliability of each presentation, and
// how far each figure of a run spreads: the games are not independent trials, since the mode
// carries over. Per-mode chances are exact fractions; everything built on the chain is long
// double inside and double outside. Computed once, in a few milliseconds; no I/O.

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "engine/game_start.h"
#include "stats/game_chances.h"
#include "stats/markov_chain.h"

namespace rl00 {

// The states a game can be played in. Jitan needs one state per game of the period, since how a
// normal hit ends it and when the period runs out depend on the game's number (G_lRevCnt).
inline constexpr int kStateNormal = 0;
inline constexpr int kStateKakuhen = 1;
inline constexpr int kPlayStates = 2 + kJitanGames;

// The state of game 1..kJitanGames of the time-shortening period.
constexpr int jitanState(int game) {
    return 1 + game;
}

// G_iSyriMode of a state.
Int16 modeOf(int state);

// What the mode rules of GAME_START see of a game.
enum class GameResult { kMiss, kNormalHit, kKakuhenHit };

// The state of the next game after a game with `result` played in `state`.
int nextState(int state, GameResult result);

// Whether a hit in `state` sets G_iRenchan to 1 (a new chain) instead of adding one.
bool startsChain(int state, GameResult result);

// A figure counted per game as a share: of the games that bring event B, those that bring event A
// too (A only with B; B every game for a rate per game). Per mode, each event's chance together
// with each result of the game, by GameResultIndex.
struct GameEvents {
    using PerMode = std::array<std::array<long double, kGameResults>, kModes>;
    PerMode part{};
    PerMode whole{};
};

// A figure counted per game over a run whose machines play some games each from power-on: the
// long run's share and its design effect (markov_chain.h), and what starting in normal mode adds to
// the share such a run is expected to show.
struct GameFigure {
    double share = 0.0;
    double design_effect = 1.0;
    double start_offset = 0.0;
};

// How a whole number spreads: over the machines of a run, say.
struct Distribution {
    double mean = 0.0;
    double sd = 0.0;
};

struct Theory {
    std::array<ModeChances, kModes> modes;

    // Long-run share of the games played in each state and in each mode.
    std::array<double, kPlayStates> state_share{};
    std::array<double, kModes> mode_share{};

    double hits_per_game = 0;
    double kakuhen_hits_per_game = 0;
    double chain_starts_per_game = 0;
    // Where hits leave the machine: the share of hits after which the next game is in a state.
    std::array<double, kPlayStates> after_hit_share{};

    // Games from one hit to the next, the hit included (G_lRevCnt at the hit), in the long run.
    double mean_gap = 0;
    // G_iRenchan at the end of a chain, over chains.
    double mean_chain_length = 0;

    // Long-run chance per game that kind 1..10 is played, and the share of its games that hit.
    std::array<double, kReachKinds + 1> reach_per_game{};
    std::array<double, kReachKinds + 1> reach_reliability{};
    // The share of hits among the games showing preview "1" alone and preview "2".
    double preview1_reliability = 0;
    double preview2_reliability = 0;

    double hitsPer1000() const { return 1000.0 * hits_per_game; }

    // P(gap >= n) for n >= 1 in the long run: the mixture over the states hits leave behind.
    double survival(std::uint64_t n) const;
    // P(gap >= n) counted from a game played in `state`: no hit in its first n - 1 games.
    double survivalFrom(int state, std::uint64_t n) const;
    double survivalFromNormal(std::uint64_t n) const { return survivalFrom(kStateNormal, n); }
    // Mean games up to and including the next hit, from a game played in `state`.
    double meanGapFrom(int state) const;

    // A share counted per game, in the long run, and its variance relative to independent trials
    // (the design effect) as the mode process makes it.
    ShareVariance gameShare(const GameEvents& e) const;
    // What a machine's first `games` games from power-on hold of each state beyond the long
    // run's share of them: the sum over those games of P(state) - pi(state).
    Vector powerOnExcess(std::uint64_t games) const;
    // The figure over a run of machines of `games` games each, `excess` their powerOnExcess.
    GameFigure gameFigure(const GameEvents& e, const Vector& excess, std::uint64_t games) const;
    // The share of the gaps between hits that last at least n games, and its design effect: the
    // state a gap starts in hangs on the hit that ended the gap before it.
    ShareVariance gapShare(std::uint64_t n) const;
    // The chance that the time-shortening period brings a hit within its games.
    double jitanHitChance() const { return 1.0 - survivalFrom(jitanState(1), kJitanGames + 1); }
    // The hits of one machine over `games` games from power-on: the mean exactly (but for a term
    // that fades within some thousand games), the spread as the long run has it.
    Distribution hitsPerMachine(std::uint64_t games) const;
    // P(the longest stretch without a hit is at least `length` games) for one machine over
    // `games` games from power-on, the stretches before the first and after the last hit
    // included. Such stretches are rare and all but independent: their number is all but Poisson.
    double longestDroughtAtLeast(std::uint64_t games, std::uint64_t length) const;
    Distribution longestDrought(std::uint64_t games) const;
    // The least length whose chance of being reached or passed is at most `chance`.
    std::uint64_t longestDroughtReachedAtMost(std::uint64_t games, double chance) const;

    // P(a chain ends with G_iRenchan = k), k >= 1; 0 beyond the last length kept.
    double chainLengthPmf(std::uint64_t k) const;
    // Lengths 1..maxChainLength() carry all but a negligible (below 1e-30) part of the chains.
    std::uint64_t maxChainLength() const { return chain_pmf_.empty() ? 0 : chain_pmf_.size() - 1; }

  private:
    friend Theory computeTheory();
    // Misses lead every state along one path into a state that keeps itself (normal, kakuhen):
    // log P(no hit in the first j games) along that path until it gets there, then the log of
    // that state's miss chance per further game.
    struct MissPath {
        std::vector<long double> log_none;
        long double log_miss_after = 0.0L;
    };
    static MissPath missPath(int state, const std::array<long double, kPlayStates>& hit_chance);
    // Where hits lead from state to state, and how hits per game spread; `after_hit` weighs the
    // states hits leave the machine in.
    void followHits(const std::array<long double, kPlayStates>& after_hit);
    // P(no hit in the next `games` games) from a game played in the long run's mix of states.
    double noHitFromLongRun(std::uint64_t games) const;
    // The expected number of stretches of at least `length` games without a hit, and the least
    // length of which fewer than `expected` are expected.
    double droughtsOfAtLeast(std::uint64_t games, std::uint64_t length) const;
    std::uint64_t fewerDroughtsThan(std::uint64_t games, double expected) const;
    void followLongRunMisses();
    // The state a game is played in after n - 1 misses from `state`.
    static int afterMisses(int state, std::uint64_t n);
    std::array<long double, kPlayStates> hit_chance_{};
    std::array<MissPath, kPlayStates> miss_paths_;
    std::vector<double> chain_pmf_;  // [k], k >= 1
    // The mode process over the states games are played in.
    MarkovChain chain_;
    // The states hits leave the machine in, and the chain of those states from hit to hit: from
    // any state, where the next hit leaves the machine.
    std::vector<int> after_hit_states_;
    MarkovChain hit_chain_;
    std::array<std::vector<long double>, kPlayStates> next_after_hit_;
    // Hits per game: the long run's variance per game, and what a machine starting in normal
    // mode collects beyond the long run's mean.
    long double hit_variance_ = 0.0L;
    long double hit_offset_from_normal_ = 0.0L;
    // noHitFromLongRun() for the first games one by one; beyond them, where every state's misses
    // have led it into a state that keeps itself, a sum of c * exp(games * log miss chance).
    std::vector<long double> long_run_none_;
    std::vector<std::pair<long double, long double>> long_run_tail_;
};

Theory computeTheory();

}  // namespace rl00
