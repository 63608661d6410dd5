// The Markov chain's long-run figures against closed forms and against the exact moments of long
// finite walks, and the exact intervals against closed forms, high-precision reference values
// and their promised coverage.

#include "stats/markov_chain.h"

#include <gtest/gtest.h>

#include <cmath>

#include "stats/intervals.h"

namespace rl00 {
namespace {

// A three-state chain with a figure that depends on the step taken, not only on the state.
MarkovChain threeStates() {
    return MarkovChain(3, {{0, 0, 0.5L},
                           {0, 1, 0.3L},
                           {0, 2, 0.2L},
                           {1, 0, 0.1L},
                           {1, 1, 0.8L},
                           {1, 2, 0.1L},
                           {2, 0, 0.6L},
                           {2, 2, 0.4L}});
}

// The figure's value on each step: joint entries are its value times the step's chance.
constexpr long double kValue[3][3] = {{1.0L, 0.0L, 2.0L}, {0.0L, 1.0L, 0.0L}, {3.0L, 0.0L, 1.0L}};

// Var(S_n) / n of the figure over n steps from the stationary distribution, by carrying the
// first and second moments of the sum along with the chance of each state.
long double finiteVariance(const MarkovChain& c, int steps) {
    Vector p = c.stationary(), m1(3, 0.0L), m2(3, 0.0L);
    for (int i = 0; i < steps; ++i) {
        Vector p2(3, 0.0L), n1(3, 0.0L), n2(3, 0.0L);
        for (const Transition& t : c.transitions()) {
            const long double f = kValue[t.from][t.to];
            p2[t.to] += t.value * p[t.from];
            n1[t.to] += t.value * (m1[t.from] + f * p[t.from]);
            n2[t.to] += t.value * (m2[t.from] + 2 * f * m1[t.from] + f * f * p[t.from]);
        }
        p = p2, m1 = n1, m2 = n2;
    }
    long double mean = 0.0L, square = 0.0L;
    for (std::size_t s = 0; s < 3; ++s)
        mean += m1[s], square += m2[s];
    return (square - mean * mean) / steps;
}

TEST(MarkovChain, LongRunFiguresAgreeWithClosedFormsAndFiniteWalks) {
    // Two states, a figure of the state alone: sigma^2 = pi0 pi1 (1 + l) / (1 - l), l = 1 - a - b.
    const long double a = 0.1L, b = 0.3L;
    const MarkovChain two(2, {{0, 0, 1 - a}, {0, 1, a}, {1, 0, b}, {1, 1, 1 - b}});
    EXPECT_NEAR(static_cast<double>(two.stationary()[1]), 0.25, 1e-15);
    const long double in_one =
        two.asymptoticVariance({{1, 0, b}, {1, 1, 1 - b}}, Vector{0.0L, 1.0L});
    EXPECT_NEAR(static_cast<double>(in_one), 0.1875 * 1.6 / 0.4, 1e-14);

    const MarkovChain c = threeStates();
    std::vector<Transition> joint;
    Vector square(3, 0.0L), g(3, 0.0L);
    for (const Transition& t : c.transitions()) {
        const long double f = kValue[t.from][t.to];
        joint.push_back({t.from, t.to, t.value * f});
        square[t.from] += t.value * f * f;
        g[t.from] += t.value * f;
    }
    // A walk's variance per step approaches the long run's as 1 / n.
    const long double sigma2 = c.asymptoticVariance(joint, square);
    EXPECT_NEAR(static_cast<double>(finiteVariance(c, 40000)), static_cast<double>(sigma2),
                2e-4 * static_cast<double>(sigma2));

    // h solves (I - P) h = g - pi.g with pi.h = 0.
    const Vector h = c.poisson(g);
    const long double mu = c.mean(g);
    Vector ph(3, 0.0L);
    for (const Transition& t : c.transitions())
        ph[t.from] += t.value * h[t.to];
    for (std::size_t s = 0; s < 3; ++s)
        EXPECT_NEAR(static_cast<double>(h[s] - ph[s]), static_cast<double>(g[s] - mu), 1e-15);
    EXPECT_NEAR(static_cast<double>(c.mean(h)), 0.0, 1e-15);

    // What a walk from state 2 spends beyond the long run, summed step by step.
    Vector now{0.0L, 0.0L, 1.0L}, excess(3, 0.0L);
    for (int step = 0; step < 2000; ++step) {
        Vector next(3, 0.0L);
        for (std::size_t s = 0; s < 3; ++s)
            excess[s] += now[s] - c.stationary()[s];
        for (const Transition& t : c.transitions())
            next[t.to] += t.value * now[t.from];
        now = next;
    }
    const Vector closed = c.excessFrom(2);
    for (std::size_t s = 0; s < 3; ++s)
        EXPECT_NEAR(static_cast<double>(closed[s]), static_cast<double>(excess[s]), 1e-14) << s;
}

TEST(MarkovChain, ShareOfIndependentTrialsHasNoDesignEffectAndACarriedOverOneHas) {
    // Every state leads to the same next states: the steps are independent trials.
    std::vector<Transition> same;
    for (std::size_t from = 0; from < 3; ++from) {
        same.push_back({from, 0, 0.2L});
        same.push_back({from, 1, 0.5L});
        same.push_back({from, 2, 0.3L});
    }
    const MarkovChain independent(3, same);
    // Of the steps into 0 or 1, those into 0.
    std::vector<Transition> part, whole;
    for (std::size_t from = 0; from < 3; ++from) {
        part.push_back({from, 0, 0.2L});
        whole.push_back({from, 0, 0.2L});
        whole.push_back({from, 1, 0.5L});
    }
    const ShareVariance v = independent.share(part, whole);
    EXPECT_NEAR(static_cast<double>(v.share), 0.2 / 0.7, 1e-15);
    EXPECT_NEAR(static_cast<double>(v.design_effect), 1.0, 1e-12);

    // A sticky two-state chain: the share of steps spent in state 1 varies far more.
    const long double a = 0.01L, b = 0.03L;
    const MarkovChain sticky(2, {{0, 0, 1 - a}, {0, 1, a}, {1, 0, b}, {1, 1, 1 - b}});
    const ShareVariance stays = sticky.share({{1, 0, b}, {1, 1, 1 - b}},
                                             {{0, 0, 1 - a}, {0, 1, a}, {1, 0, b}, {1, 1, 1 - b}});
    EXPECT_NEAR(static_cast<double>(stays.share), 0.25, 1e-15);
    EXPECT_NEAR(static_cast<double>(stays.design_effect), 1.96 / 0.04, 1e-9);
    // Shares of 0 or 1 have nothing to spread: independent trials' interval, exact at its end.
    EXPECT_EQ(sticky.share({}, {{0, 0, 1 - a}}).design_effect, 1.0L);
}

TEST(ExactInterval, ClosedFormsReferenceValuesAndSymmetry) {
    for (const double n : {1.0, 10.0, 279.0, 1e5}) {
        EXPECT_EQ(exactInterval(0, n, kTail9999).low, 0.0);
        EXPECT_NEAR(exactInterval(0, n, kTail95).high, 1 - std::pow(kTail95, 1 / n), 1e-12);
        EXPECT_EQ(exactInterval(n, n, kTail9999).high, 1.0);
        EXPECT_NEAR(exactInterval(n, n, kTail95).low, std::pow(kTail95, 1 / n), 1e-12);
        // One event: P(at least one) = tail at the lower end.
        EXPECT_NEAR(exactInterval(1, n, kTail9999).low / -std::expm1(std::log1p(-kTail9999) / n),
                    1.0, 1e-9);
        const Interval i = exactInterval(3, n + 3, kTail95), j = exactInterval(n, n + 3, kTail95);
        EXPECT_NEAR(i.low, 1 - j.high, 1e-12);
        EXPECT_NEAR(i.high, 1 - j.low, 1e-12);
    }
    // Binomial sums and the incomplete beta function in 40 digits (mpmath).
    const Interval hits = exactInterval(477, 100000, kTail9999);
    EXPECT_NEAR(hits.low, 0.00396855623234, 1e-14);
    EXPECT_NEAR(hits.high, 0.00567553285583, 1e-14);
    const Interval effective = exactInterval(0.5, 7.2, kTail9999);
    EXPECT_NEAR(effective.low, 2.63408494305e-10, 1e-20);
    EXPECT_NEAR(effective.high, 0.804489089854, 1e-11);
    EXPECT_NEAR(exactInterval(5, 1e8, kTail9999).low, 3.83023367291e-09, 1e-19);
    EXPECT_EQ(exactInterval(0, 0, kTail95).low, 0.0);
    EXPECT_EQ(exactInterval(0, 0, kTail95).high, 1.0);

    EXPECT_NEAR(incompleteBeta(1, 7.5, 0.2), 1 - std::pow(0.8, 7.5), 1e-15);
    EXPECT_NEAR(incompleteBeta(3.5, 1, 0.7), std::pow(0.7, 3.5), 1e-15);
    EXPECT_NEAR(incompleteBeta(250, 250, 0.5), 0.5, 1e-14);
    EXPECT_NEAR(normalQuantile(0.975), 1.959963984540054, 1e-14);
    EXPECT_NEAR(normalQuantile(kTail9999), -3.890591886413094, 1e-13);
    EXPECT_NEAR(normalCdf(normalQuantile(1e-9)), 1e-9, 1e-22);
}

// The chance that the interval of a binomial count holds the true share, over every count.
double coverage(int n, double p, double tail) {
    double covered = 0.0;
    for (int x = 0; x <= n; ++x) {
        const double pmf =
            std::exp(std::lgamma(n + 1.0) - std::lgamma(x + 1.0) - std::lgamma(n - x + 1.0) +
                     x * std::log(p) + (n - x) * std::log1p(-p));
        if (exactInterval(x, n, tail).holds(p)) covered += pmf;
    }
    return covered;
}

TEST(ExactInterval, HoldsTheTrueShareAtLeastAsOftenAsItsLevelPromises) {
    for (const int n : {5, 40, 300}) {
        for (const double p : {0.001, 0.02, 0.3, 0.5, 0.97}) {
            EXPECT_GE(coverage(n, p, kTail95), 0.95) << n << " " << p;
            EXPECT_GE(coverage(n, p, kTail9999), 0.9999) << n << " " << p;
        }
    }
}

}  // namespace
}  // namespace rl00
