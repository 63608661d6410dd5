#pragma once
// rl00-headless: its command line, then the batch run it asks for.

#include <iosfwd>

#include "frontends/headless/batch.h"
#include "frontends/headless/merge.h"
#include "session/options.h"

namespace rl00 {

// The runner's command line, reading the batch's options into `o` and the shared ones into
// `shared`, and its subcommand "merge" into `merge`.
CommandLine headlessCommandLine(BatchOptions& o, SharedOptions& shared, MergeOptions& merge);

// Reads the command line and plays the games; returns the exit code (0 run, 1 the machine ended
// itself with an error, 2 a usage or file fault). --help and usage faults answer on `out`/`err`.
int runHeadlessProgram(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace rl00
