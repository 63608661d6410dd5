#include "io/ini_read.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "io/install_layout.h"
#include "io/settings_home.h"
#include "io/sjis.h"
#include "support/sjis_text.h"
#include "support/test_machine.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

std::vector<std::string> items(std::string_view text) {
    std::vector<std::string> out;
    ItemReader reader(text);
    while (!reader.atEnd())
        out.emplace_back(reader.next());
    return out;
}

using test::toSjis;

struct Read {
    Flag result;
    Settings s;
};

Read read(std::string_view bytes) {
    Read r{};
    r.result = readSettings(bytes, r.s);
    return r;
}

const std::string kFullFile =
    "' コメント\r\n"
    "[ログ書き込み先パス]\r\n"
    "' ログのフォルダ\r\n"
    "/var/log/rl00\r\n"
    "\r\n"
    "[ログ書き込み先ファイル名]\r\n"
    "RL00LOG.TXT\r\n"
    "[待機時間]\r\n"
    "10000\r\n"
    "[スクロールスピード]\r\n"
    "100\r\n"
    "[EXCELパス]\r\n"
    "..\\分析\r\n"
    "[EXCEL01]\r\n"
    "ATARI.XLS\r\n";

void expectFull(const Read& r) {
    EXPECT_EQ(r.result, kTrue);
    EXPECT_EQ(r.s.G_sLogPath, "/var/log/rl00");
    EXPECT_EQ(r.s.G_sLogName, "RL00LOG.TXT");
    EXPECT_EQ(r.s.G_sWaitTime, "10000");
    EXPECT_EQ(r.s.G_sScrollSpeed, "100");
    EXPECT_EQ(r.s.G_sExcelPath, "..\\分析");
    EXPECT_EQ(r.s.G_sExcelBook, "ATARI.XLS");
}

TEST(IniItems, SplitAtCommasAndEveryKindOfLineEnd) {
    EXPECT_EQ(items("a,b\r\nc\nd\re"), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(items("\r\n\r\nx"), (std::vector<std::string>{"", "", "x"}));
    EXPECT_EQ(items("x\n\r\ny"), (std::vector<std::string>{"x", "", "y"}));
    EXPECT_EQ(items("  \t lead,  b  ,\r\n"), (std::vector<std::string>{"lead", "b  ", ""}));
    EXPECT_EQ(items("last,"), (std::vector<std::string>{"last"}));
    EXPECT_TRUE(items("").empty());
}

TEST(IniItems, QuotedItemsKeepCommasAndLineEndsAndDropTextAfterTheQuote) {
    EXPECT_EQ(items(R"( "a, b" ,c)"), (std::vector<std::string>{"a, b", "c"}));
    EXPECT_EQ(items("\"two\r\nlines\"\r\nx"), (std::vector<std::string>{"two\r\nlines", "x"}));
    EXPECT_EQ(items("\"q\"tail,next\r\n"), (std::vector<std::string>{"q", "next"}));
    EXPECT_EQ(items("a\"b\"c,d"), (std::vector<std::string>{"a\"b\"c", "d"}));
    EXPECT_EQ(items("\"open, never\r\nclosed"),
              (std::vector<std::string>{"open, never\r\nclosed"}));
}

TEST(IniItems, CommentCharactersAndTheAbsolutePathException) {
    for (const char* c : {"'x", "-x", "#x", "$x", "%20", "&x", "!x", "*x", "//x", "/*x", "/",
                          "/ この下がログの場所", "/\tnote", "/　メモ"}) {
        EXPECT_TRUE(isCommentItem(c)) << c;
    }
    for (const char* v : {"/var/log", "/a", "/ログ", "/a b", "x'", "10000", "", "..\\log"}) {
        EXPECT_FALSE(isCommentItem(v)) << v;
    }
}

TEST(IniParse, ASlashAndABlankBeginACommentNotAPath) {
    const Read r =
        read(toSjis("[ログ書き込み先パス]\r\n/ この下がログの場所\r\n/srv/rl00 log\r\n"));
    EXPECT_EQ(r.result, kTrue);
    EXPECT_EQ(r.s.G_sLogPath, "/srv/rl00 log");
}

TEST(IniParse, ReadsAWholeFileInUtf8ShiftJisAndWithOtherLineEnds) {
    expectFull(read(kFullFile));
    expectFull(read(toSjis(kFullFile)));
    expectFull(read("\xEF\xBB\xBF" + kFullFile));
    std::string lf = kFullFile;
    std::erase(lf, '\r');
    expectFull(read(lf));
    std::string cr = kFullFile;
    std::erase(cr, '\n');
    expectFull(read(cr));
    expectFull(read(kFullFile.substr(0, kFullFile.size() - 2)));  // no final line end
}

TEST(IniParse, ASectionWhereAValueIsAwaitedStopsTheReadingWithFalse) {
    Read r = read(
        "[ログ書き込み先ファイル名]\r\nLOG.TXT\r\n"
        "[待機時間]\r\n' comment\r\n\r\n[EXCEL01]\r\nBOOK.ods\r\n[スクロールスピード]\r\n5\r\n");
    EXPECT_EQ(r.result, kFalse);
    EXPECT_EQ(r.s.G_sLogName, "LOG.TXT");
    EXPECT_EQ(r.s.G_sWaitTime, "");
    EXPECT_EQ(r.s.G_sExcelBook, "");
    EXPECT_EQ(r.s.G_sScrollSpeed, "");

    // Any item that begins with "[" stops it, not only a known section.
    r = read("[待機時間]\r\n[unknown\r\n10\r\n");
    EXPECT_EQ(r.result, kFalse);
    EXPECT_EQ(r.s.G_sWaitTime, "");
}

TEST(IniParse, UnknownSectionsAreIgnoredAndSectionsMatchExactly) {
    Read r = read("[その他]\r\n[EXCEL01]\r\nBOOK.ods\r\n[excel01]\r\nother\r\n");
    EXPECT_EQ(r.result, kTrue);
    EXPECT_EQ(r.s.G_sExcelBook, "BOOK.ods");

    r = read("  [待機時間]  \r\n 10000 \r\n");
    EXPECT_EQ(r.s.G_sWaitTime, "10000");
    r = read("[待機時間] 10000\r\n20000\r\n");
    EXPECT_EQ(r.result, kTrue);
    EXPECT_EQ(r.s.G_sWaitTime, "");
    r = read("[待機時間],10000\r\n");
    EXPECT_EQ(r.s.G_sWaitTime, "10000");
    r = read("\"[待機時間]\"\r\n7\r\n");
    EXPECT_EQ(r.s.G_sWaitTime, "7");
}

TEST(IniParse, ASectionAtTheEndGivesTheEmptyValueAndTrue) {
    Settings s;
    s.G_sExcelBook = "old";
    EXPECT_EQ(readSettings("[EXCEL01]", s), kTrue);
    EXPECT_EQ(s.G_sExcelBook, "");
    s.G_sExcelBook = "old";
    EXPECT_EQ(readSettings("[EXCEL01]\r\n' only a comment\r\n\r\n   ", s), kTrue);
    EXPECT_EQ(s.G_sExcelBook, "");
}

TEST(IniParse, ValuesAreTrimmedCutAtCommasUnlessQuoted) {
    Read r = read(
        "[待機時間]\r\n   250  \r\n"
        "[ログ書き込み先パス]\r\n/home/a user/log\r\n"
        "[EXCELパス]\r\n/data/a,b\r\n"
        "[EXCEL01]\r\n\" a,b.ods \"\r\n");
    EXPECT_EQ(r.result, kTrue);
    EXPECT_EQ(r.s.G_sWaitTime, "250");
    EXPECT_EQ(r.s.G_sLogPath, "/home/a user/log");
    EXPECT_EQ(r.s.G_sExcelPath, "/data/a");
    EXPECT_EQ(r.s.G_sExcelBook, "a,b.ods");
}

TEST(IniParse, CommentsAreSkippedButTheirCommasMakeItems) {
    Read r = read("[待機時間]\r\n' wait, 3\r\n10\r\n");
    EXPECT_EQ(r.s.G_sWaitTime, "3");
    r = read("[EXCEL01]\r\n%book\r\n// c\r\n/* c */\r\n-\r\n/\r\nbook.ods\r\n");
    EXPECT_EQ(r.s.G_sExcelBook, "book.ods");
    r = read("[ログ書き込み先パス]\r\n# old\r\n/srv/rl00/log\r\n");
    EXPECT_EQ(r.s.G_sLogPath, "/srv/rl00/log");
}

TEST(IniParse, LaterDuplicatesWinAndUnmentionedSettingsKeepTheirValues) {
    Settings s;
    s.G_sLogName = "kept";
    EXPECT_EQ(readSettings("[待機時間]\r\n1\r\n[待機時間]\r\n2\r\n", s), kTrue);
    EXPECT_EQ(s.G_sWaitTime, "2");
    EXPECT_EQ(s.G_sLogName, "kept");
}

TEST(IniDecode, Utf8IsTakenAsItIsAndBadShiftJisBytesBecomeReplacements) {
    EXPECT_EQ(decodeText("\xEF\xBB\xBF"
                         "abc"),
              "abc");
    EXPECT_EQ(decodeText(toSjis("待機時間")), "待機時間");
    // CP932, not JIS X 0201: no yen sign, no overline.
    EXPECT_EQ(decodeText(toSjis("あ") + "\\~"), "あ\\~");
    // A stray lead byte costs one character and keeps the comma or line end after it.
    EXPECT_EQ(decodeText("a\x83,b\x81\r\nc\x80"
                         "d\x83"),
              "a\uFFFD,b\uFFFD\r\nc\uFFFDd\uFFFD");

    // Not UTF-8: overlong forms, surrogates, values past U+10FFFF and cut sequences.
    for (std::string bad : {"\xC0\xAF"s, "\xE0\x80\xAF"s, "\xED\xA0\x80"s, "\xF4\x90\x80\x80"s,
                            "\xE3\x81"s, "\x91\xD2"s}) {
        EXPECT_FALSE(isUtf8(bad)) << testing::PrintToString(bad);
    }
    EXPECT_TRUE(isUtf8("\xF4\x8F\xBF\xBF あ\x7F"));
}

TEST(IniParse, BytesThatAreNotTextDoNotDisturbTheReading) {
    Read r = read(toSjis("[待機時間]\r\n1\0"s
                         "2\r\n[EXCEL01]\r\n") +
                  "b\x83\r\n");
    EXPECT_EQ(r.result, kTrue);
    EXPECT_EQ(r.s.G_sWaitTime,
              "1\0"s
              "2");
    EXPECT_EQ(r.s.G_sExcelBook, "b\uFFFD");
    EXPECT_EQ(read("").result, kTrue);
}

class IniFile : public testing::Test {
  protected:
    void SetUp() override {
        std::string tmpl = testing::TempDir() + "rl00_ini_XXXXXX";
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        dir_ = tmpl;
        t_.m.G_sAppPath = dir_;
    }
    void TearDown() override { fs::remove_all(dir_); }

    void write(const std::string& bytes) {
        std::ofstream(fs::path(dir_) / kIniFileName, std::ios::binary) << bytes;
    }

    std::string dir_;
    test::TestMachine t_;
};

TEST_F(IniFile, ReadsTheFileBesideTheProgram) {
    write(toSjis(kFullFile));
    EXPECT_EQ(INI_READ(t_.m), kTrue);
    EXPECT_EQ(t_.m.G_sLogPath, "/var/log/rl00");
    EXPECT_EQ(t_.m.G_sExcelBook, "ATARI.XLS");
    EXPECT_TRUE(t_.display.messages().empty());
}

TEST_F(IniFile, AMissingFileADirectoryOrAFifoGiveFalseAndEmptySettings) {
    EXPECT_EQ(INI_READ(t_.m), kFalse);
    fs::create_directory(fs::path(dir_) / kIniFileName);
    EXPECT_EQ(INI_READ(t_.m), kFalse);
    fs::remove(fs::path(dir_) / kIniFileName);
    ASSERT_EQ(mkfifo((fs::path(dir_) / kIniFileName).c_str(), 0600), 0);
    EXPECT_EQ(INI_READ(t_.m), kFalse);  // and does not wait for a writer
    EXPECT_EQ(t_.m.G_sLogPath, "");
    EXPECT_EQ(t_.m.G_sWaitTime, "");
    EXPECT_TRUE(t_.display.messages().empty());
}

TEST_F(IniFile, ALongLineIsReadWholeAndAnOversizedFileIsRefused) {
    const std::string long_value(10u << 20, 'x');
    write("[EXCEL01]\r\n" + long_value + "\r\n[待機時間]\r\n10000");
    EXPECT_EQ(INI_READ(t_.m), kTrue);
    EXPECT_EQ(t_.m.G_sExcelBook, long_value);
    EXPECT_EQ(t_.m.G_sWaitTime, "10000");

    std::string huge = "[待機時間]\r\n1\r\n";
    huge.resize(kMaxIniBytes + 1, ' ');
    write(huge);
    t_.m.G_sWaitTime.clear();
    EXPECT_EQ(INI_READ(t_.m), kFalse);
    EXPECT_EQ(t_.m.G_sWaitTime, "");
}

TEST(DefaultIni, TheShippedFileIsUtf8WithLineFeedsAndGivesAllSixSettings) {
    const std::string app = RL00_BUILD_DIR "/app";
    std::ifstream in(app + "/" + kIniFileName, std::ios::binary);
    ASSERT_TRUE(in) << "the build writes " << app << "/" << kIniFileName;
    const std::string text{std::istreambuf_iterator<char>(in), {}};
    EXPECT_TRUE(isUtf8(text)) << "cat and an editor show the file as it is";
    EXPECT_EQ(text.find('\r'), std::string::npos);

    // A comma in a comment would make a second item that could be taken as a value.
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size());
        const std::string_view line = std::string_view(text).substr(at, end - at);
        if (line.starts_with('\'')) {
            EXPECT_EQ(line.find(','), std::string_view::npos) << line;
        }
        at = end + 1;
    }

    // The same file saved in the old encoding and line ends gives the same settings.
    test::TestMachine sjis;
    const fs::path folder = fs::path(testing::TempDir()) / "rl00_sjis_default";
    fs::create_directories(folder);
    std::ofstream(folder / kIniFileName, std::ios::binary) << test::withCrLf(toSjis(text));
    sjis.m.G_sAppPath = folder.string();
    EXPECT_EQ(INI_READ(sjis.m), kTrue);
    fs::remove_all(folder);

    test::TestMachine t;
    t.m.G_sAppPath = app;
    EXPECT_EQ(INI_READ(t.m), kTrue);
    for (const Settings* s :
         {static_cast<const Settings*>(&t.m), static_cast<const Settings*>(&sjis.m)}) {
        // Relative folders, so that no path of the build is written into the file.
        EXPECT_EQ(s->G_sLogPath, "../log");
        EXPECT_EQ(s->G_sLogName, "RL00LOG.TXT");
        EXPECT_EQ(s->G_sWaitTime, "10000");
        EXPECT_EQ(s->G_sScrollSpeed, "100");
        EXPECT_EQ(s->G_sExcelPath, "../analysis");
        EXPECT_EQ(s->G_sExcelBook, kWorkbookFile);
    }
    resolveSettingFolders(t.m, app);
    EXPECT_EQ(t.m.G_sLogPath, RL00_BUILD_DIR "/log");
    EXPECT_TRUE(fs::is_regular_file(fs::path(t.m.G_sExcelPath) / t.m.G_sExcelBook));
}

}  // namespace
}  // namespace rl00
