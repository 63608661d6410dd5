#pragma once
// The pipe our office accepts connections on. Whoever can connect to it controls the office
// with the user's rights, and the office's pipes are sockets in the shared temporary folder,
// where anyone can see and anyone can create names. So the name is random (nobody can create it
// ahead of our office), it is kept in the profile folder that only the user may read (later
// helpers find the same office), and a socket that another user owns is never connected to.
// No UNO in here: the checks are plain POSIX, which lets the tests include them as they are.

#include <sys/random.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

namespace rl00::bridge {

// The socket the office's runtime makes of a pipe name "<name>": OSL_PIPE_<uid>_<name> in /tmp,
// or /var/tmp where /tmp cannot be written to. Empty when neither can.
inline std::string pipeSocketPath(const std::string& name, uid_t uid) {
    for (const char* dir : {"/tmp", "/var/tmp"})
        if (::access(dir, W_OK) == 0)
            return std::string(dir) + "/OSL_PIPE_" + std::to_string(uid) + "_" + name;
    return "";
}

// A pipe name nobody can guess: 128 bits from the kernel's generator. Empty if it has none.
inline std::string randomPipeName() {
    unsigned char bytes[16];
    std::size_t got = 0;
    while (got < sizeof bytes) {
        const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return "";
        got += static_cast<std::size_t>(n);
    }
    std::string name = "rl00_";
    for (const unsigned char b : bytes) {
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", b);
        name += hex;
    }
    return name;
}

enum class PipeSocket {
    Missing,  // no office listens under the name
    Ours,     // a socket of the expected owner that nobody else may connect to
    Foreign,  // a socket (or anything else) of another user: never to be connected to
    Open,     // ours, but others may connect to it: made private before it is used
};

// What lies at `path`, seen from a user with the id `owner`.
inline PipeSocket checkPipeSocket(const std::string& path, uid_t owner) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return PipeSocket::Missing;
    if (!S_ISSOCK(st.st_mode) || st.st_uid != owner) return PipeSocket::Foreign;
    if ((st.st_mode & (S_IRWXG | S_IRWXO)) != 0) return PipeSocket::Open;
    return PipeSocket::Ours;
}

}  // namespace rl00::bridge
