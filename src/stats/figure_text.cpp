#include "stats/figure_text.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>

namespace rl00 {

std::string grouped(std::uint64_t n) {
    std::string digits = std::to_string(n);
    for (std::size_t at = digits.size(); at > 3; at -= 3)
        digits.insert(at - 3, ",");
    return digits;
}

std::string significant(double x, int digits) {
    if (x == 0.0 || !std::isfinite(x)) return x == 0.0 ? "0" : fmt::format("{}", x);
    // The digits before the point, once rounded: 9.9996 to four digits is 10.00.
    int before = static_cast<int>(std::floor(std::log10(std::fabs(x)))) + 1;
    int decimals = std::max(0, digits - before);
    if (std::fabs(std::round(x * std::pow(10.0, decimals))) >= std::pow(10.0, digits) &&
        decimals > 0)
        --decimals;
    std::string text = fmt::format("{:.{}f}", std::fabs(x), decimals);
    const std::size_t point = text.find('.');
    const std::size_t whole = point == std::string::npos ? text.size() : point;
    for (std::size_t at = whole; at > 3; at -= 3)
        text.insert(at - 3, ",");
    return x < 0.0 ? "-" + text : text;
}

std::string percent(double share, int digits) {
    return significant(100.0 * share, digits) + "%";
}

}  // namespace rl00
