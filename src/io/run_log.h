#pragma once
// The run log: one fixed-width line per hit, appended to the file G_sLogPath/G_sLogName.
// LOG_WRITE and LOG_REC keep the machine's own names.

#include <cstddef>
#include <mutex>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>

#include "platform/vb_types.h"

namespace rl00 {

struct GameState;
struct LocalDateTime;
struct Machine;
struct Settings;

inline constexpr std::size_t kLogRecordWidth = 114;
inline constexpr const char* kLogLineEnd = "\r\n";

// Builds the 114-character record of a hit from the state as it stands after the hit game,
// stamped with `at`. Raises Overflow (6) when a per-kind reach sum leaves 32 bits.
std::string LOG_REC(const GameState& g, const LocalDateTime& at);

// Where the log writer reports its failures: one line naming the file and the reason, and
// only the first time a file fails for a given reason, so a broken log directory does not
// flood the output with one line per hit. Safe to share between machines on several threads.
class LogWarnings {
  public:
    explicit LogWarnings(std::ostream& sink) : sink_(sink) {}
    LogWarnings(const LogWarnings&) = delete;
    LogWarnings& operator=(const LogWarnings&) = delete;

    void report(const std::string& file, const std::string& reason);
    // A line that is not a failure (where the log goes instead), also told only once.
    void notice(const std::string& text);

  private:
    std::mutex mutex_;
    std::ostream& sink_;
    std::set<std::pair<std::string, std::string>> reported_;
};

// The process's warnings, on standard error.
LogWarnings& standardLogWarnings();

// Opens a run log for appending, created when missing, readable where it may be so that
// cutUnfinishedRecord can look at its end.
int openLog(const std::string& file);

// A writer killed in the middle of its record (the system may cut a write short when the process
// is killed) leaves part of a line at the end of the log: the next record would be glued to it
// and the analysis would pass the whole file over. Cuts that part off the open log `fd`, under
// the log's lock, and returns the bytes cut (0 when the log ends in a whole line, or in more than
// a line without a line end, which is no record of ours).
std::size_t cutUnfinishedRecord(int fd);
// Tells, once per file, that `bytes` were cut off the end of `file`.
void tellCutRecord(const std::string& file, std::size_t bytes, LogWarnings& warnings);

// The run log the settings name, resolved as LOG_WRITE resolves it; nothing when they name none
// that could be written (the writer then says why, once).
std::optional<std::string> runLogFile(const Settings& settings);

// Appends the record of the hit just played, with its line end, in a single write under an
// exclusive lock, so a failure never leaves part of a line behind, ours or another writer's.
// An empty log folder sends the record to the user's default log folder (said once). Returns
// false when the line was not written; play goes on either way.
Flag LOG_WRITE(Machine& m);
Flag LOG_WRITE(Machine& m, LogWarnings& warnings);

}  // namespace rl00
