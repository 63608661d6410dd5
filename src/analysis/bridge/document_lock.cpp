#include "analysis/bridge/document_lock.h"

#include <dirent.h>
#include <limits.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace rl00::bridge {

namespace {

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return "";
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The fields of the first entry of a lock: separated by ",", ended by ";", and "\" makes the
// next character plain.
std::vector<std::string> lockFields(const std::string& text) {
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            fields.back() += text[++i];
        } else if (c == ',') {
            fields.emplace_back();
        } else if (c == ';') {
            break;
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

std::string shortHostName(std::string host) {
    host = host.substr(0, host.find('.'));
    for (char& c : host)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return host;
}

// The office may write its host name in full where gethostname() gives the short one.
bool isThisHost(const std::string& host) {
    char name[HOST_NAME_MAX + 1] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return false;
    return !host.empty() && shortHostName(host) == shortHostName(name);
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// A folder as the same text however it was written: from a file URL or a path, without a
// trailing "/", with links resolved when it still exists.
std::string canonicalFolder(const std::string& url_or_path) {
    std::string path = url_or_path;
    if (path.starts_with("file://")) {
        const std::string encoded = path.substr(7);
        path.clear();
        for (std::size_t i = 0; i < encoded.size(); ++i) {
            if (encoded[i] == '%' && i + 2 < encoded.size() && hexValue(encoded[i + 1]) >= 0 &&
                hexValue(encoded[i + 2]) >= 0) {
                path += static_cast<char>(hexValue(encoded[i + 1]) * 16 + hexValue(encoded[i + 2]));
                i += 2;
            } else {
                path += encoded[i];
            }
        }
    }
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
    return path;
}

// The NUL-separated items of /proc/<pid>/cmdline or environ.
std::vector<std::string> procList(const std::string& file) {
    std::vector<std::string> items;
    const std::string text = readFile(file);
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = text.find('\0', at);
        items.push_back(text.substr(at, end - at));
        if (end == std::string::npos) break;
        at = end + 1;
    }
    return items;
}

// The profile an office process runs with, as a canonical folder; empty when we cannot see it
// (another user's environment is closed to us).
std::string officeProfileOf(const std::string& proc) {
    const std::string option = "-env:UserInstallation=";
    for (std::string arg : procList(proc + "/cmdline")) {
        if (arg.starts_with("-")) arg.erase(0, arg.starts_with("--") ? 1 : 0);
        if (arg.starts_with(option)) return canonicalFolder(arg.substr(option.size()));
    }
    // Without the option the office takes its default, $SYSUSERCONFIG/libreoffice/4, unless
    // the environment names the installation.
    std::string home, config;
    for (const std::string& item : procList(proc + "/environ")) {
        if (item.starts_with("UserInstallation=")) return canonicalFolder(item.substr(17));
        if (item.starts_with("XDG_CONFIG_HOME=")) config = item.substr(16);
        if (item.starts_with("HOME=")) home = item.substr(5);
    }
    if (config.empty() && !home.empty()) config = home + "/.config";
    return config.empty() ? "" : canonicalFolder(config + "/libreoffice/4");
}

bool holdsFile(const std::string& proc, const struct stat& file) {
    DIR* fds = ::opendir((proc + "/fd").c_str());
    if (fds == nullptr) return false;
    bool holds = false;
    while (const dirent* fd = ::readdir(fds)) {
        struct stat st {};
        if (fd->d_name[0] == '.') continue;
        if (::stat((proc + "/fd/" + fd->d_name).c_str(), &st) == 0 && st.st_dev == file.st_dev &&
            st.st_ino == file.st_ino) {
            holds = true;
            break;
        }
    }
    ::closedir(fds);
    return holds;
}

// Whether any living process here has the document open or is an office of `uid` that may
// run with `profile`.
bool mayBeWriterHere(const std::string& document, uid_t uid, const std::string& profile) {
    struct stat file {};
    const bool have_file = ::stat(document.c_str(), &file) == 0;
    DIR* procs = ::opendir("/proc");
    if (procs == nullptr) return true;
    bool found = false;
    while (!found) {
        const dirent* entry = ::readdir(procs);
        if (entry == nullptr) break;
        if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0]))) continue;
        const std::string proc = std::string("/proc/") + entry->d_name;
        const std::string status = readFile(proc + "/status");
        // A process that has ended but is not yet reaped holds nothing any more.
        if (status.empty() || status.find("\nState:\tZ") != std::string::npos) continue;
        if (have_file && holdsFile(proc, file)) found = true;
        std::string comm = readFile(proc + "/comm");
        if (!comm.empty() && comm.back() == '\n') comm.pop_back();
        struct stat owner {};
        if (comm != "soffice.bin" || ::stat(proc.c_str(), &owner) != 0 || owner.st_uid != uid)
            continue;
        const std::string its_profile = officeProfileOf(proc);
        if (its_profile.empty() || its_profile == profile) found = true;
    }
    ::closedir(procs);
    return found;
}

}  // namespace

std::string lockFilePath(const std::string& document) {
    const std::size_t slash = document.rfind('/');
    return document.substr(0, slash + 1) + ".~lock." + document.substr(slash + 1) + "#";
}

std::optional<LockOwner> readLock(const std::string& document) {
    const std::string text = readFile(lockFilePath(document));
    const std::vector<std::string> fields = lockFields(text);
    if (fields.size() < 5) return std::nullopt;
    return LockOwner{fields[0], fields[1], fields[2], fields[3], fields[4]};
}

bool lockIsStale(const LockOwner& owner, const std::string& document,
                 const std::string& own_profile_url) {
    if (!isThisHost(owner.host)) return false;
    const std::string profile = canonicalFolder(owner.profile_url);
    if (!own_profile_url.empty() && profile == canonicalFolder(own_profile_url)) return true;
    const passwd* user = ::getpwnam(owner.user.c_str());
    if (user == nullptr) return false;
    return !mayBeWriterHere(document, user->pw_uid, profile);
}

std::string describeOwner(const LockOwner& owner) {
    std::string who = owner.name.empty() ? owner.user : owner.name;
    if (!owner.host.empty()) who += " (" + owner.host + ")";
    if (!owner.since.empty()) who += ", " + owner.since;
    return who;
}

}  // namespace rl00::bridge
