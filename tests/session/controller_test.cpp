// The controller without a window: the load, and when a start request is taken.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/rand_loop.h"
#include "io/ini_read.h"
#include "session/controller.h"
#include "support/test_machine.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

TEST(Load, OnlyTheArgumentOneStartsInProbabilityVariation) {
    for (const char* argument : {"1", " 1 ", "  1"}) {
        test::TestMachine t;
        loadMachine(t.m, "/nonexistent", argument, 1);
        EXPECT_EQ(t.m.G_iSyriMode, 1) << "'" << argument << "'";
        EXPECT_EQ(t.m.G_bKakuhen, kTrue);
        EXPECT_EQ(t.m.G_bKakuhenPrev, kTrue);
        EXPECT_EQ(t.m.command, argument);
    }
    for (const char* argument : {"", "7", "8", "11", "1 7", "01"}) {
        test::TestMachine t;
        loadMachine(t.m, "/nonexistent", argument, 1);
        EXPECT_EQ(t.m.G_iSyriMode, 0) << "'" << argument << "'";
        EXPECT_EQ(t.m.G_bKakuhen, kFalse);
        EXPECT_EQ(t.m.G_bKakuhenPrev, kFalse);
    }
}

TEST(Load, ReadsTheSettingsBesideTheProgramAndPreparesTheWindow) {
    const fs::path dir = fs::temp_directory_path() / ("rl00_load_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::ofstream(dir / kIniFileName, std::ios::binary)
        << "[待機時間]\r\n250\r\n[ログ書き込み先パス]\r\nlog\r\n";

    test::TestMachine t;
    t.m.G_sAppPath = "/what/centring/recorded";
    t.m.scene.Lbl_Rev[1].caption = "stale";
    loadMachine(t.m, dir.string(), "", 1);
    fs::remove_all(dir);

    EXPECT_EQ(t.m.G_sAppPath, dir.string());
    EXPECT_EQ(t.m.G_sWaitTime, "250");
    // A relative folder counts from the file's folder, wherever the program was started.
    EXPECT_EQ(t.m.G_sLogPath, (dir / "log").string());
    EXPECT_EQ(t.m.G_iStopZug[1], 1);
    EXPECT_EQ(t.m.G_iStopZug[2], 2);
    EXPECT_EQ(t.m.G_iStopZug[3], 3);
    for (PictureId sprite : {kImgObake, kImgHandL, kImgHandR}) {
        EXPECT_FALSE(t.m.scene.picture(sprite).visible);
        EXPECT_TRUE(t.m.scene.picture(sprite).stretch);
    }
    // The result and mode texts are cleared; every other label keeps its design caption.
    EXPECT_EQ(t.m.scene.Lbl_Rich[1].caption, "");
    EXPECT_EQ(t.m.scene.Lbl_SyriMode.caption, "");
    EXPECT_EQ(t.m.scene.Lbl_Rich[0].caption, "リーチ種類");
    EXPECT_EQ(t.m.scene.Lbl_Rev[1].caption, "0");
    EXPECT_TRUE(t.m.scene.Tim_Start.enabled);
    EXPECT_EQ(t.m.scene.Tim_Start.interval_ms, 1000);
    EXPECT_EQ(t.m.G_bActivated, kFalse);
    EXPECT_TRUE(t.display.messages().empty());
}

TEST(Load, WithoutAConfigurationFileEverySettingIsEmpty) {
    test::TestMachine t;
    loadMachine(t.m, "/nonexistent", "", 1);
    const Settings& s = t.m;
    for (const std::string* setting : {&s.G_sLogPath, &s.G_sLogName, &s.G_sWaitTime,
                                       &s.G_sScrollSpeed, &s.G_sExcelPath, &s.G_sExcelBook}) {
        EXPECT_EQ(*setting, "");
    }
    EXPECT_TRUE(t.m.scene.Tim_Start.enabled);
    EXPECT_TRUE(t.display.messages().empty());
}

TEST(StartRequests, PausedRequestsAreIgnoredUntilTheOutermostPauseEnds) {
    test::TestMachine t;
    loadMachine(t.m, "/nonexistent", "", 1);
    idleStep(t.m);
    {
        StartRequestsPaused outer(t.m);
        {
            StartRequestsPaused inner(t.m);
            EXPECT_FALSE(onStartRequest(t.m));
        }
        EXPECT_FALSE(acceptsStartRequest(t.m));  // the inner pause must not lift the outer one
        EXPECT_FALSE(onStartRequest(t.m));
    }
    EXPECT_EQ(t.m.G_lRevCnt, 0);
    EXPECT_TRUE(onStartRequest(t.m));
    EXPECT_EQ(t.m.G_lRevCnt, 1);
}

}  // namespace
}  // namespace rl00
