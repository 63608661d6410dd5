#include "io/install_layout.h"

#include <unistd.h>

#include <filesystem>
#include <initializer_list>
#include <system_error>

namespace rl00 {

namespace {

namespace fs = std::filesystem;

// The build compiles in only these steps from the programs' folder (see src/CMakeLists.txt).
constexpr const char* kInstalledData = RL00_BIN_TO_DATA;
constexpr const char* kInstalledHelpers = RL00_BIN_TO_LIBEXEC;
constexpr const char* kBuildTreeWorkbook = RL00_BUILD_TO_WORKBOOK;

std::string stepFrom(const std::string& program_dir, const char* step) {
    std::string joined = (fs::path(program_dir) / step).lexically_normal().string();
    // A step of "." leaves a trailing separator, which would show in paths joined later.
    if (joined.size() > 1 && joined.ends_with('/')) joined.pop_back();
    return joined;
}

bool isRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(path, ec);
}

}  // namespace

std::string executableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

std::string workbookFolder(const std::string& program_dir) {
    std::string installed = stepFrom(program_dir, kInstalledData);
    for (const std::string& folder : {installed, stepFrom(program_dir, kBuildTreeWorkbook)}) {
        if (isRegularFile(folder + "/" + kWorkbookFile)) return folder;
    }
    return installed;
}

std::string helperProgram(const std::string& program_dir, const std::string& name) {
    std::string installed = stepFrom(program_dir, kInstalledHelpers);
    installed.append("/").append(name);
    std::string beside = program_dir;
    beside.append("/").append(name);
    for (const std::string& path : {beside, installed}) {
        if (isRegularFile(path) && ::access(path.c_str(), X_OK) == 0) return path;
    }
    return installed;
}

}  // namespace rl00
