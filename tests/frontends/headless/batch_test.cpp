#include "frontends/headless/batch.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "frontends/headless/headless_display.h"
#include "machine/msg_show.h"
#include "platform/json.h"
#include "stats/game_record.h"
#include "stats/run_stats.h"
#include "stats/stats_report.h"
#include "support/files.h"
#include "support/test_machine.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

using test::slurp;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string l;
    while (std::getline(in, l))
        out.push_back(l);
    return out;
}

// What each key of a trace line holds, as the key order gives them.
enum class Holds { Count, Flag, Text, Preview, Symbols, Milliseconds };

struct TraceKey {
    const char* name;
    Holds holds;
    std::int64_t max = -1;  // for a count, when it has one
};

constexpr TraceKey kTraceKeys[] = {
    {"game", Holds::Count},       {"lottery", Holds::Count},
    {"zugcnt", Holds::Count},     {"mode", Holds::Count, 2},
    {"hit", Holds::Flag},         {"reach", Holds::Count, 3},
    {"oshidir", Holds::Count, 1}, {"kind", Holds::Count},
    {"code", Holds::Text},        {"preview", Holds::Preview},
    {"yokoku1", Holds::Flag},     {"yokoku2", Holds::Flag},
    {"kakuhen", Holds::Flag},     {"relottery", Holds::Flag},
    {"overshoot", Holds::Flag},   {"first", Holds::Symbols},
    {"stop", Holds::Symbols},     {"chain", Holds::Count},
    {"jitan", Holds::Flag},       {"mode_label", Holds::Text},
    {"frames", Holds::Count},     {"virtual_ms", Holds::Milliseconds}};

// A count that must lie in 0..max (max < 0: no upper bound).
bool isCount(const json::Value& v, std::int64_t max) {
    return v.isInt() && v.asInt() >= 0 && (max < 0 || v.asInt() <= max);
}

bool holdsWhatItShould(const json::Value& v, const TraceKey& key) {
    switch (key.holds) {
        case Holds::Count:
            return isCount(v, key.max);
        case Holds::Flag:
            return v.isBool();
        case Holds::Text:
            return v.isString();
        case Holds::Preview:
            return v.isString() &&
                   (v.asString() == "0" || v.asString() == "1" || v.asString() == "2");
        case Holds::Symbols:
            return v.isArray() && v.asArray().size() == 3 &&
                   std::all_of(v.asArray().begin(), v.asArray().end(),
                               [](const json::Value& s) { return isCount(s, -1); });
        case Holds::Milliseconds:
            return (v.isInt() || v.isDouble()) && v.asNumber() >= 0;
    }
    return false;
}

// One JSON object with exactly the keys of a trace line, in their order (each "key": found after
// the one before it), each holding what it should.
::testing::AssertionResult hasTraceShape(const std::string& line) {
    json::Value v;
    try {
        v = json::parse(line);
    } catch (const json::ParseError& e) {
        return ::testing::AssertionFailure() << e.what() << " in " << line;
    }
    if (!v.isObject() || v.asObject().size() != std::size(kTraceKeys))
        return ::testing::AssertionFailure() << "not the keys of a trace line: " << line;
    std::size_t at = 0;
    for (const TraceKey& expected : kTraceKeys) {
        at = line.find("\"" + std::string(expected.name) + "\":", at);
        if (at == std::string::npos || !v.asObject().contains(expected.name))
            return ::testing::AssertionFailure()
                   << "no \"" << expected.name << "\" next in " << line;
        if (!holdsWhatItShould(v[expected.name], expected))
            return ::testing::AssertionFailure()
                   << "\"" << expected.name << "\" out of range in " << line;
    }
    return ::testing::AssertionSuccess();
}

class Batch : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() / ("rl00_batch_" + std::to_string(::getpid()));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // An RL00.INI of our own that sends the log into the test folder.
    fs::path writeIni(const std::string& log_dir) {
        const fs::path ini = dir_ / "test.ini";
        std::ofstream(ini, std::ios::binary)
            << "[ログ書き込み先パス]\r\n"
            << log_dir << "\r\n[ログ書き込み先ファイル名]\r\nLOG.TXT\r\n";
        return ini;
    }

    int run(BatchOptions o, std::string* out_text = nullptr) {
        o.program_dir = dir_.string();
        o.quiet = true;
        std::ostringstream out, err;
        const int code = runBatch(o, out, err);
        if (out_text) *out_text = out.str() + err.str();
        return code;
    }

    fs::path dir_;
};

TEST_F(Batch, SameSeedGivesTheSameTraceAndTheSameRecords) {
    std::string logs[2];
    std::string traces[2];
    for (int i = 0; i < 2; ++i) {
        const fs::path log_dir = dir_ / ("log" + std::to_string(i));
        BatchOptions o;
        o.games = 3000;
        o.seed = 99;
        o.ini_file = writeIni(log_dir.string());
        o.trace_file = (dir_ / ("trace" + std::to_string(i))).string();
        ASSERT_EQ(run(o), 0);
        traces[i] = slurp(o.trace_file);
        logs[i] = slurp(log_dir / "LOG.TXT");
    }
    EXPECT_EQ(traces[0], traces[1]);
    const auto a = lines(logs[0]);
    const auto b = lines(logs[1]);
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GT(a.size(), 0u);
    for (std::size_t i = 0; i < a.size(); ++i) {
        ASSERT_EQ(a[i].size(), 115u);                       // 114 characters and the CR
        EXPECT_EQ(a[i].substr(0, 96), b[i].substr(0, 96));  // the date and time aside
    }
    const auto trace = lines(traces[0]);
    ASSERT_EQ(trace.size(), 3000u);
    for (const auto& l : trace)
        ASSERT_TRUE(hasTraceShape(l));
    // The checker itself refuses what a faulty writer would produce.
    EXPECT_FALSE(hasTraceShape(json::write(json::parse(trace[0]))));  // keys sorted
    EXPECT_FALSE(hasTraceShape(trace[0].substr(0, trace[0].rfind(",\"virtual_ms\"")) + "}"));
    EXPECT_FALSE(hasTraceShape(trace[0] + trace[0]));
    std::size_t hits = 0;
    for (const auto& l : trace)
        hits += l.find("\"hit\":true") != std::string::npos;
    EXPECT_EQ(hits, a.size());
}

TEST_F(Batch, ArgumentSevenHitsEveryGameAndStatsCountThem) {
    BatchOptions o;
    o.games = 50;
    o.seed = 5;
    o.argument = "7";
    o.trace_file = (dir_ / "trace").string();
    o.stats_file = (dir_ / "stats.json").string();
    ASSERT_EQ(run(o), 0);
    for (const auto& l : lines(slurp(o.trace_file))) {
        EXPECT_NE(l.find("\"hit\":true"), std::string::npos);
        EXPECT_NE(l.find("\"lottery\":7,"), std::string::npos);
    }
    const std::string stats = slurp(o.stats_file);
    EXPECT_NE(stats.find("\"games\": 50"), std::string::npos);
    EXPECT_NE(stats.find("\"G_lOoatariCnt\": 50"), std::string::npos);
}

TEST_F(Batch, AConfigurationFileThatCannotBeReadIsAUsageError) {
    for (const fs::path& ini : {dir_ / "missing.ini", dir_}) {
        BatchOptions o;
        o.games = 5;
        o.seed = 1;
        o.ini_file = ini.string();
        o.trace_file = (dir_ / "trace").string();
        std::string text;
        EXPECT_EQ(run(o, &text), 2) << ini;
        EXPECT_NE(text.find(ini.string()), std::string::npos) << text;
        EXPECT_EQ(slurp(o.trace_file), "");  // no game was played
    }
}

TEST(RunStatistics, ExactIntervalAndPerModeCounting) {
    const Interval none = exactInterval(0, 0, kTail95);
    EXPECT_EQ(none.low, 0.0);
    EXPECT_EQ(none.high, 1.0);
    const Interval half = exactInterval(50, 100, kTail95);
    EXPECT_NEAR(half.low, 0.3983, 1e-4);
    EXPECT_NEAR(half.high, 0.6017, 1e-4);
    const Interval zero = exactInterval(0, 10, kTail95);
    EXPECT_EQ(zero.low, 0.0);
    EXPECT_NEAR(zero.high, 0.3085, 1e-4);

    RunStats stats;
    GameRecord r;
    r.mode = 1;
    r.hit = true;
    r.reach = 3;
    r.kind = 4;
    stats.add(r);
    r.hit = false;
    r.reach = 2;
    stats.add(r);
    r.mode = 0;
    r.reach = 0;
    stats.add(r);
    EXPECT_EQ(stats.mode(1).trials, 2u);
    EXPECT_EQ(stats.mode(1).hits, 1u);
    EXPECT_EQ(stats.mode(0).trials, 1u);
    EXPECT_EQ(stats.reachKind(4).trials, 2u);
    EXPECT_EQ(stats.reachKind(4).hits, 1u);
    EXPECT_EQ(stats.reachResult(4, 2), 1u);
}

TEST(HeadlessMessages, EchoShowsTitleAndEveryLineOfTheText) {
    test::TestMachine t;
    std::ostringstream echo;
    t.display.echoMessagesTo(&echo);
    showMessage(t.m, "停止出目に失敗しました");
    t.m.err.set(RuntimeError(err::kOverflow));
    EXPECT_EQ(test::runUntilEnd([&] { showSystemError(t.m); }), 1);
    // The error's line break must not send the cursor back over the message's first line.
    EXPECT_EQ(echo.str(),
              "[ メッセージ] 停止出目に失敗しました\n"
              "[ エラー] システムエラーが発生しました\n6 :オーバーフローしました。\n");
}

TEST(HeadlessProgram, UsageErrorsExitWithTwo) {
    const std::string exe = std::string(RL00_BUILD_DIR) + "/app/rl00-headless";
    auto status = [&](const std::string& args) {
        const int raw = std::system((exe + " " + args + " >/dev/null 2>&1").c_str());
        return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    };
    EXPECT_EQ(status("--help"), 0);
    EXPECT_EQ(status("--games"), 2);
    EXPECT_EQ(status("--games ten"), 2);
    EXPECT_EQ(status("--frame-ms -1"), 2);
    // A frame period without a finite, sane value would stamp the run log with a broken date.
    EXPECT_EQ(status("--frame-ms inf --games 1 --quiet"), 2);
    EXPECT_EQ(status("--frame-ms 1e300 --games 1 --quiet"), 2);
    EXPECT_EQ(status("--frame-ms nan --games 1 --quiet"), 2);
    EXPECT_EQ(status("--bogus"), 2);
    EXPECT_EQ(status("7 8"), 2);
    EXPECT_EQ(status("--games 3 --quiet --seed 1 7"), 0);
}

}  // namespace
}  // namespace rl00
