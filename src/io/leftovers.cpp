#include "io/leftovers.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <vector>

namespace rl00 {

namespace {

// Takes the entry's lock, if no process holds it, and removes the entry while holding it.
void removeIfUnheld(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || st.st_uid != ::geteuid()) return;
    const bool folder = S_ISDIR(st.st_mode);
    if (!folder && !S_ISREG(st.st_mode)) return;
    const int fd = ::open(
        path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (folder ? O_DIRECTORY : 0));
    if (fd < 0) return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        std::error_code ec;
        if (folder) {
            std::filesystem::remove_all(path, ec);
        } else {
            ::unlink(path.c_str());
        }
    }
    ::close(fd);
}

}  // namespace

void holdWhileOpen(int fd) {
    // A new file or folder of our own: nobody else has a reason to hold it.
    static_cast<void>(::flock(fd, LOCK_EX | LOCK_NB));
}

void removeLeftovers(const std::string& folder,
                     const std::function<bool(std::string_view name)>& is_ours) {
    DIR* dir = ::opendir(folder.c_str());
    if (dir == nullptr) return;
    std::vector<std::string> found;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name != "." && name != ".." && is_ours(name)) found.emplace_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : found)
        removeIfUnheld(folder + "/" + name);
}

std::string folderOf(const std::string& path) {
    const auto cut = path.find_last_of('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

std::string nameOf(const std::string& path) {
    const auto cut = path.find_last_of('/');
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

bool isTemporarySuffix(std::string_view rest, std::size_t length) {
    return rest.size() == length && std::all_of(rest.begin(), rest.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0;
           });
}

}  // namespace rl00
