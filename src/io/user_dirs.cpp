#include "io/user_dirs.h"

#include <cstdlib>

namespace rl00 {

namespace {

std::string absoluteEnv(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || value[0] != '/') return {};
    return value;
}

// $variable, else $HOME/fallback; empty when neither is an absolute path.
std::string baseFolder(const char* variable, const char* fallback) {
    std::string base = absoluteEnv(variable);
    if (!base.empty()) return base;
    const std::string home = absoluteEnv("HOME");
    return home.empty() ? std::string() : home + "/" + fallback;
}

}  // namespace

std::string userConfigFolder() {
    const std::string base = baseFolder("XDG_CONFIG_HOME", ".config");
    return base.empty() ? base : base + "/rl00";
}

std::string defaultLogFolder() {
    const std::string base = baseFolder("XDG_DATA_HOME", ".local/share");
    return base.empty() ? base : base + "/rl00/log";
}

}  // namespace rl00
