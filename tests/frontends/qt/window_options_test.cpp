#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "frontends/qt/window_program.h"
#include "support/files.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

Reading read(WindowOptions& o, std::vector<std::string> args) {
    return readWindowCommandLine(windowCommandLine(o), o, args);
}

std::string faultOf(std::vector<std::string> args) {
    WindowOptions o;
    return read(o, std::move(args)).fault;
}

TEST(WindowCommandLine, EveryOptionReachesItsPlace) {
    WindowOptions o;
    EXPECT_EQ(read(o, {"--zoom", "3", "--frame-ms=0.5", "--no-delay", "--end-after-games", "3",
                       "--end-after-ms=1600", "--measure", "--seed", "18446744073709551615",
                       "--replay=2147483647", "--trace", "t.jsonl", "--paused", "--report",
                       "s.json", "7"})
                  .fault,
              "");
    EXPECT_EQ(o.zoom, 3);
    EXPECT_EQ(o.shared.frame_ms, 0.5);
    EXPECT_TRUE(o.no_delay);
    EXPECT_EQ(o.end_after_games, 3);
    EXPECT_EQ(o.end_after_ms, 1600);
    EXPECT_TRUE(o.measure);
    EXPECT_EQ(o.seed, 18446744073709551615u);
    EXPECT_EQ(o.replay, 2147483647u);
    EXPECT_EQ(o.trace_file, "t.jsonl");
    EXPECT_TRUE(o.paused);
    EXPECT_EQ(o.report, "s.json");
    EXPECT_EQ(o.shared.argument, "7");

    // Nothing given: the remembered zoom and pace apply, and nothing ends the program.
    WindowOptions none;
    EXPECT_EQ(read(none, {}).fault, "");
    EXPECT_EQ(none.zoom, 0);
    EXPECT_FALSE(none.shared.frame_ms);
    EXPECT_FALSE(none.no_delay);
    EXPECT_EQ(none.end_after_games, 0);
    EXPECT_EQ(none.end_after_ms, 0);
    EXPECT_FALSE(none.measure);
    EXPECT_EQ(none.shared.argument, "");
}

TEST(WindowCommandLine, NumbersAreStrictAndWithinTheirRanges) {
    for (const char* ok : {"1", "4"})
        EXPECT_EQ(faultOf({"--zoom", ok}), "") << ok;
    for (const char* bad : {"0", "5", "2abc"}) {
        EXPECT_EQ(faultOf({"--zoom", bad}),
                  std::string("--zoom takes a whole number from 1 to 4, not \"") + bad + "\"");
    }
    for (const char* ok : {"0.5", "20"})
        EXPECT_EQ(faultOf({"--frame-ms", ok}), "") << ok;
    for (const char* bad : {"0.49", "20.01", "30ms"}) {
        EXPECT_EQ(faultOf({"--frame-ms", bad}),
                  std::string("--frame-ms takes a number from 0.5 to 20, not \"") + bad + "\"");
    }
    EXPECT_EQ(faultOf({"--end-after-games", "0"}),
              "--end-after-games takes a whole number from 1 to 9223372036854775807, not \"0\"");
    EXPECT_EQ(faultOf({"--end-after-ms", "2147483648"}),
              "--end-after-ms takes a whole number from 1 to 2147483647, not \"2147483648\"");
    // A replay goes as far as the machine's 32-bit count, and only the games of a seed.
    for (const char* bad : {"0", "2147483648", "-1"}) {
        EXPECT_EQ(
            faultOf({"--seed", "1", "--replay", bad}),
            std::string("--replay takes a whole number from 1 to 2147483647, not \"") + bad + "\"");
    }
    EXPECT_EQ(faultOf({"--replay", "5"}),
              "--replay needs --seed: only the games of a seed can be played again");
    EXPECT_EQ(faultOf({"--replay", "5", "--zoom", "9"}),  // the first fault is the one told
              "--zoom takes a whole number from 1 to 4, not \"9\"");
}

TEST(WindowCommandLine, UsageKeepsItsWords) {
    WindowOptions o;
    EXPECT_EQ(usageText(windowCommandLine(o)),
              "Usage: rl00 [options] [1|7|8]\n"
              "Plays the machine by itself in a window.\n"
              "  1                    start in probability-variation mode\n"
              "  7                    every game is a hit (test mode)\n"
              "  8                    lottery values from the test table (test mode)\n"
              "  --frame-ms X         animation frame period in ms (0.5..20, default 2)\n"
              "  --zoom N             show the window N times larger (1..4; remembered from the "
              "menu)\n"
              "  --no-delay           animate as fast as possible\n"
              "  --seed S             play the games of rl00-headless --seed S with the same "
              "argument\n"
              "                       and --frame-ms: the idle counter moves only by the seed's "
              "draws\n"
              "  --replay G           with --seed: play games 1 to G-1 at once, then show game G\n"
              "                       (G up to 2147483647, the machine's 32-bit count)\n"
              "  --trace FILE         one JSON object per completed game, as rl00-headless "
              "writes\n"
              "                       (each frame counts --frame-ms, default 2, at any pace)\n"
              "  --paused             start paused, as P does; . lets one frame pass\n"
              "  --end-after-games N  press the end button after N completed games\n"
              "  --end-after-ms T     press the end button T ms after the window is shown\n"
              "  --measure            measure frame pacing, pauses, idle passes and memory, then "
              "end\n"
              "  --report STATS DIR   render the statistics file STATS of rl00-headless --stats, "
              "no window:\n"
              "                       charts (PNG, SVG) and tables (index.html) into DIR, a new "
              "or empty folder\n"
              "  -h, --help           show this text\n"
              "  --version            show the version\n"
              "Right-click the window, or use Ctrl+1..4, +, -, N and P, for zoom, speed and "
              "pause.\n"
              "While paused, . lets one animation frame pass.\n"
              "S opens the statistics window.\n"
              "rl00 report STATS DIR is rl00 --report STATS DIR (rl00 report --help).\n");
}

TEST(WindowCommandLine, ReportIsAJobOfItsOwnAndKeepsItsOldSpelling) {
    WindowOptions job;
    const Reading r = read(job, {"report", "s.json", "out"});
    EXPECT_EQ(r.fault, "");
    EXPECT_EQ(r.command, "report");
    EXPECT_EQ(job.report, "s.json");
    EXPECT_EQ(job.report_dir, "out");
    EXPECT_EQ(job.shared.argument, "");
    // The folder in the machine's argument slot, as it always was.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--report", "s.json", "out"}, {"out", "--report=s.json"}}) {
        WindowOptions old;
        const Reading o = read(old, args);
        EXPECT_EQ(o.fault, "") << args.front();
        EXPECT_EQ(o.command, "");
        EXPECT_EQ(old.report, "s.json");
        EXPECT_EQ(old.shared.argument, "out");
    }
    EXPECT_EQ(faultOf({"report"}), "report is missing the statistics file STATS");
    EXPECT_EQ(faultOf({"report", "s.json"}), "report is missing the folder DIR after STATS");
    EXPECT_EQ(faultOf({"report", "a", "b", "c"}), "only 2 arguments are taken, not \"c\"");
    EXPECT_EQ(faultOf({"report", "--zoom", "2", "a", "b"}), "unknown option \"--zoom\"");
    EXPECT_EQ(faultOf({"--report", "s.json"}),
              "--report is missing the folder DIR after its statistics file");
    // Only the first word names the job.
    EXPECT_EQ(faultOf({"7", "report"}), "only one argument is taken, not \"7\" and \"report\"");

    WindowOptions h;
    const CommandLine line = windowCommandLine(h);
    const Reading help = readWindowCommandLine(line, h, std::vector<std::string>{"report", "-h"});
    EXPECT_TRUE(help.help);
    EXPECT_EQ(usageText(tableOf(line, help)),
              "Usage: rl00 report STATS DIR\n"
              "Renders the statistics file STATS of rl00-headless --stats, no window: charts "
              "(PNG,\n"
              "SVG) and tables (index.html) into DIR, a new or empty folder (as rl00 --report).\n"
              "  STATS       the statistics file\n"
              "  DIR         the folder to write, new or empty\n"
              "  -h, --help  show this text\n");
}

using test::slurp;

struct Outcome {
    int exit_code = -1;
    std::string out;
    std::string err;
};

// The real window program, under `env` (options and settings for env(1)), with a settings
// folder of its own.
Outcome runWindow(const std::string& env, const std::string& args) {
    const fs::path dir = fs::temp_directory_path() / ("rl00_wcli_" + std::to_string(getpid()));
    fs::create_directories(dir / "runtime");
    fs::permissions(dir / "runtime", fs::perms::owner_all);
    const std::string cmd = "env " + env + " XDG_CONFIG_HOME='" + (dir / "config").string() +
                            "' XDG_RUNTIME_DIR='" + (dir / "runtime").string() + "' timeout 60 '" +
                            RL00_BUILD_DIR + "/app/rl00' " + args + " >'" + (dir / "out").string() +
                            "' 2>'" + (dir / "err").string() + "'";
    const int raw = std::system(cmd.c_str());
    Outcome r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(dir / "out"), slurp(dir / "err")};
    fs::remove_all(dir);
    return r;
}

TEST(WindowProgram, BadOptionsEndWithTwoAndHelpNeedsNoDisplay) {
    const Outcome zoom = runWindow("QT_QPA_PLATFORM=offscreen", "--zoom 2abc");
    EXPECT_EQ(zoom.exit_code, 2);
    EXPECT_EQ(zoom.err,
              "rl00: --zoom takes a whole number from 1 to 4, not \"2abc\"\n"
              "See \"rl00 --help\" for the options.\n");

    // Options the application takes out first must pass; ours are still checked after it.
    const Outcome late = runWindow("QT_QPA_PLATFORM=offscreen", "-platform offscreen -x");
    EXPECT_EQ(late.exit_code, 2);
    EXPECT_EQ(late.err, "rl00: unknown option \"-x\"\nSee \"rl00 --help\" for the options.\n");

    // Without any display the application cannot start: these must answer before it exists.
    const std::string no_display = "-u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb";
    WindowOptions o;
    const Outcome help = runWindow(no_display, "--help");
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_EQ(help.out, usageText(windowCommandLine(o)));
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(runWindow(no_display, "--frame-ms nan").exit_code, 2);
    const Outcome replay = runWindow(no_display, "--replay 5");
    EXPECT_EQ(replay.exit_code, 2);
    EXPECT_EQ(replay.err,
              "rl00: --replay needs --seed: only the games of a seed can be played again\n"
              "See \"rl00 --help\" for the options.\n");
}

TEST(WindowProgram, ATraceThatCannotBeWrittenIsToldWithItsReason) {
    // The lines go out as the program ends, where a full device refuses them.
    const Outcome full = runWindow("QT_QPA_PLATFORM=offscreen",
                                   "--trace /dev/full --seed 1 --replay 4 --end-after-games 2");
    EXPECT_EQ(full.exit_code, 1);
    EXPECT_EQ(full.err, "rl00: cannot write /dev/full: " +
                            std::error_code(ENOSPC, std::generic_category()).message() + "\n");
}

}  // namespace
}  // namespace rl00
