// Time from a press of "分析" to the end of the workbook's macro, for run logs of 1,000, 20,000
// and 100,000 records, with the office already running (a warm office): the whole launch, from
// the waiting window to the macro's end, through the helper and a headless LibreOffice. Wall
// time: the work happens in the office's process, not in this one.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <variant>

#include "analysis/analysis_launch.h"
#include "analysis/analysis_texts.h"
#include "analysis/bridge_client.h"
#include "engine/rich_sel.h"
#include "frontends/headless/headless_display.h"
#include "io/run_log.h"
#include "machine/machine.h"

namespace rl00 {
namespace {

namespace fs = std::filesystem;

// frmMACHIMSG without a window; loading it records the current directory, as FORM_CENTER does.
class QuietWaitWindow : public WaitWindow {
  public:
    explicit QuietWaitWindow(Machine& m) : m_(m) {}
    void show() override { m_.G_sAppPath = fs::current_path().string(); }
    void makeTopmost() override {}
    void setProgress(const std::string&) override {}
    void repaint() override {}
    void unload() override {}
    void focusMainWindow() override {}

  private:
    Machine& m_;
};

// Records as the machine writes them, with its reach codes; every record is different (its
// time stamp alone tells it apart), so none of them is taken for a copy of another.
void writeRecords(const fs::path& file, int count) {
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < count; ++i) {
        GameState g;
        g.G_lRevCnt = 1 + (i * 37) % 900;
        g.G_lRichCnt = 3 + i % 5;
        const int kind = 1 + i % 10;
        g.G_lRichAtari[kind] = 1;
        g.G_lRichOshi[1 + (i + 3) % 10] = 2;
        g.G_sRichCode = std::string(richCode(static_cast<Int16>(kind)));
        g.G_bKakuhen = toFlag(i % 2 == 0);
        g.G_bKakuhenPrev = toFlag(i % 3 == 0);
        g.G_sZugaraHit = g.G_sZugaraKari = std::to_string(1 + i % 14);
        g.G_sYokoku = std::to_string(i % 3);
        g.G_iRenchan = static_cast<Int16>(1 + i % 4);
        g.G_iLottery = 7;
        const LocalDateTime at{2024, 6, 1 + i / 86400, i / 3600 % 24, i / 60 % 60, i % 60};
        out << LOG_REC(g, at) << kLogLineEnd;
    }
}

// Ends the benchmark's office and removes its folder, however the benchmark leaves.
class BenchFolder {
  public:
    BenchFolder(std::string helper, fs::path dir)
        : helper_(std::move(helper)), dir_(std::move(dir)) {}
    ~BenchFolder() {
        BridgeAutomation server(helper_, [] { return true; });
        try {
            server.CreateObject(analysis_text::kServerClass)->call("Quit");
        } catch (const AutomationError&) {
        }
        std::error_code ignored;
        fs::remove_all(dir_, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

  private:
    std::string helper_;
    fs::path dir_;
};

// The status the macro left in the workbook, read through a helper of its own.
std::string workbookStatus(const std::string& helper, const fs::path& book) {
    BridgeAutomation reader(helper, [] { return true; });
    const Variant status = reader.GetObject(book.string())
                               ->object("Sheets", {std::string(analysis_text::kDataSheet)})
                               ->object("Range", {std::string("E4")})
                               ->get("Value");
    return std::holds_alternative<std::string>(status) ? std::get<std::string>(status) : "";
}

void BM_AnalysisLaunch(benchmark::State& state) {
    const int records = static_cast<int>(state.range(0));
    // The helper the build made, unless $RL00_CALC_BRIDGE names another: this program does not
    // lie beside it, where the launcher looks.
    const std::string helper =
        std::getenv("RL00_CALC_BRIDGE") != nullptr ? defaultBridgePath() : RL00_BUILT_BRIDGE;
    if (::access(helper.c_str(), X_OK) != 0) {
        state.SkipWithError("the spreadsheet helper is not built");
        return;
    }
    // The build puts the helper in <build>/app and the workbook in <build>/analysis.
    const fs::path workbook =
        fs::path(helper).parent_path().parent_path() / "analysis" / "ATARI.ods";
    if (!fs::exists(workbook)) {
        state.SkipWithError("the analysis workbook is not built");
        return;
    }
    const fs::path dir =
        fs::temp_directory_path() / ("rl00-analysis-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir / "log");
    writeRecords(dir / "log" / "RL00LOG.TXT", records);
    fs::copy_file(workbook, dir / "ATARI.ods", fs::copy_options::overwrite_existing);
    ::setenv("RL00_OFFICE_HEADLESS", "1", 1);
    ::setenv("RL00_OFFICE_PROFILE", (dir / "office").c_str(), 1);
    // The launch works on the user's copy of the workbook, here in the bench's folder.
    ::setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
    const BenchFolder cleanup(helper, dir);

    HeadlessDisplay display;
    Machine m(display, 1);
    m.G_sExcelPath = dir.string();
    m.G_sExcelBook = "ATARI.ods";
    m.G_sLogPath = (dir / "log").string();
    QuietWaitWindow window(m);
    AnalysisSession session;
    const auto launch = [&] {
        BridgeAutomation server(helper, [&] {
            display.processEvents();
            return true;
        });
        LaunchPorts ports{window, server, changeDirectory};
        launchAnalysis(m, session, ports);
    };
    // Starts the office and opens the workbook; the launches measured find both ready, and
    // each replaces the rows of the one before, as a user's second press does.
    launch();
    if (!display.messages().empty()) {
        state.SkipWithError(display.messages().front().text.c_str());
        return;
    }
    for (auto _ : state)
        launch();
    if (!display.messages().empty()) {
        state.SkipWithError(display.messages().front().text.c_str());
        return;
    }
    // A launch that analysed less than the whole log would be measured as a fast one.
    const std::string status = workbookStatus(helper, dir / "data" / "rl00" / "ATARI.ods");
    if (!status.starts_with("OK " + std::to_string(records) + " 件")) {
        state.SkipWithError(("the macro reported: " + status).c_str());
        return;
    }
    state.counters["records"] = benchmark::Counter(static_cast<double>(records),
                                                   benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AnalysisLaunch)
    ->ArgName("records")
    ->Arg(1000)
    ->Arg(20000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
}  // namespace rl00
