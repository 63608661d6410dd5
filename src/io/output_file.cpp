#include "io/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

#include "io/leftovers.h"
#include "platform/os_error.h"

namespace rl00 {

namespace {

// What a whole file is written under before its rename: "s.json.tmp-Xa3k9Q".
constexpr const char* kTemporaryInfix = ".tmp-";

// Large enough that the system calls cost nothing beside a game, small beside any memory.
constexpr std::size_t kBufferBytes = std::size_t{1} << 16;

// Writes all of `data`; the bytes written before a failure go to `done`. Returns 0 or errno.
int writeAll(int fd, std::string_view data, std::size_t& done) {
    done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (n == 0) return ENOSPC;
        done += static_cast<std::size_t>(n);
    }
    return 0;
}

}  // namespace

bool sameFile(const std::string& a, const std::string& b) {
    struct stat sa {
    }, sb{};
    const bool a_exists = ::stat(a.c_str(), &sa) == 0;
    const bool b_exists = ::stat(b.c_str(), &sb) == 0;
    if (a_exists != b_exists) return false;
    if (a_exists) {
        const bool device = S_ISCHR(sa.st_mode) || S_ISBLK(sa.st_mode);
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino && !device;
    }
    std::error_code ec_a, ec_b;
    const auto ra = std::filesystem::weakly_canonical(a, ec_a);
    const auto rb = std::filesystem::weakly_canonical(b, ec_b);
    return !ec_a && !ec_b && ra == rb;
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool OutputFile::open(const std::string& path) {
    path_ = path;
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) {
        fail(reasonOf(errno));
        return false;
    }
    // A spool is told from one that a killed run left by this lock (leftovers.h).
    holdWhileOpen(fd_);
    return true;
}

void OutputFile::fail(const std::string& reason) {
    if (error_.empty()) error_ = path_ + ": " + reason;
}

void OutputFile::write(std::string_view lines) {
    if (fd_ < 0 || failed()) return;
    buffer_.append(lines);
    if (buffer_.size() >= kBufferBytes) flush();
}

std::size_t OutputFile::appendFileAndRemove(const std::string& path) {
    const int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        fail("cannot read " + path + ": " + reasonOf(errno));
        return 0;
    }
    std::vector<char> chunk(kBufferBytes);
    // Only whole lines are handed on, so that the file never ends in part of one.
    std::string lines;
    for (;;) {
        const ssize_t n = ::read(in, chunk.data(), chunk.size());
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) fail("cannot read " + path + ": " + reasonOf(errno));
        if (n <= 0) break;
        lines.append(chunk.data(), static_cast<std::size_t>(n));
        const std::size_t whole = lines.rfind('\n') + 1;  // 0 without a line end
        write(std::string_view(lines).substr(0, whole));
        lines.erase(0, whole);
    }
    ::close(in);
    ::unlink(path.c_str());
    return lines.size();
}

bool OutputFile::flush() {
    if (fd_ < 0 || failed()) return !failed();
    std::size_t done = 0;
    const int error = writeAll(fd_, buffer_, done);
    if (error == 0) {
        written_ += static_cast<off_t>(done);
        buffer_.clear();
        return true;
    }
    // Keep the lines that made it whole: cut the file back to the end of the last one. A device
    // or a pipe cannot be cut, and has no half line to hide from a later reader of a file.
    const std::string_view sent(buffer_.data(), done);
    const auto last_end = sent.rfind('\n');
    const off_t keep = written_ + (last_end == std::string_view::npos ? 0 : off_t(last_end + 1));
    if (::ftruncate(fd_, keep) == 0) written_ = keep;
    fail(reasonOf(error));
    buffer_.clear();
    return false;
}

bool OutputFile::close() {
    if (fd_ < 0) return !failed();
    flush();
    if (::close(fd_) != 0) fail(reasonOf(errno));
    fd_ = -1;
    return !failed();
}

WholeFile::~WholeFile() {
    abandon();
}

bool WholeFile::fail(int error_number) {
    if (error_.empty()) error_ = shown_ + ": " + reasonOf(error_number);
    abandon();
    return false;
}

bool WholeFile::prepare(const std::string& path) {
    target_ = shown_ = path;
    struct stat st {};
    const bool exists = ::stat(path.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) {
        fd_ = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        return fd_ >= 0 || fail(errno);
    }
    // A link is followed, so that the file it names is replaced rather than the link.
    std::error_code ec;
    const std::filesystem::path real = std::filesystem::weakly_canonical(path, ec);
    if (!ec) target_ = real.string();
    const std::string prefix = nameOf(target_) + kTemporaryInfix;
    removeLeftovers(folderOf(target_), [&prefix](std::string_view name) {
        return name.starts_with(prefix) && isTemporarySuffix(name.substr(prefix.size()));
    });
    temporary_ = target_ + kTemporaryInfix + "XXXXXX";
    fd_ = ::mkostemp(temporary_.data(), O_CLOEXEC);
    if (fd_ < 0) {
        const int error = errno;
        temporary_.clear();
        return fail(error);
    }
    holdWhileOpen(fd_);
    // The file gets the mode a newly created file gets, or keeps the one it had.
    mode_t mode = st.st_mode & 07777;
    if (!exists) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd_, mode) != 0) return fail(errno);
    return true;
}

void WholeFile::write(std::string_view part) {
    if (fd_ < 0) return;
    std::size_t done = 0;
    if (const int error = writeAll(fd_, part, done)) fail(error);
}

bool WholeFile::commit(std::string_view content) {
    write(content);
    return commit();
}

bool WholeFile::commit() {
    if (fd_ < 0) return false;
    if (!temporary_.empty() && ::fsync(fd_) != 0) return fail(errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) return fail(errno);
    if (!temporary_.empty()) {
        if (::rename(temporary_.c_str(), target_.c_str()) != 0) return fail(errno);
        temporary_.clear();
    }
    return true;
}

void WholeFile::abandon() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temporary_.empty()) ::unlink(temporary_.c_str());
    temporary_.clear();
}

}  // namespace rl00
