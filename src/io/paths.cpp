#include "io/paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace rl00 {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool exists(const std::string& native_path) {
    struct stat st {};
    return ::stat(native_path.c_str(), &st) == 0;
}

}  // namespace

std::string PATH_UPPER(Int32 n, const std::string& path) {
    const Int32 wanted = n <= 0 ? 1 : n;
    Int32 seen = 0;
    // Separators are ASCII, which never occurs inside a multi-byte UTF-8 character, so a
    // byte-wise walk is safe.
    for (std::size_t p = path.size(); p > 0; --p) {
        if (isSeparator(path[p - 1]) && ++seen == wanted) return path.substr(0, p - 1);
    }
    return "";
}

Flag ENSURE_DIR(const std::string& path) {
    if (path.find_first_not_of(' ') == std::string::npos) return kFalse;

    // Climb until an existing entry (or the top) is reached, remembering what is missing.
    // Counts 0 and 1 name the same directory, so the climb starts at 1.
    std::vector<std::string> missing;
    for (Int32 i = 1;; ++i) {
        std::string prefix = toNativePath(PATH_UPPER(i, path));
        if (prefix.empty() || exists(prefix)) break;
        missing.push_back(std::move(prefix));
    }
    // Create from the outermost down and ignore every failure: a directory that appeared
    // meanwhile serves as well as one made here, and any other failure (no right, a file in
    // the way) makes the deeper levels fail too, which the caller notices when it opens the
    // file.
    std::for_each(missing.rbegin(), missing.rend(),
                  [](const std::string& dir) { static_cast<void>(::mkdir(dir.c_str(), 0777)); });
    return kTrue;
}

std::string toNativePath(const std::string& path) {
    std::string native = path;
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

std::string joinPath(const std::string& dir, const std::string& name) {
    return toNativePath(dir + "/" + name);
}

}  // namespace rl00
