#pragma once
// A finite Markov chain and what a long run of it does to figures counted once per step: the
// stationary distribution, the solution of the Poisson equation, and the asymptotic variance of a
// figure's sum with the correlations between steps included. The machine's games are not
// independent trials (the mode carries over), so this is what a figure counted per game spreads
// by. Long double, dense solves: the chains here have at most a few hundred states.

#include <cstddef>
#include <vector>

namespace rl00 {

using Vector = std::vector<long double>;

// A step from one state to the next, and what it carries: its chance, or a figure's mean on it.
struct Transition {
    std::size_t from = 0;
    std::size_t to = 0;
    long double value = 0.0L;
};

// The share A/B of two figures counted per step, each 0 or 1 at a step and A only where B is 1:
// its long-run value, and the variance of its estimate from n steps relative to that of as many
// independent trials as B counts (1 for independent trials; 0 < share < 1, else 1).
struct ShareVariance {
    long double share = 0.0L;
    long double design_effect = 1.0L;
};

class MarkovChain {
  public:
    MarkovChain() = default;
    // `transitions` give P(next = to | now = from); a state's chances add up to 1, and every
    // state leads to one recurrent class. Transitions between the same states add up.
    MarkovChain(std::size_t states, std::vector<Transition> transitions);

    std::size_t size() const { return size_; }
    const Vector& stationary() const { return pi_; }
    const std::vector<Transition>& transitions() const { return transitions_; }

    // The long-run mean of g, pi . g.
    long double mean(const Vector& g) const;
    // h with (I - P) h = g - pi.g and pi.h = 0: what a walk from each state collects of g over
    // all its steps to come, beyond the long-run mean.
    Vector poisson(const Vector& g) const;
    // What a walk from `start` spends in each state beyond the long run's share, over all its
    // steps: the sum over t >= 0 of P(X_t = s | X_0 = start) - pi(s).
    Vector excessFrom(std::size_t start) const;
    // The limit of Var(f_1 + ... + f_n) / n for a figure f counted at each step: `joint` holds
    // E[f ; next = to | now = from] for the transitions where f may be nonzero, `square`
    // E[f^2 | now = s].
    long double asymptoticVariance(const std::vector<Transition>& joint,
                                   const Vector& square) const;
    // The share A/B, with `part` and `whole` as `joint` above for A and B.
    ShareVariance share(const std::vector<Transition>& part,
                        const std::vector<Transition>& whole) const;

  private:
    Vector perState(const std::vector<Transition>& joint) const;

    std::size_t size_ = 0;
    std::vector<Transition> transitions_;
    Vector pi_;
    // I - P + 1 pi as L and U in one matrix (row-major), with the row order of its pivots.
    Vector lu_;
    std::vector<std::size_t> order_;
};

}  // namespace rl00
