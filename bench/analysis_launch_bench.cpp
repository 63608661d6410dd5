// Time from a press of "分析" to the end of the workbook's macro, for a run log of 1,000
// records, with the office already running (a warm office): the whole launch, from the
// waiting window to the macro's end, through the helper and a headless LibreOffice.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "analysis/analysis_launch.h"
#include "analysis/analysis_texts.h"
#include "analysis/bridge_client.h"
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

void writeRecords(const fs::path& file, int count) {
    std::ofstream out(file, std::ios::binary);
    for (int i = 0; i < count; ++i) {
        GameState g;
        g.G_lRevCnt = 1 + (i * 37) % 900;
        g.G_lRichCnt = 3 + i % 5;
        const int kind = 1 + i % 10;
        g.G_lRichAtari[kind] = 1;
        g.G_lRichOshi[1 + (i + 3) % 10] = 2;
        g.G_sRichCode = "0" + std::to_string(kind) + ":Nm ";
        g.G_bKakuhen = toFlag(i % 2 == 0);
        g.G_bKakuhenPrev = toFlag(i % 3 == 0);
        g.G_sZugaraHit = g.G_sZugaraKari = std::to_string(1 + i % 14);
        g.G_sYokoku = std::to_string(i % 3);
        g.G_iRenchan = static_cast<Int16>(1 + i % 4);
        g.G_iLottery = 7;
        out << LOG_REC(g, LocalDateTime{2024, 6, 7, 12, 0, i % 60}) << kLogLineEnd;
    }
}

void BM_AnalysisLaunch1000Records(benchmark::State& state) {
    const std::string helper = defaultBridgePath();
    if (::access(helper.c_str(), X_OK) != 0) {
        state.SkipWithError("the spreadsheet helper is not built");
        return;
    }
    const fs::path dir =
        fs::temp_directory_path() / ("rl00-analysis-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir / "log");
    writeRecords(dir / "log" / "RL00LOG.TXT", 1000);
    // The build puts the helper in <build>/app and the workbook in <build>/analysis.
    const fs::path workbook =
        fs::path(helper).parent_path().parent_path() / "analysis" / "ATARI.ods";
    if (!fs::exists(workbook)) {
        state.SkipWithError("the analysis workbook is not built");
        return;
    }
    fs::copy_file(workbook, dir / "ATARI.ods", fs::copy_options::overwrite_existing);
    ::setenv("RL00_OFFICE_HEADLESS", "1", 1);
    ::setenv("RL00_OFFICE_PROFILE", (dir / "office").c_str(), 1);

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
    launch();  // starts the office and opens the workbook: the warm-up
    if (!display.messages().empty()) {
        state.SkipWithError(display.messages().front().text.c_str());
        return;
    }
    for (auto _ : state)
        launch();
    if (display.messages().size() > 0) state.SkipWithError(display.messages().front().text.c_str());

    BridgeAutomation server(helper, [] { return true; });
    try {
        server.CreateObject(analysis_text::kServerClass)->call("Quit");
    } catch (const AutomationError&) {
    }
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}
BENCHMARK(BM_AnalysisLaunch1000Records)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(5);

}  // namespace
}  // namespace rl00
