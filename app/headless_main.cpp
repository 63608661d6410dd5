// rl00-headless: plays the machine's games without a window, on a virtual clock.

#include <iostream>

#include "frontends/headless/headless_program.h"

int main(int argc, char** argv) {
    return rl00::runHeadlessProgram(argc, argv, std::cout, std::cerr);
}
