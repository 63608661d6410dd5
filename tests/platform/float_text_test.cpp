// The conversions built on printf and strtod, which the page uses where <charconv> has no floating
// point, against <charconv> itself: random bit patterns, the figures a run writes (frames times a
// period, shares, milliseconds), and the edges of the double.

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "platform/float_text.h"
#include "support/test_size.h"

namespace rl00 {
namespace {

std::string viaCharconv(double d) {
    char buf[64];
    return {buf, std::to_chars(buf, buf + sizeof buf, d).ptr};
}

std::string viaPortable(double d) {
    char buf[64];
    const auto r = portable::shortestChars(buf, buf + sizeof buf, d);
    EXPECT_EQ(r.ec, std::errc{});
    return {buf, r.ptr};
}

double fromBits(std::uint64_t bits) {
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

std::vector<double> edgeCases() {
    using L = std::numeric_limits<double>;
    std::vector<double> v = {0.0,
                             -0.0,
                             1.0,
                             -1.0,
                             0.1,
                             0.5,
                             2.0,
                             1e22,
                             1e23,
                             9007199254740992.0,
                             1e15,
                             1e16,
                             1e17,
                             123456789012345680.0,
                             1e-5,
                             1e-4,
                             1e-7,
                             5e-324,
                             L::max(),
                             L::min(),
                             L::lowest(),
                             L::epsilon(),
                             L::infinity(),
                             -L::infinity(),
                             L::quiet_NaN(),
                             -L::quiet_NaN()};
    // Powers of two, where the doubles below lie closer than those above, and their neighbours.
    for (int e = -1074; e <= 1023; ++e) {
        const double p = std::ldexp(1.0, e);
        v.insert(v.end(), {p, std::nextafter(p, 0.0), std::nextafter(p, L::infinity())});
    }
    for (int e = -30; e <= 30; ++e)
        v.push_back(std::pow(10.0, e));
    return v;
}

::testing::AssertionResult sameShortest(double d) {
    if (viaPortable(d) == viaCharconv(d)) return ::testing::AssertionSuccess();
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return ::testing::AssertionFailure() << viaPortable(d) << " against " << viaCharconv(d)
                                         << " for the bits " << std::hex << bits;
}

// A tenth of the draws under the sanitizers: the digits are the optimised build's concern and it
// checks them all; the slow build looks for memory faults, which the same code paths show at any
// count. Figures and any bits are two cases, so that they spread over the test runner's jobs.
TEST(FloatText, ShortestEqualsCharconvOnEdgesAndFigures) {
    for (double d : edgeCases())
        ASSERT_TRUE(sameShortest(d));
    std::mt19937_64 rng(20240611);
    // Figures as a run writes them: frames times a frame period plus whole milliseconds, shares.
    const int figures = test::sized(250'000, 25'000);
    for (int i = 0; i < figures; ++i) {
        const double frames = double(rng() % 5'000'000);
        const double period = double(rng() % 2001) / 4.0 / 100.0;  // 0 to 5 ms in small steps
        ASSERT_TRUE(sameShortest(frames * period + double(rng() % 100'000)));
        ASSERT_TRUE(sameShortest(double(rng() % 1'000'000) / double(rng() % 1'000'000 + 1)));
    }
}

TEST(FloatText, ShortestEqualsCharconvOnAnyBits) {
    std::mt19937_64 rng(20240612);
    const int any_bits = test::sized(1'000'000, 100'000);
    for (int i = 0; i < any_bits; ++i)
        ASSERT_TRUE(sameShortest(fromBits(rng())));
}

TEST(FloatText, FixedEqualsCharconv) {
    std::mt19937_64 rng(7);
    char a[512], b[512];
    auto same = [&](double d, int decimals) {
        const auto ra = std::to_chars(a, a + sizeof a, d, std::chars_format::fixed, decimals);
        const auto rb = portable::fixedChars(b, b + sizeof b, d, decimals);
        ASSERT_EQ(std::string(b, rb.ptr), std::string(a, ra.ptr)) << d << " " << decimals;
    };
    for (double d : edgeCases()) {
        if (std::fabs(d) < 1e300) same(d, 8);
    }
    for (int i = 0; i < 300'000; ++i) {
        same(double(rng() % 10'000'000) / double(rng() % 10'000 + 1), int(rng() % 10));
        same(fromBits(rng()) * 0.0 + double(rng() % 1000) * 0.125, 6);
    }
}

TEST(FloatText, TooSmallABufferIsSaidAndNothingIsCut) {
    char buf[4];
    EXPECT_EQ(portable::shortestChars(buf, buf + 4, 0.125).ec, std::errc::value_too_large);
    EXPECT_EQ(portable::fixedChars(buf, buf + 4, 12.5, 2).ec, std::errc::value_too_large);
    EXPECT_EQ(portable::shortestChars(buf, buf + 4, 0.25).ec, std::errc{});
}

TEST(FloatText, ReadingEqualsCharconvOnNumbersAndOnWhatIsNoNumber) {
    std::vector<std::string> texts = {"0",
                                      "-0",
                                      "1",
                                      "1.",
                                      ".5",
                                      "-.5",
                                      "1e5",
                                      "1E+5",
                                      "1e-5",
                                      "1e",
                                      "1e+",
                                      "1.5e3x",
                                      "",
                                      "-",
                                      ".",
                                      "+1",
                                      " 1",
                                      "0x10",
                                      "inf",
                                      "-Infinity",
                                      "infx",
                                      "nan",
                                      "NaN(1)",
                                      "nan(",
                                      "1e400",
                                      "-1e400",
                                      "1e-400",
                                      "4e-320",
                                      "2.5e-324",
                                      "2.4703282292062328e-324",
                                      "123456789012345678901234567890",
                                      "0.000000000000000000000000000001",
                                      "1,5",
                                      "٣",
                                      "1.7976931348623157e308",
                                      "1.7976931348623159e308",
                                      "00012",
                                      "1__2",
                                      "e5"};
    std::mt19937_64 rng(11);
    for (int i = 0; i < 200'000; ++i) {
        char buf[64];
        texts.emplace_back(buf, std::to_chars(buf, buf + sizeof buf, fromBits(rng())).ptr);
        texts.push_back(std::to_string(double(rng() % 100000) / 7.0));
    }
    for (const std::string& t : texts) {
        double a = 42.0, b = 42.0;
        const char* end = t.data() + t.size();
        const auto ra = std::from_chars(t.data(), end, a);
        const auto rb = portable::readDouble(t.data(), end, b);
        ASSERT_EQ(rb.ec, ra.ec) << '"' << t << '"';
        ASSERT_EQ(rb.ptr - t.data(), ra.ptr - t.data()) << '"' << t << '"';
        if (std::isnan(a)) {
            ASSERT_TRUE(std::isnan(b)) << t;
        } else {
            ASSERT_EQ(std::memcmp(&a, &b, sizeof a), 0) << '"' << t << "\" " << a << " " << b;
        }
    }
}

}  // namespace
}  // namespace rl00
