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

CommandLine mergeCommandLine(MergeOptions& o);

// Reads `args` (after "merge"), checks that the files are the complete shards of one run,
// each exactly once, and writes the merged statistics. Returns 0; 2 with one line on `err` for a
// usage fault or files that cannot be merged (nothing is written); 1 when the merged file could
// not be written.
int runMerge(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace rl00
