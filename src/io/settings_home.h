#pragma once
// Where a program started by a user takes its settings from. RL00.INI beside the program is
// looked at first and always wins, so every set-up that has one keeps working. Without it the
// program takes the user's own, $XDG_CONFIG_HOME/rl00/RL00.INI (~/.config/rl00/RL00.INI), and
// writes the default one there at its first start: its run log goes to the user's data folder
// and its workbook folder is the one that came with the program.

#include <iosfwd>
#include <string>
#include <string_view>

#include "machine/settings.h"
#include "platform/vb_types.h"

namespace rl00 {

struct Machine;

// What looking for the user's settings came to.
struct UserSettings {
    // The file to read; "" when the file beside the program wins, or when the user has none
    // that can be read (the program then plays on with empty settings).
    std::string file;
    // One line for the user, or "": where the default file was written, or why there is none.
    std::string message;
};

// Looks for the settings of the program in `program_dir`, writing the user's default file when
// there is none. A folder or file in the way, a dangling link and a folder that cannot be
// written leave no file behind, half-written or whole.
UserSettings findUserSettings(const std::string& program_dir);

// findUserSettings, its message told on `err` as "program: message".
std::string userSettingsFile(const std::string& program_dir, std::string_view program,
                             std::ostream& err);

// Makes the relative folders of `s` count from `base`, the folder of the file they were read
// from (resolveFolder).
void resolveSettingFolders(Settings& s, const std::string& base);

// Reads `file` into the machine's settings in place of any read before, its relative folders
// counted from its own folder. The result is INI_READ's.
Flag readSettingsInstead(Machine& m, const std::string& file);

}  // namespace rl00
