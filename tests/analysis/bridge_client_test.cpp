// The program's side of the bridge against stand-in helpers (shell scripts) whose answers no
// real helper would send: the program must fail the call cleanly, not crash or grow unbounded.

#include "analysis/bridge_client.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace rl00 {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kAnswerLimit = std::size_t{1} << 20;

class BridgeAnswers : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("rl00_bridge_" + std::to_string(::getpid()));
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // A helper that reads one request, prints `answer` (shell commands writing to standard
    // output) and waits for the end of its input.
    std::string helper(const std::string& answer) {
        const fs::path script = dir_ / ("helper" + std::to_string(++count_));
        std::ofstream(script) << "#!/bin/sh\nread request\n" << answer << "\ncat >/dev/null\n";
        ::chmod(script.c_str(), 0755);
        return script.string();
    }

    // A shell command that prints `n` letters.
    static std::string letters(std::size_t n) {
        return "head -c " + std::to_string(n) + " /dev/zero 2>/dev/null | tr '\\0' a 2>/dev/null";
    }

    // Gives a wait up after a minute, so that a program that waits for ever fails the test.
    static std::function<bool()> aMinute() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::minutes(1);
        return [deadline] { return std::chrono::steady_clock::now() < deadline; };
    }

    fs::path dir_;
    int count_ = 0;
};

TEST_F(BridgeAnswers, ALineUpToTheLimitIsReadAndALongerOneRefused) {
    // {"ok":true,"value":{"obj":0},"pad":"aaa..."} padded to a given length.
    const std::string head = R"({"ok":true,"value":{"obj":0},"pad":")";
    const auto padded = [&](std::size_t length) {
        return "printf '%s' '" + head + "'; " + letters(length - head.size() - 2) +
               "; printf '\"}\\n'";
    };
    BridgeAutomation at_limit(helper(padded(kAnswerLimit)), aMinute());
    EXPECT_NE(at_limit.CreateObject("Excel.application"), nullptr);

    BridgeAutomation over_limit(helper(padded(kAnswerLimit + 1)), aMinute());
    try {
        over_limit.CreateObject("Excel.application");
        FAIL();
    } catch (const AutomationError& e) {
        EXPECT_EQ(e.failure(), AutomationFailure::NoServer);
        EXPECT_NE(e.detail().find("longer than 1 MiB"), std::string::npos) << e.detail();
    }
}

TEST_F(BridgeAnswers, AnEndlessLineOrDeepNestingFailsTheCall) {
    const std::string answers[] = {letters(300'000'000),
                                   "head -c 100000 /dev/zero | tr '\\0' '['; echo",
                                   "echo '{\"ok\":tru'"};
    for (const std::string& answer : answers) {
        BridgeAutomation bridge(helper(answer), aMinute());
        try {
            bridge.CreateObject("Excel.application");
            FAIL() << answer;
        } catch (const AutomationError& e) {
            EXPECT_EQ(e.failure(), AutomationFailure::NoServer) << answer;
            EXPECT_FALSE(e.detail().empty());
        }
    }
}

// The helper's side: a request that is too deep or too long is refused in one answer line, and
// the helper goes on answering the next request.
TEST(BridgeRequests, ADeepOrOverlongRequestIsRefusedAndTheNextOneAnswered) {
    // The helper the build made: the test program does not lie beside it, where the launcher looks.
    const std::string helper = RL00_BUILD_DIR "/app/rl00-calc-bridge";
    if (::access(helper.c_str(), X_OK) != 0) GTEST_SKIP() << "no helper built";
    const fs::path dir =
        fs::temp_directory_path() / ("rl00_requests_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    {
        std::ofstream in(dir / "requests", std::ios::binary);
        in << std::string(100'000, '[') << "\n\"" << std::string(2'000'000, 'a') << "\"\n"
           << "{\"op\":\"get\",\"obj\":99,\"member\":\"x\",\"args\":[]}\n";
    }
    const std::string command = "'" + helper + "' <'" + (dir / "requests").string() + "' >'" +
                                (dir / "answers").string() + "' 2>/dev/null";
    EXPECT_EQ(std::system(command.c_str()), 0);
    std::ifstream out(dir / "answers");
    std::vector<std::string> answers;
    for (std::string line; std::getline(out, line);)
        answers.push_back(line);
    fs::remove_all(dir);
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_NE(answers[0].find("nesting deeper than"), std::string::npos) << answers[0];
    EXPECT_NE(answers[1].find("longer than 1 MiB"), std::string::npos) << answers[1];
    EXPECT_NE(answers[2].find("\"ok\":false"), std::string::npos) << answers[2];
}

}  // namespace
}  // namespace rl00
