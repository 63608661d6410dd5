// rl00-headless: plays the machine's games without a window, on a virtual clock.

#include <unistd.h>

#include <charconv>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <string_view>

#include "frontends/headless/batch.h"

namespace {

// The longest animation frame the runner accepts. The virtual clock stamps the run log's
// records, so an unbounded or infinite frame would turn their date and time into garbage.
constexpr double kMaxFrameMs = 1000.0;

constexpr const char* kUsage =
    "usage: rl00-headless [--games N] [--seed S] [--ini FILE] [--trace FILE] [--stats FILE]\n"
    "                     [--frame-ms F] [--quiet] [ARG]\n"
    "  --games N     games to play (default 1000)\n"
    "  --seed S      seed of the random generator (default: from the clock, printed)\n"
    "  --ini FILE    configuration file (default: RL00.INI beside the program)\n"
    "  --trace FILE  one JSON object per completed game\n"
    "  --stats FILE  the run's statistics as JSON\n"
    "  --frame-ms F  virtual duration of an animation frame in ms, 0 to 1000 (default 2)\n"
    "  --quiet       no table on standard output\n"
    "  ARG           the program's argument: 1 (kakuhen mode), 7 (every game a hit),\n"
    "                8 (lottery values from the test table)\n";

int usageError(const std::string& message) {
    std::cerr << "rl00-headless: " << message << "\n" << kUsage;
    return 2;
}

template <class T>
bool parseNumber(std::string_view text, T& value) {
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value);
    return res.ec == std::errc{} && res.ptr == text.data() + text.size();
}

std::string programDir(const char* argv0) {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) exe = std::filesystem::absolute(argv0, ec);
    return exe.parent_path().string();
}

}  // namespace

int main(int argc, char** argv) {
    rl00::BatchOptions o;
    o.program_dir = programDir(argv[0]);
    bool have_arg = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        auto value = [&](std::string_view& v) {
            if (i + 1 >= argc) return false;
            v = argv[++i];
            return true;
        };
        std::string_view v;
        if (a == "--help" || a == "-h") {
            std::cout << kUsage;
            return 0;
        } else if (a == "--games") {
            if (!value(v) || !parseNumber(v, o.games)) return usageError("--games needs a count");
        } else if (a == "--seed") {
            std::uint64_t s = 0;
            if (!value(v) || !parseNumber(v, s)) return usageError("--seed needs a number");
            o.seed = s;
        } else if (a == "--ini") {
            if (!value(v)) return usageError("--ini needs a file");
            o.ini_file = v;
        } else if (a == "--trace") {
            if (!value(v)) return usageError("--trace needs a file");
            o.trace_file = v;
        } else if (a == "--stats") {
            if (!value(v)) return usageError("--stats needs a file");
            o.stats_file = v;
        } else if (a == "--frame-ms") {
            if (!value(v) || !parseNumber(v, o.frame_ms) || !std::isfinite(o.frame_ms) ||
                o.frame_ms < 0.0 || o.frame_ms > kMaxFrameMs)
                return usageError("--frame-ms needs a number from 0 to 1000");
        } else if (a == "--quiet") {
            o.quiet = true;
        } else if (a.starts_with("--")) {
            return usageError("unknown option " + std::string(a));
        } else if (!have_arg) {
            o.argument = a;
            have_arg = true;
        } else {
            return usageError("only one argument is taken");
        }
    }
    o.progress = !o.quiet && isatty(STDERR_FILENO);
    return rl00::runBatch(o, std::cout, std::cerr);
}
