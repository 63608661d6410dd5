#pragma once
// A fresh machine on the headless Display, for tests.

#include <cstdint>
#include <functional>

#include "frontends/headless/headless_display.h"
#include "machine/machine.h"

namespace rl00::test {

struct TestMachine {
    explicit TestMachine(std::uint64_t seed = 12345) : m(display, seed) {}
    HeadlessDisplay display;
    Machine m;
};

// Runs `body` and returns the exit code when it ends the program, or -1 when it returns.
inline int runUntilEnd(const std::function<void()>& body) {
    try {
        body();
    } catch (const ProgramEnd& end) {
        return end.exit_code;
    }
    return -1;
}

}  // namespace rl00::test
