#pragma once
// Small text helpers shared by the shell and the engine.

#include <string>
#include <string_view>

namespace rl00 {

// The text without the blanks (spaces) around it, as the command-line argument is compared.
inline std::string trimBlanks(std::string_view s) {
    const auto first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const auto last = s.find_last_not_of(' ');
    return std::string(s.substr(first, last - first + 1));
}

}  // namespace rl00
