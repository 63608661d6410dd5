#pragma once
// Whole files, for tests that compare what the programs wrote.

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace rl00::test {

// The file's bytes; empty when it cannot be read.
inline std::string slurp(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

}  // namespace rl00::test
