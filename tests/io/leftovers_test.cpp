// Temporary files that a killed run leaves beside its outputs: the next run that writes the same
// output removes those no living process holds, and nothing else.

#include "io/leftovers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "io/output_file.h"
#include "support/files.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

class Leftovers : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "rl00-left-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }
    std::string at(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(Leftovers, OnlyWhatNoProcessHoldsIsRemoved) {
    std::ofstream(at("s.json.tmp-left01")) << "a killed run's";
    std::ofstream(at("s.json.tmp-held01")) << "a living run's";
    fs::create_directory(at(".report.rl00-left02"));
    std::ofstream(at(".report.rl00-left02/index.html")) << "half a report";
    std::ofstream(at("s.json.tmp-toolong1")) << "not a name of ours";
    std::ofstream(at("s.json")) << "the output itself";
    // Another open file description holds this one, as another run would.
    const int held = ::open(at("s.json.tmp-held01").c_str(), O_RDONLY);
    ASSERT_GE(held, 0);
    holdWhileOpen(held);

    removeLeftovers(dir_.string(), [](std::string_view name) {
        for (const std::string_view prefix : {"s.json.tmp-", ".report.rl00-"}) {
            if (name.starts_with(prefix) && isTemporarySuffix(name.substr(prefix.size())))
                return true;
        }
        return false;
    });
    EXPECT_FALSE(fs::exists(at("s.json.tmp-left01")));
    EXPECT_FALSE(fs::exists(at(".report.rl00-left02")));
    EXPECT_TRUE(fs::exists(at("s.json.tmp-held01")));
    EXPECT_TRUE(fs::exists(at("s.json.tmp-toolong1")));
    EXPECT_TRUE(fs::exists(at("s.json")));
    ::close(held);
}

TEST_F(Leftovers, AWholeFileRemovesWhatAKilledWriterOfItLeft) {
    std::ofstream(at("s.json.tmp-Ab3dE9")) << "{\"format\": ";
    std::ofstream(at("other.json.tmp-Ab3dE9")) << "another output's";
    WholeFile file;
    ASSERT_TRUE(file.prepare(at("s.json")));
    // Its own temporary is held: a second writer of the same file leaves it alone.
    WholeFile second;
    ASSERT_TRUE(second.prepare(at("s.json")));
    second.abandon();
    ASSERT_TRUE(file.commit("{}\n"));
    EXPECT_EQ(test::slurp(at("s.json")), "{}\n");
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"other.json.tmp-Ab3dE9", "s.json"}));
}

}  // namespace
}  // namespace rl00
