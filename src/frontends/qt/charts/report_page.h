#pragma once
// The report's index.html: what run the statistics file holds, the charts (PNG, each a link to
// its SVG) and the tables of the file's figures, theory beside observation with the intervals and
// marks, in the very digits the file has them.

#include <string>
#include <vector>

#include "stats/stats_file.h"

namespace rl00 {

// One chart as the page shows it.
struct PageChart {
    std::string title;
    std::string file_stem;  // <stem>.png and <stem>.svg beside the page
    int width = 0;          // CSS pixels
    int height = 0;
};

// The page for the statistics file named `file_name` that holds `d`.
std::string reportPage(const std::string& file_name, const StatsDocument& d,
                       const std::vector<PageChart>& charts);

}  // namespace rl00
