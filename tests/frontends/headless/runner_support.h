#pragma once
// What the tests of the headless runner share: a folder of their own, files read whole, an
// RL00.INI that sends the log into the folder, and the real rl00-headless run through a shell.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/files.h"

namespace rl00::test {

namespace fs = std::filesystem;

inline std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        out.push_back(l);
    return out;
}

inline std::string shellQuoted(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

// A fresh folder, removed with everything in it at the end of the test.
class TempDir {
  public:
    explicit TempDir(const std::string& name)
        : path_(fs::temp_directory_path() / (name + "_" + std::to_string(::getpid()))) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~TempDir() { fs::remove_all(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const fs::path& path() const { return path_; }
    std::string operator/(const std::string& name) const { return (path_ / name).string(); }

    // An RL00.INI naming `log_dir` as the log folder and RL00.LOG as the log.
    std::string ini(const std::string& name, const std::string& log_dir) const {
        const fs::path ini = path_ / name;
        std::ofstream(ini, std::ios::binary)
            << "[ログ書き込み先パス]\r\n"
            << log_dir << "\r\n[ログ書き込み先ファイル名]\r\nRL00.LOG\r\n";
        return ini.string();
    }

  private:
    fs::path path_;
};

struct Outcome {
    int exit_code = -1;
    std::string out;
    std::string err;
};

inline std::string runnerPath() {
    return std::string(RL00_BUILD_DIR) + "/app/rl00-headless";
}

// Runs rl00-headless with `args`, after the shell commands `prefix` (such as a ulimit).
inline Outcome runRunner(const TempDir& dir, const std::vector<std::string>& args,
                         const std::string& prefix = "") {
    std::string cmd = shellQuoted(runnerPath());
    for (const std::string& a : args)
        cmd += " " + shellQuoted(a);
    cmd += " >" + shellQuoted(dir / "runner.out") + " 2>" + shellQuoted(dir / "runner.err");
    if (!prefix.empty()) cmd = "sh -c " + shellQuoted(prefix + "; exec " + cmd);
    const int raw = std::system(cmd.c_str());
    return {WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw), slurp(dir / "runner.out"),
            slurp(dir / "runner.err")};
}

}  // namespace rl00::test
