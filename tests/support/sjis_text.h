#pragma once
// Test text in the old platform's encoding, Shift-JIS (CP932), as its files were written.

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace rl00::test {

inline std::string toSjis(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    EXPECT_NE(cd, reinterpret_cast<iconv_t>(-1));
    std::string out(utf8.size() * 2, '\0');
    char* in = const_cast<char*>(utf8.data());
    std::size_t in_left = utf8.size();
    char* o = out.data();
    std::size_t o_left = out.size();
    EXPECT_NE(iconv(cd, &in, &in_left, &o, &o_left), static_cast<std::size_t>(-1)) << utf8;
    iconv_close(cd);
    out.resize(out.size() - o_left);
    return out;
}

// The same text with CR LF line ends, as the old platform ended its lines.
inline std::string withCrLf(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace rl00::test
