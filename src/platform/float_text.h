#pragma once
// Doubles as text and back, independent of the locale: the shortest text that reads back as the
// same double, a fixed number of decimals, and strict reading. Natively these are <charconv>'s
// own conversions; where the C++ library lacks its floating-point half (WebAssembly), they are
// built on the C library's correctly rounded printf and strtod, and give the very same text, so
// that a trace written in a browser equals the runner's byte for byte.

#include <charconv>

namespace rl00 {

// As std::to_chars(first, last, value): the shortest text that reads back as `value`, in plain
// or exponent notation, whichever is shorter (plain on a tie).
std::to_chars_result shortestChars(char* first, char* last, double value);
// As std::to_chars(first, last, value, std::chars_format::fixed, decimals).
std::to_chars_result fixedChars(char* first, char* last, double value, int decimals);
// As std::from_chars(first, last, value) for the general format: no leading blank or '+', no hex.
std::from_chars_result readDouble(const char* first, const char* last, double& value);

// The conversions built on printf and strtod, which the ones above use where <charconv> has no
// floating point. Exposed so that a native test proves them equal to <charconv>'s.
namespace portable {
std::to_chars_result shortestChars(char* first, char* last, double value);
std::to_chars_result fixedChars(char* first, char* last, double value, int decimals);
std::from_chars_result readDouble(const char* first, const char* last, double& value);
}  // namespace portable

}  // namespace rl00
