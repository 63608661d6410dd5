// The end flag at any moment of a game: whatever presentation runs and however it ends, setting
// the flag (the 終了 button, the close box) ends the program with exit code 0, shows no message
// and leaves the run log as it was, unless the game had already been seen to its end.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "engine/rand_loop.h"
#include "session/controller.h"
#include "support/test_machine.h"
#include "support/test_size.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

// One game of the sweep: the argument, the seed of the machine and the counter values at start.
struct SweptSetup {
    std::string argument;
    std::uint64_t seed;
    Int16 lottery;
    Int16 zugcnt;
};

// What happens to one game when the end flag is set at a given moment.
struct Ending {
    int exit_code = -1;  // -1: the game returned
    std::size_t messages = 0;
    std::uintmax_t log_bytes = 0;
    bool completed = false;  // the game was counted
};

// A folder for the run logs of the sweep: every game that ends early must leave it empty.
class LogFolder {
  public:
    LogFolder() : dir_(fs::temp_directory_path() / ("rl00_sweep_" + std::to_string(::getpid()))) {
        fs::create_directories(dir_);
    }
    ~LogFolder() { fs::remove_all(dir_); }
    LogFolder(const LogFolder&) = delete;
    LogFolder& operator=(const LogFolder&) = delete;

    const fs::path& path() const { return dir_; }
    void clear() { fs::remove(dir_ / "RL00LOG.TXT"); }

  private:
    fs::path dir_;
};

class SweptGame {
  public:
    SweptGame(const SweptSetup& setup, const LogFolder& logs) : t_(setup.seed), dir_(logs.path()) {
        loadMachine(t_.m, dir_.string(), setup.argument, setup.seed);
        t_.m.G_sLogPath = dir_.string();
        t_.m.G_sLogName = "RL00LOG.TXT";
        idleStep(t_.m);
        t_.m.G_iLottery = setup.lottery;
        t_.m.G_iZugCnt = setup.zugcnt;
    }

    test::TestMachine& t() { return t_; }

    Ending play() {
        Ending e;
        e.exit_code = test::runUntilEnd([&] { onStartRequest(t_.m); });
        e.messages = t_.display.messages().size();
        std::error_code ec;
        const auto size = fs::file_size(dir_ / "RL00LOG.TXT", ec);
        e.log_bytes = ec ? 0 : size;
        e.completed = t_.m.G_lRevCnt > 0 || t_.m.G_lOoatariCnt > 0;
        return e;
    }

  private:
    test::TestMachine t_;
    fs::path dir_;
};

// Games that between them play every presentation with every result the dispatcher gives it,
// with and without the re-lottery, and a game without reach.
std::vector<SweptSetup> everyKindAndResult(LogFolder& logs) {
    std::map<std::tuple<Int16, Int16, bool>, SweptSetup> found;  // kind, result, re-lottery
    const SweptSetup probes[] = {
        {"", 0, 7, 1},    // kakuhen hit: the re-lottery three times in four
        {"", 0, 7, 2},    // normal hit: the re-lottery once in four
        {"", 0, 16, 1},   // near miss, preview 2 possible
        {"", 0, 24, 2},   // near miss
        {"", 0, 56, 3},   // far miss in normal mode
        {"", 0, 100, 5},  // plain miss
    };
    for (const SweptSetup& probe : probes) {
        for (std::uint64_t seed = 1; seed <= 400; ++seed) {
            SweptSetup setup = probe;
            setup.seed = seed;
            SweptGame g(setup, logs);
            g.play();
            logs.clear();
            const Machine& m = g.t().m;
            found.emplace(std::make_tuple(m.G_bRich == kTrue ? m.G_iRichSyu : Int16{0},
                                          m.G_iRichRes, m.G_bSaiChusen == kTrue),
                          setup);
        }
    }
    std::vector<SweptSetup> setups;
    for (const auto& [key, setup] : found)
        setups.push_back(setup);
    return setups;
}

TEST(EndFlagSweep, EveryFrameAndEveryPauseOfEveryPresentationEndsCleanly) {
    LogFolder logs;
    const std::vector<SweptSetup> setups = everyKindAndResult(logs);
    // Kinds 1-8 and 10 with hits, six kinds with near misses, four with far misses, the
    // re-lottery, and the game without reach.
    ASSERT_GE(setups.size(), 22u);

    // The optimised build ends the game at each of its frames. The sanitizer build, where one
    // ending costs some milliseconds, takes every fourth frame and still every pause: a fault on
    // the way out shows at any frame of the same presentation.
    const std::uint64_t frame_step = test::sized<std::uint64_t>(1, 4);
    std::uint64_t games = 0, frames = 0, pauses = 0;
    for (const SweptSetup& setup : setups) {
        // The whole game once: its frames, its pauses and what it writes.
        SweptGame whole(setup, logs);
        std::uint64_t total_pauses = 0;
        whole.t().display.onSleep([&](Int32) { ++total_pauses; });
        const Ending full = whole.play();
        ASSERT_EQ(full.exit_code, -1);
        ASSERT_EQ(full.messages, 0u);
        const std::uint64_t total_frames = whole.t().display.frames();
        logs.clear();

        for (std::uint64_t f = 1; f <= total_frames; f += frame_step) {
            SweptGame g(setup, logs);
            g.t().display.atFrame(f, [&g] { onEndRequest(g.t().m); });
            const Ending e = g.play();
            ++games;
            ++frames;
            ASSERT_EQ(e.exit_code, 0) << "seed " << setup.seed << " frame " << f;
            ASSERT_EQ(e.messages, 0u) << "seed " << setup.seed << " frame " << f;
            ASSERT_EQ(e.log_bytes, 0u) << "seed " << setup.seed << " frame " << f;
            ASSERT_FALSE(e.completed);
        }
        for (std::uint64_t p = 1; p <= total_pauses; ++p) {
            SweptGame g(setup, logs);
            std::uint64_t n = 0;
            g.t().display.onSleep([&](Int32) {
                if (++n == p) onEndRequest(g.t().m);
            });
            const Ending e = g.play();
            ++games;
            ++pauses;
            ASSERT_EQ(e.messages, 0u) << "seed " << setup.seed << " pause " << p;
            if (e.exit_code == 0) {
                ASSERT_EQ(e.log_bytes, 0u) << "seed " << setup.seed << " pause " << p;
                ASSERT_FALSE(e.completed);
            } else {
                // Only the pause after the game has been counted lets it return; the idle
                // loop then ends the program at its next pass.
                ASSERT_EQ(p, total_pauses) << "seed " << setup.seed;
                ASSERT_TRUE(e.completed);
                ASSERT_EQ(e.log_bytes, full.log_bytes);
                logs.clear();
            }
        }
    }
    std::cout << setups.size() << " games of every kind and result, " << games
              << " endings: " << frames << " at a frame, " << pauses << " at a pause\n";
}

}  // namespace
}  // namespace rl00
