// Many machines in one run: the same results on any number of threads, machine 0 playing the
// run of one machine, and the trace and the run log in machine order, then game order.

#include <gtest/gtest.h>

#include <sstream>

#include "frontends/headless/batch.h"
#include "frontends/headless/machine_run.h"
#include "platform/json.h"
#include "runner_support.h"

namespace rl00 {
namespace {

using test::linesOf;
using test::slurp;
using test::TempDir;

struct Played {
    std::string trace;
    std::string stats;
    std::string log;                 // the records without their date and time (columns 97-114)
    std::vector<std::string> files;  // every file left in the log folder and the trace's folder
};

class Machines : public ::testing::Test {
  protected:
    Played play(const std::string& name, std::uint64_t machines, unsigned jobs,
                std::uint64_t games = 1200, const std::string& argument = "") {
        const test::fs::path folder = dir_.path() / name;
        test::fs::create_directories(folder);
        BatchOptions o;
        o.games = games;
        o.machines = machines;
        o.jobs = jobs;
        o.seed = 31;
        o.argument = argument;
        o.program_dir = folder.string();
        o.ini_file = dir_.ini(name + ".ini", (folder / "log").string());
        o.trace_file = (folder / "trace.jsonl").string();
        o.stats_file = (folder / "stats.json").string();
        o.quiet = true;
        std::ostringstream out, err;
        EXPECT_EQ(runBatch(o, out, err), 0) << err.str();
        EXPECT_EQ(err.str(), "");
        Played p{slurp(o.trace_file), slurp(o.stats_file), {}, {}};
        for (const std::string& record : linesOf(slurp(folder / "log" / "RL00.LOG")))
            p.log += record.substr(0, 96) + "\n";
        for (const auto& entry : test::fs::recursive_directory_iterator(folder))
            p.files.push_back(entry.path().filename().string());
        std::sort(p.files.begin(), p.files.end());
        return p;
    }

    TempDir dir_{"rl00_machines"};
};

TEST_F(Machines, EveryResultIsTheSameOnAnyNumberOfThreads) {
    const Played one = play("j1", 5, 1);
    ASSERT_FALSE(one.log.empty());
    for (const unsigned jobs : {2u, 3u, 5u}) {
        const Played p = play("j" + std::to_string(jobs), 5, jobs);
        EXPECT_EQ(p.trace, one.trace) << jobs;
        EXPECT_EQ(p.stats, one.stats) << jobs;
        EXPECT_EQ(p.log, one.log) << jobs;
        // The spools are gone: the log folder and the trace's folder hold the run's files only.
        EXPECT_EQ(p.files,
                  (std::vector<std::string>{"RL00.LOG", "log", "stats.json", "trace.jsonl"}))
            << jobs;
    }
}

TEST_F(Machines, MachineZeroPlaysTheRunOfOneAndTheOthersPlayTheirOwnGames) {
    const Played single = play("single", 1, 1);
    const Played many = play("many", 3, 2);
    std::vector<std::string> by_machine[3];
    for (const std::string& line : linesOf(many.trace)) {
        const auto comma = line.find(',');
        const json::Value v = json::parse(line);
        ASSERT_TRUE(line.starts_with("{\"machine\":")) << line;
        const auto machine = static_cast<std::size_t>(v["machine"].asInt());
        ASSERT_LT(machine, 3u);
        by_machine[machine].push_back("{" + line.substr(comma + 1));
    }
    const auto alone = linesOf(single.trace);
    EXPECT_EQ(by_machine[0], alone);
    EXPECT_EQ(by_machine[1].size(), alone.size());
    EXPECT_NE(by_machine[1], by_machine[0]);
    EXPECT_NE(by_machine[2], by_machine[1]);
    // A trace of one machine names none.
    EXPECT_EQ(single.trace.find("\"machine\""), std::string::npos);
}

TEST_F(Machines, TraceAndLogRunInMachineOrderThenGameOrder) {
    const Played p = play("order", 4, 3, 2500);
    std::uint64_t machine = 0, game = 0, last_hit = 0;
    std::vector<std::pair<long, long>> hits;  // games since the last hit, and the chain
    for (const std::string& line : linesOf(p.trace)) {
        const json::Value v = json::parse(line);
        const auto m = static_cast<std::uint64_t>(v["machine"].asInt());
        if (m != machine) {
            ASSERT_EQ(m, machine + 1) << line;
            ASSERT_EQ(game, 2500u);
            machine = m;
            game = last_hit = 0;
        }
        ASSERT_EQ(static_cast<std::uint64_t>(v["game"].asInt()), ++game) << line;
        if (v["hit"].asBool()) {
            hits.emplace_back(long(game - last_hit), long(v["chain"].asInt()));
            last_hit = game;
        }
    }
    EXPECT_EQ(machine, 3u);
    // One record per hit, in the order of the hits: G_lRevCnt in columns 1-5, the chain in 89-92.
    const auto records = linesOf(p.log);
    ASSERT_EQ(records.size(), hits.size());
    ASSERT_GT(records.size(), 20u);
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(std::stol(records[i].substr(0, 5)), hits[i].first) << i;
        EXPECT_EQ(std::stol(records[i].substr(88, 4)), hits[i].second) << i;
    }
}

TEST(MachineRun, AMachineStopsBeforeItsNextGameOnceTheRunIsHalted) {
    // Another machine's error sets the flag; this one must not start another game.
    std::atomic<bool> halt{false};
    MachineSetup setup;
    setup.seed = 5;
    setup.games = 40;
    setup.program_dir = "/nonexistent";
    setup.halt = &halt;
    std::atomic<std::uint64_t> done{0};
    EXPECT_EQ(playMachine(setup, 0, nullptr, "", done).stats.summary().games, 40u);
    halt = true;
    const MachineResult r = playMachine(setup, 1, nullptr, "", done);
    EXPECT_EQ(r.stats.summary().games, 0u);
    EXPECT_EQ(r.exit_code, 0);
}

}  // namespace
}  // namespace rl00
