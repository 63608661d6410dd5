#pragma once
// Text of the machine's files. The old platform wrote them in the Japanese ANSI code page
// (Shift-JIS, as CP932); files edited on Linux are often UTF-8 instead. Some Shift-JIS text is
// well-formed UTF-8 by chance (half-width katakana pairs such as ﾃｱ), but a RL00.INI that names
// any of its Japanese sections never is: the first character after "[" or "EXCEL" begins with
// a byte that UTF-8 allows only inside a character. Trying UTF-8 first therefore reads every
// old file the way it was always read.

#include <optional>
#include <string>
#include <string_view>

namespace rl00 {

// The character that stands for bytes that are not valid Shift-JIS (U+FFFD).
inline constexpr std::string_view kReplacementChar = "\xEF\xBF\xBD";

// True when `bytes` is well-formed UTF-8: no overlong forms, no surrogates, nothing past
// U+10FFFF, no sequence cut short.
bool isUtf8(std::string_view bytes);
// `bytes` as well-formed UTF-8: each byte that begins no character becomes U+FFFD.
std::string validUtf8(std::string_view bytes);

// Decodes a file's bytes to UTF-8. Well-formed UTF-8 is taken as it is, without a leading
// byte-order mark; anything else is decoded as CP932, every byte that does not start a valid
// CP932 character becoming U+FFFD. Returns nothing only when the system has no CP932 converter.
std::optional<std::string> decodeText(std::string_view bytes);

}  // namespace rl00
