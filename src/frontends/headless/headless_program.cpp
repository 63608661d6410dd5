#include "frontends/headless/headless_program.h"

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

#include "io/settings_home.h"

namespace rl00 {

namespace {

// The longest animation frame the runner accepts. The virtual clock stamps the run log's
// records, so an unbounded or infinite frame would turn their date and time into garbage.
constexpr double kMaxFrameMs = 1000.0;

std::string programDir(const char* argv0) {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) exe = std::filesystem::absolute(argv0, ec);
    return exe.parent_path().string();
}

}  // namespace

CommandLine headlessCommandLine(BatchOptions& o, SharedOptions& shared) {
    constexpr auto kMaxCount = std::numeric_limits<std::uint64_t>::max();
    CommandLine line;
    line.program = "rl00-headless";
    line.summary = "Plays the machine's games without a window, on a virtual clock.";
    const FramePeriodRange frame{0.0, kMaxFrameMs,
                                 "virtual duration of an animation frame in ms, " +
                                     numberText(0.0) + " to " + numberText(kMaxFrameMs) +
                                     " (default " + numberText(kDefaultFrameMs) + ")"};
    line.options = withSharedOptions(
        shared, frame,
        {
            wholeOption("--games", "N",
                        "games to play (default " + std::to_string(BatchOptions{}.games) + ")",
                        o.games, 0, kMaxCount),
            wholeOption("--seed", "S",
                        "seed of the random generator (default: from the clock, printed)", o.seed,
                        0, kMaxCount),
            textOption("--ini", "FILE", "a file",
                       "configuration file (default: RL00.INI beside the program, else "
                       "~/.config/rl00/RL00.INI)",
                       o.ini_file),
            textOption("--trace", "FILE", "a file", "one JSON object per completed game",
                       o.trace_file),
            textOption("--stats", "FILE", "a file", "the run's statistics as JSON", o.stats_file),
            switchOption("--quiet", "no table on standard output", o.quiet),
            switchOption("--every-frame",
                         "play every animation frame instead of accounting the reel and reach "
                         "motions in closed form (same games, much slower)",
                         o.every_frame),
        });
    return line;
}

int runHeadlessProgram(int argc, char** argv, std::ostream& out, std::ostream& err) {
    BatchOptions o;
    SharedOptions shared;
    const CommandLine line = headlessCommandLine(o, shared);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (const auto code = answerReading(line, readCommandLine(line, args), out, err)) return *code;

    o.program_dir = programDir(argv[0]);
    if (o.ini_file.empty()) o.ini_file = userSettingsFile(o.program_dir, line.program, err);
    o.argument = shared.argument;
    o.frame_ms = shared.frame_ms.value_or(o.frame_ms);
    // Progress lines only where someone watches them: on the terminal of the error stream.
    o.progress = !o.quiet && err.rdbuf() == std::cerr.rdbuf() && isatty(STDERR_FILENO);
    return runBatch(o, out, err);
}

}  // namespace rl00
