#pragma once
// rl00-headless merge: the statistics files of the shards of one run, played apart (on the
// computers of a cluster), put together into the statistics of the whole run, byte for byte the
// file one run of all its machines writes.

#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "session/options.h"

namespace rl00 {

struct MergeOptions {
    std::vector<std::string> files;
    std::string stats_file;
    bool quiet = false;
};

// The table of the merge, the runner's subcommand "merge".
CommandLine mergeCommandLine(MergeOptions& o);

// `reading` of the merge's table, with the fault of a merge of no file.
Reading checkMergeReading(Reading reading, const MergeOptions& o);

// Checks that the files are the complete shards of one run, each exactly once, and writes the
// merged statistics. Returns 0; 2 with one line on `err` for files that cannot be merged (nothing
// is written); 1 when the merged file could not be written.
int mergeFiles(const MergeOptions& o, std::ostream& out, std::ostream& err);

// Reads `args` (the words after "merge") with the merge's table alone, then merges; a usage
// fault is one line and exit code 2.
int runMerge(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace rl00
