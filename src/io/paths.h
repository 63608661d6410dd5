#pragma once
// Path operations shared by the run log and the analysis launcher. PATH_UPPER and ENSURE_DIR
// keep the machine's own names. Configured paths may come from a Windows-style RL00.INI, so
// both "\" and "/" separate directories; paths handed to the file system use "/" only.

#include <string>

#include "platform/vb_types.h"

namespace rl00 {

// The part of `path` in front of the n-th separator counted from its end (n <= 0 counts as 1);
// "" when the path holds fewer separators. C:\A\B\F.LOG gives C:\A\B for n = 1, C:\A for 2,
// C: for 3 and "" for 4.
std::string PATH_UPPER(Int32 n, const std::string& path);

// Creates the missing directories in front of the file path `path`, the outermost first.
// Every failure is ignored; false only for an empty or blank path.
Flag ENSURE_DIR(const std::string& path);

// `path` with every "\" turned into "/", the form the file system understands here.
std::string toNativePath(const std::string& path);

// A configured directory and a file name, joined by "/" and in native form.
std::string joinPath(const std::string& dir, const std::string& name);

// A configured folder as the file system takes it: a relative one counts from `base`, the folder
// of the settings file it was read from, so that it names one place wherever the program was
// started (and the analysis workbook, run by another program, is handed the same place). A blank
// folder (not set) and an absolute one are kept as they are.
std::string resolveFolder(const std::string& base, const std::string& folder);

}  // namespace rl00
