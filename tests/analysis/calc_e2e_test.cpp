// The analysis launch against a real (headless) LibreOffice: run logs of known records are
// analysed by the workbook's macro, and the summary read back from the open workbook must
// equal what is computed here from the same records; locks of other offices and the office's
// pipe are met as a user's machine has them. Skipped when no office is installed.

#include <grp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <regex>
#include <thread>

#include "analysis/analysis_texts.h"
#include "analysis/bridge/office_pipe.h"
#include "analysis/bridge_client.h"
#include "analysis/recording_automation.h"
#include "io/run_log.h"
#include "support/test_size.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;
using test::runUntilEnd;
using test::TestMachine;

const char* const kCodes[] = {"01:Nm ", "02:NmR", "03:RO ", "04:ROS", "05:ROM",
                              "06:LO ", "07:LOS", "08:Hnd", "09:Frs", "10:FrK"};

std::string sofficePath() {
    const char* set = std::getenv("RL00_SOFFICE");
    return set != nullptr ? set : "/usr/lib/libreoffice/program/soffice";
}

// The helper the build made: the test program does not lie beside it, where the launcher looks.
std::string bridgePath() {
    return RL00_BUILD_DIR "/app/rl00-calc-bridge";
}

bool officeInstalled() {
    return ::access(bridgePath().c_str(), X_OK) == 0 && ::access(sofficePath().c_str(), X_OK) == 0;
}

// Hits of a plausible run: the state after each hit game, as the log writer reads it.
std::vector<GameState> knownHits(int count) {
    std::mt19937 gen(20240607);
    const auto upTo = [&](int n) { return std::uniform_int_distribution<int>(0, n)(gen); };
    std::vector<GameState> hits;
    Flag kakuhen = kFalse;
    Int16 renchan = 0;
    for (int i = 0; i < count; ++i) {
        GameState g;
        g.G_bKakuhenPrev = kakuhen;
        g.G_lRevCnt = kakuhen == kTrue ? 1 + upTo(120) : 1 + upTo(1400);
        for (int k = 1; k <= 10; ++k) {
            g.G_lRichOshi[k] = upTo(2);
            g.G_lRichDoha[k] = upTo(3);
        }
        const int kind = 1 + upTo(9);
        g.G_lRichAtari[kind] = 1;
        g.G_sRichCode = kCodes[kind - 1];
        g.G_bKakuhen = toFlag(upTo(1) == 1);
        g.G_bSaiChusen = toFlag(upTo(3) == 0);
        g.G_sZugaraHit = std::to_string(1 + upTo(13));
        g.G_sZugaraKari = g.G_sZugaraHit;
        g.G_sYokoku = std::to_string(upTo(2));
        g.G_lYokoku1N = upTo(6) + (g.G_sYokoku == "1");
        g.G_lYokoku2N = upTo(1) + (g.G_sYokoku == "2");
        renchan = kakuhen == kTrue ? static_cast<Int16>(renchan + 1) : Int16{1};
        g.G_iRenchan = renchan;
        g.G_iLottery = 7;
        hits.push_back(g);
        kakuhen = g.G_bKakuhen;
    }
    return hits;
}

void writeLog(const fs::path& file, const std::vector<GameState>& hits, std::size_t from,
              std::size_t to) {
    std::ofstream out(file, std::ios::binary);
    // A hit a second: every record is told apart by its time, as the machine's are.
    for (std::size_t i = from; i < to; ++i) {
        const int s = static_cast<int>(i);
        out << LOG_REC(hits[i], LocalDateTime{2024, 6, 7, 12 + s / 3600, s / 60 % 60, s % 60})
            << kLogLineEnd;
    }
}

// What the summary must say, computed from the state rather than from the log text.
struct Expected {
    double hits = 0, kakuhen = 0, relottery = 0, base = 0, chains = 0, chain_sum = 0;
    double bins[11] = {};
    double chain_lengths[10] = {};
    double kind_hits[11] = {}, kind_reaches[11] = {};
    double pre_hits[3] = {}, pre_games[3] = {};

    explicit Expected(const std::vector<GameState>& hits_in) {
        double previous = 0;
        const auto chainEnds = [&](double length) {
            if (length < 1) return;
            chain_lengths[std::min(9, static_cast<int>(length) - 1)] += 1;
            chains += 1;
            chain_sum += length;
        };
        for (std::size_t i = 0; i < hits_in.size(); ++i) {
            const GameState& g = hits_in[i];
            hits += 1;
            kakuhen += g.G_bKakuhen == kTrue;
            relottery += g.G_bSaiChusen == kTrue;
            if (g.G_bKakuhenPrev == kFalse) {
                base += 1;
                bins[std::clamp((g.G_lRevCnt - 1) / 100, 0, 10)] += 1;
            }
            if (i > 0 && g.G_iRenchan <= previous) chainEnds(previous);
            previous = g.G_iRenchan;
            for (int k = 1; k <= 10; ++k) {
                kind_reaches[k] += g.G_lRichOshi[k] + g.G_lRichDoha[k] + g.G_lRichAtari[k];
                // A hit's kind is the number its reach code begins with.
                if (std::atoi(g.G_sRichCode.substr(0, 2).c_str()) == k) kind_hits[k] += 1;
            }
            pre_hits[1] += g.G_sYokoku == "1";
            pre_hits[2] += g.G_sYokoku == "2";
            pre_games[1] += g.G_lYokoku1N;
            pre_games[2] += g.G_lYokoku2N;
        }
        chainEnds(previous);
    }
};

struct Wilson {
    double lo, hi;
};
Wilson wilson(double x, double n) {
    const double z = 1.959963984540054;
    const double p = x / n, d = 1 + z * z / n;
    const double c = (p + z * z / (2 * n)) / d;
    const double h = z * std::sqrt(p * (1 - p) / n + z * z / (4 * n * n)) / d;
    return {std::clamp(c - h, 0.0, 1.0), std::clamp(c + h, 0.0, 1.0)};
}

// A share as the summary shows it: a percentage with one decimal.
std::string percent(double share) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f%%", share * 100);
    return text;
}

// A Unix socket listening at `path`, as an office or a squatter has one.
class ListeningSocket {
  public:
    explicit ListeningSocket(const std::string& path) : path_(path) {
        fd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", path.c_str());
        ::unlink(path.c_str());
        if (::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
            ::listen(fd_, 4) != 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }
    ~ListeningSocket() {
        if (fd_ >= 0) ::close(fd_);
        ::unlink(path_.c_str());
    }
    ListeningSocket(const ListeningSocket&) = delete;
    ListeningSocket& operator=(const ListeningSocket&) = delete;

    bool ok() const { return fd_ >= 0; }
    // Whether anybody has connected since it began to listen.
    bool wasConnected() const {
        const int peer = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (peer < 0) return false;
        ::close(peer);
        return true;
    }

  private:
    std::string path_;
    int fd_ = -1;
};

std::string firstLine(const fs::path& file) {
    std::ifstream in(file);
    std::string text;
    std::getline(in, text);
    return text;
}

mode_t modeOf(const fs::path& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
}

TEST(OfficePipe, OnlyASocketOfTheUserThatNobodyElseMayUseIsConnectedTo) {
    const fs::path dir =
        fs::path(RL00_BUILD_DIR) / "analysis-e2e" / ("pipe-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string path = (dir / "s").string();
    const uid_t me = ::getuid();

    EXPECT_EQ(bridge::checkPipeSocket(path, me), bridge::PipeSocket::Missing);
    {
        const ListeningSocket socket(path);
        ASSERT_TRUE(socket.ok());
        ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
        EXPECT_EQ(bridge::checkPipeSocket(path, me), bridge::PipeSocket::Ours);
        // The same socket seen by another user is not theirs to connect to.
        EXPECT_EQ(bridge::checkPipeSocket(path, me + 1), bridge::PipeSocket::Foreign);
        ASSERT_EQ(::chmod(path.c_str(), 0666), 0);
        EXPECT_EQ(bridge::checkPipeSocket(path, me), bridge::PipeSocket::Open);
    }
    // A file in the socket's place is somebody's trap, whoever owns it.
    std::ofstream(path) << "";
    EXPECT_EQ(bridge::checkPipeSocket(path, me), bridge::PipeSocket::Foreign);
    fs::remove_all(dir);

    const std::regex random_name("rl00_[0-9a-f]{32}");
    const std::string first = bridge::randomPipeName();
    const std::string second = bridge::randomPipeName();
    EXPECT_TRUE(std::regex_match(first, random_name)) << first;
    EXPECT_TRUE(std::regex_match(second, random_name)) << second;
    EXPECT_NE(first, second);
}

class CalcEndToEnd : public testing::Test {
  protected:
    // Test processes may run side by side: each has an office of its own.
    static fs::path profile() {
        return fs::path(RL00_BUILD_DIR) / "analysis-e2e" / ("office-" + std::to_string(::getpid()));
    }
    static void SetUpTestSuite() {
        if (!officeInstalled()) return;
        ::setenv("RL00_OFFICE_HEADLESS", "1", 1);
        ::setenv("RL00_OFFICE_PROFILE", profile().c_str(), 1);
    }
    static void TearDownTestSuite() {
        if (!officeInstalled()) return;
        quitOffice();
        std::error_code ignored;
        fs::remove_all(profile(), ignored);
    }
    // The socket of the pipe our office was last started on.
    static std::string officeSocket() {
        return bridge::pipeSocketPath(firstLine(profile() / "rl00-pipe"), ::getuid());
    }
    // Ends our office, if it runs, and waits until it has let go of its profile.
    static void quitOffice() {
        if (!fs::exists(officeSocket())) return;
        {
            BridgeAutomation server(bridgePath(), [] { return true; });
            try {
                server.CreateObject(analysis_text::kServerClass)->call("Quit");
            } catch (const AutomationError&) {
            }
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (fs::exists(officeSocket()) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }

    void SetUp() override {
        if (!officeInstalled()) GTEST_SKIP() << "LibreOffice or the helper is not installed";
        dir_ = fs::path(RL00_BUILD_DIR) / "analysis-e2e" / std::to_string(::getpid()) /
               testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "log");
        fs::copy_file(fs::path(RL00_BUILD_DIR) / "analysis" / "ATARI.ods", dir_ / "ATARI.ods");
        t_.m.G_sExcelPath = dir_.string();
        t_.m.G_sExcelBook = "ATARI.ods";
        t_.m.G_sLogPath = (dir_ / "log").string();
        // The folder of the workbook stands for the installed one; the launch works on a copy.
        ::setenv("XDG_DATA_HOME", (dir_ / "data").c_str(), 1);
    }
    // The user's copy of the workbook, which the launch opens.
    fs::path copy() const { return dir_ / "data" / "rl00" / "ATARI.ods"; }

    void launch() {
        test::RecordingWaitWindow window(t_.m, fs::current_path().string());
        BridgeAutomation server(bridgePath(), [this] {
            t_.display.processEvents();
            return t_.m.G_bEnd != kTrue;
        });
        LaunchPorts ports{window, server, changeDirectory};
        const std::size_t messages = t_.display.messages().size();
        EXPECT_EQ(runUntilEnd([&] { launchAnalysis(t_.m, session_, ports); }), -1);
        EXPECT_FALSE(window.hourglass);
        // A message is followed by the focus back on the main window; a result is left in front.
        EXPECT_EQ(window.events.back(),
                  t_.display.messages().size() == messages ? "unload" : "focus");
        EXPECT_FALSE(t_.m.start_requests_paused);
    }

    // The open workbook, through a helper of its own.
    struct Book {
        BridgeAutomation reader{bridgePath(), [] { return true; }};
        ObjectRef book, summary, data;

        explicit Book(const fs::path& path) {
            book = reader.GetObject(path.string());
            summary = book->object("Sheets", {std::string("集計")});
            data = book->object("Sheets", {std::string("データ")});
        }
        static Variant value(const ObjectRef& sheet, const std::string& cell) {
            return sheet->object("Range", {cell})->get("Value");
        }
        static std::string text(const ObjectRef& sheet, const std::string& cell) {
            const Variant v = sheet->object("Range", {cell})->get("Text");
            return std::holds_alternative<std::string>(v) ? std::get<std::string>(v) : "";
        }
        std::string status() { return text(data, "E4"); }
        double number(const std::string& cell) {
            const Variant v = value(summary, cell);
            EXPECT_TRUE(std::holds_alternative<double>(v)) << cell << " " << describe(v);
            return std::holds_alternative<double>(v) ? std::get<double>(v) : NAN;
        }
    };

    // The summary sheet against a count made here from the hits it should hold, in that order.
    static void expectSummaryOf(Book& b, const std::vector<GameState>& hits, double files) {
        const Expected e(hits);
        EXPECT_EQ(b.number("B3"), e.hits);
        EXPECT_EQ(b.number("B4"), e.hits - e.kakuhen);
        EXPECT_EQ(b.number("B5"), e.kakuhen);
        EXPECT_NEAR(b.number("C6"), e.relottery / e.hits, 1e-12);
        EXPECT_EQ(b.number("B7"), e.chains);
        EXPECT_NEAR(b.number("B8"), e.chain_sum / e.chains, 1e-12);
        EXPECT_EQ(b.number("B9"), files);
        EXPECT_EQ(b.number("B10"), e.base);
        const double q = 1 - 1.0 / 367;
        for (int bin = 0; bin < 11; ++bin) {
            const std::string row = std::to_string(13 + bin);
            EXPECT_EQ(b.number("B" + row), e.bins[bin]) << "bin " << bin;
            const double p = bin < 10 ? std::pow(q, 100 * bin) - std::pow(q, 100 * (bin + 1))
                                      : std::pow(q, 1000);
            EXPECT_NEAR(b.number("C" + row), e.base * p, 1e-9) << "bin " << bin;
        }
        for (int c = 0; c < 10; ++c)
            EXPECT_EQ(b.number("F" + std::to_string(13 + c)), e.chain_lengths[c])
                << "chain " << c + 1;

        const auto reliability = [&](int row, double x, double n) {
            const std::string r = std::to_string(row);
            EXPECT_EQ(b.number("E" + r), x) << r;
            EXPECT_EQ(b.number("F" + r), n) << r;
            EXPECT_NEAR(b.number("B" + r), x / n, 1e-12) << r;
            const Wilson w = wilson(x, n);
            const double lo = b.number("C" + r), hi = b.number("D" + r);
            EXPECT_NEAR(lo, w.lo, 1e-12) << r;
            EXPECT_NEAR(hi, w.hi, 1e-12) << r;
            EXPECT_TRUE(lo >= 0 && hi <= 1) << r << ": " << lo << " .. " << hi;
        };
        for (int k = 1; k <= 10; ++k)
            reliability(25 + k, e.kind_hits[k], e.kind_reaches[k]);
        reliability(36, e.pre_hits[1], e.pre_games[1]);
        reliability(37, e.pre_hits[2], e.pre_games[2]);
    }

    // Launches and returns the one message the launch showed.
    ShownMessage launchTold() {
        const std::size_t before = t_.display.messages().size();
        launch();
        EXPECT_EQ(t_.display.messages().size(), before + 1);
        return t_.display.messages().size() > before ? t_.display.messages().back()
                                                     : ShownMessage{};
    }
    // Launches and expects no message.
    void launchQuietly() {
        const std::size_t before = t_.display.messages().size();
        launch();
        ASSERT_EQ(t_.display.messages().size(), before) << t_.display.messages().back().text;
    }

    TestMachine t_;
    AnalysisSession session_;
    fs::path dir_;
};

TEST_F(CalcEndToEnd, TheSummaryOfKnownRecordsMatchesAnIndependentCount) {
    std::vector<GameState> hits = knownHits(400);
    // A code the machine does not write any more still counts for the kind it begins with.
    hits[5].G_sRichCode = "07:old ";
    writeLog(dir_ / "log" / "A_RL00LOG.TXT", hits, 0, 250);
    writeLog(dir_ / "log" / "B_RL00LOG.TXT", hits, 250, hits.size());
    std::ofstream(dir_ / "log" / "memo.txt") << "not a run log\r\n";
    std::ofstream(dir_ / "log" / "wide.txt") << std::string(114, 'x') << "\r\n";

    launch();
    ASSERT_TRUE(t_.display.messages().empty()) << t_.display.messages()[0].text;
    EXPECT_GT(t_.display.passes(), 0u) << "events were not processed while waiting";

    Book b(copy());
    EXPECT_EQ(b.status(), "OK 400 件 (2 ファイル)");
    EXPECT_FALSE(fs::exists(dir_ / ".~lock.ATARI.ods#")) << "the installed workbook was opened";
    EXPECT_EQ(std::get<std::string>(Book::value(b.data, "E3")), t_.m.G_sLogPath);
    EXPECT_EQ(std::get<double>(Book::value(b.data, "A7")), hits[0].G_lRevCnt);
    EXPECT_EQ(std::get<double>(Book::value(b.data, "X406")), hits[399].G_iRenchan);
    std::string last_code = hits[399].G_sRichCode;
    last_code.erase(last_code.find_last_not_of(' ') + 1);
    EXPECT_EQ(std::get<std::string>(Book::value(b.data, "I406")), last_code);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(Book::value(b.data, "A407")));
    expectSummaryOf(b, hits, 2);

    // Shares read as percentages with one decimal.
    const Expected e(hits);
    EXPECT_EQ(Book::text(b.summary, "C4"), percent((e.hits - e.kakuhen) / e.hits));
    EXPECT_EQ(Book::text(b.summary, "C6"), percent(e.relottery / e.hits));
    EXPECT_EQ(Book::text(b.summary, "B26"), percent(e.kind_hits[1] / e.kind_reaches[1]));
    EXPECT_EQ(Book::text(b.summary, "D26"), percent(wilson(e.kind_hits[1], e.kind_reaches[1]).hi));
}

TEST_F(CalcEndToEnd, CertaintyBoundsStayBetweenNoneAndAll) {
    // 13 hits, all of the normal reach, and 19 flash reaches without a hit: sizes at which the
    // interval's arithmetic in the workbook rounds to just above 1 and just below 0.
    std::vector<GameState> hits(13);
    for (std::size_t i = 0; i < hits.size(); ++i) {
        hits[i].G_lRevCnt = 100 + static_cast<Int32>(i);
        hits[i].G_lRichAtari[1] = 1;
        hits[i].G_sRichCode = kCodes[0];
        hits[i].G_lRichOshi[10] = i == 0 ? 7 : 1;
        hits[i].G_iRenchan = 1;
    }
    writeLog(dir_ / "log" / "RL00LOG.TXT", hits, 0, hits.size());

    launchQuietly();
    Book b(copy());
    ASSERT_EQ(b.number("E26"), 13);
    ASSERT_EQ(b.number("F26"), 13);
    EXPECT_LE(b.number("D26"), 1.0);
    EXPECT_EQ(Book::text(b.summary, "D26"), "100.0%");
    ASSERT_EQ(b.number("E35"), 0);
    ASSERT_EQ(b.number("F35"), 19);
    EXPECT_GE(b.number("C35"), 0.0);
    EXPECT_EQ(Book::text(b.summary, "C35"), "0.0%");
}

TEST_F(CalcEndToEnd, ARecordMetTwiceIsCountedOnceAndTheStatusSaysSo) {
    const std::vector<GameState> hits = knownHits(60);
    writeLog(dir_ / "log" / "RL00LOG.TXT", hits, 0, hits.size());
    // A backup copy made five hits ago, and two records copied into a file of their own.
    writeLog(dir_ / "log" / "RL00LOG_backup.TXT", hits, 0, 55);
    writeLog(dir_ / "log" / "RL00LOG_copy.TXT", hits, 10, 12);

    launchQuietly();
    Book b(copy());
    EXPECT_EQ(b.status(), "OK 60 件 (3 ファイル、重複 57 件を除外)");
    EXPECT_EQ(std::get<double>(Book::value(b.data, "A66")), hits[59].G_lRevCnt);
    EXPECT_TRUE(std::holds_alternative<std::monostate>(Book::value(b.data, "A67")));
    expectSummaryOf(b, hits, 3);

    // Analysed again, the rows of the first analysis are replaced, not added to.
    fs::remove(dir_ / "log" / "RL00LOG_backup.TXT");
    launchQuietly();
    EXPECT_EQ(b.status(), "OK 60 件 (2 ファイル、重複 2 件を除外)");
    EXPECT_TRUE(std::holds_alternative<std::monostate>(Book::value(b.data, "A67")));
}

TEST_F(CalcEndToEnd, NothingToAnalyseIsToldAsInformationAndSaysWhy) {
    // An empty log folder.
    {
        const ShownMessage shown = launchTold();
        EXPECT_EQ(shown.style & mb::kIconInformation, mb::kIconInformation) << shown.style;
        EXPECT_TRUE(shown.text.starts_with(analysis_text::kNothingToAnalyse)) << shown.text;
        EXPECT_NE(shown.text.find("ファイルがありません"), std::string::npos) << shown.text;
        EXPECT_NE(shown.text.find(t_.m.G_sLogPath), std::string::npos) << shown.text;
    }

    // Files, none of them a run log: they are named, a few of them.
    std::ofstream(dir_ / "log" / "a_memo.txt") << "not a run log\r\n";
    std::ofstream(dir_ / "log" / "b_wide.txt") << std::string(114, 'x') << "\r\n";
    std::ofstream(dir_ / "log" / "c_empty.txt");
    std::ofstream(dir_ / "log" / "d.csv") << "1,2,3\n";
    std::ofstream(dir_ / "log" / "e.dat") << std::string(200, '7') << "\n";
    const ShownMessage shown = launchTold();
    EXPECT_EQ(shown.style & mb::kIconInformation, mb::kIconInformation) << shown.style;
    EXPECT_TRUE(shown.text.starts_with(analysis_text::kNothingToAnalyse)) << shown.text;
    EXPECT_EQ(shown.text.find(analysis_text::kMacroFailed), std::string::npos) << shown.text;
    EXPECT_NE(shown.text.find("打ち込みログがありません"), std::string::npos) << shown.text;
    EXPECT_NE(shown.text.find("a_memo.txt, b_wide.txt, c_empty.txt (空) ほか 2 件"),
              std::string::npos)
        << shown.text;
}

TEST_F(CalcEndToEnd, EachFailureIsToldAndPlayGoesOn) {
    writeLog(dir_ / "log" / "RL00LOG.TXT", knownHits(3), 0, 3);
    const fs::path module = dir_ / "Other.bas";
    std::ofstream(module) << "Sub Other()\nEnd Sub\n";
    const std::string pack = std::string(RL00_BUILD_DIR "/src/analysis/rl00-ods-pack ") +
                             (dir_ / "NOMACRO.ods").string() +
                             " " RL00_SOURCE_DIR "/assets/analysis " + module.string();
    ASSERT_EQ(std::system(pack.c_str()), 0);

    t_.m.G_sExcelBook = "NOMACRO.ods";
    launch();
    ASSERT_EQ(t_.display.messages().size(), 1u);
    EXPECT_TRUE(t_.display.messages()[0].text.starts_with(analysis_text::kNoMacro))
        << t_.display.messages()[0].text;

    // The path is shown as this system writes it, though the launch joins it with "\".
    t_.m.G_sExcelBook = "MISSING.ods";
    launch();
    ASSERT_EQ(t_.display.messages().size(), 2u);
    const std::string& missing = t_.display.messages()[1].text;
    EXPECT_TRUE(missing.starts_with(analysis_text::kNoWorkbook));
    EXPECT_NE(missing.find((dir_ / "MISSING.ods").string()), std::string::npos) << missing;
    EXPECT_EQ(missing.find('\\'), std::string::npos) << missing;

    // No office program: the helper cannot start one.
    const std::string office = std::getenv("RL00_SOFFICE") ? std::getenv("RL00_SOFFICE") : "";
    const std::string profile_now = std::getenv("RL00_OFFICE_PROFILE");
    ::setenv("RL00_SOFFICE", (dir_ / "no-office" / "soffice").c_str(), 1);
    ::setenv("RL00_OFFICE_PROFILE", (dir_ / "no-office-profile").c_str(), 1);
    t_.m.G_sExcelBook = "ATARI.ods";
    launch();
    // An office that fails while it starts: told at once with its status and its last words before
    // a crash's stack dump, not after the time limit of a connection.
    const fs::path failing = dir_ / "failing-office" / "soffice";
    fs::create_directories(failing.parent_path());
    std::ofstream(failing)
        << "#!/bin/sh\necho 'starting' >&2\necho 'no display :99' >&2\n"
           "printf 'Fatal exception: Signal 6\\nStack:\\nlib.so(+0x1)[0x2]\\n' >&2\n"
           "exit 3\n";
    fs::permissions(failing, fs::perms::owner_all);
    ::setenv("RL00_SOFFICE", failing.c_str(), 1);
    launch();
    office.empty() ? ::unsetenv("RL00_SOFFICE") : ::setenv("RL00_SOFFICE", office.c_str(), 1);
    ::setenv("RL00_OFFICE_PROFILE", profile_now.c_str(), 1);
    ASSERT_EQ(t_.display.messages().size(), 4u);
    EXPECT_TRUE(t_.display.messages()[2].text.starts_with(analysis_text::kNoServer))
        << t_.display.messages()[2].text;
    const std::string& failed = t_.display.messages()[3].text;
    EXPECT_TRUE(failed.starts_with(analysis_text::kNoServer)) << failed;
    EXPECT_NE(failed.find("(終了コード 3): no display :99"), std::string::npos) << failed;

    // A log folder that does not exist is the macro's failure.
    t_.m.G_sLogPath = (dir_ / "gone").string();
    launch();
    ASSERT_EQ(t_.display.messages().size(), 5u);
    EXPECT_TRUE(t_.display.messages()[4].text.starts_with(analysis_text::kMacroFailed));
    EXPECT_NE(t_.display.messages()[4].text.find("ログのフォルダが見つかりません"),
              std::string::npos);
    EXPECT_FALSE(t_.m.start_requests_paused);
}

// The user's own office, with its default profile under `home`, holding `document` open.
class UsersOffice {
  public:
    UsersOffice(const fs::path& home, const fs::path& document) {
        fs::create_directories(home);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::setenv("HOME", home.c_str(), 1);
            ::unsetenv("XDG_CONFIG_HOME");
            ::execl(sofficePath().c_str(), "soffice", "--headless", "--norestore", document.c_str(),
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~UsersOffice() { kill(); }
    UsersOffice(const UsersOffice&) = delete;
    UsersOffice& operator=(const UsersOffice&) = delete;

    // Ends it as a crash would, leaving its lock behind: its office process first, then the
    // starter we forked, which ends with it.
    void kill() {
        if (pid_ <= 0) return;
        for (const pid_t office : children())
            ::kill(office, SIGKILL);
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
        pid_ = -1;
    }

  private:
    std::vector<pid_t> children() const {
        std::vector<pid_t> found;
        for (const auto& entry : fs::directory_iterator("/proc")) {
            const std::string name = entry.path().filename();
            if (name.find_first_not_of("0123456789") != std::string::npos) continue;
            std::ifstream stat(entry.path() / "stat");
            std::string line;
            std::getline(stat, line);
            const std::size_t close = line.rfind(')');
            if (close == std::string::npos) continue;
            char state = 0;
            int parent = 0;
            if (std::sscanf(line.c_str() + close + 1, " %c %d", &state, &parent) == 2 &&
                parent == pid_)
                found.push_back(std::stoi(name));
        }
        return found;
    }
    pid_t pid_ = -1;
};

TEST_F(CalcEndToEnd, AWorkbookOpenElsewhereIsRefusedUntilItsOfficeIsGone) {
    writeLog(dir_ / "log" / "RL00LOG.TXT", knownHits(3), 0, 3);
    // The user's office has the user's copy open.
    fs::create_directories(copy().parent_path());
    fs::copy_file(dir_ / "ATARI.ods", copy());
    const fs::path lock = copy().parent_path() / ".~lock.ATARI.ods#";
    UsersOffice users(dir_ / "home", copy());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
    while (!fs::exists(lock) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ASSERT_TRUE(fs::exists(lock)) << "the user's office did not open the workbook";

    const ShownMessage shown = launchTold();
    EXPECT_TRUE(shown.text.starts_with(analysis_text::kWorkbookLocked)) << shown.text;
    EXPECT_NE(shown.text.find(copy().string()), std::string::npos) << shown.text;
    EXPECT_EQ(shown.text.find('\\'), std::string::npos) << shown.text;
    EXPECT_TRUE(fs::exists(lock)) << "the lock of a living office was removed";

    // The user's office dies and leaves its lock: nobody holds the workbook any more.
    users.kill();
    ASSERT_TRUE(fs::exists(lock));
    launchQuietly();
    Book b(copy());
    EXPECT_EQ(b.status(), "OK 3 件 (1 ファイル)");
}

TEST_F(CalcEndToEnd, OnlyTheUserCanReachTheOffice) {
    writeLog(dir_ / "log" / "RL00LOG.TXT", knownHits(3), 0, 3);
    // Started under a umask of 000, the office still keeps its profile and pipes to the user.
    quitOffice();
    const mode_t umask_was = ::umask(0);
    launch();
    ::umask(umask_was);
    ASSERT_TRUE(t_.display.messages().empty()) << t_.display.messages()[0].text;
    EXPECT_EQ(modeOf(profile()) & 0777, 0700u);
    // The folder keeps its files to the user; nobody else may write to any of them.
    EXPECT_EQ(modeOf(profile() / ".lock") & 022, 0u) << "the office's own files are open to all";
    const fs::path name_file = profile() / "rl00-pipe";
    EXPECT_EQ(modeOf(name_file) & 0777, 0600u);
    const std::string first = firstLine(name_file);
    ASSERT_TRUE(std::regex_match(first, std::regex("rl00_[0-9a-f]{32}"))) << first;
    const std::string socket = bridge::pipeSocketPath(first, ::getuid());
    EXPECT_TRUE(S_ISSOCK(modeOf(socket))) << socket;
    EXPECT_EQ(modeOf(socket) & 077, 0u) << std::oct << modeOf(socket);

    if (::geteuid() != 0) GTEST_SKIP() << "making a socket of another user takes root";
    // Another user takes the name the office had while it is not running: it is never
    // connected to, and the next office gets a name of its own.
    quitOffice();
    const std::string squatted = bridge::randomPipeName();
    std::ofstream(name_file) << squatted << "\n";
    const ListeningSocket trap(bridge::pipeSocketPath(squatted, ::getuid()));
    ASSERT_TRUE(trap.ok());
    ASSERT_EQ(::chown(bridge::pipeSocketPath(squatted, ::getuid()).c_str(), 65534, 65534), 0);
    ASSERT_EQ(::chmod(bridge::pipeSocketPath(squatted, ::getuid()).c_str(), 0777), 0);

    launchQuietly();
    EXPECT_FALSE(trap.wasConnected());
    const std::string next = firstLine(name_file);
    EXPECT_NE(next, squatted);
    EXPECT_NE(next, first);
}

// In a child: the launch as an ordinary user of the machine meets it, with a home that holds
// nothing yet and no settings of the test's own but the office program `soffice`, if given. Root
// becomes nobody for it, in root's folder `closed` that nobody may enter (as runuser leaves
// it). What the launch told is left in home/told.txt; exits 77 when the user cannot reach the
// test's files.
[[noreturn]] void launchAsFreshUser(TestMachine& t, const fs::path& home, const char* soffice) {
    const fs::path closed = home.parent_path() / "closed";
    if (::geteuid() == 0 &&
        (::chown(home.c_str(), 65534, 65534) != 0 || ::mkdir(closed.c_str(), 0700) != 0 ||
         ::chdir(closed.c_str()) != 0 || ::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 ||
         ::setuid(65534) != 0))
        ::_exit(77);
    for (const char* name : {"RL00_OFFICE_PROFILE", "XDG_DATA_HOME", "XDG_CONFIG_HOME",
                             "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"})
        ::unsetenv(name);
    ::setenv("HOME", home.c_str(), 1);
    if (soffice != nullptr) ::setenv("RL00_SOFFICE", soffice, 1);
    if (::access(bridgePath().c_str(), X_OK) != 0 ||
        ::access((fs::path(t.m.G_sExcelPath) / t.m.G_sExcelBook).c_str(), R_OK) != 0)
        ::_exit(77);
    {
        test::RecordingWaitWindow window(t.m, home.string());
        BridgeAutomation server(bridgePath(), [&t] {
            t.display.processEvents();
            return t.m.G_bEnd != kTrue;
        });
        LaunchPorts ports{window, server, changeDirectory};
        AnalysisSession session;
        runUntilEnd([&] { launchAnalysis(t.m, session, ports); });
    }
    const std::string pipe = firstLine(home / ".local/share/rl00/office/rl00-pipe");
    if (fs::exists(bridge::pipeSocketPath(pipe, ::getuid()))) {
        BridgeAutomation quitter(bridgePath(), [] { return true; });
        try {
            quitter.CreateObject(analysis_text::kServerClass)->call("Quit");
        } catch (const AutomationError&) {
        }
    }
    std::ofstream(home / "told.txt")
        << (t.display.messages().empty() ? "" : t.display.messages().back().text);
    ::_exit(0);
}

// What the launch told the fresh user of launchAsFreshUser; nullopt when that user cannot run.
std::optional<std::string> toldToFreshUser(TestMachine& t, const fs::path& home,
                                           const char* soffice = nullptr) {
    fs::create_directories(home);
    const pid_t child = ::fork();
    if (child == 0) launchAsFreshUser(t, home, soffice);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return "the fresh user's launch did not run";
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "the fresh user's launch ended with status " + std::to_string(status);
    std::ifstream in(home / "told.txt");
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(CalcEndToEnd, AnOrdinaryUserAnalysesWithTheOfficeRootHasRun) {
    // Two offices start here, and the office is the same program in every build: the
    // sanitizers' build, which runs the helper and the launch in the other tests, leaves it out.
    if (test::kSlowBuild) GTEST_SKIP() << "run by the optimised build";
    writeLog(dir_ / "log" / "RL00LOG.TXT", knownHits(3), 0, 3);
    // Root's office (in CI) has registered what the installation shares among its users.
    launchQuietly();
    const fs::path home = dir_ / "home";
    const std::optional<std::string> told = toldToFreshUser(t_, home);
    if (!told) GTEST_SKIP() << "nobody cannot reach " << dir_;
    EXPECT_EQ(*told, "") << "the launch failed for an ordinary user";
    EXPECT_TRUE(fs::is_regular_file(home / ".local/share/rl00/ATARI.ods"));
    EXPECT_TRUE(fs::is_directory(home / ".local/share/rl00/office/user"));
}

// An installation whose shared extension cache an office of root's left closed (as one under a
// private umask did) makes every other user's office abort at its start: the message names the
// folder, and how to open it, rather than only the office's exit.
TEST_F(CalcEndToEnd, AnInstallationClosedToTheUserIsNamed) {
    writeLog(dir_ / "log" / "RL00LOG.TXT", knownHits(3), 0, 3);
    const fs::path office = dir_ / "office";
    const fs::path closed = office / "share/uno_packages/cache/uno_packages";
    fs::create_directories(office / "program");
    fs::create_directories(closed);
    std::ofstream(office / "program/soffice")
        << "#!/bin/sh\necho \"terminate called after throwing an instance of "
           "'com::sun::star::deployment::DeploymentException'\" >&2\nexit 134\n";
    fs::permissions(office / "program/soffice", fs::perms::owner_all | fs::perms::group_exec |
                                                    fs::perms::group_read | fs::perms::others_exec |
                                                    fs::perms::others_read);
    fs::permissions(closed, fs::perms::none);
    const std::optional<std::string> told =
        toldToFreshUser(t_, dir_ / "home", (office / "program/soffice").c_str());
    fs::permissions(closed, fs::perms::owner_all);
    if (!told) GTEST_SKIP() << "nobody cannot reach " << dir_;
    EXPECT_TRUE(told->starts_with(analysis_text::kNoServer)) << *told;
    EXPECT_NE(told->find("終了コード 134"), std::string::npos) << *told;
    EXPECT_NE(told->find("DeploymentException"), std::string::npos) << *told;
    EXPECT_NE(told->find("chmod -R a+rX " + closed.string()), std::string::npos) << *told;
}

}  // namespace
}  // namespace rl00
