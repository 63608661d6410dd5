#include "platform/json.h"

#include <gtest/gtest.h>

namespace rl00::json {
namespace {

TEST(JsonLine, MessagesSurviveTheRoundTripOnOneLine) {
    const Value message(Object{
        {"op", "put"},
        {"obj", 3},
        {"args", Array{Value("データ"), Value(1), Value(-2.5), Value(true), Value()}},
        {"value", "C:\\LOG\n\"quoted\"\t\x01"},
        {"nested", Object{{"obj", std::int64_t{1} << 40}}},
        {"whole", 3.0},
    });
    const std::string line = write(message);
    EXPECT_EQ(line.find('\n'), std::string::npos);

    const Value back = parse(line);
    EXPECT_EQ(back["op"].asString(), "put");
    EXPECT_EQ(back["obj"].asInt(), 3);
    const Array& args = back["args"].asArray();
    ASSERT_EQ(args.size(), 5u);
    EXPECT_EQ(args[0].asString(), "データ");
    EXPECT_EQ(args[1].asInt(), 1);
    EXPECT_DOUBLE_EQ(args[2].asNumber(), -2.5);
    EXPECT_TRUE(args[3].asBool());
    EXPECT_TRUE(args[4].isNull());
    EXPECT_EQ(back["value"].asString(), "C:\\LOG\n\"quoted\"\t\x01");
    EXPECT_EQ(back["nested"]["obj"].asInt(), std::int64_t{1} << 40);
    EXPECT_TRUE(back["whole"].isDouble());
    EXPECT_TRUE(back["missing"].isNull());
}

TEST(JsonLine, EscapesFromOtherWritersAreDecoded) {
    const Value v = parse(R"( {"a":"\u30c7\u30fc\u30bf\/","b":"\ud83d\ude00","c":[ ],"d":{}} )");
    EXPECT_EQ(v["a"].asString(), "データ/");
    EXPECT_EQ(v["b"].asString(), "\xF0\x9F\x98\x80");
    EXPECT_TRUE(v["c"].asArray().empty());
    EXPECT_TRUE(v["d"].asObject().empty());
}

TEST(JsonLine, MalformedLinesAreRejected) {
    for (const char* bad : {"", "{", "{\"a\" 1}", "[1,]", "\"open", "{\"a\":1} x", "tru", "-",
                            "{\"a\":\"\\q\"}", "[1 2]", "1.2.3"}) {
        EXPECT_THROW(parse(bad), ParseError) << bad;
    }
}

}  // namespace
}  // namespace rl00::json
