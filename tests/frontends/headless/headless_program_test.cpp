#include "frontends/headless/headless_program.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "frontends/headless/runner_support.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

using test::Outcome;
using test::slurp;

// The real rl00-headless, with its output kept in a folder of the test's own.
class HeadlessRunner : public ::testing::Test {
  protected:
    Outcome run(const std::vector<std::string>& args) { return test::runRunner(dir_, args); }
    std::string path(const std::string& name) const { return dir_ / name; }

    // The two lines of a usage fault.
    static std::string fault(const std::string& line) {
        return "rl00-headless: " + line + "\nSee \"rl00-headless --help\" for the options.\n";
    }

    test::TempDir dir_{"rl00_cli"};
};

TEST_F(HeadlessRunner, ANumberIsTheWholeTextOrAFaultAndNothingIsPlayed) {
    for (const char* bad : {"30ms", "2abc", "nan", "inf", "", " 3"}) {
        const Outcome r =
            run({"--games", "1", "--seed", "1", "--trace", path("t"), "--frame-ms", bad});
        EXPECT_EQ(r.exit_code, 2) << bad;
        EXPECT_EQ(r.err, fault(std::string("--frame-ms takes a number from 0 to 1000, not \"") +
                               bad + "\""));
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(fs::exists(path("t"))) << bad;
    }
    EXPECT_EQ(run({"--games", "1e3"}).err,
              fault("--games takes a whole number from 0 to 18446744073709551615, not \"1e3\""));
    EXPECT_EQ(run({"--seed", "-1"}).err,
              fault("--seed takes a whole number from 0 to 18446744073709551615, not \"-1\""));
}

TEST_F(HeadlessRunner, FaultsOfTheLineItself) {
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--games"},
         "--games is missing its value (a whole number from 0 to 18446744073709551615)"},
        {{"--quiet", "--trace"}, "--trace is missing its value (a file)"},
        {{"--bogus"}, "unknown option \"--bogus\""},
        {{"-x"}, "unknown option \"-x\""},
        {{"-"}, "unknown option \"-\""},
        {{"7", "8"}, "only one argument is taken, not \"7\" and \"8\""},
        {{"--quiet=1"}, "--quiet takes no value, not \"1\""},
        // What the statistics file could not hold, and a merge would refuse.
        {{"\xFF\xFE"}, "the argument must be UTF-8 text of at most 1024 bytes"},
        {{std::string(1025, '7')}, "the argument must be UTF-8 text of at most 1024 bytes"},
    };
    for (const auto& [args, line] : cases) {
        const Outcome r = run(args);
        EXPECT_EQ(r.exit_code, 2) << args.front();
        EXPECT_EQ(r.err, fault(line));
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(HeadlessRunner, FramePeriodRangeHoldsAtItsEnds) {
    for (const char* ok : {"0", "1000"})
        EXPECT_EQ(run({"--games", "2", "--seed", "1", "--quiet", "--frame-ms", ok}).exit_code, 0)
            << ok;
    for (const char* beyond : {"-0.1", "1000.5", "1e300"}) {
        const Outcome r = run({"--games", "2", "--seed", "1", "--quiet", "--frame-ms", beyond});
        EXPECT_EQ(r.exit_code, 2) << beyond;
        EXPECT_EQ(r.err, fault(std::string("--frame-ms takes a number from 0 to 1000, not \"") +
                               beyond + "\""));
    }
    EXPECT_EQ(run({"--games", "0", "--seed", "1", "--quiet"}).exit_code, 0);
}

TEST_F(HeadlessRunner, BothSpellingsAndTheDefaultPeriodPlayTheSameGames) {
    const Outcome spaced = run({"--games", "30", "--seed", "5", "--frame-ms", "0.5", "--quiet",
                                "--trace", path("spaced"), "7"});
    const Outcome joined = run(
        {"--games=30", "--seed=5", "--frame-ms=0.5", "--quiet", "--trace=" + path("joined"), "7"});
    ASSERT_EQ(spaced.exit_code, 0) << spaced.err;
    ASSERT_EQ(joined.exit_code, 0) << joined.err;
    const std::string trace = slurp(path("spaced"));
    EXPECT_EQ(std::count(trace.begin(), trace.end(), '\n'), 30);
    EXPECT_EQ(slurp(path("joined")), trace);

    // Without --frame-ms the games take the default period, and the period reaches the clock.
    ASSERT_EQ(
        run({"--games", "30", "--seed", "5", "--quiet", "--trace", path("default"), "7"}).exit_code,
        0);
    ASSERT_EQ(run({"--games", "30", "--seed", "5", "--quiet", "--trace", path("two"), "--frame-ms",
                   "2", "7"})
                  .exit_code,
              0);
    EXPECT_EQ(slurp(path("default")), slurp(path("two")));
    EXPECT_NE(slurp(path("default")), trace);
}

TEST_F(HeadlessRunner, HelpPrintsTheUsageAndPlaysNothing) {
    BatchOptions o;
    SharedOptions shared;
    MergeOptions merge;
    const std::string usage = usageText(headlessCommandLine(o, shared, merge));
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--help"}, {"-h"}, {"--bogus", "--help", "--trace", "t"}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.exit_code, 0) << args.front();
        EXPECT_EQ(r.out, usage);
        EXPECT_EQ(r.err, "");
    }
    EXPECT_FALSE(fs::exists(path("t")));
    EXPECT_TRUE(usage.starts_with("Usage: rl00-headless [options] [1|7|8]\n"));
    for (const char* name : {"--games N", "--seed S", "--ini FILE", "--trace FILE", "--stats FILE",
                             "--frame-ms X", "--quiet", "-h, --help"}) {
        EXPECT_NE(usage.find(std::string("\n  ") + name + " "), std::string::npos) << name;
    }
}

TEST(HeadlessCommandLine, UsageFitsATerminal) {
    BatchOptions o;
    SharedOptions shared;
    MergeOptions merge;
    const CommandLine line = headlessCommandLine(o, shared, merge);
    std::vector<CommandLine> tables = line.commands;
    tables.push_back(line);
    for (const CommandLine& table : tables) {
        std::istringstream usage(usageText(table));
        for (std::string l; std::getline(usage, l);)
            EXPECT_LE(l.size(), 80u) << table.program << ": " << l;
    }
    EXPECT_TRUE(
        usageText(line).starts_with("Usage: rl00-headless [options] [1|7|8]\nPachinko reel display "
                                    "simulator, headless runner"));
}

TEST(HeadlessCommandLine, EveryOptionReachesTheBatch) {
    BatchOptions o;
    SharedOptions shared;
    MergeOptions merge;
    const CommandLine line = headlessCommandLine(o, shared, merge);
    const std::vector<std::string> args = {
        "--games",        "12",      "--seed",     "0",    "--ini", "a.ini", "--trace", "t.jsonl",
        "--stats=s.json", "--quiet", "--frame-ms", "0.25", "8"};
    EXPECT_EQ(readCommandLine(line, args).fault, "");
    EXPECT_EQ(o.games, 12U);
    EXPECT_EQ(o.seed, 0U);  // zero is a seed, not "none given"
    EXPECT_EQ(o.ini_file, "a.ini");
    EXPECT_EQ(o.trace_file, "t.jsonl");
    EXPECT_EQ(o.stats_file, "s.json");
    EXPECT_TRUE(o.quiet);
    EXPECT_EQ(shared.frame_ms, 0.25);
    EXPECT_EQ(shared.argument, "8");
}

}  // namespace
}  // namespace rl00
