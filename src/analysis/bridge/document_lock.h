#pragma once
// The lock file ".~lock.<name>#" that an office writes beside a document it has open for
// editing, and whether the office that wrote it still runs. A lock names the user, the host and
// the office profile of its writer, but no process; so a lock counts as left over only when it
// was written on this host and no process here could be its writer: none has the document
// open, and no office of that user runs with that profile (or with a profile we cannot see).
// Anything we cannot look into counts as a living writer: removing the lock of a document that
// is still being edited would let two offices overwrite each other's changes.

#include <optional>
#include <string>

namespace rl00::bridge {

struct LockOwner {
    std::string name;         // the user's name as set in the office; often empty
    std::string user;         // the system user
    std::string host;         // where the office ran
    std::string since;        // when it took the lock, as the office wrote it
    std::string profile_url;  // the office's user installation
};

std::string lockFilePath(const std::string& document);

// The writer named in the lock of `document`; nothing when there is no readable lock.
std::optional<LockOwner> readLock(const std::string& document);

// Whether the writer of the lock of `document` is demonstrably gone. A lock written with
// `own_profile_url` is ours: our office runs and has not the document open (the caller looked),
// so it was left by an earlier run of it.
bool lockIsStale(const LockOwner& owner, const std::string& document,
                 const std::string& own_profile_url);

// Who holds the lock, in words for the user: "<user> (<host>), <since>".
std::string describeOwner(const LockOwner& owner);

}  // namespace rl00::bridge
