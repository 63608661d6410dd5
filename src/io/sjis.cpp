#include "io/sjis.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdint>

namespace rl00 {
namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

class Converter {
  public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // iconv_open reports failure as the handle (iconv_t)-1; there is no other way to test it.
    bool ok() const {
        // NOLINTNEXTLINE(performance-no-int-to-ptr)
        return cd_ != reinterpret_cast<iconv_t>(-1);
    }
    iconv_t get() const { return cd_; }

  private:
    iconv_t cd_;
};

// The whole text through `conv`; a byte it cannot convert becomes U+FFFD.
std::optional<std::string> convert(const Converter& conv, std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    // iconv's interface takes a non-const input pointer but only reads through it.
    char* in = const_cast<char*>(text.data());
    std::size_t in_left = text.size();
    char buf[4096];
    while (in_left > 0) {
        char* o = buf;
        std::size_t o_left = sizeof buf;
        const std::size_t r = iconv(conv.get(), &in, &in_left, &o, &o_left);
        out.append(buf, static_cast<std::size_t>(o - buf));
        if (r != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
        if (errno != EILSEQ && errno != EINVAL) return std::nullopt;
        out.append(kReplacementChar);
        ++in;
        --in_left;
    }
    return out;
}

}  // namespace

namespace {

// The length of the well-formed UTF-8 character that begins `bytes`, or 0 when none does.
std::size_t utf8Length(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char c = p[0];
    if (c < 0x80) return 1;
    std::size_t len = 0;
    std::uint32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        len = 2;
        cp = c & 0x1Fu;
    } else if (c >= 0xE0 && c <= 0xEF) {
        len = 3;
        cp = c & 0x0Fu;
    } else if (c >= 0xF0 && c <= 0xF4) {
        len = 4;
        cp = c & 0x07u;
    } else {
        return 0;  // a stray continuation byte, an overlong lead or no lead at all
    }
    if (bytes.size() < len) return 0;
    for (std::size_t k = 1; k < len; ++k) {
        if (!isContinuation(p[k])) return 0;
        cp = (cp << 6) | (p[k] & 0x3Fu);
    }
    if ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000)) return 0;
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
    return len;
}

}  // namespace

bool isUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t len = utf8Length(bytes);
        if (len == 0) return false;
        bytes.remove_prefix(len);
    }
    return true;
}

std::string validUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t len = utf8Length(bytes);
        out.append(len == 0 ? kReplacementChar : bytes.substr(0, len));
        bytes.remove_prefix(std::max<std::size_t>(len, 1));
    }
    return out;
}

std::optional<std::string> decodeText(std::string_view bytes) {
    if (isUtf8(bytes)) {
        if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
        return std::string(bytes);
    }

    Converter conv("UTF-8", "CP932");
    if (!conv.ok()) return std::nullopt;
    // Skipping a single byte keeps whatever follows a stray lead byte: a comma, a quote or a line
    // end right after it still delimits the item, so one bad byte spoils one character and never
    // the structure of the file.
    return convert(conv, bytes);
}

}  // namespace rl00
