#pragma once
// The trace lines and run-log records of the machines of a run, laid into the run's trace and run
// log in machine order whatever order the machines finish in. The first machine that has not
// finished writes straight into them; every later one writes into spool files of its own, which
// are appended (and removed) as soon as every machine before it is in place. A run of one machine
// thus writes exactly as the runner always has, and the spools on disk stay few.
//
// A run that is killed leaves the trace and the log holding the lines of the machines before the
// first unfinished one, and the spools of the others beside them. The trace's spools are removed
// by the next run that writes the same trace; the log's, "<log>.machine-K.PID.part" in the log
// folder, are kept for the user (they hold records the log lacks) and begin with a line that is
// no record, so the analysis passes them over.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "io/output_file.h"
#include "stats/shard.h"

namespace rl00 {

class LogWarnings;
struct Settings;

class OrderedOutput {
  public:
    // `trace` (not owned, may be null) is the run's trace, `log` the run log's file, if any.
    OrderedOutput(MachineRange machines, OutputFile* trace, std::optional<std::string> log,
                  LogWarnings& warnings);
    ~OrderedOutput();
    OrderedOutput(const OrderedOutput&) = delete;
    OrderedOutput& operator=(const OrderedOutput&) = delete;

    // Where one machine writes.
    struct Sinks {
        std::uint64_t machine = 0;
        bool straight = true;         // writes into the run's trace and log themselves
        OutputFile* trace = nullptr;  // the run's trace or the spool; null without a trace
        std::string log_name_suffix;  // appended to G_sLogName, empty to write straight
        std::unique_ptr<OutputFile> trace_spool;
        std::string log_spool;  // the file the suffix names, empty when there is none
    };
    // Called from the thread that plays `machine`, before its first game.
    Sinks begin(std::uint64_t machine);
    // Called once the machine has played its last game; puts its lines in place when their turn
    // has come, and those of any later machine whose turn comes with it.
    void end(Sinks sinks);

    // The first failure of the trace or a spool of it, or empty.
    std::string traceError() const;

  private:
    void appendInOrder(std::unique_lock<std::mutex>& lock);
    void appendSpools(Sinks& s);
    void appendLogSpool(const std::string& spool, std::uint64_t machine);

    MachineRange machines_;
    OutputFile* trace_;
    std::optional<std::string> log_;
    LogWarnings& warnings_;
    std::string trace_spool_base_;
    mutable std::mutex mutex_;
    std::uint64_t next_;                       // the first machine whose lines are not yet in place
    bool appending_ = false;                   // a thread is appending spools, outside the lock
    std::map<std::uint64_t, Sinks> finished_;  // finished, their spools not yet in place
    std::string spool_error_;
};

// The line a log spool begins with: no 114-character record, so the analysis skips the file.
std::string logSpoolHeader(std::uint64_t machine, const std::string& log);

}  // namespace rl00
