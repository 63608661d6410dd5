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

// One run of the page: the machine, its window and Display, and what the page may ask about it.
class PageRun {
  public:
    PageRun(PageHost& host, const PageLink& link)
        : host_(host), link_(link), display_(host), m_(display_, 0), window_(m_, display_, host) {
        display_.setVirtualFrameMs(link.frame_ms.value_or(kDefaultFrameMs));
        if (link.frame_ms) display_.setFramePeriodMs(*link.frame_ms);
        display_.setPaused(link.paused);
        display_.attach(&window_);
        if (theoryApplies(link.argument)) theory_ = computeTheory();
        window_.addGameListener([this](const GameRecord& r) {
            stats_.add(r);
            if (link_.trace) host_.tell("trace", toJsonLine(r));
            if (!display_.fastForward()) shown_game_ = r.game;
        });
        window_.setCommandHandler([this](std::string_view command) { answer(command); });
    }

    // Plays until the machine ends; its exit code.
    int play() {
        host_.tell("layout", windowLayoutJson());
        std::optional<SeededRun> run;
        if (link_.seed || link_.games) run.emplace(link_.seed.value_or(0));
        try {
            // The load seeds the generator, from the clock unless seeded.
            loadMachine(m_, "/rl00", link_.argument,
                        run ? std::optional(run->seed()) : std::nullopt);
            m_.G_sLogPath = kPageLogFolder;
            m_.G_sLogName = kPageLogName;
            // The page's first commands (its zoom, the remembered pace) before the first picture.
            window_.takeInput();
            window_.paint();
            if (run) playSeeded(*run);
            onActivate(m_);
        } catch (const ProgramEnd& end) {
            return end.exit_code;
        }
        return 0;
    }

  private:
    void playSeeded(SeededRun& run) {
        window_.setSeededRun(&run);
        run.powerOn(m_);
        if (link_.games) {
            playCheck(m_, window_, display_, host_, *link_.games, link_.shown);
            // The page still answers (the statistics, the log), but starts no other game.
            const StartRequestsPaused held(m_);
            while (m_.G_bEnd != kTrue)
                display_.waitForEvents();
            display_.endProgram(0);
        }
        if (link_.replay > 1) playAtOnce(m_, window_, display_, host_, link_.replay - 1);
        heldIdleLoop(m_);
    }

    // The game on the screen: the one playing, else the last one shown, else the next one.
    std::uint64_t gameOnScreen() const {
        if (m_.game_running || shown_game_ == 0) return window_.completedGames() + 1;
        return shown_game_;
    }

    // What the page asks beside the window's own commands: the statistics, the link of the game
    // on the screen, and for checks the frames counted and their times.
    void answer(std::string_view command) {
        if (command == "stats") {
            host_.tell("stats", statsJson(stats_.counts(), theory_ ? &*theory_ : nullptr));
        } else if (command == "link" && link_.seed) {
            host_.tell("link", linkToGame(link_, gameOnScreen()));
        } else if (command == "frames") {
            host_.tell("frames", std::to_string(display_.frames()) +
                                     (m_.game_running ? " playing" : " idle") +
                                     (display_.holding() ? " held" : ""));
        } else if (command.starts_with("frame-times ")) {
            std::size_t count = 0;
            const std::string_view n = command.substr(12);
            if (std::from_chars(n.data(), n.data() + n.size(), count).ec == std::errc{})
                display_.recordFrameTimes(count);
        } else if (command == "frame-times?") {
            std::string times;
            for (double t : display_.frameTimes())
                times += std::to_string(t) + " ";
            host_.tell("frame-times", times);
        }
    }

    PageHost& host_;
    const PageLink& link_;
    WebDisplay display_;
    Machine m_;
    WebWindow window_;
    MachineStats stats_{0};
    std::optional<Theory> theory_;
    std::uint64_t shown_game_ = 0;
};

}  // namespace

int runPage(PageHost& host, const PageLink& link) {
    PageRun run(host, link);
    return run.play();
}

}  // namespace rl00
