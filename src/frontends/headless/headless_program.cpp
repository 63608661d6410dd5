#include "frontends/headless/headless_program.h"

#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <limits>
#include <string>
#include <vector>

#include "frontends/headless/merge.h"
#include "io/settings_home.h"
#include "io/sjis.h"
#include "stats/stats_file.h"

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

// Far more machines than a run has any use for; each keeps a line in memory and in the
// statistics file.
constexpr std::uint64_t kMaxMachines = 1'000'000;
constexpr unsigned kMaxJobs = 1024;

Option shardOption(Shard& to) {
    Option o;
    o.name = "--shard";
    o.kind = ValueKind::Text;
    o.value_name = "K/S";
    o.takes = "K/S, shard K of S with 0 <= K < S";
    o.help =
        "play only shard K of S (0 <= K < S): machines floor(K*M/S)\n"
        "to floor((K+1)*M/S) - 1, for rl00-headless merge (default\n"
        "0/1: all)";
    o.store = [&to](std::string_view text) {
        const auto shard = parseShard(text);
        if (shard) to = *shard;
        return shard.has_value();
    };
    return o;
}

// Unlike a missing --ini, an empty name is a name, and a fault.
Option iniOption(std::optional<std::string>& to) {
    Option o;
    o.name = "--ini";
    o.kind = ValueKind::Text;
    o.value_name = "FILE";
    o.takes = "a file";
    o.help =
        "configuration file (default: RL00.INI beside the program,\n"
        "else ~/.config/rl00/RL00.INI; /dev/null: none)";
    o.store = [&to](std::string_view text) {
        to = std::string(text);
        return true;
    };
    return o;
}

// The argument goes into the statistics file, which a merge reads back: it must be text that
// the file can hold.
void checkArgumentText(Reading& reading, const std::string& argument) {
    if (!reading.fault.empty()) return;
    if (!isUtf8(argument) || argument.size() > kMaxStatsTextBytes) {
        reading.fault = "the argument must be UTF-8 text of at most " +
                        std::to_string(kMaxStatsTextBytes) + " bytes";
    }
}

}  // namespace

CommandLine headlessCommandLine(BatchOptions& o, SharedOptions& shared, MergeOptions& merge) {
    constexpr auto kMaxCount = std::numeric_limits<std::uint64_t>::max();
    CommandLine line;
    line.program = "rl00-headless";
    line.summary = "Pachinko reel display simulator, headless runner: games on a virtual clock.";
    const FramePeriodRange frame{0.0, kMaxFrameMs,
                                 "virtual time of an animation frame, " + numberText(0.0) + " to " +
                                     numberText(kMaxFrameMs) + " ms (default " +
                                     numberText(kDefaultFrameMs) + ")"};
    line.options = withSharedOptions(
        shared, frame,
        {
            wholeOption("--games", "N",
                        "games to play on each machine (default " +
                            std::to_string(BatchOptions{}.games) + ")",
                        o.games, 0, kMaxCount),
            wholeOption("--machines", "M",
                        "machines, each from power-on (default 1); statistics\n"
                        "add up over them",
                        o.machines, 1, kMaxMachines),
            wholeOption("--jobs", "J", "threads that play the machines (default: one per core)",
                        o.jobs, 1, kMaxJobs),
            shardOption(o.shard),
            wholeOption("--seed", "S",
                        "seed of the random generator (default: from the clock,\n"
                        "printed)",
                        o.seed, 0, kMaxCount),
            iniOption(o.ini_file),
            textOption("--trace", "FILE", "a file", "one JSON object per completed game",
                       o.trace_file),
            textOption("--stats", "FILE", "a file", "the run's statistics as JSON", o.stats_file),
            wholeOption("--end-after-ms", "T",
                        "press the end button at virtual time T ms of each machine", o.end_after_ms,
                        1, kMaxCount),
            switchOption("--quiet", "no table on standard output", o.quiet),
            switchOption("--every-frame",
                         "play every animation frame instead of accounting the reel\n"
                         "and reach motions in closed form (same games, much slower)",
                         o.every_frame),
        });
    line.footer =
        "rl00-headless merge FILE... [--stats OUT] puts the statistics of shards together\n"
        "(rl00-headless merge --help).";
    line.commands.push_back(mergeCommandLine(merge));
    return line;
}

int runHeadlessProgram(int argc, char** argv, std::ostream& out, std::ostream& err) {
    // A file size limit would kill the runner in the middle of a write, without a word and
    // without its statistics; ignored, the write fails as a write, and is reported as one.
    std::signal(SIGXFSZ, SIG_IGN);
    const std::vector<std::string> args(argv + 1, argv + argc);
    BatchOptions o;
    SharedOptions shared;
    MergeOptions merge;
    const CommandLine line = headlessCommandLine(o, shared, merge);
    Reading reading = readCommandLine(line, args);
    if (reading.command == "merge") reading = checkMergeReading(std::move(reading), merge);
    checkArgumentText(reading, shared.argument);
    if (const auto code = answerReading(line, reading, out, err)) return *code;
    if (reading.command == "merge") return mergeFiles(merge, out, err);

    o.program_dir = programDir(argv[0]);
    if (!o.ini_file) o.user_ini_file = userSettingsFile(o.program_dir, line.program, err);
    o.argument = shared.argument;
    o.frame_ms = shared.frame_ms.value_or(o.frame_ms);
    // A progress line only where someone watches it: on the terminal of the error stream.
    o.progress = !o.quiet && err.rdbuf() == std::cerr.rdbuf() && isatty(STDERR_FILENO);
    return runBatch(o, out, err);
}

}  // namespace rl00
