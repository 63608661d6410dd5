#pragma once
// The exact theory of the machine: the chances of a game in each mode (game_chances.h) and the
// mode process as a Markov chain over the states a game can be played in, with its long-run
// shares, chains of hits, droughts between hits and the reliability of each presentation.
// Per-mode chances are exact fractions; everything built on the chain is long double inside and
// double outside. Computed once, in about a millisecond; no I/O.

#include <array>
#include <cstdint>
#include <vector>

#include "engine/game_start.h"
#include "stats/game_chances.h"

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
    std::array<long double, kPlayStates> hit_chance_{};
    std::array<MissPath, kPlayStates> miss_paths_;
    std::vector<double> chain_pmf_;  // [k], k >= 1
};

Theory computeTheory();

}  // namespace rl00
