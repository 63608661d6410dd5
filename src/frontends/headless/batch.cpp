#include "frontends/headless/batch.h"

#include <algorithm>
#include <atomic>
#include <ostream>
#include <thread>
#include <utility>
#include <vector>

#include "frontends/headless/headless_display.h"
#include "frontends/headless/machine_pool.h"
#include "frontends/headless/ordered_output.h"
#include "io/ini_read.h"
#include "io/output_file.h"
#include "io/run_log.h"
#include "io/settings_home.h"
#include "machine/machine.h"
#include "session/controller.h"
#include "stats/figure_text.h"
#include "stats/stats_file.h"
#include "stats/stats_table.h"

namespace rl00 {

namespace {

// The settings every machine of the run starts with, read once, as a machine's load reads them:
// RL00.INI beside the program, then the named file or the user's in its place.
Settings runSettings(const BatchOptions& o) {
    HeadlessDisplay display;
    Machine probe(display, 0);
    loadMachine(probe, o.program_dir, o.argument, 0);
    const std::string& file = o.ini_file ? *o.ini_file : o.user_ini_file;
    if (!file.empty()) readSettingsInstead(probe, file);
    return probe;
}

// Two outputs of the run that are one file would write over each other, and the trace opened
// first would empty the run log: refused before anything is opened.
std::optional<std::string> collidingOutputs(const BatchOptions& o,
                                            const std::optional<std::string>& log) {
    std::vector<std::pair<std::string, std::string>> outputs;
    if (!o.trace_file.empty()) outputs.emplace_back("--trace", o.trace_file);
    if (!o.stats_file.empty()) outputs.emplace_back("--stats", o.stats_file);
    if (log) outputs.emplace_back("the run log", *log);
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        for (std::size_t j = i + 1; j < outputs.size(); ++j) {
            if (sameFile(outputs[i].second, outputs[j].second))
                return outputs[i].first + " and " + outputs[j].first + " are the same file, " +
                       outputs[j].second;
        }
    }
    return std::nullopt;
}

unsigned threadsFor(const BatchOptions& o, std::uint64_t machines) {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned wanted = o.jobs != 0 ? o.jobs : cores;
    return static_cast<unsigned>(std::min<std::uint64_t>(wanted, machines));
}

// The files a run writes, opened before anything is played.
struct Outputs {
    OutputFile trace;
    WholeFile stats;
    std::optional<std::string> log;  // the run log the settings name
};

// Refuses a configuration file that cannot be read as one and outputs that are one file, and
// opens the output files; false, with one line on `err`, when the run cannot begin.
bool checkAndOpen(const BatchOptions& o, const Settings& settings, Outputs& files,
                  std::ostream& err) {
    files.log = runLogFile(settings);
    if (const auto collision = collidingOutputs(o, files.log)) {
        err << "rl00-headless: " << *collision << "; nothing is written\n";
        return false;
    }
    if (!o.trace_file.empty() && !files.trace.open(o.trace_file)) {
        err << "rl00-headless: cannot write " << files.trace.error() << "\n";
        return false;
    }
    if (!o.stats_file.empty() && !files.stats.prepare(o.stats_file)) {
        err << "rl00-headless: cannot write " << files.stats.error() << "\n";
        return false;
    }
    return true;
}

// The run's seed, told: a seed taken from the clock is the only way to repeat the run, so it is
// said even when quiet.
std::uint64_t announceSeed(const BatchOptions& o, std::ostream& out, std::ostream& err) {
    const std::uint64_t seed = o.seed ? *o.seed : clockSeed();
    if (!o.quiet) {
        out << "seed " << seed << "\n";
    } else if (!o.seed) {
        err << "rl00-headless: seed " << seed << "\n";
    }
    return seed;
}

// Plays the shard's machines into the trace and the run log.
PoolResult play(const BatchOptions& o, const Settings& settings, std::uint64_t seed, Outputs& files,
                std::ostream& err) {
    std::atomic<bool> halt{false};
    const MachineSetup setup{.seed = seed,
                             .games = o.games,
                             .program_dir = o.program_dir,
                             .argument = o.argument,
                             .settings = settings,
                             .frame_ms = o.frame_ms,
                             .end_after_ms = o.end_after_ms,
                             .machine_in_trace = o.machines > 1,
                             .every_frame = o.every_frame,
                             .halt = &halt};
    const MachineRange range = shardMachines(o.shard, o.machines);
    OrderedOutput output(range, files.trace.isOpen() ? &files.trace : nullptr, files.log,
                         standardLogWarnings());
    const PoolPlan plan{.range = range,
                        .halt = &halt,
                        .threads = threadsFor(o, range.size()),
                        .progress = o.progress};
    PoolResult played = playPool(setup, plan, output, err);
    if (const std::string fault = files.trace.close() ? output.traceError() : files.trace.error();
        !fault.empty()) {
        err << "rl00-headless: cannot write " << fault << "\n";
        played.failed = true;
    }
    return played;
}

// 1 when the runner itself failed, else the first machine's exit code that is not 0.
int exitCodeOf(const PoolResult& played) {
    if (played.failed) return 1;
    for (const MachineSummary& m : played.summaries) {
        if (m.exit_code != 0) return m.exit_code;
    }
    return 0;
}

StatsDocument statsOf(const BatchOptions& o, std::uint64_t seed, PoolResult& played) {
    StatsDocument d;
    d.run.seed = seed;
    d.run.argument = std::string(commandArgument(o.argument));
    d.run.frame_ms = o.frame_ms;
    d.run.games_per_machine = o.games;
    d.run.machines = o.machines;
    d.run.end_after_ms = o.end_after_ms;
    d.shard = o.shard;
    for (const MachineSummary& m : played.summaries)
        d.machines.add(m);
    d.counts = std::move(played.total);
    return d;
}

// The table of the run, its speed and how its motions were played.
void report(const BatchOptions& o, const StatsDocument& d, const PoolResult& played,
            std::ostream& out) {
    out << statsTable(d);
    const double rate = played.wall_s > 0 ? double(d.counts.games()) / played.wall_s : 0.0;
    out << "\nwall time " << significant(played.wall_s) << " s, "
        << grouped(static_cast<std::uint64_t>(rate + 0.5)) << " games/s";
    if (played.threads > 1) out << " on " << played.threads << " threads";
    out << "\n";
    if (!o.every_frame) {
        const MotionCache::Counts& c = played.motions;
        out << "motions: " << grouped(c.accounted) << " in closed form, " << grouped(c.stepped)
            << " frame by frame, " << grouped(c.recorded) << " outcomes stored, "
            << grouped(c.refused) << " refused\n";
    }
}

}  // namespace

int runBatch(const BatchOptions& o, std::ostream& out, std::ostream& err) {
    if (o.ini_file) {
        if (const auto fault = settingsFileFault(*o.ini_file)) {
            err << "rl00-headless: " << *fault << "\n";
            return 2;
        }
    }
    const Settings settings = runSettings(o);
    Outputs files;
    if (!checkAndOpen(o, settings, files, err)) return 2;
    const std::uint64_t seed = announceSeed(o, out, err);
    PoolResult played = play(o, settings, seed, files, err);
    int exit_code = exitCodeOf(played);
    const StatsDocument d = statsOf(o, seed, played);
    if (!o.stats_file.empty()) {
        writeStatsFile(d, [&files](std::string_view piece) { files.stats.write(piece); });
        if (!files.stats.commit()) {
            err << "rl00-headless: cannot write " << files.stats.error() << "\n";
            exit_code = 1;
        }
    }
    if (!o.quiet) report(o, d, played, out);
    return exit_code;
}

}  // namespace rl00
