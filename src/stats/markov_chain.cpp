#include "stats/markov_chain.h"

#include <cmath>
#include <utility>

namespace rl00 {

namespace {

// pi (P - I) = 0 and sum pi = 1, as the transposed system with its last equation replaced by the
// sum, solved by elimination with partial pivoting.
Vector stationaryOf(std::size_t n, const std::vector<Transition>& transitions) {
    std::vector<long double> a(n * (n + 1), 0.0L);  // row t: inflow to t - pi_t, then the rhs
    auto cell = [&](std::size_t row, std::size_t col) -> long double& {
        return a[row * (n + 1) + col];
    };
    // Column s holds only state s's own steps, so adding them before the diagonal's -1 keeps
    // every sum in the order a state's steps are listed.
    for (const Transition& t : transitions)
        cell(t.to, t.from) += t.value;
    for (std::size_t s = 0; s < n; ++s)
        cell(s, s) -= 1.0L;
    for (std::size_t col = 0; col <= n; ++col)
        cell(n - 1, col) = 1.0L;

    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t row = col + 1; row < n; ++row) {
            if (std::fabs(cell(row, col)) > std::fabs(cell(pivot, col))) pivot = row;
        }
        for (std::size_t k = 0; k <= n; ++k)
            std::swap(cell(col, k), cell(pivot, k));
        for (std::size_t row = 0; row < n; ++row) {
            if (row == col || cell(row, col) == 0.0L) continue;
            const long double f = cell(row, col) / cell(col, col);
            for (std::size_t k = col; k <= n; ++k)
                cell(row, k) -= f * cell(col, k);
        }
    }
    Vector pi(n);
    for (std::size_t s = 0; s < n; ++s)
        pi[s] = cell(s, n) / cell(s, s);
    return pi;
}

}  // namespace

MarkovChain::MarkovChain(std::size_t states, std::vector<Transition> transitions)
    : size_(states), transitions_(std::move(transitions)) {
    pi_ = stationaryOf(size_, transitions_);

    // I - P + 1 pi is invertible for a chain with one recurrent class; its inverse is the
    // fundamental matrix, which turns g - pi.g into the h of the Poisson equation.
    const std::size_t n = size_;
    lu_.assign(n * n, 0.0L);
    for (std::size_t r = 0; r < n; ++r) {
        for (std::size_t c = 0; c < n; ++c)
            lu_[r * n + c] = (r == c ? 1.0L : 0.0L) + pi_[c];
    }
    for (const Transition& t : transitions_)
        lu_[t.from * n + t.to] -= t.value;
    order_.resize(n);
    for (std::size_t r = 0; r < n; ++r)
        order_[r] = r;
    for (std::size_t col = 0; col < n; ++col) {
        std::size_t pivot = col;
        for (std::size_t row = col + 1; row < n; ++row) {
            if (std::fabs(lu_[row * n + col]) > std::fabs(lu_[pivot * n + col])) pivot = row;
        }
        if (pivot != col) {
            for (std::size_t k = 0; k < n; ++k)
                std::swap(lu_[col * n + k], lu_[pivot * n + k]);
            std::swap(order_[col], order_[pivot]);
        }
        for (std::size_t row = col + 1; row < n; ++row) {
            long double& f = lu_[row * n + col];
            if (f == 0.0L) continue;
            f /= lu_[col * n + col];
            for (std::size_t k = col + 1; k < n; ++k)
                lu_[row * n + k] -= f * lu_[col * n + k];
        }
    }
}

long double MarkovChain::mean(const Vector& g) const {
    long double m = 0.0L;
    for (std::size_t s = 0; s < size_; ++s)
        m += pi_[s] * g[s];
    return m;
}

Vector MarkovChain::poisson(const Vector& g) const {
    const std::size_t n = size_;
    const long double mu = mean(g);
    Vector x(n);
    for (std::size_t r = 0; r < n; ++r) {
        long double v = g[order_[r]] - mu;
        for (std::size_t k = 0; k < r; ++k)
            v -= lu_[r * n + k] * x[k];
        x[r] = v;
    }
    for (std::size_t r = n; r-- > 0;) {
        long double v = x[r];
        for (std::size_t k = r + 1; k < n; ++k)
            v -= lu_[r * n + k] * x[k];
        x[r] = v / lu_[r * n + r];
    }
    return x;
}

// The row of the fundamental matrix, e_start (I - P + 1 pi)^-1, less pi: the transposed system
// through the same factors (rows swapped as A = P^-1 L U says, so A^T = U^T L^T P).
Vector MarkovChain::excessFrom(std::size_t start) const {
    const std::size_t n = size_;
    Vector y(n, 0.0L);
    for (std::size_t r = 0; r < n; ++r) {  // U^T y = e_start
        long double v = r == start ? 1.0L : 0.0L;
        for (std::size_t k = 0; k < r; ++k)
            v -= lu_[k * n + r] * y[k];
        y[r] = v / lu_[r * n + r];
    }
    for (std::size_t r = n; r-- > 0;) {  // L^T z = y, L with a unit diagonal
        long double v = y[r];
        for (std::size_t k = r + 1; k < n; ++k)
            v -= lu_[k * n + r] * y[k];
        y[r] = v;
    }
    Vector x(n);
    for (std::size_t r = 0; r < n; ++r)
        x[order_[r]] = y[r] - pi_[order_[r]];
    return x;
}

Vector MarkovChain::perState(const std::vector<Transition>& joint) const {
    Vector g(size_, 0.0L);
    for (const Transition& t : joint)
        g[t.from] += t.value;
    return g;
}

// Var(f_0) + 2 sum_k Cov(f_0, f_k) in the stationary chain: E[f_k | X_1] - mu summed over k >= 1
// is h(X_1), so the covariances add up to E[(f_0 - mu) h(X_1)], which is E[f_0 h(X_1)] since X_1
// is distributed as pi and pi.h = 0.
long double MarkovChain::asymptoticVariance(const std::vector<Transition>& joint,
                                            const Vector& square) const {
    const Vector g = perState(joint);
    const long double mu = mean(g);
    const Vector h = poisson(g);
    long double ahead = 0.0L;
    for (const Transition& t : joint)
        ahead += pi_[t.from] * t.value * h[t.to];
    return mean(square) - mu * mu + 2.0L * ahead;
}

ShareVariance MarkovChain::share(const std::vector<Transition>& part,
                                 const std::vector<Transition>& whole) const {
    const Vector a = perState(part);
    const Vector b = perState(whole);
    const long double per_step = mean(b);
    ShareVariance out;
    if (per_step <= 0.0L) return out;
    out.share = mean(a) / per_step;
    const long double r = out.share;
    if (!(r > 0.0L && r < 1.0L)) return out;
    // A - r B has mean 0; where both are 0 or 1 with A within B, (A - r B)^2 = A (1 - 2r) + r^2 B.
    std::vector<Transition> f = part;
    for (const Transition& t : whole)
        f.push_back({t.from, t.to, -r * t.value});
    Vector square(size_);
    for (std::size_t s = 0; s < size_; ++s)
        square[s] = a[s] * (1.0L - 2.0L * r) + r * r * b[s];
    const long double variance = asymptoticVariance(f, square);
    // Independent trials, as many as B counts: r (1 - r) per trial, per_step trials per step.
    out.design_effect = variance / (per_step * r * (1.0L - r));
    return out;
}

}  // namespace rl00
