#include "frontends/headless/machine_run.h"

#include <sstream>
#include <utility>

#include "frontends/headless/headless_display.h"
#include "io/output_file.h"
#include "machine/machine.h"
#include "session/controller.h"
#include "session/game_sequence.h"
#include "stats/game_recorder.h"

namespace rl00 {

namespace {

constexpr std::uint64_t kTellEvery = 1024;

std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

std::uint64_t machineSeed(std::uint64_t run_seed, std::uint64_t machine) {
    if (machine == 0) return run_seed;
    return mix(mix(run_seed ^ 0x6A09E667F3BCC908ull) + machine * 0x9E3779B97F4A7C15ull);
}

MachineResult playMachine(const MachineSetup& setup, std::uint64_t machine, OutputFile* trace,
                          const std::string& log_name_suffix,
                          std::atomic<std::uint64_t>& games_done) {
    MachineResult result(machine);
    SeededRun games(machineSeed(setup.seed, machine));
    const std::uint64_t seed = games.seed();
    std::ostringstream shown;
    HeadlessDisplay display;
    display.setFramePeriodMs(setup.frame_ms);
    display.echoMessagesTo(&shown);
    Machine m(display, seed);
    // Nothing is drawn, so the motions may be accounted in closed form: the same games, frames
    // and pauses, without stepping each frame. A cache per machine keeps its counts the same
    // on any number of threads.
    MotionCache motions;
    if (!setup.every_frame) m.motions = &motions;
    GameRecorder recorder;
    std::uint64_t untold = 0;  // completed games not yet added to games_done
    try {
        loadMachine(m, setup.program_dir, setup.argument, seed);
        static_cast<Settings&>(m) = setup.settings;
        m.G_sLogName += log_name_suffix;
        m.observer = &recorder;
        if (setup.end_after_ms) {
            // The end button, pressed where a window's click is delivered: in event processing.
            display.atTime(static_cast<double>(*setup.end_after_ms), [&m] { onEndRequest(m); });
        }
        games.powerOn(m);
        for (std::uint64_t g = 1; g <= setup.games; ++g) {
            if (setup.halt != nullptr && setup.halt->load(std::memory_order_relaxed)) break;
            games.betweenGames(m, display);
            // A game that found the end flag first is not counted: the loop ends the program.
            if (!playRecordedGame(m, recorder, g, display)) break;
            const GameRecord& record = recorder.record();
            result.stats.add(record);
            if (trace != nullptr)
                trace->write(setup.machine_in_trace ? toJsonLine(record, machine)
                                                    : toJsonLine(record));
            // Told in batches: a counter shared by all threads, touched every game, would cost
            // the threads more than the progress line is worth.
            if (++untold == kTellEvery) games_done.fetch_add(std::exchange(untold, 0));
            if (m.G_bEnd == kTrue) break;  // seen by the idle loop's next pass
        }
    } catch (const ProgramEnd& end) {
        result.exit_code = end.exit_code;
        if (end.exit_code != 0 || m.G_bEnd != kTrue) {
            shown << "rl00-headless: "
                  << (setup.machine_in_trace ? "machine " + std::to_string(machine) + " "
                                             : "the machine ")
                  << "ended itself (exit code " << end.exit_code << ") after "
                  << result.stats.counts().games() << " completed games\n";
        }
    }
    games_done.fetch_add(untold);
    result.stats.finish(m, display.frames(), display.wholeMs(), result.exit_code);
    result.report = shown.str();
    result.motions = motions.counts();
    return result;
}

}  // namespace rl00
