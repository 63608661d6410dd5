#pragma once
// The user's own folders for settings and data, by the XDG base directory rules: an absolute
// $XDG_CONFIG_HOME or $XDG_DATA_HOME, else ~/.config and ~/.local/share. A relative or empty
// value is ignored, as the rules say.

#include <string>

namespace rl00 {

// $XDG_CONFIG_HOME/rl00 (or ~/.config/rl00); empty when neither it nor $HOME is usable.
std::string userConfigFolder();

// $XDG_DATA_HOME/rl00/log (or ~/.local/share/rl00/log); empty when neither it nor $HOME is
// usable. Where the run log goes when RL00.INI names no folder.
std::string defaultLogFolder();

}  // namespace rl00
