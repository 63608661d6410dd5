// What one reach presentation costs on the headless display (real time), and the frames and
// virtual time it plays, by presentation and outcome.

#include <benchmark/benchmark.h>

#include "frontends/headless/headless_display.h"
#include "machine/machine.h"
#include "reaches/reaches.h"
#include "reels/reels.h"

namespace rl00 {
namespace {

using Presentation = void (*)(Machine&, Int16&, Int16&);

Int16 wrap(int s) {
    return static_cast<Int16>(((s - 1) % 14 + 14) % 14 + 1);
}

// The reels as a reach game hands them over: left and right on r, the centre two before stop.
void lay(Machine& m, Int16 r, Int16 stop, Int16 oshi_dir) {
    prepareReelPictures(m);
    prepareSprites(m);
    ReelArray16 n;
    n[1] = r;
    n[2] = wrap(stop - 2);
    n[3] = r;
    REEL_RUN(m, n, n);
    m.G_iNowZug = n;
    m.G_bPass.fill(kFalse);
    m.G_bMove.fill(kFalse);
    m.G_bMove[2] = kTrue;
    m.G_iOshiDir = oshi_dir;
}

// offset: S = R + offset; oshi_dir as the stop-symbol selection gives it for that outcome.
void playReach(benchmark::State& state, Presentation play, int offset, Int16 oshi_dir) {
    const Int16 r = 5;
    const Int16 stop = wrap(r + offset);
    std::uint64_t frames = 0;
    double virtual_ms = 0;
    for (auto _ : state) {
        HeadlessDisplay display;
        Machine m(display, 1);
        lay(m, r, stop, oshi_dir);
        Int16 s = stop;
        play(m, s, m.G_iNowZug[1]);
        benchmark::DoNotOptimize(m.G_iNowZug[2]);
        frames = display.frames();
        virtual_ms = display.elapsedMs();
    }
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["virtual_ms"] = virtual_ms;
}

BENCHMARK_CAPTURE(playReach, NM_hit, RICH_NM, 0, 1);
BENCHMARK_CAPTURE(playReach, NM_near_after, RICH_NM, 1, 1);
BENCHMARK_CAPTURE(playReach, NM_near_before, RICH_NM, -1, 0);
BENCHMARK_CAPTURE(playReach, NM_far_E5, RICH_NM, 5, 0);
BENCHMARK_CAPTURE(playReach, NMR_hit, RICH_NMR, 0, 1);
BENCHMARK_CAPTURE(playReach, RO_hit, RICH_RO, 0, 1);
BENCHMARK_CAPTURE(playReach, RO_near_after, RICH_RO, 1, 1);
BENCHMARK_CAPTURE(playReach, RO_near_before, RICH_RO, -1, 0);
BENCHMARK_CAPTURE(playReach, RO_far_E5, RICH_RO, 5, 0);
BENCHMARK_CAPTURE(playReach, ROS_hit, RICH_ROS, 0, 1);
BENCHMARK_CAPTURE(playReach, ROS_near_after, RICH_ROS, 1, 1);
BENCHMARK_CAPTURE(playReach, ROS_near_before, RICH_ROS, -1, 0);
BENCHMARK_CAPTURE(playReach, ROM_hit, RICH_ROM, 0, 1);
BENCHMARK_CAPTURE(playReach, LO_hit, RICH_LO, 0, 1);
BENCHMARK_CAPTURE(playReach, LO_near_after, RICH_LO, 1, 1);
BENCHMARK_CAPTURE(playReach, LO_near_before, RICH_LO, -1, 0);
BENCHMARK_CAPTURE(playReach, LO_far_E5, RICH_LO, 5, 0);
BENCHMARK_CAPTURE(playReach, LOS_hit, RICH_LOS, 0, 1);
BENCHMARK_CAPTURE(playReach, LOS_near_after, RICH_LOS, 1, 1);
BENCHMARK_CAPTURE(playReach, LOS_near_before, RICH_LOS, -1, 0);
BENCHMARK_CAPTURE(playReach, HND_hit, RICH_HND, 0, 1);
BENCHMARK_CAPTURE(playReach, FRS_far_E5, RICH_FRS, 5, 0);
BENCHMARK_CAPTURE(playReach, FRK_hit, RICH_FRK, 0, 1);
BENCHMARK_CAPTURE(playReach, FRK_near_after, RICH_FRK, 1, 1);
BENCHMARK_CAPTURE(playReach, FRK_near_before, RICH_FRK, -1, 0);

}  // namespace
}  // namespace rl00
