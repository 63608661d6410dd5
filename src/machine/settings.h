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
};

}  // namespace rl00
