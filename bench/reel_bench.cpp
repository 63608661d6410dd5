// The cost of the reel display on the headless Display: one REEL_STEP frame, and one complete
// spin-and-stop of a game without reach.

#include <benchmark/benchmark.h>

#include "frontends/headless/headless_display.h"
#include "machine/machine.h"
#include "reels/reels.h"

namespace rl00 {
namespace {

struct BenchMachine {
    BenchMachine() : m(display, 1) {
        for (Int16 r = 1; r <= 3; ++r)
            m.G_iStopZug[r] = r;
        prepareReelPictures(m);
        startDisplay(m);
    }
    HeadlessDisplay display;
    Machine m;
};

void BM_ReelStepFrame(benchmark::State& state) {
    BenchMachine b;
    Machine& m = b.m;
    Int16 centre = 1;
    for (auto _ : state) {
        REEL_STEP(m, centre, 2, 40, kDown);
        // Follow the pass as a sweep would, without the feed's pause.
        if (m.G_bPass[2] == kTrue) {
            m.G_bPass[2] = kFalse;
            centre = advanceSymbol(centre, kDown);
        }
    }
    benchmark::DoNotOptimize(m.G_lZugTop);
    state.counters["frames"] = static_cast<double>(b.display.frames());
}
BENCHMARK(BM_ReelStepFrame);

void BM_SpinAndStopNoReach(benchmark::State& state) {
    BenchMachine b;
    Machine& m = b.m;
    int game = 0;
    for (auto _ : state) {
        startDisplay(m);
        for (Int16 r = 1; r <= 3; ++r) {
            m.G_iStopZug[r] = static_cast<Int16>((game * (r + 4) + r) % 14 + 1);
            m.G_iNowZug[r] = m.G_iStopZug[r];
        }
        spinToRightStop(m);
        centreStop(m);
        ++game;
    }
    benchmark::DoNotOptimize(m.G_iNowZug);
    state.counters["frames/game"] =
        static_cast<double>(b.display.frames()) / static_cast<double>(game);
    state.counters["virtual ms/game"] = b.display.elapsedMs() / game;
}
BENCHMARK(BM_SpinAndStopNoReach)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace rl00
