#include "frontends/web/web_program.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <string>

#include "engine/motion_cache.h"
#include "engine/rand_loop.h"
#include "frontends/web/page_host.h"
#include "frontends/web/stats_json.h"
#include "frontends/web/web_display.h"
#include "frontends/web/web_window.h"
#include "machine/machine.h"
#include "session/controller.h"
#include "session/game_sequence.h"
#include "stats/game_record.h"
#include "stats/run_stats.h"
#include "stats/stats_report.h"
#include "stats/theory.h"

namespace rl00 {

namespace {

// A replay looks up from its games this often, so that the page answers and shows how far the
// replay has come. The clock is read once per block of games.
constexpr double kLookUpMs = 100.0;
constexpr std::uint64_t kGamesPerBlock = 1024;

// Plays the games up to `last` at once, as the runner plays them, unless the end comes first;
// the page hears how far it has come.
void playAtOnce(Machine& m, WebWindow& window, WebDisplay& display, PageHost& host,
                std::uint64_t last) {
    MotionCache motions;
    m.motions = &motions;
    display.setFastForward(true);
    const double started = host.nowMs();
    double next_look = started + kLookUpMs;
    while (window.completedGames() < last && m.G_bEnd != kTrue) {
        if (!window.playNextGame()) break;
        if (window.completedGames() % kGamesPerBlock != 0 || host.nowMs() < next_look) continue;
        host.tell("progress", std::to_string(window.completedGames()) + "/" + std::to_string(last));
        // Only the replay starts games until it is done: the page's clicks on the start button
        // are ignored meanwhile.
        const StartRequestsPaused held(m);
        display.keepPageAnswering();
        window.takeInput();
        next_look = host.nowMs() + kLookUpMs;
    }
    display.setFastForward(false);
    m.motions = nullptr;
    if (window.completedGames() == last) {
        host.tell("replayed", std::to_string(last) + " " + std::to_string(host.nowMs() - started));
    }
}

// A check: games one after another, the first `shown` frame by frame at no delay.
void playCheck(Machine& m, WebWindow& window, WebDisplay& display, PageHost& host,
               std::uint64_t games, std::uint64_t shown) {
    display.setNoDelay(true);
    while (window.completedGames() < std::min(games, shown) && m.G_bEnd != kTrue) {
        if (!window.playNextGame()) break;
    }
    if (m.G_bEnd != kTrue) playAtOnce(m, window, display, host, games);
    host.tell("done", std::to_string(window.completedGames()));
}

}  // namespace

int runPage(PageHost& host, const PageLink& link) {
    WebDisplay display(host);
    const double frame_ms = link.frame_ms.value_or(kDefaultFrameMs);
    display.setVirtualFrameMs(frame_ms);
    if (link.frame_ms) display.setFramePeriodMs(*link.frame_ms);
    display.setPaused(link.paused);
    Machine m(display, 0);  // the load seeds the generator, from the clock unless seeded
    WebWindow window(m, display, host);
    display.attach(&window);
    host.tell("layout", windowLayoutJson());

    MachineStats stats(0);
    std::optional<Theory> theory;
    if (theoryApplies(link.argument)) theory = computeTheory();
    window.addGameListener([&stats](const GameRecord& r) { stats.add(r); });
    if (link.trace) {
        window.addGameListener([&host](const GameRecord& r) { host.tell("trace", toJsonLine(r)); });
    }
    // The game on the screen: the one playing, else the last one shown, else the next one.
    std::uint64_t shown_game = 0;
    window.addGameListener([&](const GameRecord& r) {
        if (!display.fastForward()) shown_game = r.game;
    });
    auto gameOnScreen = [&] {
        if (m.game_running || shown_game == 0) return window.completedGames() + 1;
        return shown_game;
    };
    window.setCommandHandler([&](std::string_view command) {
        if (command == "frames") {
            host.tell("frames",
                      std::to_string(display.frames()) + (m.game_running ? " playing" : " idle"));
        } else if (command.starts_with("frame-times ")) {
            std::size_t count = 0;
            const std::string_view n = command.substr(12);
            if (std::from_chars(n.data(), n.data() + n.size(), count).ec == std::errc{})
                display.recordFrameTimes(count);
        } else if (command == "frame-times?") {
            std::string times;
            for (double t : display.frameTimes())
                times += std::to_string(t) + " ";
            host.tell("frame-times", times);
        } else if (command == "stats") {
            host.tell("stats", statsJson(stats.counts(), theory ? &*theory : nullptr));
        } else if (command == "link" && link.seed) {
            host.tell("link", linkToGame(link, gameOnScreen()));
        }
    });

    std::optional<SeededRun> run;
    if (link.seed) run.emplace(*link.seed);
    if (link.games) run.emplace(link.seed.value_or(0));
    try {
        loadMachine(m, "/rl00", link.argument, run ? std::optional(run->seed()) : std::nullopt);
        m.G_sLogPath = kPageLogFolder;
        m.G_sLogName = kPageLogName;
        // The page's first commands (its zoom, the remembered pace) before the first picture.
        window.takeInput();
        window.paint();
        if (run) {
            window.setSeededRun(&*run);
            run->powerOn(m);
            if (link.games) {
                playCheck(m, window, display, host, *link.games, link.shown);
                // The page still answers (the statistics, the log), but starts no other game.
                const StartRequestsPaused held(m);
                while (m.G_bEnd != kTrue)
                    display.waitForEvents();
                return 0;
            }
            if (link.replay > 1) playAtOnce(m, window, display, host, link.replay - 1);
            heldIdleLoop(m);
        }
        onActivate(m);
    } catch (const ProgramEnd& end) {
        return end.exit_code;
    }
    return 0;
}

}  // namespace rl00
