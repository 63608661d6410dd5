#include "platform/json.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdio>
#include <limits>

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

TEST(JsonNumbers, FollowTheGrammarWithExponentsAndNothingLoose) {
    const struct {
        const char* text;
        double value;
    } doubles[] = {{"1e3", 1000},  {"1E-2", 0.01}, {"-0.5e+1", -5},   {"0.25", 0.25},
                   {"-0.0", -0.0}, {"2E0", 2},     {"5e-324", 5e-324}};
    for (const auto& [text, value] : doubles) {
        const Value v = parse(text);
        ASSERT_TRUE(v.isDouble()) << text;
        EXPECT_EQ(v.asNumber(), value) << text;
        EXPECT_EQ(std::signbit(v.asNumber()), std::signbit(value)) << text;
    }
    EXPECT_EQ(parse("0").asInt(), 0);
    EXPECT_EQ(parse("-0").asInt(), 0);
    EXPECT_EQ(parse("120").asInt(), 120);
    for (const char* bad : {"1e", "1.", ".5", "01", "-01", "+1", "1e+", "1.e3", "--1", "- 1",
                            "0x10", "1_000", "Infinity", "NaN", "1e400", "-1e400", "1e-400"}) {
        EXPECT_THROW(parse(bad), ParseError) << bad;
    }
}

TEST(JsonNumbers, IntegersBeyondSixtyFourBitsAreReadAsDoubles) {
    const Value max = parse("9223372036854775807");
    ASSERT_TRUE(max.isInt());
    EXPECT_EQ(max.asInt(), std::numeric_limits<std::int64_t>::max());
    const Value min = parse("-9223372036854775808");
    ASSERT_TRUE(min.isInt());
    EXPECT_EQ(min.asInt(), std::numeric_limits<std::int64_t>::min());

    const Value above = parse("9223372036854775808");
    ASSERT_TRUE(above.isDouble());
    EXPECT_EQ(above.asNumber(), 9223372036854775808.0);
    const Value below = parse("-9223372036854775809");
    ASSERT_TRUE(below.isDouble());
    EXPECT_EQ(below.asNumber(), -9223372036854775808.0);
}

TEST(JsonNumbers, DoublesComeBackExactlyInTheirShortestForm) {
    for (const double d :
         {0.1, 1.0 / 3, 3.0, -0.0, 1e21, 1e-7, DBL_MAX, DBL_MIN, 5e-324, 123456789.125, -2.5}) {
        const Value back = parse(write(Value(d)));
        ASSERT_TRUE(back.isDouble()) << d;
        EXPECT_EQ(back.asNumber(), d);
        EXPECT_EQ(std::signbit(back.asNumber()), std::signbit(d));
    }
    EXPECT_EQ(write(Value(0.1)), "0.1");
    EXPECT_EQ(write(Value(3.0)), "3.0");
    EXPECT_EQ(write(Value(1e21)), "1e+21");
    EXPECT_EQ(write(Value(std::numeric_limits<double>::infinity())), "null");
    EXPECT_EQ(write(Value(std::nan(""))), "null");
}

TEST(JsonStrings, EveryEscapeSurvivesBothDirections) {
    const std::string raw =
        "\"\\/\b\f\n\r\t\x01\x1f\x7f"
        "A\xC3\xA9\xF0\x9F\x98\x80";
    const std::string written = write(Value(raw));
    EXPECT_EQ(written,
              "\"\\\"\\\\/\\b\\f\\n\\r\\t\\u0001\\u001f\x7f"
              "A\xC3\xA9\xF0\x9F\x98\x80\"");
    EXPECT_EQ(parse(written).asString(), raw);

    // Every form another writer may use, \/ and \u among them, reads as the same text.
    const Value escaped = parse(R"("\"\\\/\b\f\n\r\t\u0001\u001F\u007f\u0041\u00e9\uD83D\uDE00")");
    EXPECT_EQ(escaped.asString(), raw);
    EXPECT_EQ(write(escaped), written);
    EXPECT_EQ(parse(R"("\u0000")").asString(), std::string(1, '\0'));
}

TEST(JsonStrings, SurrogatesComeInPairsAndRawControlCharactersAreRefused) {
    EXPECT_EQ(parse(R"("\ud800\udc00")").asString(), "\xF0\x90\x80\x80");
    EXPECT_EQ(parse(R"("\udbff\udfff")").asString(), "\xF4\x8F\xBF\xBF");
    for (const char* bad :
         {R"("\ud800")", R"("\ud800x")", R"("\ud800\u0041")", R"("\ud800\ud800")", R"("\udc00")",
          R"("\udc00\ud800")", R"("\ude00\ud83d")", R"("\u12")", R"("\u12g4")", R"("\x41")",
          "\"a\nb\"", "\"\t\"", "\"\x01\"", "\"\x1f\"", "\"\\", "\"abc"}) {
        EXPECT_THROW(parse(bad), ParseError) << bad;
    }
}

TEST(JsonRead, ExactlyOneValueAndNothingAfterIt) {
    EXPECT_EQ(parse(" \t\r\n 7 \n").asInt(), 7);
    EXPECT_TRUE(parse("null").isNull());
    for (const char* bad :
         {"", " ", "\n", "1 2", "{} {}", "[]]", "nullx", "true false", "\"a\"\"b\"", "{\"a\":1}}",
          "[1],", "{\"a\":1,}", "{,}", "[,1]", "{\"a\":1,\"a\":2}", "{1:2}",
          "\x0b"
          "1",
          "nul", "True"}) {
        EXPECT_THROW(parse(bad), ParseError) << bad;
    }
    const auto error = [](const char* text) {
        try {
            parse(text);
        } catch (const ParseError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(error("{\"a\":[1,2] x"), "expected ',' or '}' at offset 11");
    EXPECT_EQ(error("[01]"), "a leading zero at offset 2");
    EXPECT_EQ(error("[\"\\ud83d\"]"), "a high surrogate without its low half at offset 2");
}

TEST(JsonRead, NestingIsCappedWithAParseErrorNotACrash) {
    const auto nested = [](std::size_t depth, const std::string& open, const std::string& close) {
        std::string text;
        for (std::size_t i = 0; i < depth; ++i)
            text += open;
        text += "0";
        for (std::size_t i = 0; i < depth; ++i)
            text += close;
        return text;
    };
    const std::size_t cap = kMaxDepth;
    EXPECT_NO_THROW(parse(nested(cap, "[", "]")));
    EXPECT_NO_THROW(parse(nested(cap, "{\"a\":", "}")));
    for (const std::string& deep :
         {nested(cap + 1, "[", "]"), nested(cap + 1, "{\"a\":", "}"),
          nested(cap / 2, "[", "]").insert(cap / 2, nested(cap / 2 + 1, "{\"a\":", "}")),
          std::string(100000, '['), nested(100000, "[", "]")}) {
        try {
            parse(deep);
            FAIL() << deep.size();
        } catch (const ParseError& e) {
            EXPECT_NE(std::string(e.what()).find("nesting deeper than 128 levels"),
                      std::string::npos)
                << e.what();
        }
    }
}

// The order of keys is checked on real trace lines in the headless batch test.
TEST(JsonParse, ReadsEachValueAsTheKindItIs) {
    const Value v = parse(R"({"b":"x","a":[2.5, 3, -0.0, null, true]})");
    ASSERT_TRUE(v.isObject());
    EXPECT_EQ(v["b"].asString(), "x");
    const Array& a = v["a"].asArray();
    ASSERT_EQ(a.size(), 5u);
    EXPECT_TRUE(a[0].isDouble());
    EXPECT_EQ(a[0].asNumber(), 2.5);
    EXPECT_TRUE(a[1].isInt());
    EXPECT_TRUE(a[2].isDouble());
    EXPECT_TRUE(a[3].isNull());
    EXPECT_TRUE(a[4].asBool());
}

TEST(JsonWriter, LaysOutCompactAndPrettyDocuments) {
    const auto document = [](Writer& w) {
        w.beginObject(Span::LinePerItem);
        w.key("n").integer(std::uint64_t{18446744073709551615u});
        w.key("inline").beginObject().key("a").integer(std::int16_t{-1}).key("b").null();
        w.endObject();
        w.key("rows").beginArray(Span::LinePerItem);
        w.beginArray(Span::LinePerItem).boolean(true).string("x").endArray();
        w.beginObject().endObject();
        w.endArray();
        w.key("empty").beginArray(Span::LinePerItem).endArray();
        w.key("f").fixed(2.5, 3);
        w.endObject();
    };
    std::string compact, pretty;
    Writer c(compact);
    document(c);
    Writer p(pretty, Layout::Pretty);
    document(p);
    EXPECT_EQ(compact,
              R"({"n":18446744073709551615,"inline":{"a":-1,"b":null},"rows":[[true,"x"],{}],)"
              R"("empty":[],"f":2.500})");
    // A container inside one written on one line stays on that line.
    EXPECT_EQ(pretty,
              "{\n"
              "  \"n\": 18446744073709551615,\n"
              "  \"inline\": {\"a\": -1, \"b\": null},\n"
              "  \"rows\": [\n"
              "    [\n"
              "      true,\n"
              "      \"x\"\n"
              "    ],\n"
              "    {}\n"
              "  ],\n"
              "  \"empty\": [],\n"
              "  \"f\": 2.500\n"
              "}");
    EXPECT_EQ(parse(pretty)["inline"]["a"].asInt(), -1);

    std::string out;
    EXPECT_THROW(Writer(out).beginArray().key("k"), std::logic_error);
    EXPECT_THROW(Writer(out).beginObject().integer(1), std::logic_error);
    EXPECT_THROW(Writer(out).beginObject().endArray(), std::logic_error);
    EXPECT_THROW(Writer(out).beginObject().key("k").endObject(), std::logic_error);
    EXPECT_THROW(Writer(out).integer(1).integer(2), std::logic_error);
}

TEST(JsonWriter, FixedDecimalsRoundAsPrintfAndAreNeverCut) {
    for (const double d : {0.0, 2.5, 0.125, 0.0000005, 1.0 / 3, 624764293.5, -1.0049999999999999,
                           0.99999999949999999, 1e300, -DBL_MAX, 5e-324}) {
        for (const int decimals : {0, 2, 3, 6, 8}) {
            std::string out;
            Writer(out).fixed(d, decimals);
            const int n = std::snprintf(nullptr, 0, "%.*f", decimals, d);
            std::string expected(static_cast<std::size_t>(n), '\0');
            std::snprintf(expected.data(), expected.size() + 1, "%.*f", decimals, d);
            EXPECT_EQ(out, expected) << d << " " << decimals;
        }
    }
    std::string out;
    Writer(out).fixed(std::numeric_limits<double>::infinity(), 3);
    EXPECT_EQ(out, "null");
}

}  // namespace
}  // namespace rl00::json
