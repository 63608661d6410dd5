// Whole games through the real game cycle, checked against what must hold between the fields
// of every trace line: the outcome, the stop symbols, the reach kind, the mode and its text.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "engine/tables.h"
#include "frontends/headless/batch.h"
#include "platform/json.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

// One trace line read by the JSON reader; a field that is missing or of another kind throws.
struct Line {
    json::Value v;
    long num(const std::string& k) const { return v[k].asInt(); }
    bool flag(const std::string& k) const { return v[k].asBool(); }
    const std::string& text(const std::string& k) const { return v[k].asString(); }
    std::array<long, 3> triple(const std::string& k) const {
        const json::Array& a = v[k].asArray();
        return {a.at(0).asInt(), a.at(1).asInt(), a.at(2).asInt()};
    }
};

long wrap(long s) {
    return (s + 13) % 14 + 1;
}

TEST(TraceInvariants, EveryGameAgreesWithItsOutcome) {
    const fs::path dir = fs::temp_directory_path() / ("rl00_inv_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    BatchOptions o;
    o.games = 6000;
    o.seed = 2024;
    o.quiet = true;
    o.program_dir = dir.string();
    o.trace_file = (dir / "trace").string();
    std::ostringstream out, err;
    ASSERT_EQ(runBatch(o, out, err), 0);

    std::ifstream in(o.trace_file);
    std::string text;
    long games = 0, previous_chain = 0;
    bool previous_kakuhen = false;
    while (std::getline(in, text)) {
        const Line l{json::parse(text)};
        ++games;
        const auto first = l.triple("first");
        const auto stop = l.triple("stop");
        const long reach = l.num("reach");
        const bool hit = l.flag("hit");
        SCOPED_TRACE(text);
        if (hit) {
            ASSERT_EQ(reach, 3);
            ASSERT_TRUE(stop[0] == stop[1] && stop[1] == stop[2]);
            ASSERT_EQ(l.flag("kakuhen"), isKakuhenSymbol(static_cast<Int16>(stop[0])));
            ASSERT_TRUE(first[0] == first[1] && first[1] == first[2]);
            if (l.flag("relottery")) {
                ASSERT_FALSE(isKakuhenSymbol(static_cast<Int16>(first[0])));
            } else {
                ASSERT_EQ(first, stop);
                ASSERT_FALSE(l.flag("overshoot"));
            }
            ASSERT_TRUE(l.num("chain") == 1 || l.num("chain") == previous_chain + 1);
        } else {
            ASSERT_EQ(first, stop);
            ASSERT_FALSE(l.flag("relottery"));
            ASSERT_EQ(l.flag("kakuhen"), previous_kakuhen);  // only a hit changes it
            ASSERT_EQ(l.num("chain"), previous_chain);
        }
        if (reach == 2) {
            ASSERT_EQ(stop[0], stop[2]);
            ASSERT_TRUE(stop[1] == wrap(stop[0] + 1) || stop[1] == wrap(stop[0] - 1));
            ASSERT_EQ(l.num("oshidir"), stop[1] == wrap(stop[0] + 1) ? 1 : 0);
        }
        if (reach == 1) {
            ASSERT_EQ(l.num("mode"), 0);  // far-miss reaches only in normal mode
        }
        if (reach == 0 && !hit && stop[0] == stop[2]) {
            ASSERT_NE(l.num("mode"), 0);
        }
        if (reach != 0) {
            const long kind = l.num("kind");
            ASSERT_GE(kind, 1);
            ASSERT_LE(kind, 10);
            if (kind == 2 || kind == 5 || kind == 8) {
                ASSERT_EQ(reach, 3);
            }
            if (kind == 9) {
                ASSERT_EQ(reach, 1);
            }
            char code[8];
            std::snprintf(code, sizeof code, "%02ld:", kind);
            ASSERT_EQ(l.text("code").substr(0, 3), code);
            ASSERT_EQ(l.text("code").size(), 6u);
        }
        const std::string& label = l.text("mode_label");
        if (l.flag("kakuhen")) {
            ASSERT_EQ(label, "確変中!!");
        } else if (l.flag("jitan")) {
            ASSERT_EQ(label, "時短中!!");
        } else {
            ASSERT_EQ(label, "");
        }
        const long frames = l.num("frames");
        ASSERT_GE(frames, 378);  // the reels alone take 378 frames
        ASSERT_GE(l.v["virtual_ms"].asNumber(), 2.0 * double(frames) + 130.0);
        previous_chain = l.num("chain");
        previous_kakuhen = l.flag("kakuhen");
    }
    EXPECT_EQ(games, 6000);
    fs::remove_all(dir);
}

}  // namespace
}  // namespace rl00
