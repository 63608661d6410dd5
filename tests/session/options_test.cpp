#include "session/options.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <sstream>
#include <string>
#include <vector>

#include "session/version.h"

namespace rl00 {
namespace {

// A program with one row of every kind beside the shared ones.
struct Values {
    SharedOptions shared;
    int zoom = 0;
    long games = 0;
    std::optional<std::uint64_t> seed;
    std::string file = "unset";
    bool quiet = false;
};

CommandLine table(Values& v) {
    CommandLine line;
    line.program = "prog";
    line.summary = "Does things.";
    line.options = withSharedOptions(
        v.shared, {0.5, 20.0, "frame period"},
        {
            wholeOption("--zoom", "N", "zoom", v.zoom, 1, 4),
            wholeOption("--games", "N", "games", v.games, -3, std::numeric_limits<long>::max()),
            wholeOption("--seed", "S", "seed", v.seed, 0,
                        std::numeric_limits<std::uint64_t>::max()),
            textOption("--file", "FILE", "a file", "a file to write", v.file),
            switchOption("--quiet", "say nothing", v.quiet),
        });
    line.footer = "The end.";
    return line;
}

Reading read(Values& v, std::vector<std::string> args, Foreign foreign = Foreign::Fault) {
    return readCommandLine(table(v), args, foreign);
}

std::string faultOf(std::vector<std::string> args) {
    Values v;
    return read(v, std::move(args)).fault;
}

TEST(CommandLineNumbers, OnlyTheWholeTextIsTheNumber) {
    for (const char* bad :
         {"30ms", "2abc", "nan", "inf", "-inf", "", " 3", "3 ", "+3", "0x10", "1e400", "2,5"}) {
        Values v;
        EXPECT_EQ(read(v, {"--frame-ms", bad}).fault,
                  std::string("--frame-ms takes a number from 0.5 to 20, not \"") + bad + "\"");
        EXPECT_FALSE(v.shared.frame_ms) << bad;
    }
    for (const char* bad : {"2abc", "4.0", "", " 3", "+3", "3e0", "0x3"}) {
        Values v;
        EXPECT_EQ(read(v, {"--zoom", bad}).fault,
                  std::string("--zoom takes a whole number from 1 to 4, not \"") + bad + "\"");
        EXPECT_EQ(v.zoom, 0) << bad;
    }
    Values v;
    EXPECT_EQ(read(v, {"--frame-ms", "1.25", "--zoom", "03"}).fault, "");
    EXPECT_EQ(v.shared.frame_ms, 1.25);
    EXPECT_EQ(v.zoom, 3);
}

TEST(CommandLineNumbers, RangesHoldAtTheirEndsAndNotBeyond) {
    Values v;
    EXPECT_EQ(read(v, {"--frame-ms", "0.5", "--zoom", "1", "--games", "-3"}).fault, "");
    EXPECT_EQ(v.shared.frame_ms, 0.5);
    EXPECT_EQ(v.zoom, 1);
    EXPECT_EQ(v.games, -3);
    EXPECT_EQ(read(v, {"--frame-ms", "20", "--zoom", "4", "--seed", "18446744073709551615"}).fault,
              "");
    EXPECT_EQ(v.shared.frame_ms, 20.0);
    EXPECT_EQ(v.zoom, 4);
    EXPECT_EQ(v.seed, std::numeric_limits<std::uint64_t>::max());

    EXPECT_EQ(faultOf({"--frame-ms", "0.49999"}),
              "--frame-ms takes a number from 0.5 to 20, not \"0.49999\"");
    EXPECT_EQ(faultOf({"--frame-ms", "20.000001"}),
              "--frame-ms takes a number from 0.5 to 20, not \"20.000001\"");
    EXPECT_EQ(faultOf({"--zoom", "0"}), "--zoom takes a whole number from 1 to 4, not \"0\"");
    EXPECT_EQ(faultOf({"--zoom", "5"}), "--zoom takes a whole number from 1 to 4, not \"5\"");
    EXPECT_EQ(faultOf({"--zoom", "99999999999"}),
              "--zoom takes a whole number from 1 to 4, not \"99999999999\"");
    EXPECT_EQ(faultOf({"--games", "-4"}),
              "--games takes a whole number from -3 to 9223372036854775807, not \"-4\"");
    // Past the type's own limits: the reading must not wrap round into the range.
    EXPECT_EQ(faultOf({"--seed", "18446744073709551616"}),
              "--seed takes a whole number from 0 to 18446744073709551615, not "
              "\"18446744073709551616\"");
    EXPECT_EQ(faultOf({"--seed", "-1"}),
              "--seed takes a whole number from 0 to 18446744073709551615, not \"-1\"");
}

TEST(CommandLineValues, FollowTheNameOrItsEqualsSign) {
    Values v;
    EXPECT_EQ(read(v, {"--zoom=2", "--seed", "7", "--file=", "--frame-ms=3.5", "8"}).fault, "");
    EXPECT_EQ(v.zoom, 2);
    EXPECT_EQ(v.seed, 7U);
    EXPECT_EQ(v.file, "");
    EXPECT_EQ(v.shared.frame_ms, 3.5);
    EXPECT_EQ(v.shared.argument, "8");
    // The next argument is the value, whatever it looks like.
    EXPECT_EQ(read(v, {"--file", "-h"}).fault, "");
    EXPECT_EQ(v.file, "-h");
    EXPECT_FALSE(read(v, {"--file", "-h"}).help);
    EXPECT_EQ(read(v, {"--file", "a=b"}).fault, "");
    EXPECT_EQ(v.file, "a=b");

    Values untouched;
    EXPECT_EQ(read(untouched, {"--quiet"}).fault, "");
    EXPECT_TRUE(untouched.quiet);
    EXPECT_FALSE(untouched.seed);
    EXPECT_FALSE(untouched.shared.frame_ms);
}

TEST(CommandLineFaults, EachSaysWhatWasWrong) {
    EXPECT_EQ(faultOf({"--zoom"}), "--zoom is missing its value (a whole number from 1 to 4)");
    EXPECT_EQ(faultOf({"--file"}), "--file is missing its value (a file)");
    EXPECT_EQ(faultOf({"--bogus"}), "unknown option \"--bogus\"");
    EXPECT_EQ(faultOf({"--bogus=3"}), "unknown option \"--bogus=3\"");
    EXPECT_EQ(faultOf({"-x"}), "unknown option \"-x\"");
    EXPECT_EQ(faultOf({"-"}), "unknown option \"-\"");
    EXPECT_EQ(faultOf({"--"}), "unknown option \"--\"");
    EXPECT_EQ(faultOf({"-h=1"}), "unknown option \"-h=1\"");
    EXPECT_EQ(faultOf({"--zom", "2"}), "unknown option \"--zom\"");
    EXPECT_EQ(faultOf({"7", "8"}), "only one argument is taken, not \"7\" and \"8\"");
    EXPECT_EQ(faultOf({"--quiet=yes"}), "--quiet takes no value, not \"yes\"");
    EXPECT_EQ(faultOf({"--help="}), "--help takes no value, not \"\"");
    // The first fault is the one reported.
    EXPECT_EQ(faultOf({"--zoom", "9", "--bogus", "7", "8"}),
              "--zoom takes a whole number from 1 to 4, not \"9\"");
    EXPECT_EQ(faultOf({"--bogus", "--zoom", "9"}), "unknown option \"--bogus\"");
    EXPECT_EQ(faultOf({"--quiet=yes", "--zoom", "9"}), "--quiet takes no value, not \"yes\"");
    EXPECT_EQ(faultOf({"--zoom", "9", "--quiet=yes"}),
              "--zoom takes a whole number from 1 to 4, not \"9\"");
    EXPECT_EQ(faultOf({"-", "--zoom", "9"}), "unknown option \"-\"");
    EXPECT_EQ(faultOf({"--zoom", "9", "--file"}),
              "--zoom takes a whole number from 1 to 4, not \"9\"");

    Values v;
    EXPECT_EQ(read(v, {"7", "-x", "8"}).fault, "unknown option \"-x\"");
    EXPECT_EQ(v.shared.argument, "7");
}

TEST(CommandLineHelp, AnswersWhateverElseIsGiven) {
    Values v;
    EXPECT_TRUE(read(v, {"--help"}).help);
    EXPECT_TRUE(read(v, {"-h"}).help);
    EXPECT_TRUE(read(v, {"--bogus", "--help"}).help);
    EXPECT_TRUE(read(v, {"-h", "--zoom", "9"}).help);
    EXPECT_FALSE(read(v, {"--zoom", "2"}).help);
    // Taken as the value of --zoom, "--help" asks for nothing.
    const Reading r = read(v, {"--zoom", "--help"});
    EXPECT_FALSE(r.help);
    EXPECT_EQ(r.fault, "--zoom takes a whole number from 1 to 4, not \"--help\"");
}

TEST(CommandLineVersion, AnswersFaultsButNotHelp) {
    Values v;
    const Reading r = read(v, {"--bogus", "--version", "--zoom", "9"});
    EXPECT_TRUE(r.version);
    EXPECT_FALSE(r.help);
    EXPECT_FALSE(read(v, {"--zoom", "2"}).version);
    EXPECT_EQ(read(v, {"--version=1"}).fault, "--version takes no value, not \"1\"");

    const CommandLine line = table(v);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(answerReading(line, r, out, err), 0);
    EXPECT_EQ(out.str(), "prog " + std::string(versionText()) + "\n");
    EXPECT_EQ(err.str(), "");

    out.str("");
    EXPECT_EQ(answerReading(line, read(v, {"--version", "-h"}), out, err), 0);
    EXPECT_EQ(out.str(), usageText(line));
}

TEST(CommandLineForeign, SkippedArgumentsLeaveOurOwnFaultsAndValues) {
    Values v;
    // Qt's options, as they stand before the application takes them out.
    const Reading r =
        read(v, {"-platform", "offscreen", "--zoom", "3", "7", "-", "--style=x"}, Foreign::Skip);
    EXPECT_EQ(r.fault, "");
    EXPECT_EQ(v.zoom, 3);
    EXPECT_EQ(read(v, {"-platform", "offscreen", "--zoom", "2abc"}, Foreign::Skip).fault,
              "--zoom takes a whole number from 1 to 4, not \"2abc\"");
    EXPECT_EQ(read(v, {"-platform", "--zoom"}, Foreign::Skip).fault,
              "--zoom is missing its value (a whole number from 1 to 4)");
    EXPECT_TRUE(read(v, {"-platform", "offscreen", "--help"}, Foreign::Skip).help);
}

TEST(CommandLineUsage, ComesFromTheTable) {
    Values v;
    EXPECT_EQ(usageText(table(v)),
              "Usage: prog [options] [1|7|8]\n"
              "Does things.\n"
              "  1             start in probability-variation mode\n"
              "  7             every game is a hit (test mode)\n"
              "  8             lottery values from the test table (test mode)\n"
              "  --frame-ms X  frame period\n"
              "  --zoom N      zoom\n"
              "  --games N     games\n"
              "  --seed S      seed\n"
              "  --file FILE   a file to write\n"
              "  --quiet       say nothing\n"
              "  -h, --help    show this text\n"
              "  --version     show the version\n"
              "The end.\n");

    CommandLine bare;
    bool flag = false;
    bare.program = "bare";
    bare.options = {switchOption("--a-rather-long-name", "first line\nsecond line", flag)};
    EXPECT_EQ(usageText(bare),
              "Usage: bare [options]\n"
              "  --a-rather-long-name  first line\n"
              "                        second line\n");
    EXPECT_EQ(readCommandLine(bare, std::vector<std::string>{"x"}).fault,
              "no argument is taken, not \"x\"");
    int n = 0;
    bare.options.push_back(wholeOption("", "N", "a count", n, 1, 3));
    EXPECT_EQ(readCommandLine(bare, std::vector<std::string>{"4"}).fault,
              "the argument takes a whole number from 1 to 3, not \"4\"");
}

// A program with a second job: "prog job FILE... [--out FILE]".
struct JobValues {
    Values main;
    std::vector<std::string> files;
    std::string out;
};

CommandLine jobTable(JobValues& v) {
    CommandLine line = table(v.main);
    CommandLine job;
    job.program = "prog job";
    job.synopsis = "[options] FILE...";
    job.options = {wordsOption("FILE...", "a file", "files", v.files),
                   textOption("--out", "FILE", "a file", "where", v.out), helpOption()};
    line.commands.push_back(std::move(job));
    return line;
}

TEST(CommandLineCommands, TheFirstWordNamesAJobThatReadsItsOwnTable) {
    JobValues v;
    const CommandLine line = jobTable(v);
    const Reading r = readCommandLine(
        line, std::vector<std::string>{"job", "a", "--out", "-o", "b", "--out=o2", "c"});
    EXPECT_EQ(r.fault, "");
    EXPECT_EQ(r.command, "job");
    EXPECT_EQ(v.files, (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(v.out, "o2");

    JobValues w;
    const CommandLine other = jobTable(w);
    const Reading own = readCommandLine(other, std::vector<std::string>{"job", "--zoom", "2"});
    EXPECT_EQ(own.fault, "unknown option \"--zoom\"");
    EXPECT_EQ(w.main.zoom, 0);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(answerReading(other, own, out, err), 2);
    EXPECT_EQ(err.str(),
              "prog job: unknown option \"--zoom\"\nSee \"prog job --help\" for the options.\n");
    EXPECT_EQ(readCommandLine(other, std::vector<std::string>{"job", "--out"}).fault,
              "--out is missing its value (a file)");

    // Later, the word is an argument like any other.
    JobValues x;
    const CommandLine later = jobTable(x);
    const Reading r2 = readCommandLine(later, std::vector<std::string>{"7", "job"});
    EXPECT_EQ(r2.command, "");
    EXPECT_EQ(r2.fault, "only one argument is taken, not \"7\" and \"job\"");
    EXPECT_TRUE(x.files.empty());
    EXPECT_TRUE(
        usageText(tableOf(later, readCommandLine(later, std::vector<std::string>{"job", "-h"})))
            .starts_with("Usage: prog job [options] FILE...\n"));
}

TEST(CommandLineAnswer, HelpOnOutFaultOnErrNothingWhenItRuns) {
    Values v;
    const CommandLine line = table(v);
    std::ostringstream out;
    std::ostringstream err;
    EXPECT_EQ(answerReading(line, Reading{}, out, err), std::nullopt);
    EXPECT_EQ(out.str() + err.str(), "");

    EXPECT_EQ(answerReading(line, Reading{.help = true, .fault = "ignored"}, out, err), 0);
    EXPECT_EQ(out.str(), usageText(line));
    EXPECT_EQ(err.str(), "");

    out.str("");
    EXPECT_EQ(
        answerReading(line, Reading{.fault = "--zoom takes a whole number from 1 to 4, not \"x\""},
                      out, err),
        2);
    EXPECT_EQ(out.str(), "");
    EXPECT_EQ(err.str(),
              "prog: --zoom takes a whole number from 1 to 4, not \"x\"\n"
              "See \"prog --help\" for the options.\n");
}

}  // namespace
}  // namespace rl00
