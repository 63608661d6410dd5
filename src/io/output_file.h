#pragma once
// The programs' output files (traces, statistics), checked at every write, flush and close: a
// full disk, a file size limit or a device that takes nothing is reported, never passed over.

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace rl00 {

// Whether two names of outputs are one file: by device and inode when both exist, else by the
// path each resolves to. A device is not counted: writing twice to /dev/null or a terminal
// takes nothing from either output.
bool sameFile(const std::string& a, const std::string& b);

// A file written line by line (the trace). The first failure is kept and later writes are
// dropped; the lines already written stay whole, since a failed flush cuts the file back to the
// end of the last line it holds in full (where the file can be cut).
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates or empties `path`; false (and the reason in error()) when it cannot.
    bool open(const std::string& path);
    bool isOpen() const { return fd_ >= 0; }
    const std::string& path() const { return path_; }

    // Whole lines, or the whole of another file's lines.
    void write(std::string_view lines);
    // Appends the whole lines of the file at `path` (a spool), then removes it. Returns the bytes
    // of an unterminated last line, which is left out: a line its writer did not finish.
    std::size_t appendFileAndRemove(const std::string& path);
    bool flush();
    // Flushes and closes; false when anything failed since open().
    bool close();

    bool failed() const { return !error_.empty(); }
    // "FILE: reason" of the first failure, or empty.
    const std::string& error() const { return error_; }

  private:
    void fail(const std::string& reason);

    int fd_ = -1;
    std::string path_;
    std::string buffer_;
    std::string error_;
    off_t written_ = 0;  // bytes in the file, all of them whole lines
};

// A file written whole or not at all (the statistics): written under a temporary name beside it
// and renamed over it once complete, so that a failure leaves the file as it was and no half
// file. A target that is not a regular file (a device, a pipe) cannot be renamed over and is
// written in place.
class WholeFile {
  public:
    WholeFile() = default;
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // Makes sure the file can be written, before the work that fills it; false (the reason in
    // error()) when it cannot.
    bool prepare(const std::string& path);
    // Writes the next part of the content; a failure is kept for commit() to report.
    void write(std::string_view part);
    // Puts what was written in place; false (the reason in error()) when anything failed.
    bool commit();
    // Writes `content` and puts it in place.
    bool commit(std::string_view content);
    // Gives up: the temporary file is removed, the target left as it was.
    void abandon();

    const std::string& error() const { return error_; }

  private:
    bool fail(int error_number);

    int fd_ = -1;
    std::string shown_;      // the file as it was named
    std::string target_;     // the file a link names
    std::string temporary_;  // empty when written in place
    std::string error_;
};

}  // namespace rl00
