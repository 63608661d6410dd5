#include "analysis/workbook_copy.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>

#include "analysis/analysis_launch.h"
#include "analysis/analysis_texts.h"
#include "analysis/recording_automation.h"
#include "support/files.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

std::set<std::string> names(const fs::path& dir) {
    std::set<std::string> found;
    for (const auto& e : fs::directory_iterator(dir))
        found.insert(e.path().filename().string());
    return found;
}

class WorkbookCopy : public testing::Test {
  protected:
    void SetUp() override {
        dir_ = fs::path(RL00_BUILD_DIR) / "workbook-copy" /
               testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        installed_ = dir_ / "share";
        book_ = installed_ / "ATARI.ods";
        data_ = dir_ / "data" / "rl00";
        fs::create_directories(installed_);
        install("version 1", std::chrono::hours(-2));
    }
    // A workbook installed with a time `age` from now.
    void install(const std::string& content, std::chrono::hours age) {
        std::ofstream(book_, std::ios::binary) << content;
        fs::last_write_time(book_, fs::file_time_type::clock::now() + age);
    }

    fs::path dir_;
    fs::path installed_;
    fs::path book_;
    fs::path data_;
};

TEST_F(WorkbookCopy, TheInstalledBookIsOnlyReadTheUsersSavesAreKeptUntilANewerOneIsInstalled) {
    const std::set<std::string> installed_before = names(installed_);

    // Named as the settings join it, with "\".
    const std::string windows_form = installed_.string() + "\\ATARI.ods";
    const std::string copy = userWorkbook(windows_form, data_.string());
    EXPECT_EQ(copy, (data_ / "ATARI.ods").string());
    EXPECT_EQ(test::slurp(copy), "version 1");

    std::ofstream(copy, std::ios::binary | std::ios::trunc) << "saved by the user";
    EXPECT_EQ(userWorkbook(windows_form, data_.string()), copy);
    EXPECT_EQ(test::slurp(copy), "saved by the user");

    install("version 2", std::chrono::hours(1));
    EXPECT_EQ(userWorkbook(book_.string(), data_.string()), copy);
    EXPECT_EQ(test::slurp(copy), "version 2");
    EXPECT_EQ(names(data_), std::set<std::string>{"ATARI.ods"});
    EXPECT_EQ(names(installed_), installed_before);

    // A missing book is opened as named, so that opening it tells so; the copy itself is not
    // copied again.
    const std::string missing = installed_.string() + "\\MISSING.ods";
    EXPECT_EQ(userWorkbook(missing, data_.string()), missing);
    EXPECT_EQ(userWorkbook(copy, data_.string()), copy);
}

TEST_F(WorkbookCopy, ALaunchOpensTheCopyAndOneThatCannotBeMadeIsToldBeforeTheOfficeStarts) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string saved_value = saved != nullptr ? saved : "";
    ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);

    test::LaunchFixture f("/opt/rl00/bin");
    f.t.m.G_sExcelPath = installed_.string();
    f.t.m.G_sExcelBook = "ATARI.ods";
    f.launch();
    ASSERT_GE(f.server.calls.size(), 2u);
    EXPECT_EQ(f.server.calls[1], "GetObject " + (data_ / "ATARI.ods").string());

    // A file where the data folder should be.
    fs::remove_all(dir_ / "data");
    std::ofstream(dir_ / "data") << "in the way";
    test::LaunchFixture blocked("/opt/rl00/bin");
    blocked.t.m.G_sExcelPath = installed_.string();
    blocked.t.m.G_sExcelBook = "ATARI.ods";
    blocked.launch();
    saved != nullptr ? ::setenv("XDG_DATA_HOME", saved_value.c_str(), 1)
                     : ::unsetenv("XDG_DATA_HOME");
    EXPECT_TRUE(blocked.server.calls.empty());
    ASSERT_EQ(blocked.t.display.messages().size(), 1u);
    const std::string& told = blocked.t.display.messages()[0].text;
    EXPECT_TRUE(told.starts_with(analysis_text::kWorkbookFailed)) << told;
    EXPECT_NE(told.find((data_ / "ATARI.ods").string()), std::string::npos) << told;
}

TEST(UserDataFolder, OnlyAnAbsoluteXdgDataHomeCounts) {
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string saved_value = saved != nullptr ? saved : "";
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    ::setenv("XDG_DATA_HOME", "/srv/data", 1);
    EXPECT_EQ(userDataFolder(), "/srv/data/rl00");
    ::setenv("XDG_DATA_HOME", "relative", 1);
    EXPECT_EQ(userDataFolder(), home + "/.local/share/rl00");
    saved != nullptr ? ::setenv("XDG_DATA_HOME", saved_value.c_str(), 1)
                     : ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace rl00
