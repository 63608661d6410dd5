// Cost of one stop-symbol selection, for the normal-mode mix of lottery values and per class.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "engine/stop_sel.h"
#include "engine/tables.h"
#include "frontends/headless/headless_display.h"
#include "machine/machine.h"

namespace rl00 {
namespace {

struct Input {
    Int16 lottery;
    Int16 count;
};

// Inputs are prepared up front with their own generator, so the machine's draws are the only
// ones measured.
std::vector<Input> makeInputs(const std::vector<Int16>& values) {
    std::mt19937 gen(7);
    std::uniform_int_distribution<std::size_t> pick(0, values.size() - 1);
    std::uniform_int_distribution<int> count(1, 14);
    std::vector<Input> out(4096);
    for (Input& in : out)
        in = {values[pick(gen)], static_cast<Int16>(count(gen))};
    return out;
}

std::vector<Int16> valuesWhere(bool (*in)(Int16)) {
    std::vector<Int16> out;
    for (Int16 v = kLotteryMin; v <= kLotteryMax; ++v)
        if (in(v)) out.push_back(v);
    return out;
}

void runSelections(benchmark::State& state, const std::vector<Int16>& values, Int16 mode) {
    HeadlessDisplay display;
    Machine m(display, 42);
    const std::vector<Input> inputs = makeInputs(values);
    std::size_t i = 0;
    for (auto _ : state) {
        const Input& in = inputs[i++ & (inputs.size() - 1)];
        const StopSelection s = STOP_SEL(m, {in.lottery, mode, in.count, kFalse});
        benchmark::DoNotOptimize(s.stop_zug);
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_StopSelNormalMix(benchmark::State& state) {
    runSelections(state, valuesWhere([](Int16) { return true; }), kModeNormal);
}
BENCHMARK(BM_StopSelNormalMix);

void BM_StopSelHit(benchmark::State& state) {
    runSelections(state, valuesWhere(isHitValue), kModeNormal);
}
BENCHMARK(BM_StopSelHit);

void BM_StopSelNearMiss(benchmark::State& state) {
    runSelections(state, valuesWhere(isNearMissValue), kModeNormal);
}
BENCHMARK(BM_StopSelNearMiss);

void BM_StopSelFarMiss(benchmark::State& state) {
    runSelections(state, valuesWhere(isFarMissValue), kModeNormal);
}
BENCHMARK(BM_StopSelFarMiss);

void BM_StopSelKakuhenModeHit(benchmark::State& state) {
    runSelections(state, valuesWhere(isKakuhenHitValue), kModeKakuhen);
}
BENCHMARK(BM_StopSelKakuhenModeHit);

void BM_StopSelMiss(benchmark::State& state) {
    runSelections(state, valuesWhere([](Int16 v) {
                      return lotteryClass(v, kModeKakuhen) == LotteryClass::kMiss;
                  }),
                  kModeNormal);
}
BENCHMARK(BM_StopSelMiss);

}  // namespace
}  // namespace rl00
