#include "io/settings_home.h"

#include <sys/stat.h>

#include <cerrno>
#include <optional>
#include <ostream>
#include <system_error>

#include "io/default_settings.h"
#include "io/ini_read.h"
#include "io/install_layout.h"
#include "io/paths.h"
#include "io/user_dirs.h"
#include "machine/machine.h"
#include "platform/os_error.h"

namespace rl00 {

namespace {

constexpr const char* kEmptySettings = "; playing on with empty settings";

std::string folderOf(const std::string& file) {
    const auto cut = file.find_last_of('/');
    return cut == std::string::npos ? std::string(".") : file.substr(0, cut);
}

UserSettings none(const std::string& why) {
    return {"", why + kEmptySettings};
}

}  // namespace

UserSettings findUserSettings(const std::string& program_dir) {
    struct stat st {};
    // Whatever lies there under that name (even a link to nothing) is the user's choice, read
    // (or not) exactly as before; what keeps it from being read is told.
    const std::string beside = joinPath(program_dir, kIniFileName);
    if (::lstat(beside.c_str(), &st) == 0) {
        const std::optional<std::string> fault = settingsFileFault(beside);
        return fault ? none(*fault) : UserSettings{};
    }

    const std::string folder = userConfigFolder();
    if (folder.empty())
        return none("no settings folder: neither $XDG_CONFIG_HOME nor $HOME is set");
    const std::string file = folder + "/" + kIniFileName;
    // A link to nothing and a folder in its place are the user's own doing and are left as they
    // are.
    if (::lstat(file.c_str(), &st) == 0) {
        const std::optional<std::string> fault = settingsFileFault(file);
        return fault ? none(*fault) : UserSettings{file, ""};
    }
    if (errno != ENOENT && errno != ENOTDIR)
        return none("cannot look for " + file + ": " + reasonOf(errno));

    const std::optional<std::string> bytes =
        defaultSettingsBytes(defaultLogFolder(), workbookFolder(program_dir));
    if (!bytes) {
        return none("cannot write the default settings " + file +
                    ": a folder's name cannot be written in it");
    }
    if (const std::string why = writeFileWhole(file, *bytes); !why.empty()) {
        return none("cannot write the default settings " + file + ": " + why);
    }
    return {file, "wrote the default settings to " + file};
}

std::string userSettingsFile(const std::string& program_dir, std::string_view program,
                             std::ostream& err) {
    UserSettings found = findUserSettings(program_dir);
    if (!found.message.empty()) err << program << ": " << found.message << "\n";
    return std::move(found.file);
}

void resolveSettingFolders(Settings& s, const std::string& base) {
    s.G_sLogPath = resolveFolder(base, s.G_sLogPath);
    s.G_sExcelPath = resolveFolder(base, s.G_sExcelPath);
}

Flag readSettingsInstead(Machine& m, const std::string& file) {
    Settings& s = m;
    s = Settings{};
    const Flag read = readSettingsFile(file, s);
    resolveSettingFolders(s, folderOf(file));
    return read;
}

}  // namespace rl00
