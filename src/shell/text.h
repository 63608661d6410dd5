#pragma once
// Small text helpers shared by the configuration reader, the engine and the shell.

#include <string_view>

namespace rl00 {

// The text without the blanks (spaces and tabs) around it.
inline std::string_view trimBlanks(std::string_view s) {
    constexpr std::string_view kBlanks = " \t";
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(kBlanks);
    return s.substr(first, last - first + 1);
}

}  // namespace rl00
