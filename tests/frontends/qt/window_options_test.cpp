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

// Lines longer than a terminal wrap into the next option's column.
std::vector<std::string> linesOver80(const std::string& text) {
    std::vector<std::string> over;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.size() > 80) over.push_back(line);
    }
    return over;
}

TEST(WindowCommandLine, UsageFitsATerminalAndNamesEveryKey) {
    WindowOptions o;
    const CommandLine line = windowCommandLine(o);
    const std::string usage = usageText(line);
    EXPECT_EQ(linesOver80(usage), std::vector<std::string>{});
    for (const CommandLine& job : line.commands)
        EXPECT_EQ(linesOver80(usageText(job)), std::vector<std::string>{}) << job.program;
    // The first line after the usage is the manual page's NAME line, which apropos searches.
    EXPECT_NE(usage.find("\nPachinko reel display simulator: "), std::string::npos);
    for (const char* key : {"Ctrl+1..Ctrl+4 ", "+ and - ", "N ", "P ", ". ", "S "})
        EXPECT_NE(usage.find(std::string("\n  ") + key), std::string::npos) << key;
    EXPECT_NE(usage.find("xvfb-run"), std::string::npos);
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
              "Renders the statistics file STATS of rl00-headless --stats without a window:\n"
              "charts (PNG, SVG) and tables (index.html) into DIR, a new or empty folder\n"
              "(as rl00 --report).\n"
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

TEST(WindowProgram, WithoutADisplayOneLineSaysWhatToUseInstead) {
    const std::string line =
        "rl00: no display found (DISPLAY and WAYLAND_DISPLAY are unset); play without a window "
        "with rl00-headless, or on a virtual display: xvfb-run rl00\n";
    for (const char* env : {"-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM",
                            "-u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb"}) {
        const Outcome none = runWindow(env, "--seed 1");
        EXPECT_EQ(none.exit_code, 2) << env;
        EXPECT_EQ(none.err, line) << env;
    }
    // A platform that needs no display is no reason to refuse.
    const Outcome offscreen = runWindow("-u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb",
                                        "-platform offscreen "
                                        "--end-after-games 1");
    EXPECT_EQ(offscreen.exit_code, 0) << offscreen.err;
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
