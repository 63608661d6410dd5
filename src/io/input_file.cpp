#include "io/input_file.h"
#include "platform/os_error.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace rl00 {

namespace {

// What a file that is not a regular one is, in the words of a message.
const char* kindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO, not a regular file";
    if (S_ISSOCK(mode)) return "a socket, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device, not a regular file";
    return "not a regular file";
}

}  // namespace

std::string sizeText(std::uint64_t bytes) {
    if (bytes % (std::uint64_t{1} << 20) == 0) return std::to_string(bytes >> 20) + " MiB";
    return std::to_string(bytes) + " bytes";
}

InputFile::~InputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool InputFile::fail(std::string why) {
    if (error_.empty()) error_ = std::move(why);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    return false;
}

bool InputFile::open(const std::string& path, std::uint64_t max_bytes, std::string_view what) {
    path_ = path;
    named_ = what.empty() ? path : std::string(what) + " " + path;
    max_bytes_ = max_bytes;
    if (path.empty())
        return fail((what.empty() ? "the file" : std::string(what)) + "'s name is empty");
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd_ < 0) {
        const int error = errno;
        struct stat link {};
        if (error == ENOENT && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode))
            return fail(named_ + " is a symbolic link whose target does not exist");
        return fail("cannot read " + named_ + ": " + reasonOf(error));
    }
    struct stat st {};
    if (::fstat(fd_, &st) != 0) return fail("cannot read " + named_ + ": " + reasonOf(errno));
    if (!S_ISREG(st.st_mode)) return fail(named_ + " is " + kindOf(st.st_mode));
    size_ = static_cast<std::uint64_t>(st.st_size);
    if (size_ > max_bytes) return fail(named_ + " is larger than " + sizeText(max_bytes));
    return true;
}

std::size_t InputFile::read(char* to, std::size_t size) {
    ssize_t n = -1;
    while (fd_ >= 0 && n < 0) {
        n = ::read(fd_, to, size);
        if (n < 0 && errno != EINTR) fail("cannot read " + named_ + ": " + reasonOf(errno));
    }
    if (n <= 0) return 0;
    read_ += static_cast<std::uint64_t>(n);
    // The file may grow while it is read; the limit holds for what is actually read.
    if (read_ > max_bytes_) {
        fail(named_ + " is larger than " + sizeText(max_bytes_));
        return 0;
    }
    return static_cast<std::size_t>(n);
}

std::optional<std::string> readWholeFile(const std::string& path, std::uint64_t max_bytes,
                                         std::string& error, std::string_view what) {
    InputFile file;
    if (!file.open(path, max_bytes, what)) {
        error = file.error();
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(file.size()));
    char buf[65536];
    while (const std::size_t n = file.read(buf, sizeof buf))
        bytes.append(buf, n);
    if (!file.error().empty()) {
        error = file.error();
        return std::nullopt;
    }
    return bytes;
}

}  // namespace rl00
