#pragma once
// Figures as people read them: counts with their thousands marked, shares and rates with three
// or four significant digits. Every surface (the runner's table, the report page, the windows)
// writes its figures with these, so the same figure reads the same everywhere; the statistics
// file keeps the exact digits.

#include <cstdint>
#include <string>

namespace rl00 {

// "1,234,567".
std::string grouped(std::uint64_t n);
// `x` with `digits` significant digits in fixed notation, thousands marked: "4.768", "58.33",
// "0.1490", "36,297"; "0" for zero.
std::string significant(double x, int digits = 4);
// A share as a percentage with `digits` significant digits: "58.33%".
std::string percent(double share, int digits = 4);

}  // namespace rl00
