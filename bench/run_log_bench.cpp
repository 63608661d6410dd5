#include <benchmark/benchmark.h>

#include <string>

#include "io/run_log.h"
#include "machine/game_state.h"
#include "platform/display.h"

namespace rl00 {
namespace {

// Builds the record of a typical hit: every field filled, several reach kinds counted.
void BM_LogRec(benchmark::State& state) {
    GameState g;
    g.G_lRevCnt = 312;
    g.G_lRichCnt = 17;
    g.G_lOshiCnt = 5;
    g.G_lDohaCnt = 11;
    // Explicit std::string temporaries: assigning literals trips a false -Wrestrict of
    // GCC 12 in optimised builds.
    g.G_sZugaraKari = std::string("4");
    g.G_sZugaraHit = std::string("13");
    g.G_bKakuhen = kTrue;
    g.G_sRichCode = std::string("10:FrK");
    for (int kind = 1; kind <= 10; ++kind) {
        g.G_lRichOshi[kind] = kind % 3;
        g.G_lRichDoha[kind] = kind;
    }
    g.G_sYokoku = std::string("1");
    g.G_lYokoku1N = 20;
    g.G_iRenchan = 3;
    g.G_iLottery = 33;
    const LocalDateTime at{2024, 3, 5, 9, 7, 2};
    for (auto _ : state)
        benchmark::DoNotOptimize(LOG_REC(g, at));
}
BENCHMARK(BM_LogRec);

}  // namespace
}  // namespace rl00
