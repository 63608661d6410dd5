#include "io/paths.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace rl00 {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool exists(const char* native_path) {
    struct stat st {};
    return ::stat(native_path, &st) == 0;
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

    // The directories in front of the file are the prefixes that end before each separator
    // (PATH_UPPER of 1, 2, ...). One buffer serves every prefix: a separator is cut to a NUL
    // for the call and put back, so time and memory stay linear in the path.
    std::string native = toNativePath(path);
    std::vector<std::size_t> cuts;
    for (std::size_t p = native.size(); p > 0; --p) {
        if (native[p - 1] == '/') cuts.push_back(p - 1);
    }
    const auto withPrefix = [&native](std::size_t cut, auto&& call) {
        native[cut] = '\0';
        call(native.c_str());
        native[cut] = '/';
    };
    // Climb until an existing entry (or the top) is reached; what lies below it is missing.
    std::size_t missing = 0;
    for (; missing < cuts.size() && cuts[missing] > 0; ++missing) {
        bool found = false;
        withPrefix(cuts[missing], [&found](const char* dir) { found = exists(dir); });
        if (found) break;
    }
    // Create from the outermost down and ignore every failure: a directory that appeared
    // meanwhile serves as well as one made here, and any other failure (no right, a file in
    // the way) makes the deeper levels fail too, which the caller notices when it opens the
    // file.
    while (missing > 0) {
        withPrefix(cuts[--missing], [](const char* dir) { static_cast<void>(::mkdir(dir, 0777)); });
    }
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

std::string resolveFolder(const std::string& base, const std::string& folder) {
    if (base.empty() || folder.find_first_not_of(" \t") == std::string::npos ||
        isSeparator(folder[0])) {
        return folder;
    }
    std::string resolved =
        (std::filesystem::path(base) / toNativePath(folder)).lexically_normal().string();
    if (resolved.size() > 1 && resolved.ends_with('/')) resolved.pop_back();
    return resolved;
}

}  // namespace rl00
