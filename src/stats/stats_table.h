#pragma once
// The statistics of a run as a readable table for a terminal.

#include <string>

#include "stats/stats_file.h"

namespace rl00 {

// The run's counts, the panel, reaches and modes with their theory, every other figure the theory
// has, and with several machines how hits and droughts spread over them.
std::string statsTable(const StatsDocument& d);

}  // namespace rl00
