#include "analysis/analysis_launch.h"

#include <unistd.h>

#include <utility>

#include "analysis/analysis_texts.h"
#include "analysis/workbook_copy.h"
#include "io/paths.h"
#include "machine/machine.h"
#include "machine/msg_show.h"
#include "session/controller.h"

namespace rl00 {

namespace {

namespace text = analysis_text;

bool isBlank(const std::string& s) {
    return s.find_first_not_of(' ') == std::string::npos;
}

// A launch that the user cannot usefully continue; told in one message.
struct LaunchRefused {
    std::string message;
};

std::string withDetail(const std::string& message, const std::string& detail) {
    return detail.empty() ? message : message + "\n" + detail;
}

// A failure the launch has no words of its own for: the runtime's number and description.
std::string otherFailure(const RuntimeError& e) {
    return withDetail(text::kOtherFailure, std::to_string(e.number()) + " :" + e.description());
}

std::string failureMessage(const AutomationError& e, const std::string& workbook) {
    // Shown with "/" alone: the path joins the settings with "\", and they may hold "/" too.
    const std::string path = toNativePath(workbook);
    switch (e.failure()) {
        case AutomationFailure::NoServer:
            return withDetail(text::kNoServer, e.detail());
        case AutomationFailure::NoDocument:
            return withDetail(text::kNoWorkbook, path);
        case AutomationFailure::DocumentFailed:
            return withDetail(withDetail(text::kWorkbookFailed, path), e.detail());
        case AutomationFailure::DocumentLocked:
            return withDetail(withDetail(text::kWorkbookLocked, path), e.detail());
        case AutomationFailure::NoSheet:
            return withDetail(text::kNoSheet, path);
        case AutomationFailure::NoMacro:
            return withDetail(text::kNoMacro, path);
        case AutomationFailure::MacroFailed:
            return withDetail(text::kMacroFailed, e.detail());
        case AutomationFailure::NothingToDo:
            return withDetail(text::kNothingToAnalyse, e.detail());
        case AutomationFailure::ServerGone:
            return text::kServerGone;
        case AutomationFailure::Abandoned:
        case AutomationFailure::Other:
            break;
    }
    return otherFailure(e);
}

class LaunchingFlag {
  public:
    explicit LaunchingFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~LaunchingFlag() { flag_ = false; }
    LaunchingFlag(const LaunchingFlag&) = delete;
    LaunchingFlag& operator=(const LaunchingFlag&) = delete;

  private:
    bool& flag_;
};

// The result is what the user pressed 「分析」 for: the office's window comes to the front, once
// the waiting window is gone, instead of the simulator taking the focus back over it. A failure
// here loses nothing: the result is open all the same.
void showResult(AutoObject& book) {
    try {
        book.object("Application")->put("Visible", true);
    } catch (const AutomationError&) {
    } catch (const RuntimeError&) {
    }
}

void runSteps(Machine& m, AnalysisSession& s, LaunchPorts& p, std::string& path) {
    WaitWindow& w = p.window;

    w.show();
    w.makeTopmost();
    w.setProgress(text::kStarting);
    w.repaint();

    s.G_oExcel.reset();

    // Empty settings would only fail later with a less helpful message, after the office has
    // been started for nothing.
    if (isBlank(m.G_sExcelPath) || isBlank(m.G_sExcelBook))
        throw LaunchRefused{text::kNoWorkbookSetting};
    if (isBlank(m.G_sLogPath)) throw LaunchRefused{text::kNoLogSetting};
    path = workbookPath(m);
    path = userWorkbook(path, userDataFolder());

    s.G_oExcel = p.automation.CreateObject(text::kServerClass);
    s.G_oExcel = p.automation.GetObject(path);
    w.repaint();

    p.change_directory(m.G_sAppPath);

    w.unload();
    w.show();
    w.makeTopmost();
    w.setProgress(text::kRunningMacro);

    AutoObject& book = *s.G_oExcel;
    book.object("Application")->put("Visible", true);
    book.object("Parent")->object("Windows", {Int32{1}})->put("Visible", true);
    book.object("Application")->object("Sheets", {std::string(text::kDataSheet)})->call("Select");
    book.object("Application")
        ->object("Range", {std::string(text::kDirectoryCell)})
        ->call("Select");
    book.object("Application")->object("activecell")->put("FormulaR1C1", m.G_sLogPath);
    book.object("Application")->call("Run", {std::string(text::kMacro)});
}

}  // namespace

void changeDirectory(const std::string& path) {
    if (::chdir(toNativePath(path).c_str()) != 0) raiseError(err::kPathNotFound);
}

std::string workbookPath(const Machine& m) {
    std::string path = m.G_sExcelPath + "\\" + m.G_sExcelBook;
    if (path.starts_with("..")) path = PATH_UPPER(1, m.G_sAppPath) + path.substr(2);
    return path;
}

void launchAnalysis(Machine& m, AnalysisSession& session, LaunchPorts& ports) {
    if (session.launching) return;
    LaunchingFlag launching(session.launching);
    // While the launch waits on the spreadsheet program the window's events are processed, so
    // that it stays responsive, but no game may start: the games resume when it ends.
    StartRequestsPaused paused(m);

    std::string path;
    std::string failure;
    Int16 kind = msg::kWarning;
    try {
        runSteps(m, session, ports, path);
    } catch (const LaunchRefused& refused) {
        failure = refused.message;
    } catch (const AutomationError& e) {
        if (e.failure() != AutomationFailure::Abandoned) failure = failureMessage(e, path);
        if (e.failure() == AutomationFailure::NothingToDo) kind = msg::kMessage;
    } catch (const RuntimeError& e) {
        failure = otherFailure(e);
    }
    ports.window.unload();
    if (failure.empty() && session.G_oExcel) showResult(*session.G_oExcel);
    // The helper that spoke for the office is not needed between launches; the office itself
    // stays open for the user.
    ports.automation.disconnect();
    if (failure.empty()) return;
    std::string message = failure;
    MSG_SHOW(m, "", message, kind);
    ports.window.focusMainWindow();
}

}  // namespace rl00
