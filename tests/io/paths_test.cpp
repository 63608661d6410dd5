#include "io/paths.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace rl00 {
namespace {

namespace fs = std::filesystem;

struct TempDir {
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "rl00-paths-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    fs::path path;
};

TEST(PathUpper, CountsSeparatorsFromTheEnd) {
    const std::string windows = "C:\\A\\B\\F.LOG";
    EXPECT_EQ(PATH_UPPER(-3, windows), "C:\\A\\B");
    EXPECT_EQ(PATH_UPPER(0, windows), "C:\\A\\B");
    EXPECT_EQ(PATH_UPPER(1, windows), "C:\\A\\B");
    EXPECT_EQ(PATH_UPPER(2, windows), "C:\\A");
    EXPECT_EQ(PATH_UPPER(3, windows), "C:");
    EXPECT_EQ(PATH_UPPER(4, windows), "");

    const std::string linux_path = "/var/log/rl00/run.log";
    EXPECT_EQ(PATH_UPPER(1, linux_path), "/var/log/rl00");
    EXPECT_EQ(PATH_UPPER(3, linux_path), "/var");
    EXPECT_EQ(PATH_UPPER(4, linux_path), "");  // in front of the root separator
    EXPECT_EQ(PATH_UPPER(5, linux_path), "");

    // A Windows-style setting joined to a name: both kinds of separator count.
    EXPECT_EQ(PATH_UPPER(1, "ログ\\2024/run.log"), "ログ\\2024");
    EXPECT_EQ(PATH_UPPER(2, "ログ\\2024/run.log"), "ログ");
    EXPECT_EQ(PATH_UPPER(1, "logs/"), "logs");
}

TEST(PathUpper, PathWithoutSeparatorGivesNothingForEveryCount) {
    for (Int32 n : {-1, 0, 1, 2, 7}) {
        EXPECT_EQ(PATH_UPPER(n, "RL00.LOG"), "") << n;
        EXPECT_EQ(PATH_UPPER(n, ""), "") << n;
    }
}

TEST(JoinPath, JoinsWithSlashAndTurnsBackslashesIntoSlashes) {
    EXPECT_EQ(joinPath("C:\\LOG\\RL00", "RL00.LOG"), "C:/LOG/RL00/RL00.LOG");
    EXPECT_EQ(joinPath("/tmp/log", "run.log"), "/tmp/log/run.log");
    EXPECT_EQ(joinPath("", ""), "/");
}

TEST(EnsureDir, BlankPathIsRefused) {
    EXPECT_EQ(ENSURE_DIR(""), kFalse);
    EXPECT_EQ(ENSURE_DIR("   "), kFalse);
}

TEST(EnsureDir, CreatesEveryMissingLevelOfEitherSeparator) {
    TempDir tmp;
    const fs::path target = tmp.path / "a" / "b" / "c";
    EXPECT_EQ(ENSURE_DIR(tmp.path.string() + "/a\\b/c\\run.log"), kTrue);
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_FALSE(fs::exists(target / "run.log"));  // only the directories
    EXPECT_FALSE(fs::exists(tmp.path / "a\\b"));   // no directory named with a backslash

    // Everything there already: nothing to do, still true.
    EXPECT_EQ(ENSURE_DIR((target / "run.log").string()), kTrue);
    EXPECT_TRUE(fs::is_directory(target));
}

TEST(EnsureDir, IgnoresAFileInTheWayAndStillReportsTrue) {
    TempDir tmp;
    const fs::path blocker = tmp.path / "plain.txt";
    std::ofstream(blocker) << "keep";
    EXPECT_EQ(ENSURE_DIR((blocker / "sub" / "run.log").string()), kTrue);
    ASSERT_TRUE(fs::is_regular_file(blocker));
    std::ifstream in(blocker);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "keep");
}

}  // namespace
}  // namespace rl00
