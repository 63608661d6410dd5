#include "io/run_log.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string_view>
#include <system_error>

#include "io/ini_read.h"
#include "io/paths.h"
#include "io/user_dirs.h"
#include "machine/machine.h"
#include "platform/checked.h"
#include "platform/display.h"
#include "platform/os_error.h"
#include "platform/runtime_error.h"

namespace rl00 {

namespace {

// Left-aligned, blank-padded, and cut to the width keeping the first characters.
void putField(std::string& rec, std::string_view text, std::size_t width) {
    const std::string_view kept = text.substr(0, width);
    rec.append(kept);
    rec.append(width - kept.size(), ' ');
}

void putNumber(std::string& rec, std::int64_t value, std::size_t width) {
    putField(rec, std::to_string(value), width);
}

// A flag is logged negated: true (-1) as "1", false (0) as "0".
void putFlag(std::string& rec, Flag value, std::size_t width) {
    putNumber(rec, -static_cast<std::int64_t>(value), width);
}

std::string dateText(const LocalDateTime& at) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d%02d%02d ", at.year, at.month, at.day);
    return text;
}

std::string timeText(const LocalDateTime& at) {
    char text[64];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d ", at.hour, at.minute, at.second);
    return text;
}

bool isBlank(const std::string& s) {
    return s.find_first_not_of(" \t") == std::string::npos;
}

bool holdsControlCharacter(const std::string& s) {
    return std::any_of(s.begin(), s.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

// The file the record goes to, or nothing (told once) when the settings name none that may be
// written: no file name; a folder or name holding a control character (an unterminated quote
// in RL00.INI runs the value over line ends); a path longer than the system takes. An empty
// folder means "not set" and the record goes to the user's default log folder.
std::optional<std::string> logFile(const Machine& m, LogWarnings& warnings) {
    if (isBlank(m.G_sLogName)) {
        warnings.notice("no run log is written: " + std::string(kIniFileName) +
                        " sets no file name under [ログ書き込み先ファイル名]");
        return std::nullopt;
    }
    std::string folder = m.G_sLogPath;
    if (isBlank(folder)) {
        folder = defaultLogFolder();
        if (folder.empty()) {
            warnings.report(m.G_sLogName, "no log folder is set and $HOME is not usable");
            return std::nullopt;
        }
        warnings.notice("no log folder is set in " + std::string(kIniFileName) +
                        "; the run log goes to " + folder);
    }
    const std::string file = joinPath(folder, m.G_sLogName);
    if (holdsControlCharacter(folder) || holdsControlCharacter(m.G_sLogName)) {
        warnings.report(file, "the log folder or file name holds a control character");
        return std::nullopt;
    }
    if (file.size() >= PATH_MAX) {
        warnings.report(file.substr(0, 60) + "...", "the path is " + std::to_string(file.size()) +
                                                        " bytes long; the system takes at most " +
                                                        std::to_string(PATH_MAX - 1));
        return std::nullopt;
    }
    return file;
}

// Writes the whole line or nothing; returns "" on success, else the reason of the failure.
// Another program may append to the same log: the lock keeps its record out of the way while a
// short write of ours is cut back, which would otherwise cut into its record.
std::string appendLine(int fd, const std::string& file, const std::string& line,
                       LogWarnings& warnings) {
    while (::flock(fd, LOCK_EX) != 0 && errno == EINTR) {
    }
    struct Unlock {
        int fd;
        ~Unlock() { static_cast<void>(::flock(fd, LOCK_UN)); }
    } unlock{fd};
    tellCutRecord(file, cutUnfinishedRecord(fd), warnings);
    ssize_t written;
    do {
        written = ::write(fd, line.data(), line.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) return reasonOf(errno);
    if (static_cast<std::size_t>(written) == line.size()) return "";

    // A short write (disk full, file size limit) left part of the line: take it back so the
    // reader of the log never meets half a record.
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end >= written) static_cast<void>(::ftruncate(fd, end - written));
    return "only " + std::to_string(written) + " of " + std::to_string(line.size()) +
           " bytes could be written";
}

}  // namespace

int openLog(const std::string& file) {
    const int fd = ::open(file.c_str(), O_RDWR | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    // A log the user may write but not read is still written, without the look at its end.
    if (fd < 0 && errno == EACCES)
        return ::open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    return fd;
}

std::size_t cutUnfinishedRecord(int fd) {
    constexpr std::size_t kLine = kLogRecordWidth + 2;
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end <= 0) return 0;
    char tail[kLine];
    const auto size = static_cast<std::size_t>(std::min<off_t>(end, off_t{kLine}));
    if (::pread(fd, tail, size, end - static_cast<off_t>(size)) != static_cast<ssize_t>(size))
        return 0;
    const std::string_view last(tail, size);
    if (last.back() == '\n') return 0;
    const auto line_end = last.rfind('\n');
    // A whole line's worth without a line end is no record cut short: not ours to cut.
    if (line_end == std::string_view::npos && static_cast<std::size_t>(end) >= kLine) return 0;
    const off_t keep =
        line_end == std::string_view::npos ? 0 : end - static_cast<off_t>(size - line_end - 1);
    if (::ftruncate(fd, keep) != 0) return 0;
    return static_cast<std::size_t>(end - keep);
}

void tellCutRecord(const std::string& file, std::size_t bytes, LogWarnings& warnings) {
    if (bytes == 0) return;
    warnings.notice("cut off an unfinished record (" + std::to_string(bytes) +
                    " bytes) at the end of " + file +
                    ", left by a writer that was stopped in the middle of it");
}

std::string LOG_REC(const GameState& g, const LocalDateTime& at) {
    std::string rec;
    rec.reserve(kLogRecordWidth);
    putNumber(rec, g.G_lRevCnt, 5);
    putNumber(rec, g.G_lRichCnt, 5);
    putNumber(rec, g.G_lOshiCnt, 4);
    putNumber(rec, g.G_lDohaCnt, 4);
    putField(rec, g.G_sZugaraKari, 2);
    putField(rec, g.G_sZugaraHit, 2);
    putFlag(rec, g.G_bKakuhen, 2);
    putFlag(rec, g.G_bSaiChusen, 2);
    putField(rec, g.G_sRichCode, 7);
    for (int kind = 1; kind <= kReachKinds; ++kind) {
        Int32 reaches = 0;
        checkedAdd(reaches, g.G_lRichOshi[kind]);
        checkedAdd(reaches, g.G_lRichDoha[kind]);
        checkedAdd(reaches, g.G_lRichAtari[kind]);
        putNumber(rec, reaches, 4);
    }
    putField(rec, g.G_sYokoku, 5);
    putNumber(rec, g.G_lYokoku1N, 4);
    putNumber(rec, g.G_lYokoku2N, 4);
    putFlag(rec, g.G_bKakuhenPrev, 2);
    putNumber(rec, g.G_iRenchan, 4);
    putNumber(rec, g.G_iLottery, 4);
    putField(rec, dateText(at), 9);
    putField(rec, timeText(at), 9);
    return rec;
}

namespace {

// A path as it can be shown on a terminal: control characters written as \xNN.
std::string printable(const std::string& text) {
    std::string shown;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", u);
            shown += hex;
        } else {
            shown += c;
        }
    }
    return shown;
}

}  // namespace

void LogWarnings::report(const std::string& file, const std::string& reason) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!reported_.emplace(file, reason).second) return;
    sink_ << program_invocation_short_name << ": run log not written to " << printable(file) << ": "
          << reason << std::endl;
}

void LogWarnings::notice(const std::string& text) {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!reported_.emplace(text, "").second) return;
    sink_ << program_invocation_short_name << ": " << printable(text) << std::endl;
}

LogWarnings& standardLogWarnings() {
    static LogWarnings warnings(std::cerr);
    return warnings;
}

std::optional<std::string> runLogFile(const Settings& s) {
    if (isBlank(s.G_sLogName)) return std::nullopt;
    const std::string folder = isBlank(s.G_sLogPath) ? defaultLogFolder() : s.G_sLogPath;
    if (folder.empty() || holdsControlCharacter(folder) || holdsControlCharacter(s.G_sLogName))
        return std::nullopt;
    std::string file = joinPath(folder, s.G_sLogName);
    if (file.size() >= PATH_MAX) return std::nullopt;
    return file;
}

Flag LOG_WRITE(Machine& m) {
    return LOG_WRITE(m, standardLogWarnings());
}

Flag LOG_WRITE(Machine& m, LogWarnings& warnings) {
    const std::optional<std::string> target = logFile(m, warnings);
    if (!target) return kFalse;
    const std::string& file = *target;
    ENSURE_DIR(file);

    // The record is complete before the file is touched, so a failing sum neither creates the
    // file nor leaves it open.
    std::string line;
    try {
        line = LOG_REC(m, m.display.now()) + kLogLineEnd;
    } catch (const RuntimeError& e) {
        warnings.report(file, e.description());
        return kFalse;
    }

    const int fd = openLog(file);
    if (fd < 0) {
        warnings.report(file, reasonOf(errno));
        return kFalse;
    }
    std::string failure = appendLine(fd, file, line, warnings);
    if (::close(fd) != 0 && failure.empty()) failure = reasonOf(errno);
    if (!failure.empty()) {
        warnings.report(file, failure);
        return kFalse;
    }
    return kTrue;
}

}  // namespace rl00
