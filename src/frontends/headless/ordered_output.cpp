#include "frontends/headless/ordered_output.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <filesystem>
#include <system_error>

#include "io/leftovers.h"
#include "io/paths.h"
#include "io/run_log.h"
#include "platform/os_error.h"

namespace rl00 {

namespace {

constexpr std::size_t kRecordBytes = kLogRecordWidth + 2;  // with CR LF
constexpr std::size_t kRecordsPerChunk = 512;

constexpr std::string_view kSpoolInfix = ".machine-";
constexpr std::string_view kSpoolEnd = ".part";

std::string spoolSuffix(std::uint64_t machine) {
    return std::string(kSpoolInfix) + std::to_string(machine) + "." + std::to_string(::getpid()) +
           std::string(kSpoolEnd);
}

// A trace spool "TRACE.machine-K.PID.part" whose run no longer lives. Its lock goes when the
// spool is closed, before it is appended; the run's process is asked after as well.
bool isLeftSpool(std::string_view name, std::string_view trace) {
    if (!name.starts_with(trace) || !name.ends_with(kSpoolEnd)) return false;
    name.remove_prefix(trace.size());
    if (!name.starts_with(kSpoolInfix)) return false;
    name = name.substr(kSpoolInfix.size(), name.size() - kSpoolInfix.size() - kSpoolEnd.size());
    const auto dot = name.find('.');
    pid_t pid = 0;
    const std::string_view pid_text = dot == std::string_view::npos ? "" : name.substr(dot + 1);
    const auto [end, ec] = std::from_chars(pid_text.data(), pid_text.data() + pid_text.size(), pid);
    if (ec != std::errc{} || end != pid_text.data() + pid_text.size() || pid <= 0) return false;
    return ::kill(pid, 0) != 0 && errno == ESRCH;
}

// Where the spools of a trace go: beside it, on the same disk, when it is a file; in the
// temporary folder when it is a device or a pipe.
std::string traceSpoolBase(const OutputFile* trace) {
    if (trace == nullptr) return {};
    struct stat st {};
    if (::stat(trace->path().c_str(), &st) == 0 && S_ISREG(st.st_mode)) return trace->path();
    std::error_code ec;
    const auto tmp = std::filesystem::temp_directory_path(ec);
    return ((ec ? std::filesystem::path("/tmp") : tmp) / "rl00-trace").string();
}

// Closes a descriptor when it goes.
struct Descriptor {
    int fd;
    ~Descriptor() { ::close(fd); }
};

bool writeAll(int fd, const char* data, std::size_t size, std::size_t& done) {
    done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = ENOSPC;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Creates a log spool holding only its first line; 0, or the error number when it cannot.
int createLogSpool(const std::string& spool, const std::string& header) {
    ENSURE_DIR(spool);
    const int fd = ::open(spool.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return errno;
    std::size_t done = 0;
    const int error = writeAll(fd, header.data(), header.size(), done) ? 0 : errno;
    if (::close(fd) != 0 && error == 0) return errno;
    return error;
}

}  // namespace

std::string logSpoolHeader(std::uint64_t machine, const std::string& log) {
    return "rl00-headless: run-log records of machine " + std::to_string(machine) +
           " waiting for their turn in " + log + "\r\n";
}

OrderedOutput::OrderedOutput(MachineRange machines, OutputFile* trace,
                             std::optional<std::string> log, LogWarnings& warnings)
    : machines_(machines),
      trace_(trace),
      log_(std::move(log)),
      warnings_(warnings),
      trace_spool_base_(traceSpoolBase(trace)),
      next_(machines.first) {
    if (trace_spool_base_.empty()) return;
    const std::string trace_name = nameOf(trace_spool_base_);
    removeLeftovers(folderOf(trace_spool_base_),
                    [&trace_name](std::string_view name) { return isLeftSpool(name, trace_name); });
}

OrderedOutput::~OrderedOutput() {
    // Spools of machines whose turn never came (a machine before them failed to finish): their
    // lines belong after lines that are missing, so they are dropped with the run.
    for (auto& [machine, s] : finished_) {
        if (s.trace_spool) ::unlink(s.trace_spool->path().c_str());
    }
}

OrderedOutput::Sinks OrderedOutput::begin(std::uint64_t machine) {
    Sinks s;
    s.machine = machine;
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (machine == next_) {
            s.trace = trace_;
            return s;
        }
    }
    if (trace_ != nullptr) {
        s.trace_spool = std::make_unique<OutputFile>();
        s.trace_spool->open(trace_spool_base_ + spoolSuffix(machine));
        s.trace = s.trace_spool.get();
    }
    if (log_) {
        s.log_name_suffix = spoolSuffix(machine);
        s.log_spool = *log_ + s.log_name_suffix;
        if (const int error = createLogSpool(s.log_spool, logSpoolHeader(machine, *log_)))
            warnings_.report(s.log_spool, reasonOf(error));
    }
    s.straight = false;
    return s;
}

void OrderedOutput::end(Sinks sinks) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (sinks.straight) {
        next_ = sinks.machine + 1;
    } else {
        finished_.emplace(sinks.machine, std::move(sinks));
    }
    appendInOrder(lock);
}

void OrderedOutput::appendInOrder(std::unique_lock<std::mutex>& lock) {
    // One thread appends at a time, outside the lock, so that other machines can begin and end
    // meanwhile; it goes on for as long as the next machine in turn has finished.
    if (appending_) return;
    appending_ = true;
    for (auto it = finished_.find(next_); it != finished_.end(); it = finished_.find(next_)) {
        Sinks s = std::move(it->second);
        finished_.erase(it);
        lock.unlock();
        appendSpools(s);
        lock.lock();
        ++next_;
    }
    appending_ = false;
}

void OrderedOutput::appendSpools(Sinks& s) {
    if (s.trace_spool) {
        OutputFile& spool = *s.trace_spool;
        if (spool.close()) {
            if (const std::size_t cut = trace_->appendFileAndRemove(spool.path())) {
                warnings_.notice("left out an unfinished line (" + std::to_string(cut) +
                                 " bytes) at the end of " + spool.path());
            }
        } else {
            ::unlink(spool.path().c_str());
            const std::lock_guard<std::mutex> lock(mutex_);
            if (spool_error_.empty()) spool_error_ = spool.error();
        }
    }
    if (!s.log_spool.empty()) appendLogSpool(s.log_spool, s.machine);
}

namespace {

// A machine's log spool, read a chunk at a time.
struct SpoolReader {
    SpoolReader(int spool_fd, const std::string& spool_path) : fd(spool_fd), path(spool_path) {}

    int fd;
    const std::string& path;
    std::vector<char> chunk = std::vector<char>(kRecordBytes * kRecordsPerChunk);
    std::string data;     // read and not yet used
    std::string failure;  // the first failure of reading or writing, or empty

    // Reads on until `data` holds at least `size` bytes or the spool has ended.
    void fill(std::size_t size) {
        while (data.size() < size && failure.empty()) {
            const ssize_t n = ::read(fd, chunk.data(), chunk.size());
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) failure = "cannot read " + path + ": " + reasonOf(errno);
            if (n <= 0) return;
            data.append(chunk.data(), static_cast<std::size_t>(n));
        }
    }
};

// Appends the spool's records to `out`, whole records only; the bytes appended.
std::uint64_t appendRecords(int out, SpoolReader& in) {
    std::uint64_t appended = 0;
    while (!in.data.empty() && in.failure.empty()) {
        const std::size_t whole = in.data.size() / kRecordBytes * kRecordBytes;
        if (whole == 0) {
            in.failure = "the spool " + in.path + " ends in a part of a record";
            break;
        }
        std::size_t done = 0;
        const bool ok = writeAll(out, in.data.data(), whole, done);
        appended += done;
        if (!ok) {
            in.failure = reasonOf(errno);
            break;
        }
        in.data.erase(0, whole);
        in.fill(kRecordBytes * kRecordsPerChunk);
    }
    return appended;
}

}  // namespace

void OrderedOutput::appendLogSpool(const std::string& spool, std::uint64_t machine) {
    const int fd = ::open(spool.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;  // the machine could not write it either, and said so
    const Descriptor close_in{fd};
    SpoolReader in(fd, spool);
    const std::string header = logSpoolHeader(machine, *log_);
    in.fill(header.size());
    if (in.data.starts_with(header)) in.data.erase(0, header.size());
    in.fill(kRecordBytes);
    if (in.data.empty() && in.failure.empty()) {
        ::unlink(spool.c_str());  // no hit: the log is left as it was, not even created
        return;
    }

    const std::string kept =
        "; the records of machine " + std::to_string(machine) + " are kept in " + spool;
    const int out = openLog(*log_);
    if (out < 0) {
        warnings_.report(*log_, reasonOf(errno) + kept);
        return;
    }
    const Descriptor close_out{out};
    // Another runner may append to the same log: hold it for the whole block, so that the
    // machine's records stay together and a cut-back never cuts into another writer's record.
    while (::flock(out, LOCK_EX) != 0 && errno == EINTR) {
    }
    tellCutRecord(*log_, cutUnfinishedRecord(out), warnings_);
    const off_t start = ::lseek(out, 0, SEEK_END);
    const std::uint64_t appended = appendRecords(out, in);
    // A machine's records go in together or not at all: the spool that is kept then holds
    // exactly the records the log lacks.
    if (!in.failure.empty() && start >= 0 && appended > 0) {
        static_cast<void>(::ftruncate(out, start));
    }
    static_cast<void>(::flock(out, LOCK_UN));
    if (!in.failure.empty()) {
        warnings_.report(*log_, in.failure + kept);
        return;
    }
    ::unlink(spool.c_str());
}

std::string OrderedOutput::traceError() const {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (trace_ != nullptr && trace_->failed()) return trace_->error();
    return spool_error_;
}

}  // namespace rl00
