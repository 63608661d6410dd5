#include "analysis/workbook_copy.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "analysis/automation.h"
#include "io/paths.h"

namespace rl00 {

namespace fs = std::filesystem;

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::string(value) : std::string();
}

[[noreturn]] void cannotCopy(const fs::path& copy, const std::error_code& ec) {
    throw AutomationError(AutomationFailure::DocumentFailed, err::kPathFileAccess,
                          "作業用のコピー " + copy.string() + " を作れません: " + ec.message());
}

}  // namespace

std::string userDataFolder() {
    // Only an absolute folder counts, as the base directory convention has it.
    std::string data = environment("XDG_DATA_HOME");
    if (data.empty() || data.front() != '/') data = environment("HOME") + "/.local/share";
    return data + "/rl00";
}

std::string userWorkbook(const std::string& installed, const std::string& folder) {
    const fs::path from = toNativePath(installed);
    std::error_code ec;
    if (!fs::is_regular_file(from, ec)) return installed;
    const fs::file_time_type installed_time = fs::last_write_time(from, ec);
    if (ec) return installed;
    const fs::path copy = fs::path(folder) / from.filename();
    if (fs::equivalent(from, copy, ec)) return installed;
    if (const fs::file_time_type copied = fs::last_write_time(copy, ec);
        !ec && copied >= installed_time)
        return copy.string();

    fs::create_directories(folder, ec);
    if (ec) cannotCopy(copy, ec);
    // Written beside the copy and renamed over it: an office that has the old copy open keeps
    // reading that, and a failed copy leaves the old one whole.
    const fs::path temp = copy.string() + ".new-" + std::to_string(::getpid());
    fs::copy_file(from, temp, fs::copy_options::overwrite_existing, ec);
    // The copy takes the installed file's time: a later save makes it newer and is kept, a
    // newer installed workbook replaces it.
    if (!ec) fs::last_write_time(temp, installed_time, ec);
    if (!ec) fs::permissions(temp, fs::perms::owner_read | fs::perms::owner_write, ec);
    if (!ec) fs::rename(temp, copy, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        cannotCopy(copy, ec);
    }
    return copy.string();
}

}  // namespace rl00
