#pragma once
// The default RL00.INI: the commented file the build puts beside the programs, and that a
// program writes into the user's settings folder at its first start there. Its text is
// assets/RL00.INI.in, compiled in, with the log and workbook folders filled in.

#include <optional>
#include <string>
#include <string_view>

namespace rl00 {

// The text of assets/RL00.INI.in: UTF-8, "\n" line ends, the folders as @RL00_LOG_FOLDER@ and
// @RL00_WORKBOOK_FOLDER@.
std::string_view defaultSettingsTemplate();

// The file's bytes with the two folders filled in, in UTF-8 with "\n" line ends, so that the
// user's own tools (cat, an editor, grep) show it as it is; the reader takes Shift-JIS and CR LF
// files as well, so a user's older file keeps working unchanged. Nothing when a folder holds a
// double quote or a control character, which no value of the file can carry, or is not UTF-8.
std::optional<std::string> defaultSettingsBytes(const std::string& log_folder,
                                                const std::string& workbook_folder);

// Writes `bytes` as the file `path` whole or not at all: into a temporary file in the same
// folder, renamed to `path` once complete. Missing folders in front of it are made, private to
// the user (0700). Returns "" when the file is written, else the reason it is not.
std::string writeFileWhole(const std::string& path, std::string_view bytes);

}  // namespace rl00
