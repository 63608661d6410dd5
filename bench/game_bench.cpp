// Whole games as the headless runner plays them: normal-mode mix, trace off.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "engine/motion_cache.h"
#include "engine/rand_loop.h"
#include "frontends/headless/headless_display.h"
#include "machine/machine.h"
#include "session/controller.h"

namespace {

// Whole games; with state.range(0) set, the motions are accounted in closed form.
void BM_Game(benchmark::State& state) {
    const auto dir = std::filesystem::temp_directory_path() / "rl00_game_bench";
    std::filesystem::create_directories(dir);
    rl00::HeadlessDisplay display;
    rl00::Machine m(display, 1);
    rl00::MotionCache motions;
    if (state.range(0) != 0) m.motions = &motions;
    rl00::loadMachine(m, dir.string(), "", 1);
    m.G_sLogPath = dir.string();
    m.G_sLogName = "bench.log";
    rl00::Random idle(2);
    rl00::idleStep(m);
    for (auto _ : state) {
        rl00::advanceIdle(m, idle.nextBits() % (14 * 367));
        rl00::onStartRequest(m);
    }
    state.counters["games/s"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["frames/game"] =
        static_cast<double>(display.frames()) / static_cast<double>(state.iterations());
    std::filesystem::remove_all(dir);
}
BENCHMARK(BM_Game)->ArgName("closed_form")->Arg(0)->Arg(1)->MinTime(2.0);

}  // namespace
