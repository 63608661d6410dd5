#include "platform/float_text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <system_error>

namespace rl00 {

namespace portable {

namespace {

constexpr int kMaxDigits = 17;  // enough for every double to read back

std::to_chars_result put(char* first, char* last, const std::string& text) {
    if (last - first < static_cast<std::ptrdiff_t>(text.size()))
        return {last, std::errc::value_too_large};
    std::memcpy(first, text.data(), text.size());
    return {first + text.size(), std::errc{}};
}

// The text <charconv> gives a value that is not finite.
std::string nonFinite(double value) {
    const std::string sign = std::signbit(value) ? "-" : "";
    return sign + (std::isnan(value) ? "nan" : "inf");
}

// A positive value as significant digits d1 d2 ... (no trailing zeros) and the power of ten of
// d1.
struct Decimal {
    std::string digits;
    int exponent = 0;
};

// printf's %.*e of a positive value, taken apart.
Decimal scientific(double value, int digits) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*e", digits - 1, value);
    Decimal d;
    const char* p = buf;
    for (; *p != 'e'; ++p) {
        if (*p != '.') d.digits += *p;
    }
    d.exponent = std::atoi(p + 1);
    return d;
}

double valueOf(const Decimal& d) {
    const std::string text = d.digits + "e" + std::to_string(d.exponent - int(d.digits.size()) + 1);
    return std::strtod(text.c_str(), nullptr);
}

// The decimal one unit of the last digit away (up or down), with carries and borrows.
Decimal neighbour(Decimal d, bool up) {
    int i = static_cast<int>(d.digits.size()) - 1;
    if (up) {
        for (; i >= 0 && d.digits[i] == '9'; --i)
            d.digits[i] = '0';
        if (i < 0) {
            d.digits.insert(d.digits.begin(), '1');
            d.digits.pop_back();
            ++d.exponent;
        } else {
            ++d.digits[i];
        }
    } else {
        for (; i >= 0 && d.digits[i] == '0'; --i)
            d.digits[i] = '9';
        if (i < 0) return d;  // below zero: not a candidate
        --d.digits[i];
        if (d.digits[0] == '0' && d.digits.size() > 1) {
            d.digits.erase(d.digits.begin());
            d.digits.push_back('9');
            --d.exponent;
        }
    }
    return d;
}

// A decimal of n digits that reads back as `value`, if there is one: the nearest is printf's;
// only next to a power of two, where the doubles below lie closer than those above, may the one
// on the other side read back when the nearest does not. Any other is farther on its side.
std::optional<Decimal> readsBack(double value, int n) {
    const Decimal nearest = scientific(value, n);
    if (valueOf(nearest) == value) return nearest;
    for (const bool up : {true, false}) {
        const Decimal other = neighbour(nearest, up);
        if (other.digits[0] != '0' && valueOf(other) == value) return other;
    }
    return std::nullopt;
}

// The fewest digits that read back as `value`. A decimal that reads back still does with a zero
// appended, so the count can be halved in on.
Decimal shortestDecimal(double value) {
    int low = 0;  // no decimal of this many digits reads back
    Decimal best = scientific(value, kMaxDigits);
    int high = kMaxDigits;
    while (high - low > 1) {
        const int mid = (low + high) / 2;
        if (const auto d = readsBack(value, mid)) {
            best = *d;
            high = mid;
        } else {
            low = mid;
        }
    }
    return best;
}

std::string exponentText(const Decimal& d, bool negative) {
    std::string s = negative ? "-" : "";
    s += d.digits[0];
    if (d.digits.size() > 1) s += "." + d.digits.substr(1);
    char e[16];
    std::snprintf(e, sizeof e, "e%c%02d", d.exponent < 0 ? '-' : '+', std::abs(d.exponent));
    return s + e;
}

// A whole number in plain notation shows all its digits, as <charconv> does: the exact value,
// not the shortest digits padded with zeros.
std::string plainText(const Decimal& d, double value) {
    std::string s = std::signbit(value) ? "-" : "";
    const int n = static_cast<int>(d.digits.size());
    if (d.exponent < 0) return s + "0." + std::string(-d.exponent - 1, '0') + d.digits;
    if (d.exponent >= n - 1) {
        char buf[400];
        std::snprintf(buf, sizeof buf, "%.0f", value);
        return buf;
    }
    return s + d.digits.substr(0, d.exponent + 1) + "." + d.digits.substr(d.exponent + 1);
}

}  // namespace

std::to_chars_result shortestChars(char* first, char* last, double value) {
    if (!std::isfinite(value)) return put(first, last, nonFinite(value));
    const bool negative = std::signbit(value);
    if (value == 0.0) return put(first, last, negative ? "-0" : "0");
    Decimal d = shortestDecimal(std::fabs(value));
    while (d.digits.size() > 1 && d.digits.back() == '0')
        d.digits.pop_back();
    const std::string plain = plainText(d, value);
    const std::string exp = exponentText(d, negative);
    return put(first, last, plain.size() <= exp.size() ? plain : exp);
}

std::to_chars_result fixedChars(char* first, char* last, double value, int decimals) {
    if (!std::isfinite(value)) return put(first, last, nonFinite(value));
    const int size = std::snprintf(nullptr, 0, "%.*f", decimals, value);
    std::string text(static_cast<std::size_t>(size) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", decimals, value);
    text.pop_back();
    return put(first, last, text);
}

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The length of a case-insensitive match of `word` at p, or 0.
std::size_t matchWord(const char* p, const char* last, const char* word) {
    const std::size_t n = std::strlen(word);
    if (static_cast<std::size_t>(last - p) < n) return 0;
    for (std::size_t i = 0; i < n; ++i) {
        if ((p[i] | 0x20) != word[i]) return 0;
    }
    return n;
}

// The end of the longest number at p (after any sign), or p when there is none; `nonzero` tells
// whether a digit other than 0 came before the exponent.
const char* scanDecimal(const char* p, const char* last, bool& nonzero) {
    const char* q = p;
    bool any = false;
    for (; q < last && isDigit(*q); ++q) {
        any = true;
        nonzero = nonzero || *q != '0';
    }
    if (q < last && *q == '.') {
        const char* f = q + 1;
        for (; f < last && isDigit(*f); ++f) {
            any = true;
            nonzero = nonzero || *f != '0';
        }
        if (any) q = f;
    }
    if (!any) return p;
    if (q < last && (*q == 'e' || *q == 'E')) {
        const char* e = q + 1;
        if (e < last && (*e == '+' || *e == '-')) ++e;
        if (e < last && isDigit(*e)) {
            while (e < last && isDigit(*e))
                ++e;
            q = e;
        }
    }
    return q;
}

}  // namespace

std::from_chars_result readDouble(const char* first, const char* last, double& value) {
    const char* p = first;
    const bool negative = p < last && *p == '-';
    if (negative) ++p;
    if (const std::size_t n = matchWord(p, last, "inf")) {
        const std::size_t longer = matchWord(p, last, "infinity");
        value = negative ? -HUGE_VAL : HUGE_VAL;
        return {p + (longer != 0 ? longer : n), std::errc{}};
    }
    if (const std::size_t n = matchWord(p, last, "nan")) {
        const char* end = p + n;
        if (end < last && *end == '(') {
            const char* q = end + 1;
            while (q < last &&
                   (isDigit(*q) || ((*q | 0x20) >= 'a' && (*q | 0x20) <= 'z') || *q == '_'))
                ++q;
            if (q < last && *q == ')') end = q + 1;
        }
        value = negative ? -std::nan("") : std::nan("");
        return {end, std::errc{}};
    }
    bool nonzero = false;
    const char* end = scanDecimal(p, last, nonzero);
    if (end == p) return {first, std::errc::invalid_argument};
    // strtod reads the same text, correctly rounded; it gets only what was scanned, so it cannot
    // take more than <charconv> would (hex, blanks, a '+').
    const std::string text(first, end);
    const double read = std::strtod(text.c_str(), nullptr);
    if (std::isinf(read) || (read == 0.0 && nonzero)) return {end, std::errc::result_out_of_range};
    value = read;
    return {end, std::errc{}};
}

}  // namespace portable

#ifdef __EMSCRIPTEN__
std::to_chars_result shortestChars(char* first, char* last, double value) {
    return portable::shortestChars(first, last, value);
}
std::to_chars_result fixedChars(char* first, char* last, double value, int decimals) {
    return portable::fixedChars(first, last, value, decimals);
}
std::from_chars_result readDouble(const char* first, const char* last, double& value) {
    return portable::readDouble(first, last, value);
}
#else
std::to_chars_result shortestChars(char* first, char* last, double value) {
    return std::to_chars(first, last, value);
}
std::to_chars_result fixedChars(char* first, char* last, double value, int decimals) {
    return std::to_chars(first, last, value, std::chars_format::fixed, decimals);
}
std::from_chars_result readDouble(const char* first, const char* last, double& value) {
    return std::from_chars(first, last, value);
}
#endif

}  // namespace rl00
