#pragma once
// The machines of a headless run, played on a pool of threads: each thread takes the next machine
// not yet begun until none is left, while the calling thread passes their reports on and keeps
// the progress line.

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <vector>

#include "engine/motion_cache.h"
#include "frontends/headless/machine_run.h"
#include "frontends/headless/ordered_output.h"
#include "stats/run_stats.h"
#include "stats/shard.h"

namespace rl00 {

// What the machines of a run played, added up.
struct PoolResult {
    RunStats total;
    MotionCache::Counts motions;
    std::vector<MachineSummary> summaries;  // in machine order
    bool failed = false;  // the runner itself failed: a machine threw, or the trace was not written
    unsigned threads = 0;
    double wall_s = 0.0;
};

struct PoolPlan {
    MachineRange range;
    std::atomic<bool>* halt = nullptr;  // what setup.halt reads
    unsigned threads = 1;
    bool progress = false;  // keep a progress line on the error stream
};

// Plays the machines of `plan.range` with `setup`, writing through `output`; the machines'
// reports go to `err` as they come. A machine that ends with an error sets `*plan.halt`: the
// others stop before their next game and the machines not yet begun are not played.
PoolResult playPool(const MachineSetup& setup, const PoolPlan& plan, OrderedOutput& output,
                    std::ostream& err);

}  // namespace rl00
