#pragma once
// The analysis works on the user's own copy of the workbook. The installed one may lie in a
// folder the user cannot write (the office puts its lock file beside a document and offers to
// save over it), and it stays as it was installed: it is only ever read, to be copied.

#include <string>

namespace rl00 {

// The folder of the user's own files of the program: $XDG_DATA_HOME/rl00, else
// ~/.local/share/rl00.
std::string userDataFolder();

// The workbook to open in place of `installed` (a path as the settings give it, "\" or "/"):
// the copy of the same name in `folder`, made when it is missing and made again when the
// installed file is newer, so that the user's own saves are kept until a new workbook is
// installed. `installed` itself when it is no regular file, so that opening it says so, or
// when it already is that copy. Throws AutomationError (DocumentFailed) when the copy cannot
// be made.
std::string userWorkbook(const std::string& installed, const std::string& folder);

}  // namespace rl00
