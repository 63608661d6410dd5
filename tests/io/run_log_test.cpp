#include "io/run_log.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <sstream>
#include <string>

#include "support/test_machine.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;
using test::TestMachine;

const LocalDateTime kStamp{2024, 3, 5, 9, 7, 2};

// The state after the first hit of a run: 35 games, 4 reaches (one near miss, two far misses
// and the hit's own), a re-lottery from 4 to the kakuhen symbol 7, kakuhen only after the hit.
void setFirstHit(GameState& g) {
    g.G_lRevCnt = 35;
    g.G_lRichCnt = 4;
    g.G_lOshiCnt = 1;
    g.G_lDohaCnt = 2;
    g.G_sZugaraKari = "4";
    g.G_sZugaraHit = "7";
    g.G_bKakuhen = kTrue;
    g.G_bSaiChusen = kTrue;
    g.G_sRichCode = "10:FrK";
    g.G_lRichOshi[1] = 1;
    g.G_lRichDoha[3] = 2;
    g.G_lRichAtari[10] = 1;
    g.G_lRichTotal[1] = 99;  // kept for the whole run, not part of the record
    g.G_sYokoku = "2";
    g.G_lYokoku1N = 3;
    g.G_lYokoku2N = 1;
    g.G_bKakuhenPrev = kFalse;
    g.G_iRenchan = 1;
    g.G_iLottery = 7;
}

std::string readAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(LogRec, LaysOutAFirstHitColumnByColumn) {
    GameState g;
    setFirstHit(g);
    const std::string rec = LOG_REC(g, kStamp);
    ASSERT_EQ(rec.size(), kLogRecordWidth);
    EXPECT_EQ(rec.substr(0, 5), "35   ");
    EXPECT_EQ(rec.substr(5, 5), "4    ");
    EXPECT_EQ(rec.substr(22, 2), "1 ");       // kakuhen after the hit
    EXPECT_EQ(rec.substr(26, 7), "10:FrK ");  // the code, then its blank
    EXPECT_EQ(rec.substr(86, 2), "0 ");       // kakuhen before the hit
    EXPECT_EQ(rec,
              "35   4    1   2   4 7 1 1 10:FrK "
              "1   0   2   0   0   0   0   0   0   1   "
              "2    3   1   0 1   7   20240305 09:07:02 ");
}

TEST(LogRec, CutsLongValuesAndBlanksEmptyOnes) {
    GameState g;
    g.G_lRevCnt = 123456;
    g.G_lRichCnt = -12345;
    g.G_sRichCode = "01:Nm ";
    g.G_lRichOshi[2] = 12345;
    g.G_iLottery = 366;
    const std::string rec = LOG_REC(g, {2025, 12, 31, 23, 59, 59});
    ASSERT_EQ(rec.size(), kLogRecordWidth);
    EXPECT_EQ(rec.substr(0, 5), "12345");
    EXPECT_EQ(rec.substr(5, 5), "-1234");
    EXPECT_EQ(rec.substr(18, 4), "    ");  // no hit symbols yet
    EXPECT_EQ(rec.substr(26, 7), "01:Nm  ");
    EXPECT_EQ(rec.substr(37, 4), "1234");
    EXPECT_EQ(rec.substr(73, 5), "     ");  // no preview text
    EXPECT_EQ(rec.substr(92, 4), "366 ");
    EXPECT_EQ(rec.substr(96), "20251231 23:59:59 ");
}

TEST(LogRec, PerKindSumOverflowIsAnOverflowError) {
    GameState g;
    g.G_lRichOshi[4] = std::numeric_limits<Int32>::max();
    g.G_lRichAtari[4] = 1;
    try {
        LOG_REC(g, kStamp);
        FAIL() << "no error raised";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::kOverflow);
    }
}

class LogWrite : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "rl00-log-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir = pattern;
        setFirstHit(t.m);
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    Flag write() { return LOG_WRITE(t.m, warnings); }
    std::string line() { return LOG_REC(t.m, t.display.now()) + "\r\n"; }
    int warningLines() const {
        const std::string text = sink.str();
        return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    }

    TestMachine t;
    fs::path dir;
    std::ostringstream sink;
    LogWarnings warnings{sink};
};

TEST_F(LogWrite, CreatesAMissingTwoLevelDirectoryAndWritesOneLine) {
    t.m.G_sLogPath = dir.string() + "\\logs/run";  // a Windows-style setting works too
    t.m.G_sLogName = "RL00.LOG";
    EXPECT_EQ(write(), kTrue);
    EXPECT_EQ(readAll(dir / "logs" / "run" / "RL00.LOG"), line());
    EXPECT_EQ(sink.str(), "");
    EXPECT_TRUE(t.display.messages().empty());
}

TEST_F(LogWrite, AppendsInOrderAndKeepsWhatWasThere) {
    t.m.G_sLogPath = dir.string();
    t.m.G_sLogName = "RL00.LOG";
    std::ofstream(dir / "RL00.LOG", std::ios::binary) << "earlier line\r\n";

    ASSERT_EQ(write(), kTrue);
    const std::string first = line();
    t.m.G_lRevCnt = 2;
    t.m.G_iRenchan = 2;
    t.m.G_bKakuhenPrev = kTrue;
    t.display.advanceMs(61'000);
    ASSERT_EQ(write(), kTrue);
    EXPECT_EQ(readAll(dir / "RL00.LOG"), "earlier line\r\n" + first + line());
    EXPECT_NE(first, line());
}

TEST_F(LogWrite, AnUnfinishedRecordOfAStoppedWriterIsCutOffOnceAndToldOnce) {
    t.m.G_sLogPath = dir.string();
    t.m.G_sLogName = "RL00.LOG";
    const std::string whole = line();
    const std::string log = (dir / "RL00.LOG").string();
    struct Case {
        std::string before, kept;
    };
    const Case cases[] = {
        {whole + whole.substr(0, 70), whole},  // a writer killed after 70 bytes of its record
        {whole.substr(0, 3), ""},              // ... of the first record of the log
        {whole, whole},                        // whole lines: nothing to cut
        {"notes without a line end, longer than any record: " + std::string(80, 'x'),
         "notes without a line end, longer than any record: " + std::string(80, 'x')},
    };
    for (const Case& c : cases) {
        std::ofstream(log, std::ios::binary | std::ios::trunc) << c.before;
        sink.str("");
        ASSERT_EQ(write(), kTrue);
        EXPECT_EQ(readAll(log), c.kept + line());
        const bool cut = c.before != c.kept;
        EXPECT_EQ(sink.str().find("cut off an unfinished record") != std::string::npos, cut)
            << sink.str();
    }
}

TEST_F(LogWrite, UncreatableDirectoryFailsWithOneWarningAndWritesNothing) {
    const fs::path blocker = dir / "plain.txt";
    std::ofstream(blocker) << "keep";
    t.m.G_sLogPath = (blocker / "sub").string();
    t.m.G_sLogName = "RL00.LOG";

    for (int hit = 0; hit < 3; ++hit)
        EXPECT_EQ(write(), kFalse);
    EXPECT_EQ(readAll(blocker), "keep");
    EXPECT_TRUE(t.display.messages().empty());
    EXPECT_EQ(sink.str(), std::string(program_invocation_short_name) + ": run log not written to " +
                              (blocker / "sub" / "RL00.LOG").string() + ": Not a directory\n");

    // Another file is another failure and is reported in its own right.
    t.m.G_sLogName = "OTHER.LOG";
    EXPECT_EQ(write(), kFalse);
    EXPECT_EQ(warningLines(), 2);
}

TEST_F(LogWrite, AnEmptyFolderMeansTheUsersDefaultLogFolderToldOnce) {
    // Today's fault: "" and RL00.LOG made /RL00.LOG at the root of the file system.
    const char* saved = std::getenv("XDG_DATA_HOME");
    const std::string saved_value = saved != nullptr ? saved : "";
    ::setenv("XDG_DATA_HOME", dir.c_str(), 1);
    t.m.G_sLogPath = "  ";
    t.m.G_sLogName = "RL00.LOG";
    EXPECT_EQ(write(), kTrue);
    EXPECT_EQ(write(), kTrue);
    if (saved != nullptr) {
        ::setenv("XDG_DATA_HOME", saved_value.c_str(), 1);
    } else {
        ::unsetenv("XDG_DATA_HOME");
    }
    EXPECT_EQ(readAll(dir / "rl00" / "log" / "RL00.LOG"), line() + line());
    EXPECT_EQ(sink.str(), std::string(program_invocation_short_name) +
                              ": no log folder is set in RL00.INI; the run log goes to " +
                              (dir / "rl00" / "log").string() + "\n");
}

TEST_F(LogWrite, NoFileNameOrAControlCharacterOrAnOverlongPathWritesNothing) {
    EXPECT_EQ(write(), kFalse);  // no settings at all
    EXPECT_EQ(sink.str(), std::string(program_invocation_short_name) +
                              ": no run log is written: RL00.INI sets no file name under "
                              "[ログ書き込み先ファイル名]\n");

    // An unterminated quote in RL00.INI runs the folder over its line end.
    sink.str("");
    t.m.G_sLogPath = dir.string() + "/log\r\n[ログ書き込み先ファイル名]";
    t.m.G_sLogName = "RL00.LOG";
    EXPECT_EQ(write(), kFalse);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 0);
    EXPECT_NE(sink.str().find("/log\\x0D\\x0A[ログ"), std::string::npos) << sink.str();
    EXPECT_NE(sink.str().find("control character"), std::string::npos);

    sink.str("");
    std::string deep = dir.string();
    while (deep.size() < 20'000)
        deep += "/level";
    t.m.G_sLogPath = deep;
    EXPECT_EQ(write(), kFalse);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 0);
    EXPECT_EQ(warningLines(), 1);
    EXPECT_NE(sink.str().find("the system takes at most 4095"), std::string::npos) << sink.str();
}

TEST_F(LogWrite, OverflowingSumFailsWithoutTouchingTheFile) {
    t.m.G_sLogPath = dir.string();
    t.m.G_sLogName = "RL00.LOG";
    t.m.G_lRichDoha[9] = std::numeric_limits<Int32>::max();
    t.m.G_lRichOshi[9] = 1;
    EXPECT_EQ(write(), kFalse);
    EXPECT_FALSE(fs::exists(dir / "RL00.LOG"));
    EXPECT_NE(sink.str().find(": オーバーフローしました。\n"), std::string::npos);
    EXPECT_TRUE(t.display.messages().empty());
}

TEST_F(LogWrite, FailedWriteIsReported) {
    t.m.G_sLogPath = "/dev";
    t.m.G_sLogName = "full";
    ASSERT_TRUE(fs::exists("/dev/full"));
    EXPECT_EQ(write(), kFalse);
    EXPECT_EQ(sink.str(), std::string(program_invocation_short_name) +
                              ": run log not written to /dev/full: No space left on device\n");
}

TEST_F(LogWrite, ShortWriteIsTakenBack) {
    t.m.G_sLogPath = dir.string();
    t.m.G_sLogName = "RL00.LOG";
    const std::string earlier = "earlier line\r\n";
    std::ofstream(dir / "RL00.LOG", std::ios::binary) << earlier;

    // A file size limit in the middle of the line makes the kernel write only its head.
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = earlier.size() + 50;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const Flag result = write();
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);

    EXPECT_EQ(result, kFalse);
    EXPECT_EQ(readAll(dir / "RL00.LOG"), earlier);
    EXPECT_NE(sink.str().find("only 50 of 116 bytes"), std::string::npos) << sink.str();
}

}  // namespace
}  // namespace rl00
