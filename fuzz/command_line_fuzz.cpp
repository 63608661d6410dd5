// The runner's command line over any arguments (the input split at NUL bytes): read, checked
// and answered (usage, help, the one line of a fault), never run.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "frontends/headless/batch.h"
#include "frontends/headless/headless_program.h"
#include "frontends/headless/merge.h"
#include "session/options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args;
    if (size > 0) args.emplace_back();
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back() += static_cast<char>(data[i]);
        }
    }
    rl00::BatchOptions o;
    rl00::SharedOptions shared;
    rl00::MergeOptions merge;
    const rl00::CommandLine line = rl00::headlessCommandLine(o, shared, merge);
    rl00::Reading reading = rl00::readCommandLine(line, args);
    if (reading.command == "merge") reading = rl00::checkMergeReading(std::move(reading), merge);
    std::ostringstream out, err;
    static_cast<void>(rl00::answerReading(line, reading, out, err));
    return 0;
}
