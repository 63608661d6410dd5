#include "frontends/headless/batch.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <thread>
#include <utility>
#include <vector>

#include "frontends/headless/headless_display.h"
#include "frontends/headless/machine_run.h"
#include "frontends/headless/ordered_output.h"
#include "frontends/headless/progress.h"
#include "io/ini_read.h"
#include "io/output_file.h"
#include "io/run_log.h"
#include "io/settings_home.h"
#include "machine/machine.h"
#include "session/controller.h"
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

// What the machines' threads hand to the thread that watches them.
struct Shared {
    std::mutex mutex;
    std::condition_variable changed;
    std::uint64_t machines_done = 0;
    RunStats total;
    MotionCache::Counts motions;
    std::vector<MachineSummary> summaries;
    std::string reports;  // not yet printed
};

}  // namespace

int runBatch(const BatchOptions& o, std::ostream& out, std::ostream& err) {
    if (o.ini_file) {
        if (const auto fault = settingsFileFault(*o.ini_file)) {
            err << "rl00-headless: " << *fault << "\n";
            return 2;
        }
    }
    const Settings settings = runSettings(o);
    const std::optional<std::string> log = runLogFile(settings);
    if (const auto collision = collidingOutputs(o, log)) {
        err << "rl00-headless: " << *collision << "; nothing is written\n";
        return 2;
    }
    OutputFile trace;
    WholeFile stats_file;
    if (!o.trace_file.empty() && !trace.open(o.trace_file)) {
        err << "rl00-headless: cannot write " << trace.error() << "\n";
        return 2;
    }
    if (!o.stats_file.empty() && !stats_file.prepare(o.stats_file)) {
        err << "rl00-headless: cannot write " << stats_file.error() << "\n";
        return 2;
    }

    const std::uint64_t seed = o.seed ? *o.seed : clockSeed();
    // A seed taken from the clock is the only way to repeat the run: say it even when quiet.
    if (!o.quiet) {
        out << "seed " << seed << "\n";
    } else if (!o.seed) {
        err << "rl00-headless: seed " << seed << "\n";
    }

    const MachineRange range = shardMachines(o.shard, o.machines);
    // A machine that ends with an error ends the run: the others stop at their next game and
    // the machines not yet begun are not played, so the statistics so far are incomplete.
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
    OrderedOutput output(range, trace.isOpen() ? &trace : nullptr, log, standardLogWarnings());
    Shared shared;
    for (std::uint64_t k = range.first; k < range.end; ++k)
        shared.summaries.push_back(MachineSummary{.machine = k});
    std::atomic<std::uint64_t> next_machine{range.first};
    std::atomic<std::uint64_t> games_done{0};
    bool internal_fault = false;

    // Plays machine k; what it has to say on the error stream.
    auto playOne = [&](std::uint64_t k, const OrderedOutput::Sinks& sinks) -> std::string {
        try {
            const MachineResult r =
                playMachine(setup, k, sinks.trace, sinks.log_name_suffix, games_done);
            if (r.exit_code != 0) halt = true;
            const std::lock_guard<std::mutex> lock(shared.mutex);
            shared.total.merge(r.stats.counts());
            shared.motions.recorded += r.motions.recorded;
            shared.motions.accounted += r.motions.accounted;
            shared.motions.stepped += r.motions.stepped;
            shared.motions.refused += r.motions.refused;
            shared.summaries[k - range.first] = r.stats.summary();
            return r.report;
        } catch (const std::exception& e) {
            halt = true;
            const std::lock_guard<std::mutex> lock(shared.mutex);
            internal_fault = true;
            return "rl00-headless: machine " + std::to_string(k) + " failed: " + e.what() + "\n";
        }
    };
    auto play = [&] {
        for (std::uint64_t k = next_machine++; k < range.end; k = next_machine++) {
            OrderedOutput::Sinks sinks = output.begin(k);
            const std::string report = halt ? std::string() : playOne(k, sinks);
            output.end(std::move(sinks));
            const std::lock_guard<std::mutex> lock(shared.mutex);
            shared.reports += report;
            ++shared.machines_done;
            shared.changed.notify_all();
        }
    };

    const auto started = ProgressLine::Clock::now();
    ProgressLine progress(err, started);
    std::vector<std::thread> threads;
    const unsigned thread_count = threadsFor(o, range.size());
    for (unsigned t = 0; t < thread_count; ++t)
        threads.emplace_back(play);
    {
        std::unique_lock<std::mutex> lock(shared.mutex);
        for (;;) {
            shared.changed.wait_for(lock, ProgressLine::kInterval, [&] {
                return shared.machines_done == range.size() || !shared.reports.empty();
            });
            if (!shared.reports.empty()) {
                progress.clear();
                err << std::exchange(shared.reports, {}) << std::flush;
            }
            if (shared.machines_done == range.size()) break;
            if (o.progress) {
                progress.update(ProgressLine::Clock::now(),
                                {games_done.load(), o.games * range.size(), shared.machines_done,
                                 range.size(), 0.0});
            }
        }
    }
    for (std::thread& t : threads)
        t.join();
    progress.clear();
    const double wall_s =
        std::chrono::duration<double>(ProgressLine::Clock::now() - started).count();

    int exit_code = internal_fault ? 1 : 0;
    for (const MachineSummary& m : shared.summaries) {
        if (exit_code == 0) exit_code = m.exit_code;
    }
    const std::string trace_error = trace.close() ? output.traceError() : trace.error();
    if (!trace_error.empty()) {
        err << "rl00-headless: cannot write " << trace_error << "\n";
        exit_code = 1;
    }

    StatsDocument d;
    d.run.seed = seed;
    d.run.argument = std::string(commandArgument(o.argument));
    d.run.frame_ms = o.frame_ms;
    d.run.games_per_machine = o.games;
    d.run.machines = o.machines;
    d.run.end_after_ms = o.end_after_ms;
    d.shard = o.shard;
    for (const MachineSummary& m : shared.summaries)
        d.machines.add(m);
    d.counts = std::move(shared.total);
    if (!o.stats_file.empty()) {
        writeStatsFile(d, [&stats_file](std::string_view piece) { stats_file.write(piece); });
    }
    if (!o.stats_file.empty() && !stats_file.commit()) {
        err << "rl00-headless: cannot write " << stats_file.error() << "\n";
        exit_code = 1;
    }
    if (!o.quiet) {
        out << statsTable(d);
        out << "\nwall time " << wall_s << " s, "
            << (wall_s > 0 ? double(d.counts.games()) / wall_s : 0.0) << " games/s";
        if (thread_count > 1) out << " on " << thread_count << " threads";
        out << "\n";
        if (!o.every_frame) {
            const MotionCache::Counts& c = shared.motions;
            out << "motions: " << c.accounted << " in closed form, " << c.stepped
                << " frame by frame, " << c.recorded << " outcomes stored, " << c.refused
                << " refused\n";
        }
    }
    return exit_code;
}

}  // namespace rl00
