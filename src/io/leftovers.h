#pragma once
// The temporary files a run keeps beside its outputs (a statistics file before its rename, the
// spools of a trace, the report's folder) are locked (flock) for as long as their run holds them
// open. A run that is killed cannot remove them, but the kernel drops its locks: the next run
// that writes the same output finds them unlocked, and removes them.

#include <functional>
#include <string>
#include <string_view>

namespace rl00 {

// Marks the open file or folder `fd` as held by this process until it is closed.
void holdWhileOpen(int fd);

// Removes the entries of `folder` whose name `is_ours` recognises and that no process holds:
// regular files, and folders with everything in them. Entries of other users are left alone.
void removeLeftovers(const std::string& folder,
                     const std::function<bool(std::string_view name)>& is_ours);

// The folder of a file and its name: "a/b/c.json" gives "a/b" and "c.json"; "c.json" gives ".".
std::string folderOf(const std::string& path);
std::string nameOf(const std::string& path);

// Whether `rest` is `length` letters and digits, as mkstemp and mkdtemp make them.
bool isTemporarySuffix(std::string_view rest, std::size_t length = 6);

}  // namespace rl00
