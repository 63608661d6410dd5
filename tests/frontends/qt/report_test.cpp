// rl00 --report end to end: the real runner writes a statistics file, the real window program
// renders it without a display; a file that is cut, of another version or edited, and a folder
// that holds anything, are refused with one line and exit code 2, and nothing is written.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QImage>
#include <QSvgRenderer>
#include <regex>
#include <set>

#include "../headless/runner_support.h"
#include "frontends/qt/charts/run_charts.h"
#include "io/sjis.h"
#include "stats/stats_report.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;
using test::Outcome;
using test::shellQuoted;
using test::slurp;
using test::TempDir;

const char* const kStems[] = {"reliability", "mode_reliability", "droughts", "chains", "modes"};

class ReportProgram : public ::testing::Test {
  protected:
    // The runner's statistics file of a short seeded run with `argument`.
    std::string statsFile(const std::string& name, const std::string& argument) {
        std::vector<std::string> args = {"--games", "30000",     "--seed",  "11",       "--quiet",
                                         "--ini",   "/dev/null", "--stats", dir_ / name};
        if (!argument.empty()) args.push_back(argument);
        const Outcome run = test::runRunner(dir_, args);
        EXPECT_EQ(run.exit_code, 0) << run.err;
        return dir_ / name;
    }

    // The real window program with `args`, its settings, runtime folder and output elsewhere.
    Outcome report(const std::vector<std::string>& args) {
        fs::create_directories(io_.path() / "runtime");
        fs::permissions(io_.path() / "runtime", fs::perms::owner_all);
        std::string cmd = "env -u DISPLAY XDG_RUNTIME_DIR=" + shellQuoted(io_ / "runtime") +
                          " XDG_CONFIG_HOME=" + shellQuoted(io_ / "config") + " " +
                          shellQuoted(std::string(RL00_BUILD_DIR) + "/app/rl00");
        for (const std::string& a : args)
            cmd += " " + shellQuoted(a);
        cmd += " >" + shellQuoted(io_ / "out") + " 2>" + shellQuoted(io_ / "err");
        const int raw = std::system(cmd.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, slurp(io_ / "out"), slurp(io_ / "err")};
    }

    std::set<std::string> entries(const fs::path& folder) {
        std::set<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.insert(e.path().filename().string());
        return names;
    }

    TempDir dir_{"rl00_report"};
    TempDir io_{"rl00_report_io"};
};

// The cells of every row of the page's tables: a figure's exact value where it has one on hover,
// else its text without the thousands' commas.
std::vector<std::vector<std::string>> tableRows(const std::string& page) {
    std::vector<std::vector<std::string>> rows;
    const std::regex row("<tr>(.*?)</tr>"), cell("<t[dh]([^>]*)>(.*?)</t[dh]>"),
        exact("title=\"([^\"]*)\"");
    for (auto r = std::sregex_iterator(page.begin(), page.end(), row); r != std::sregex_iterator();
         ++r) {
        const std::string text = (*r)[1];
        std::vector<std::string> cells;
        for (auto c = std::sregex_iterator(text.begin(), text.end(), cell);
             c != std::sregex_iterator(); ++c) {
            const std::string attributes = (*c)[1];
            std::smatch title;
            std::string shown = (*c)[2];
            std::erase(shown, ',');
            cells.push_back(std::regex_search(attributes, title, exact) ? title[1].str() : shown);
        }
        rows.push_back(cells);
    }
    return rows;
}

// Whether `row` holds `wanted` as cells in this order (others may stand between them).
bool holdsInOrder(const std::vector<std::string>& row, const std::vector<std::string>& wanted) {
    auto at = row.begin();
    for (const std::string& w : wanted) {
        at = std::find(at, row.end(), w);
        if (at == row.end()) return false;
        ++at;
    }
    return true;
}

// Each figure line of the statistics file (one object per line): its numbers, as the file writes
// them, in the order of the file, and its mark ("!" outside, "~" not judged).
struct FigureLine {
    std::string text;
    std::vector<std::string> numbers;
    std::string mark;
};

std::vector<FigureLine> figureLines(const std::string& stats) {
    const std::size_t from = stats.find("\"figures\"");
    const std::size_t to = stats.find("\"hits_per_machine\"");
    std::vector<FigureLine> lines;
    const std::regex number(
        "\"(count|of|hit_share|hit_rate|observed|ci_low|ci_high|theory)\": (-?[0-9.]+)");
    for (const std::string& l : test::linesOf(stats.substr(from, to - from))) {
        if (l.find("\"ci_low\"") == std::string::npos) continue;
        FigureLine f{l, {}, ""};
        for (auto m = std::sregex_iterator(l.begin(), l.end(), number); m != std::sregex_iterator();
             ++m)
            f.numbers.push_back((*m)[2]);
        if (l.find("\"outside\": true") != std::string::npos) f.mark = "!";
        if (l.find("\"outside\": null") != std::string::npos) f.mark = "~";
        lines.push_back(f);
    }
    return lines;
}

TEST_F(ReportProgram, ChartsAndTablesOfARealRunWithTheFilesNumbers) {
    for (const std::string argument : {"", "7"}) {
        SCOPED_TRACE("argument " + argument);
        // A file's name need be neither UTF-8 nor free of markup; the page is both.
        const std::string stats = statsFile("s" + argument + " <\xFF>.json", argument);
        const fs::path out = dir_.path() / ("report" + argument);
        const Outcome r = report({"--report", stats, out.string()});
        ASSERT_EQ(r.exit_code, 0) << r.err;
        EXPECT_EQ(r.err, "");
        EXPECT_EQ(r.out, (out / "index.html").string() + "\n");

        std::set<std::string> expected = {"index.html"};
        for (const char* stem : kStems)
            expected.insert({std::string(stem) + ".png", std::string(stem) + ".svg"});
        EXPECT_EQ(entries(out), expected);

        const std::string page = slurp(out / "index.html");
        EXPECT_TRUE(isUtf8(page));
        EXPECT_NE(page.find("s" + argument + " &lt;\xEF\xBF\xBD&gt;.json"), std::string::npos);
        for (const ChartKind kind : kChartKinds) {
            const char* stem = chartFileStem(kind);
            const QImage png(QString::fromStdString((out / (std::string(stem) + ".png")).string()));
            // Twice the pixels of the chart on the page, sharp on a fine screen.
            EXPECT_EQ(png.size(), chartSize(kind) * 2) << stem;
            const std::string svg_file = (out / (std::string(stem) + ".svg")).string();
            EXPECT_TRUE(QSvgRenderer(QString::fromStdString(svg_file)).isValid()) << stem;
            // The page shows the picture, links the drawing and names the chart as it does, once.
            std::smatch title;
            const std::string svg = slurp(svg_file);
            ASSERT_TRUE(std::regex_search(svg, title, std::regex("<title>(.+?)</title>"))) << stem;
            EXPECT_NE(page.find("src=\"" + std::string(stem) + ".png\""), std::string::npos);
            EXPECT_NE(page.find("href=\"" + std::string(stem) + ".svg\""), std::string::npos);
            EXPECT_NE(page.find("alt=\"" + title[1].str() + "\""), std::string::npos) << stem;
            EXPECT_EQ(page.find("<figcaption>" + title[1].str()), std::string::npos) << stem;
        }

        // Every figure of the file has its row, with the file's own digits and mark.
        const auto rows = tableRows(page);
        const auto figures = figureLines(slurp(stats));
        const Report rows_of_a_report = compare(RunStats{}, nullptr);
        EXPECT_EQ(figures.size(), rows_of_a_report.reach_kinds.size() +
                                      rows_of_a_report.modes.size() +
                                      rows_of_a_report.others.size());
        for (const FigureLine& f : figures) {
            std::vector<std::string> wanted = f.numbers;
            if (!f.mark.empty()) wanted.push_back(f.mark);
            EXPECT_TRUE(std::any_of(rows.begin(), rows.end(), [&](const auto& row) {
                return holdsInOrder(row, wanted);
            })) << f.text;
        }
    }
}

TEST_F(ReportProgram, RefusesBadFilesAndFoldersAndWritesNothing) {
    const std::string good = slurp(statsFile("good.json", ""));
    auto write = [&](const std::string& name, const std::string& text) {
        std::ofstream(dir_ / name, std::ios::binary) << text;
        return dir_ / name;
    };
    std::string edited = good;
    const std::size_t games = edited.find("\"games\": 30000");
    ASSERT_NE(games, std::string::npos);
    edited.replace(games, 14, "\"games\": 30001");
    std::string other_version = good;
    other_version.replace(other_version.find("\"format_version\": 3"), 19, "\"format_version\": 2");
    ASSERT_EQ(::mkfifo((dir_ / "fifo.json").c_str(), 0600), 0);  // read, it would never end
    const std::string bad[] = {write("cut.json", good.substr(0, good.size() / 2)),
                               write("other.json", other_version), write("edited.json", edited),
                               dir_ / "fifo.json"};

    fs::create_directories(dir_.path() / "empty");
    fs::create_directories(dir_.path() / "full");
    std::ofstream(dir_ / "full/notes.txt") << "mine";
    const std::set<std::string> before = entries(dir_.path());
    for (const std::string& file : bad) {
        for (const char* folder : {"new", "empty"}) {
            const Outcome r = report({"--report", file, dir_ / folder});
            EXPECT_EQ(r.exit_code, 2) << file;
            EXPECT_TRUE(r.err.starts_with("rl00: " + file + " ")) << r.err;
            EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        }
    }
    const Outcome full = report({"--report", dir_ / "good.json", dir_ / "full"});
    EXPECT_EQ(full.exit_code, 2);
    EXPECT_EQ(full.err, "rl00: " + (dir_ / "full") +
                            " is not an empty folder: the report goes into a new or empty one\n");
    const Outcome no_folder = report({"--report", dir_ / "good.json"});
    EXPECT_EQ(no_folder.exit_code, 2);
    EXPECT_EQ(no_folder.err,
              "rl00: --report is missing the folder DIR after its statistics file\n"
              "See \"rl00 --help\" for the options.\n");

    // Nothing new beside the inputs (no temporary folder left), nothing in the folders.
    EXPECT_EQ(entries(dir_.path()), before);
    EXPECT_TRUE(fs::is_empty(dir_.path() / "empty"));
    EXPECT_EQ(entries(dir_.path() / "full"), std::set<std::string>{"notes.txt"});
}

}  // namespace
}  // namespace rl00
