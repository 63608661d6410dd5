#pragma once
// The programs' version: the project's version, and the commit it was built from when the build
// was configured in a checkout of the sources.

#include <string_view>

namespace rl00 {

// "0.1", or "0.1 (2b74e8b)" when built from a checkout ("-dirty" after the commit when the
// checkout had changes).
std::string_view versionText();

}  // namespace rl00
