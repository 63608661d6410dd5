#include "stats/intervals.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace rl00 {

namespace {

using Real = long double;

constexpr Real kTiny = 1e-4000L;
constexpr Real kPrecision = 1e-17L;
// The continued fraction takes about the square root of the larger parameter in steps: a few
// ten thousand for runs of billions of games.
constexpr int kMostFractionSteps = 1000000;
constexpr int kMostQuantileSteps = 300;

// The continued fraction of I_x(a, b) (modified Lentz), good where x < (a + 1) / (a + b + 2).
Real betaFraction(Real a, Real b, Real x) {
    const Real qab = a + b, qap = a + 1.0L, qam = a - 1.0L;
    Real c = 1.0L;
    Real d = 1.0L - qab * x / qap;
    if (std::fabs(d) < kTiny) d = kTiny;
    d = 1.0L / d;
    Real h = d;
    for (int m = 1; m <= kMostFractionSteps; ++m) {
        const Real m2 = 2.0L * m;
        Real aa = m * (b - m) * x / ((qam + m2) * (a + m2));
        d = 1.0L + aa * d;
        if (std::fabs(d) < kTiny) d = kTiny;
        c = 1.0L + aa / c;
        if (std::fabs(c) < kTiny) c = kTiny;
        d = 1.0L / d;
        h *= d * c;
        aa = -(a + m) * (qab + m) * x / ((a + m2) * (qap + m2));
        d = 1.0L + aa * d;
        if (std::fabs(d) < kTiny) d = kTiny;
        c = 1.0L + aa / c;
        if (std::fabs(c) < kTiny) c = kTiny;
        d = 1.0L / d;
        const Real del = d * c;
        h *= del;
        if (std::fabs(del - 1.0L) < kPrecision) break;
    }
    return h;
}

Real logBeta(Real a, Real b) {
    return std::lgamma(a) + std::lgamma(b) - std::lgamma(a + b);
}

Real incomplete(Real a, Real b, Real x) {
    if (x <= 0.0L) return 0.0L;
    if (x >= 1.0L) return 1.0L;
    const Real front = std::exp(a * std::log(x) + b * std::log1p(-x) - logBeta(a, b));
    if (x < (a + 1.0L) / (a + b + 2.0L)) return front * betaFraction(a, b, x) / a;
    return 1.0L - front * betaFraction(b, a, 1.0L - x) / b;
}

Real density(Real a, Real b, Real x) {
    return std::exp((a - 1.0L) * std::log(x) + (b - 1.0L) * std::log1p(-x) - logBeta(a, b));
}

// P(a, x) by its series below a + 1 and by the continued fraction of Q(a, x) above.
Real incompleteGammaOf(Real a, Real x) {
    if (x <= 0.0L) return 0.0L;
    const Real front = std::exp(a * std::log(x) - x - std::lgamma(a));
    if (x < a + 1.0L) {
        Real term = 1.0L / a, sum = term;
        for (int n = 1; n < kMostFractionSteps && std::fabs(term) > std::fabs(sum) * kPrecision;
             ++n) {
            term *= x / (a + n);
            sum += term;
        }
        return sum * front;
    }
    Real b = x + 1.0L - a, c = 1.0L / kTiny, d = 1.0L / b, h = d;
    for (int i = 1; i < kMostFractionSteps; ++i) {
        const Real an = -i * (i - a);
        b += 2.0L;
        d = an * d + b;
        if (std::fabs(d) < kTiny) d = kTiny;
        c = b + an / c;
        if (std::fabs(c) < kTiny) c = kTiny;
        d = 1.0L / d;
        const Real del = d * c;
        h *= del;
        if (std::fabs(del - 1.0L) < kPrecision) break;
    }
    return 1.0L - front * h;
}

// Newton's steps on a distribution function that only rises, from `x`, inside [low, high].
template <class Cdf, class Density>
Real solveRising(Real p, Real x, Real low, Real high, Cdf cdf, Density density) {
    for (int step = 0; step < kMostQuantileSteps; ++step) {
        const Real miss = cdf(x) - p;
        if (miss == 0.0L) break;
        (miss < 0.0L ? low : high) = x;
        const Real f = density(x);
        Real next = f > 0.0L ? x - miss / f : (low + high) / 2.0L;
        if (!(next > low && next < high)) next = low > 0.0L ? std::sqrt(low * high) : high / 16.0L;
        if (!(next > low && next < high)) next = (low + high) / 2.0L;
        if (std::fabs(next - x) <= 1e-15L * x) return next;
        x = next;
    }
    return x;
}

}  // namespace

double incompleteGamma(double a, double x) {
    return static_cast<double>(incompleteGammaOf(a, x));
}

double chiSquareQuantile(double p, double k) {
    if (p <= 0.0) return 0.0;
    if (p >= 1.0) return std::numeric_limits<double>::infinity();
    const Real a = k / 2.0L;
    // Wilson and Hilferty's cube of a normal, to start from.
    const Real h = 2.0L / (9.0L * k);
    const Real start =
        k * std::pow(std::max<Real>(1.0L - h + normalQuantile(p) * std::sqrt(h), 0.01L), 3);
    const Real x = solveRising(
        p, start / 2.0L, 0.0L, 10.0L * (a + 100.0L),
        [a](Real y) { return incompleteGammaOf(a, y); },
        [a](Real y) { return std::exp((a - 1.0L) * std::log(y) - y - std::lgamma(a)); });
    return static_cast<double>(2.0L * x);
}

double incompleteBeta(double a, double b, double x) {
    return static_cast<double>(incomplete(a, b, x));
}

// From the normal approximation of the beta law.
double betaQuantile(double p, double a, double b) {
    if (p <= 0.0) return 0.0;
    if (p >= 1.0) return 1.0;
    const Real A = a, B = b;
    const Real mean = A / (A + B);
    const Real sd = std::sqrt(A * B / ((A + B) * (A + B) * (A + B + 1.0L)));
    const Real start = std::clamp<Real>(mean + normalQuantile(p) * sd, 1e-300L, 1.0L - 1e-16L);
    return static_cast<double>(solveRising(
        p, start, 0.0L, 1.0L, [A, B](Real x) { return incomplete(A, B, x); },
        [A, B](Real x) { return density(A, B, x); }));
}

// Acklam's rational approximation, then one Halley step on the error function's complement.
double normalQuantile(double p) {
    static constexpr double a[] = {-3.969683028665376e+01, 2.209460984245205e+02,
                                   -2.759285104469687e+02, 1.383577518672690e+02,
                                   -3.066479806614716e+01, 2.506628277459239e+00};
    static constexpr double b[] = {-5.447609879822406e+01, 1.615858368580409e+02,
                                   -1.556989798598866e+02, 6.680131188771972e+01,
                                   -1.328068155288572e+01};
    static constexpr double c[] = {-7.784894002430293e-03, -3.223964580411365e-01,
                                   -2.400758277161838e+00, -2.549732539343734e+00,
                                   4.374664141464968e+00,  2.938163982698783e+00};
    static constexpr double d[] = {7.784695709041462e-03, 3.224671290700398e-01,
                                   2.445134137142996e+00, 3.754408661907416e+00};
    if (p <= 0.0) return -std::numeric_limits<double>::infinity();
    if (p >= 1.0) return std::numeric_limits<double>::infinity();
    constexpr double kLow = 0.02425;
    double x;
    if (p < kLow || p > 1.0 - kLow) {
        const double q = std::sqrt(-2.0 * std::log(p < kLow ? p : 1.0 - p));
        x = (((((c[0] * q + c[1]) * q + c[2]) * q + c[3]) * q + c[4]) * q + c[5]) /
            ((((d[0] * q + d[1]) * q + d[2]) * q + d[3]) * q + 1.0);
        if (p > kLow) x = -x;
    } else {
        const double q = p - 0.5, r = q * q;
        x = (((((a[0] * r + a[1]) * r + a[2]) * r + a[3]) * r + a[4]) * r + a[5]) * q /
            (((((b[0] * r + b[1]) * r + b[2]) * r + b[3]) * r + b[4]) * r + 1.0);
    }
    const double e = normalCdf(x) - p;
    const double u = e * std::sqrt(2.0 * std::numbers::pi) * std::exp(x * x / 2.0);
    return x - u / (1.0 + x * u / 2.0);
}

double normalCdf(double z) {
    return 0.5 * std::erfc(-z / std::sqrt(2.0));
}

Interval exactInterval(double hits, double trials, double tail) {
    if (trials <= 0.0) return {0.0, 1.0};
    hits = std::clamp(hits, 0.0, trials);
    Interval out{0.0, 1.0};
    if (hits > 0.0) out.low = betaQuantile(tail, hits, trials - hits + 1.0);
    if (hits < trials) out.high = betaQuantile(1.0 - tail, hits + 1.0, trials - hits);
    return out;
}

}  // namespace rl00
