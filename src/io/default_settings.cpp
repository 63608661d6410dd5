#include "io/default_settings.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "io/sjis.h"
#include "platform/os_error.h"

namespace rl00 {

namespace {

constexpr std::string_view kLogFolderMark = "@RL00_LOG_FOLDER@";
constexpr std::string_view kWorkbookFolderMark = "@RL00_WORKBOOK_FOLDER@";

// A quoted value runs to the next double quote, and an item ends at a line end: a folder with
// either would be read back cut short.
bool fitsAQuotedValue(const std::string& folder) {
    return isUtf8(folder) && std::none_of(folder.begin(), folder.end(), [](char c) {
               return c == '"' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
           });
}

void replaceAll(std::string& text, std::string_view mark, const std::string& value) {
    for (auto at = text.find(mark); at != std::string::npos;
         at = text.find(mark, at + value.size())) {
        text.replace(at, mark.size(), value);
    }
}

// Makes the missing folders of `folder`, the outermost first, private to the user as the XDG
// rules ask. Returns "" when `folder` is a folder afterwards, else why it is not.
std::string makeFolders(const std::string& folder) {
    struct stat st {};
    if (::stat(folder.c_str(), &st) == 0) {
        return S_ISDIR(st.st_mode) ? "" : folder + " is not a folder";
    }
    if (::lstat(folder.c_str(), &st) == 0)
        return folder + " is a symbolic link whose target does not exist";
    const auto cut = folder.find_last_of('/');
    if (cut != std::string::npos && cut > 0) {
        if (std::string why = makeFolders(folder.substr(0, cut)); !why.empty()) return why;
    }
    // A folder made meanwhile by another start serves as well.
    if (::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST) return "";
    return "cannot make " + folder + ": " + reasonOf(errno);
}

// Writes all of `bytes` to `fd`; 0 or the errno of the failure.
int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

}  // namespace

std::optional<std::string> defaultSettingsBytes(const std::string& log_folder,
                                                const std::string& workbook_folder) {
    if (!fitsAQuotedValue(log_folder) || !fitsAQuotedValue(workbook_folder)) return std::nullopt;
    std::string text(defaultSettingsTemplate());
    replaceAll(text, kLogFolderMark, log_folder);
    replaceAll(text, kWorkbookFolderMark, workbook_folder);
    return text;
}

std::string writeFileWhole(const std::string& path, std::string_view bytes) {
    const auto cut = path.find_last_of('/');
    const std::string folder = cut == std::string::npos ? std::string(".") : path.substr(0, cut);
    if (std::string why = makeFolders(folder); !why.empty()) return why;

    std::string temporary = path + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return reasonOf(errno);
    int e = writeAll(fd, bytes);
    if (e == 0 && ::fsync(fd) != 0) e = errno;
    if (::close(fd) != 0 && e == 0) e = errno;
    if (e == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) e = errno;
    if (e != 0) {
        ::unlink(temporary.c_str());
        return reasonOf(e);
    }
    return "";
}

}  // namespace rl00
