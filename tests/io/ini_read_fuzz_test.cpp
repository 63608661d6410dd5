// Throws arbitrary bytes at the configuration reader for a bounded time: mutations of valid
// files in both encodings, and random bytes. Set RL00_FUZZ_SEED to replay a reported run.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "io/ini_read.h"
#include "io/sjis.h"
#include "support/sjis_text.h"
#include "support/test_machine.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

constexpr auto kBudget = std::chrono::milliseconds(2500);
// Every this many inputs one also goes through a real file, which is much slower.
constexpr int kFileEvery = 64;

// Bytes that mean something to the reader or the decoders.
constexpr std::array<unsigned char, 20> kInteresting = {',',  '"',  '\r', '\n', '[',  ']',  ' ',
                                                        '\t', '/',  '*',  '\'', '%',  0x00, 0x81,
                                                        0x83, 0x9F, 0xE0, 0xEF, 0xBB, 0xFF};

const std::string kUtf8File =
    "' 設定\r\n[ログ書き込み先パス]\r\n\"/tmp/a, b\"\r\n[ログ書き込み先ファイル名]\r\n"
    "  LOG.TXT , extra\r\n[待機時間]\r\n// c\r\n10000\r\n[スクロールスピード]\r\n100\r\n"
    "[EXCELパス]\r\n/srv/x\r\n[EXCEL01]\r\nATARI.ods";

std::uint64_t fuzzSeed() {
    if (const char* env = std::getenv("RL00_FUZZ_SEED")) return std::strtoull(env, nullptr, 10);
    std::random_device rd;
    return (std::uint64_t{rd()} << 32) | rd();
}

class Fuzzer {
  public:
    explicit Fuzzer(std::uint64_t seed) : rng_(seed) {}

    std::size_t below(std::size_t n) {
        return n == 0 ? 0 : std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
    }
    char byte() {
        return static_cast<char>(below(2) == 0 ? kInteresting[below(kInteresting.size())]
                                               : below(256));
    }

    std::string randomBytes() {
        std::string s(below(600), '\0');
        for (char& c : s)
            c = byte();
        return s;
    }

    std::string mutate(std::string s, const std::string& donor) {
        for (std::size_t k = below(8) + 1; k > 0; --k) {
            const std::size_t at = below(s.size() + 1);
            switch (below(6)) {
                case 0:
                    if (at < s.size()) s[at] = static_cast<char>(s[at] ^ (1 << below(8)));
                    break;
                case 1:
                    if (at < s.size()) s[at] = byte();
                    break;
                case 2:
                    s.insert(at, 1, byte());
                    break;
                case 3:
                    s.erase(at, below(16) + 1);
                    break;
                case 4:
                    s.insert(at, s.substr(below(s.size() + 1), below(64)));
                    break;
                default:
                    s.insert(at, donor.substr(below(donor.size() + 1), below(64)));
                    break;
            }
        }
        return s;
    }

  private:
    std::mt19937_64 rng_;
};

std::string shown(const std::string& bytes) {
    return testing::PrintToString(bytes.size() > 2000 ? bytes.substr(0, 2000) : bytes);
}

// What must hold for any bytes at all: a value is trimmed text of the file that could not have
// been skipped as a comment or taken as a section, and the decoded text is always UTF-8.
void checkSettings(const std::string& bytes, Flag result, const Settings& s) {
    EXPECT_TRUE(result == kTrue || result == kFalse);
    const std::optional<std::string> text = decodeText(bytes);
    ASSERT_TRUE(text.has_value());
    EXPECT_TRUE(isUtf8(*text));
    for (const std::string* v : {&s.G_sLogPath, &s.G_sLogName, &s.G_sWaitTime, &s.G_sScrollSpeed,
                                 &s.G_sExcelPath, &s.G_sExcelBook}) {
        if (v->empty()) continue;
        EXPECT_EQ(trimBlanks(*v), *v);
        EXPECT_FALSE(isCommentItem(*v)) << *v;
        EXPECT_NE(v->front(), '[');
        EXPECT_NE(text->find(*v), std::string::npos) << *v;
    }
}

bool sameSettings(const Settings& a, const Settings& b) {
    return a.G_sLogPath == b.G_sLogPath && a.G_sLogName == b.G_sLogName &&
           a.G_sWaitTime == b.G_sWaitTime && a.G_sScrollSpeed == b.G_sScrollSpeed &&
           a.G_sExcelPath == b.G_sExcelPath && a.G_sExcelBook == b.G_sExcelBook;
}

TEST(IniFuzz, AnyBytesGiveAResultAndSoundSettings) {
    const std::uint64_t seed = fuzzSeed();
    SCOPED_TRACE("RL00_FUZZ_SEED=" + std::to_string(seed));

    std::ifstream shipped(RL00_BUILD_DIR "/app/" + std::string(kIniFileName), std::ios::binary);
    ASSERT_TRUE(shipped) << "the build writes the default file";
    const std::string shipped_text{std::istreambuf_iterator<char>(shipped), {}};
    // The shipped file as written now (UTF-8) and as the old platform wrote it.
    const std::vector<std::string> corpus = {shipped_text,
                                             test::withCrLf(test::toSjis(shipped_text)), kUtf8File};

    std::string dir = testing::TempDir() + "rl00_fuzz_XXXXXX";
    ASSERT_NE(mkdtemp(dir.data()), nullptr);
    test::TestMachine t;
    t.m.G_sAppPath = dir;

    Fuzzer fuzz(seed);
    const auto deadline = std::chrono::steady_clock::now() + kBudget;
    int inputs = 0;
    while (std::chrono::steady_clock::now() < deadline && !HasFailure()) {
        const std::string bytes =
            fuzz.below(4) == 0
                ? fuzz.randomBytes()
                : fuzz.mutate(corpus[fuzz.below(corpus.size())], corpus[fuzz.below(2)]);
        try {
            Settings s;
            const Flag result = readSettings(bytes, s);
            checkSettings(bytes, result, s);

            if (++inputs % kFileEvery == 0) {
                std::ofstream(fs::path(dir) / kIniFileName, std::ios::binary) << bytes;
                static_cast<Settings&>(t.m) = Settings{};
                EXPECT_EQ(INI_READ(t.m), result);
                EXPECT_TRUE(sameSettings(t.m, s));
            }
        } catch (const std::exception& e) {
            ADD_FAILURE() << "exception: " << e.what();
        }
        if (HasFailure()) ADD_FAILURE() << "input: " << shown(bytes);
    }
    fs::remove_all(dir);
    EXPECT_GT(inputs, 0);
    std::cout << "[ fuzz     ] " << inputs << " inputs, RL00_FUZZ_SEED=" << seed << "\n";
}

}  // namespace
}  // namespace rl00
