#pragma once
// Files the programs read (settings, statistics): opened without blocking, so that a FIFO or a
// device that never answers cannot hold a program; read only when they are regular files; and
// refused when larger than their kind of file can be, so that a stray huge file costs neither
// the memory nor the time to read it. Every refusal is one line that names the real cause.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rl00 {

class InputFile {
  public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens `path`; false, with the reason in error(), for anything but a regular file of at most
    // `max_bytes` that can be read. `what` names the kind of file in the messages ("the
    // configuration file"), or nothing.
    bool open(const std::string& path, std::uint64_t max_bytes, std::string_view what = {});
    // Up to `size` bytes into `to`; 0 at the end, and 0 with error() set when reading failed or
    // the file grew past its limit while it was read.
    std::size_t read(char* to, std::size_t size);

    const std::string& path() const { return path_; }
    // The file's size when it was opened.
    std::uint64_t size() const { return size_; }
    // One line: "WHAT FILE is a folder", "cannot read WHAT FILE: Permission denied", ...
    const std::string& error() const { return error_; }

  private:
    bool fail(std::string why);

    int fd_ = -1;
    std::string path_;
    std::string named_;  // the file as the messages name it
    std::uint64_t max_bytes_ = 0;
    std::uint64_t size_ = 0;
    std::uint64_t read_ = 0;
    std::string error_;
};

// A limit in words: "32 MiB".
std::string sizeText(std::uint64_t bytes);

// The whole of a regular file of at most `max_bytes`; nothing, with the reason in `error`, when
// it cannot be read as one.
std::optional<std::string> readWholeFile(const std::string& path, std::uint64_t max_bytes,
                                         std::string& error, std::string_view what = {});

}  // namespace rl00
