// Where a program takes its settings from, the default file it writes at its first start, and
// how it finds the files that came with it.

#include "io/settings_home.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "io/default_settings.h"
#include "io/ini_read.h"
#include "io/install_layout.h"
#include "io/paths.h"
#include "io/sjis.h"
#include "support/files.h"
#include "support/test_machine.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

using test::slurp;

Settings settingsOf(const std::string& bytes) {
    Settings s;
    EXPECT_EQ(readSettings(bytes, s), kTrue);
    return s;
}

// A folder of the test's own, and the environment as it was, given back at the end.
class Home : public testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "rl00-home-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME"}) {
            const char* value = std::getenv(name);
            saved_[name] = value ? std::optional<std::string>(value) : std::nullopt;
        }
        program_ = dir_ / "prefix" / "bin";
        fs::create_directories(program_);
        setenv("HOME", (dir_ / "home").c_str(), 1);
        setenv("XDG_CONFIG_HOME", config().c_str(), 1);
        setenv("XDG_DATA_HOME", (dir_ / "data ログ").c_str(), 1);
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_) {
            if (value) {
                setenv(name.c_str(), value->c_str(), 1);
            } else {
                unsetenv(name.c_str());
            }
        }
        std::error_code ec;
        fs::permissions(dir_, fs::perms::owner_all, ec);
        fs::remove_all(dir_, ec);
    }

    fs::path config() const { return dir_ / "config dir"; }
    fs::path userFile() const { return config() / "rl00" / kIniFileName; }
    UserSettings find() const { return findUserSettings(program_.string()); }
    // Every entry below `folder`, to see that a failure left nothing behind.
    static std::vector<std::string> entries(const fs::path& folder) {
        std::vector<std::string> found;
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(folder, ec);
             !ec && it != fs::recursive_directory_iterator(); ++it) {
            found.push_back(fs::relative(it->path(), folder).string());
        }
        return found;
    }

    fs::path dir_;
    fs::path program_;
    std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(Home, TheFirstStartWritesTheDefaultFileAndLaterStartsKeepTheUsersEdits) {
    const UserSettings first = find();
    EXPECT_EQ(first.file, userFile().string());
    EXPECT_EQ(first.message, "wrote the default settings to " + userFile().string());

    const std::string bytes = slurp(userFile());
    EXPECT_TRUE(isUtf8(bytes)) << "a user reads it with cat or nano";
    EXPECT_EQ(bytes.find('\r'), std::string::npos);
    const Settings s = settingsOf(bytes);
    EXPECT_EQ(s.G_sLogPath, (dir_ / "data ログ" / "rl00" / "log").string());
    EXPECT_EQ(s.G_sLogName, "RL00LOG.TXT");
    EXPECT_EQ(s.G_sWaitTime, "10000");
    EXPECT_EQ(s.G_sExcelPath, workbookFolder(program_.string()));
    EXPECT_EQ(s.G_sExcelBook, kWorkbookFile);
    EXPECT_EQ(fs::status(config() / "rl00").permissions() & fs::perms::all, fs::perms::owner_all);
    EXPECT_EQ(entries(config()), (std::vector<std::string>{"rl00", "rl00/RL00.INI"}));

    std::ofstream(userFile(), std::ios::binary) << "[待機時間]\r\n5\r\n";
    const UserSettings again = find();
    EXPECT_EQ(again.file, userFile().string());
    EXPECT_EQ(again.message, "");
    EXPECT_EQ(slurp(userFile()), "[待機時間]\r\n5\r\n");
}

TEST_F(Home, AnythingBesideTheProgramWinsNothingIsWrittenAndWhatKeepsItUnreadIsTold) {
    const fs::path beside = program_ / kIniFileName;
    const std::string file = "the configuration file " + beside.string();
    const std::string empty = "; playing on with empty settings";
    auto utf16 = [&] {
        std::ofstream(beside, std::ios::binary) << std::string("\xFF\xFE[\0a\0]\0", 8);
    };
    auto large = [&] {
        std::ofstream(beside) << "[ログ書き込み先パス]\n";
        fs::resize_file(beside, (std::uintmax_t{33} << 20));
    };
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { fs::create_symlink(dir_ / "nowhere", beside); },
         " is a symbolic link whose target does not exist"},
        {[&] { fs::create_directory(beside); }, " is a folder"},
        {[&] { ASSERT_EQ(::mkfifo(beside.c_str(), 0600), 0); }, " is a FIFO, not a regular file"},
        {large, " is larger than 32 MiB"},
        {utf16, " is not text in Shift-JIS or UTF-8 (UTF-16, or not text at all)"},
        {[&] { std::ofstream(beside) << "[待機時間]\n5\n"; }, ""},
    };
    for (const auto& [make, said] : cases) {
        make();
        const UserSettings found = find();
        EXPECT_EQ(found.file, "");
        EXPECT_EQ(found.message, said.empty() ? "" : file + said + empty);
        EXPECT_FALSE(fs::exists(config()));
        fs::remove(beside);
    }
}

TEST_F(Home, AnEmptyOrRelativeConfigFolderIsIgnoredForTheHomeFolder) {
    for (const char* value : {"", "relative/config"}) {
        setenv("XDG_CONFIG_HOME", value, 1);
        const fs::path expected = dir_ / "home" / ".config" / "rl00" / kIniFileName;
        EXPECT_EQ(find().file, expected.string()) << "'" << value << "'";
        EXPECT_TRUE(fs::is_regular_file(expected));
    }
    unsetenv("XDG_CONFIG_HOME");
    unsetenv("HOME");
    const UserSettings none = find();
    EXPECT_EQ(none.file, "");
    EXPECT_EQ(none.message,
              "no settings folder: neither $XDG_CONFIG_HOME nor $HOME is set; playing on with "
              "empty settings");
}

TEST_F(Home, WhatStandsInTheWayIsToldInOneLineAndLeftAsItWas) {
    const std::string empty = "; playing on with empty settings";
    const std::string cannot = "cannot write the default settings " + userFile().string() + ": ";

    // A file where the settings folder should be.
    std::ofstream(config()) << "mine";
    EXPECT_EQ(find().message, cannot + config().string() + " is not a folder" + empty);
    EXPECT_EQ(slurp(config()), "mine");
    fs::remove(config());

    // The folder as a link to nothing.
    fs::create_symlink(dir_ / "gone", config());
    EXPECT_EQ(find().message, cannot + config().string() +
                                  " is a symbolic link whose target does not exist" + empty);
    EXPECT_FALSE(fs::exists(dir_ / "gone"));
    fs::remove(config());

    // The file as a link to nothing: perhaps a set-up that is not mounted yet, never replaced.
    fs::create_directories(config() / "rl00");
    fs::create_symlink(dir_ / "gone.ini", userFile());
    UserSettings found = find();
    EXPECT_EQ(found.file, "");
    EXPECT_EQ(found.message, "the configuration file " + userFile().string() +
                                 " is a symbolic link whose target does not exist" + empty);
    EXPECT_TRUE(fs::is_symlink(userFile()));
    fs::remove(userFile());

    // A folder in place of the file.
    fs::create_directory(userFile());
    EXPECT_EQ(find().message,
              "the configuration file " + userFile().string() + " is a folder" + empty);
    EXPECT_EQ(entries(config()), (std::vector<std::string>{"rl00", "rl00/RL00.INI"}));

    // A folder nobody may write in, root neither.
    setenv("XDG_CONFIG_HOME", "/proc/self", 1);
    found = find();
    EXPECT_EQ(found.file, "");
    EXPECT_TRUE(found.message.starts_with("cannot write the default settings /proc/self/rl00/"))
        << found.message;
    EXPECT_TRUE(found.message.ends_with(empty)) << found.message;
    EXPECT_EQ(found.message.find('\n'), std::string::npos);
}

TEST(DefaultSettings, AUtf8FileWithLineFeedsWhoseFoldersReadBackUnchanged) {
    const std::string book = "/opt/フォグ lantern/share/rl00";
    // Shift-JIS has no é, and its wave dash would read back as another character.
    for (const std::string log : {"/home/ユーザー/a b,c/log", "/home/José/log", "/data/a〜b"}) {
        const std::optional<std::string> bytes = defaultSettingsBytes(log, book);
        ASSERT_TRUE(bytes) << log;
        EXPECT_TRUE(isUtf8(*bytes)) << log;
        EXPECT_FALSE(bytes->starts_with("\xEF\xBB\xBF")) << log;  // no mark for cat to show
        EXPECT_EQ(bytes->find('\r'), std::string::npos) << log;
        EXPECT_NE(bytes->find("[ログ書き込み先パス]\n"), std::string::npos) << log;
        const Settings s = settingsOf(*bytes);
        EXPECT_EQ(s.G_sLogPath, log);
        EXPECT_EQ(s.G_sLogName, "RL00LOG.TXT");
        EXPECT_EQ(s.G_sExcelPath, book);
        EXPECT_EQ(s.G_sExcelBook, "ATARI.ods");
    }

    for (const std::string& folder :
         std::vector<std::string>{"/a\"b", "/a\nb", "/a\rb", "/a\xFF"}) {
        EXPECT_FALSE(defaultSettingsBytes(folder, book));
        EXPECT_FALSE(defaultSettingsBytes("/home/me/log", folder));
    }
}

TEST(DefaultSettings, TheFileIsWrittenWholeOrNotAtAll) {
    std::string pattern = (fs::temp_directory_path() / "rl00-whole-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    const fs::path file = dir / "a" / "b" / "RL00.INI";
    EXPECT_EQ(writeFileWhole(file.string(), "new"), "");
    EXPECT_EQ(slurp(file), "new");
    EXPECT_EQ(fs::status(dir / "a").permissions() & fs::perms::all, fs::perms::owner_all);

    // A file that cannot be made (its name is taken by a folder) leaves no temporary one.
    fs::create_directory(dir / "a" / "b" / "taken");
    EXPECT_NE(writeFileWhole((dir / "a" / "b" / "taken").string(), "x"), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "a" / "b"), fs::directory_iterator()), 2);
    fs::remove_all(dir);
}

TEST(ResolveFolder, RelativeFoldersCountFromTheSettingsFilesFolder) {
    EXPECT_EQ(resolveFolder("/opt/rl00/bin", "../log"), "/opt/rl00/log");
    EXPECT_EQ(resolveFolder("/opt/rl00/bin", "..\\ANALYSIS"), "/opt/rl00/ANALYSIS");
    EXPECT_EQ(resolveFolder("/opt/rl00/bin", "log/"), "/opt/rl00/bin/log");
    EXPECT_EQ(resolveFolder("/opt/rl00/bin", "."), "/opt/rl00/bin");
    EXPECT_EQ(resolveFolder("/", "../x"), "/x");
    // Absolute (in either separator), blank and unknown-base folders stay as they were written.
    EXPECT_EQ(resolveFolder("/opt", "/var/../log/"), "/var/../log/");
    EXPECT_EQ(resolveFolder("/opt", "\\LOG"), "\\LOG");
    EXPECT_EQ(resolveFolder("/opt", "  "), "  ");
    EXPECT_EQ(resolveFolder("", "log"), "log");
}

TEST(ReadSettingsInstead, ReplacesWhatWasReadAndCountsFromTheFilesFolder) {
    std::string pattern = (fs::temp_directory_path() / "rl00-instead-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    std::ofstream(dir / "x.ini", std::ios::binary)
        << "[ログ書き込み先パス]\r\nlogs\r\n[EXCELパス]\r\n..\\book\r\n";
    test::TestMachine t;
    t.m.G_sWaitTime = "from the file beside the program";
    EXPECT_EQ(readSettingsInstead(t.m, (dir / "x.ini").string()), kTrue);
    EXPECT_EQ(t.m.G_sWaitTime, "");
    EXPECT_EQ(t.m.G_sLogPath, (dir / "logs").string());
    EXPECT_EQ(t.m.G_sExcelPath, (dir.parent_path() / "book").string());
    fs::remove_all(dir);
}

// A prefix (bin/, share/rl00/, libexec/rl00/) and a build tree (app/, analysis/), side by side.
TEST(InstallLayout, FindsTheWorkbookAndHelperOfAPrefixAndOfABuildTree) {
    std::string pattern = (fs::temp_directory_path() / "rl00-layout-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path dir = pattern;
    const auto make = [](const fs::path& file, bool executable) {
        fs::create_directories(file.parent_path());
        std::ofstream(file) << "x";
        if (executable) fs::permissions(file, fs::perms::owner_all);
    };
    const fs::path prefix = dir / "moved prefix ランタン";
    make(prefix / "share" / "rl00" / kWorkbookFile, false);
    make(prefix / "libexec" / "rl00" / "helper", true);
    fs::create_directories(prefix / "bin");
    const std::string bin = (prefix / "bin").string();
    EXPECT_EQ(workbookFolder(bin), (prefix / "share" / "rl00").string());
    EXPECT_EQ(helperProgram(bin, "helper"), (prefix / "libexec" / "rl00" / "helper").string());

    // A file beside the program that cannot be run is not the helper.
    make(prefix / "bin" / "helper", false);
    EXPECT_EQ(helperProgram(bin, "helper"), (prefix / "libexec" / "rl00" / "helper").string());

    const fs::path build = dir / "build";
    make(build / "analysis" / kWorkbookFile, false);
    make(build / "app" / "helper", true);
    const std::string app = (build / "app").string();
    EXPECT_EQ(workbookFolder(app), (build / "analysis").string());
    EXPECT_EQ(helperProgram(app, "helper"), (build / "app" / "helper").string());

    // Neither: the installed places, for the messages to name.
    const std::string bare = (dir / "bare" / "bin").string();
    EXPECT_EQ(workbookFolder(bare), (dir / "bare" / "share" / "rl00").string());
    EXPECT_EQ(helperProgram(bare, "helper"),
              (dir / "bare" / "libexec" / "rl00" / "helper").string());
    fs::remove_all(dir);
}

}  // namespace
}  // namespace rl00
