// The machines of a run beside the theory's law for one machine: how their hits spread and how
// long their longest droughts were.

#include <algorithm>
#include <cmath>

#include "stats/stats_file.h"
#include "stats/stats_report.h"
#include "stats/theory.h"

namespace rl00 {

namespace {

// One machine in a hundred lies beyond each end of its usual range.
constexpr double kUsualTail = 0.005;
// Hits are all but normal over a machine's games once it plays some hundred chains.
constexpr double kNormalChains = 100.0;

// The sample variance of normal hits over the theory's, times M - 1, follows the chi-square law
// of M - 1 degrees of freedom.
MachineComparison hits(const MachineLines& machines, std::uint64_t games, const Theory* t) {
    MachineComparison c;
    c.figure = "hits per machine";
    c.caption = "1台の大当たり数";
    c.observed = spreadOf(machines.hitsPerMachine());
    if (!t) return c;
    const Distribution law = t->hitsPerMachine(games);
    c.with_theory = true;
    c.theory_mean = law.mean;
    c.theory_sd = law.sd;
    const double z = -normalQuantile(kUsualTail);
    c.usual_low = std::max(0.0, law.mean - z * law.sd);
    c.usual_high = law.mean + z * law.sd;
    const double chains = static_cast<double>(games) * t->chain_starts_per_game;
    const std::size_t m = machines.size();
    if (m < 2 || chains < kNormalChains || law.sd <= 0.0) return c;
    const double k = static_cast<double>(m - 1);
    const double statistic = k * c.observed.sd * c.observed.sd / (law.sd * law.sd);
    c.outside = statistic < chiSquareQuantile(kTail9999, k) ||
                statistic > chiSquareQuantile(1.0 - kTail9999, k);
    return c;
}

// P(the most of M machines reaches the observed) = 1 - (1 - P(one reaches it))^M. The law's
// upper end is where rare stretches are all but independent, so only that end is judged.
MachineComparison droughts(const MachineLines& machines, std::uint64_t games, const Theory* t) {
    MachineComparison c;
    c.figure = "longest drought per machine";
    c.caption = "1台の最長ハマり";
    c.observed = spreadOf(machines.droughtPerMachine());
    if (!t) return c;
    const Distribution law = t->longestDrought(games);
    c.with_theory = true;
    c.theory_mean = law.mean;
    c.theory_sd = law.sd;
    c.usual_low = static_cast<double>(t->longestDroughtReachedAtMost(games, 1.0 - kUsualTail));
    c.usual_high = static_cast<double>(t->longestDroughtReachedAtMost(games, kUsualTail));
    if (machines.size() == 0) return c;
    const double one = t->longestDroughtAtLeast(games, c.observed.max);
    const double any = -std::expm1(static_cast<double>(machines.size()) * std::log1p(-one));
    c.outside = any < kTail9999;
    return c;
}

}  // namespace

std::vector<MachineComparison> compareMachines(const MachineLines& machines,
                                               std::uint64_t games_per_machine,
                                               const Theory* theory) {
    const bool whole = machines.size() == 0 || machines.fewestGames() == games_per_machine;
    const Theory* t = whole && games_per_machine > 0 ? theory : nullptr;
    return {hits(machines, games_per_machine, t), droughts(machines, games_per_machine, t)};
}

}  // namespace rl00
