#pragma once
// Where a program finds the files that came with it: the analysis workbook and the helper
// program. Both are found from the folder of the running executable by relative steps fixed at
// build time (in the build tree, and in an installed prefix: bin/ beside share/rl00/ and
// libexec/rl00/), so no path of the build or install machine is compiled in and a build tree or
// prefix moved elsewhere still works.

#include <string>

namespace rl00 {

// The analysis workbook's file name, as the build packs it and the default settings name it.
inline constexpr const char* kWorkbookFile = "ATARI.ods";

// The folder of the running executable; "" when the system does not tell.
std::string executableFolder();

// The folder holding the analysis workbook that came with the program in `program_dir`: the
// installed one or the build tree's, whichever holds the workbook; the installed place when
// neither does.
std::string workbookFolder(const std::string& program_dir);

// The helper program `name` that came with the program in `program_dir`: beside it (the build
// tree, a flat copy) or in the prefix's helper folder, whichever holds an executable file; the
// installed place when neither does.
std::string helperProgram(const std::string& program_dir, const std::string& name);

}  // namespace rl00
