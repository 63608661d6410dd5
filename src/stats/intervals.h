#pragma once
// Intervals of a proportion. The exact (Clopper-Pearson) interval keeps its level however few
// events are counted, where a normal or score interval at the level of a mark (99.99 %) does not:
// one event where a tenth was expected lies outside the 99.99 % Wilson interval. For games that
// are not independent trials, it is taken over the effective counts (the counts divided by the
// design effect, the variance relative to independent trials), after Korn and Graubard.

namespace rl00 {

struct Interval {
    double low = 0.0;
    double high = 0.0;
    bool holds(double x) const { return x >= low && x <= high; }
};

// The chance left outside each end of an interval: two-sided 95 % and 99.99 %.
inline constexpr double kTail95 = 0.025;
inline constexpr double kTail9999 = 0.00005;

// I_x(a, b), the regularized incomplete beta function, for a, b > 0.
double incompleteBeta(double a, double b, double x);
// The x with I_x(a, b) = p, 0 <= p <= 1.
double betaQuantile(double p, double a, double b);
// P(a, x), the regularized lower incomplete gamma function, for a > 0.
double incompleteGamma(double a, double x);
// The x with P(chi-square of k degrees of freedom <= x) = p.
double chiSquareQuantile(double p, double k);
// The z with P(Z <= z) = p for a standard normal Z, 0 < p < 1.
double normalQuantile(double p);
// P(Z <= z).
double normalCdf(double z);

// The exact interval of `hits` among `trials` (either may be fractional, as effective counts
// are), leaving `tail` outside each end: 0 for no hits, 1 for all.
Interval exactInterval(double hits, double trials, double tail);

}  // namespace rl00
