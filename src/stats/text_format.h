#pragma once
// printf into a string, for the runner's tables and messages.

#include <cstdio>
#include <string>

namespace rl00 {

// As long as the text, so that no line of a table is ever cut.
template <class... Args>
std::string format(const char* fmt, Args... args) {
    const int length = std::snprintf(nullptr, 0, fmt, args...);
    if (length <= 0) return {};
    std::string out(static_cast<std::size_t>(length), '\0');
    std::snprintf(out.data(), out.size() + 1, fmt, args...);
    return out;
}

}  // namespace rl00
