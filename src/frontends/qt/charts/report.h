#pragma once
// rl00 --report STATS DIR: the charts of a statistics file of rl00-headless as PNG and SVG files
// and one index.html with the tables, written into a new or empty folder. Nothing is written
// unless everything is: the file is read and checked and every file rendered first, then they are
// written into a temporary folder beside DIR that is renamed to DIR at the end.

#include <iosfwd>
#include <string>

namespace rl00 {

// The report's page, beside the files of its charts.
inline constexpr const char* kReportPage = "index.html";

// Writes the report of `stats_file` into `dir`. Returns 0 (the page's path on `out`); 2 with one
// line on `err` when the file cannot be read or is not a whole statistics file of this version
// that agrees with itself, or when `dir` is something other than a missing or empty folder; 1
// when writing failed (nothing is left behind). Needs a QApplication.
int writeReport(const std::string& stats_file, const std::string& dir, std::ostream& out,
                std::ostream& err);

}  // namespace rl00
