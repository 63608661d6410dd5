// The runner's files when the system refuses them: a device that takes nothing, a file size
// limit, and configuration files that cannot be read as one. Driven through the real binary,
// since signals and limits belong to the process.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include "platform/json.h"
#include "runner_support.h"

namespace rl00 {
namespace {

using test::linesOf;
using test::Outcome;
using test::slurp;
using test::TempDir;
using test::fs::exists;

std::size_t countOf(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class RunnerOutputs : public ::testing::Test {
  protected:
    TempDir dir_{"rl00_outputs"};
};

TEST_F(RunnerOutputs, ADeviceThatTakesNothingIsOneLinePerFileAndExitCodeOne) {
    for (const char* machines : {"1", "3"}) {
        // The spools of a trace that is no file go to the temporary folder: ours, to look in.
        const Outcome r = test::runRunner(
            dir_,
            {"--games", "200", "--seed", "1", "--quiet", "--ini", "/dev/null", "--machines",
             machines, "--trace", "/dev/full", "--stats", "/dev/full"},
            "export TMPDIR=" + test::shellQuoted(dir_.path().string()));
        EXPECT_EQ(r.exit_code, 1) << machines;
        EXPECT_EQ(
            countOf(r.err, "rl00-headless: cannot write /dev/full: No space left on device\n"), 2u)
            << r.err;
        for (const auto& entry : test::fs::directory_iterator(dir_.path()))
            EXPECT_TRUE(entry.path().filename().string().starts_with("runner."))
                << entry.path() << " left behind";
    }
}

TEST_F(RunnerOutputs, AFileSizeLimitFailsTheWritesInsteadOfKillingTheRunner) {
    const std::string log_dir = dir_ / "log";
    const std::string ini = dir_.ini("log.ini", log_dir);
    test::fs::create_directories(log_dir);
    // A log already past the limit, as a user met it: every record fails.
    std::ofstream(log_dir + "/RL00.LOG", std::ios::binary) << std::string(21808, 'x');
    const std::string stats = dir_ / "stats.json";
    std::ofstream(stats) << "the statistics of an earlier run\n";
    for (const char* machines : {"1", "3"}) {
        const Outcome r =
            test::runRunner(dir_,
                            {"--games", "400", "--seed", "3", "--quiet", "--ini", ini, "--machines",
                             machines, "--trace", dir_ / "trace.jsonl", "--stats", stats, "7"},
                            "ulimit -f 12");  // 6 KiB in the shell's 512-byte blocks
        EXPECT_EQ(r.exit_code, 1) << r.err;
        EXPECT_NE(r.err.find("rl00-headless: cannot write " + (dir_ / "trace.jsonl") +
                             ": File too large\n"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("rl00-headless: cannot write " + stats + ": File too large\n"),
                  std::string::npos)
            << r.err;
        EXPECT_NE(r.err.find("run log not written to " + log_dir + "/RL00.LOG"), std::string::npos);
        // The earlier statistics stay as they were, with no half file beside them.
        EXPECT_EQ(slurp(stats), "the statistics of an earlier run\n");
        for (const auto& entry : test::fs::directory_iterator(dir_.path()))
            EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos);
        // The trace keeps whole lines only.
        const std::string trace = slurp(dir_ / "trace.jsonl");
        ASSERT_FALSE(trace.empty());
        EXPECT_EQ(trace.back(), '\n');
        for (const std::string& line : linesOf(trace))
            EXPECT_NO_THROW(json::parse(line)) << line;
    }
}

TEST_F(RunnerOutputs, OutputsThatAreOneFileAreRefusedUpFrontAndLeftAsTheyWere) {
    const std::string ini = dir_.ini("run.ini", dir_.path().string());  // the log: RL00.LOG
    std::ofstream(dir_ / "RL00.LOG") << "the log\n";
    std::ofstream(dir_ / "x") << "mine\n";
    test::fs::create_hard_link(dir_ / "x", dir_ / "hard");
    test::fs::create_symlink(dir_ / "x", dir_ / "soft");
    const std::vector<std::string> base = {"--games", "400", "--seed", "1", "--ini", ini};
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--trace", dir_ / "x", "--stats", dir_ / "x"}, "--trace and --stats are the same file"},
        {{"--trace", dir_ / "hard", "--stats", dir_ / "soft"}, "--trace and --stats"},
        {{"--trace", dir_ / "new", "--stats", dir_ / "./new"}, "--trace and --stats"},
        {{"--trace", dir_ / "RL00.LOG"}, "--trace and the run log are the same file"},
        {{"--stats", dir_ / "RL00.LOG"}, "--stats and the run log are the same file"},
    };
    for (const auto& [outputs, said] : cases) {
        std::vector<std::string> args = base;
        args.insert(args.end(), outputs.begin(), outputs.end());
        const Outcome r = test::runRunner(dir_, args);
        EXPECT_EQ(r.exit_code, 2) << said;
        EXPECT_TRUE(r.err.starts_with("rl00-headless: " + said)) << r.err;
        EXPECT_EQ(countOf(r.err, "\n"), 1u) << r.err;
        EXPECT_EQ(slurp(dir_ / "x"), "mine\n");
        EXPECT_EQ(slurp(dir_ / "RL00.LOG"), "the log\n");
        EXPECT_FALSE(exists(dir_ / "new"));
    }
    // A device takes both.
    EXPECT_EQ(test::runRunner(dir_, {"--games", "5", "--seed", "1", "--quiet", "--ini", ini,
                                     "--trace", "/dev/null", "--stats", "/dev/null"})
                  .exit_code,
              0);
}

TEST_F(RunnerOutputs, AConfigurationFileThatIsNoneIsAUsageErrorAndDevNullIsNoSettings) {
    const std::string big = dir_ / "big.ini";
    std::ofstream(big) << "[ログ書き込み先パス]\n";
    test::fs::resize_file(big, (std::uintmax_t{32} << 20) + 1);
    std::ofstream(dir_ / "utf16.ini", std::ios::binary)
        << std::string("\xFF\xFE[\0a\0]\0\r\0\n\0", 12);
    std::ofstream(dir_ / "binary.ini", std::ios::binary) << std::string("[a]\r\n\0\x01", 7);
    const std::string file = "the configuration file ";
    const std::pair<std::string, std::string> cases[] = {
        {big, file + big + " is larger than 32 MiB"},
        {dir_ / "utf16.ini", file + (dir_ / "utf16.ini") +
                                 " is not text in Shift-JIS or UTF-8 (UTF-16, or not text at all)"},
        {dir_ / "binary.ini",
         file + (dir_ / "binary.ini") +
             " is not text in Shift-JIS or UTF-8 (UTF-16, or not text at all)"},
        {dir_.path().string(), file + dir_.path().string() + " is a folder"},
        {"", "the configuration file's name is empty"},
        {"/dev/zero", file + "/dev/zero is a device, not a regular file"},
        {dir_ / "absent.ini",
         "cannot read " + file + (dir_ / "absent.ini") + ": No such file or directory"},
    };
    for (const auto& [ini, said] : cases) {
        const Outcome r = test::runRunner(
            dir_, {"--games", "5", "--seed", "1", "--ini", ini, "--trace", dir_ / "t.jsonl"});
        EXPECT_EQ(r.exit_code, 2) << ini;
        EXPECT_EQ(r.err, "rl00-headless: " + said + "\n");
        EXPECT_EQ(r.out, "");
        EXPECT_FALSE(exists(dir_ / "t.jsonl")) << ini;  // nothing is played
    }
    const Outcome none = test::runRunner(dir_, {"--games", "5", "--seed", "1", "--quiet", "--ini",
                                                "/dev/null", "--stats", dir_ / "s.json"});
    EXPECT_EQ(none.exit_code, 0) << none.err;
    EXPECT_NE(slurp(dir_ / "s.json").find("\"games\": 5,"), std::string::npos);
}

}  // namespace
}  // namespace rl00
