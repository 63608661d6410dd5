#pragma once
// The six settings read from RL00.INI; each starts empty and keeps the last value read.

#include <string>

namespace rl00 {

struct Settings {
    std::string G_sLogPath;
    std::string G_sLogName;
    std::string G_sWaitTime;
    std::string G_sScrollSpeed;
    std::string G_sExcelPath;
    std::string G_sExcelBook;

    bool operator==(const Settings&) const = default;
};

// The settings for the motion store, as describeItems of GameState tells: read, never written.
template <class Visitor>
void describeItems(Settings& s, Visitor& v) {
    v.untouched(s.G_sLogPath, s.G_sLogName, s.G_sWaitTime, s.G_sScrollSpeed, s.G_sExcelPath,
                s.G_sExcelBook);
}
}  // namespace rl00
