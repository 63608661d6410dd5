#include "engine/rand_loop.h"

#include "machine/machine.h"
#include "platform/checked.h"

namespace rl00 {

void idleStep(Machine& m) {
    IdleCounter& c = m.idle;
    checkedAdd(c.j, 1);
    if (c.j > kLotteryValues - 1) {
        c.j = 0;
        checkedAdd(c.i, 1);
        if (c.i > kSymbols) c.i = 1;
    }
    m.G_iLottery = c.j;
    m.G_iZugCnt = c.i;
    c.stepped = true;
}

void advanceIdle(Machine& m, std::uint64_t passes) {
    if (passes == 0) return;
    IdleCounter& c = m.idle;
    // Position along the whole cycle of 14 x 367 passes, counted from (j = 0, i = 1).
    const std::uint64_t pos = std::uint64_t(c.i - 1) * kLotteryValues + std::uint64_t(c.j);
    const std::uint64_t next = (pos + passes % kIdleCyclePasses) % kIdleCyclePasses;
    c.i = static_cast<Int16>(next / kLotteryValues + 1);
    c.j = static_cast<Int16>(next % kLotteryValues);
    m.G_iLottery = c.j;
    m.G_iZugCnt = c.i;
    c.stepped = true;
}

void RAND_LOOP(Machine& m) {
    for (;;) {
        idleStep(m);
        m.display.processEvents();
        if (m.G_bEnd == kTrue) m.display.endProgram(0);
    }
}

void heldIdleLoop(Machine& m) {
    for (;;) {
        m.display.waitForEvents();
        if (m.G_bEnd == kTrue) m.display.endProgram(0);
    }
}

}  // namespace rl00
