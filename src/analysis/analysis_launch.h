#pragma once
// The analysis launch behind the main window's button Cmd_Excel ("分析"): it starts the
// spreadsheet program through automation, opens the analysis workbook, writes the log
// directory into its sheet "データ" and runs its macro, while the waiting window frmMACHIMSG
// tells the user what is happening. A failure is told to the user in one message and the
// machine goes on playing; it never ends the program.

#include <functional>
#include <string>

#include "analysis/automation.h"

namespace rl00 {

struct Machine;

// frmMACHIMSG as the launch drives it.
class WaitWindow {
  public:
    virtual ~WaitWindow() = default;
    // Load and show it (not modal). Loading centres it with FORM_CENTER, which sets
    // G_sAppPath to the current directory, clears lbl_MSG, sets the hourglass pointer and
    // repaints it.
    virtual void show() = 0;
    // Keeps it above all other windows.
    virtual void makeTopmost() = 0;
    // The progress text lblMSGUP.
    virtual void setProgress(const std::string& text) = 0;
    virtual void repaint() = 0;
    // Unloads it; the mouse pointer returns to the default. Harmless when it is not shown.
    virtual void unload() = 0;
    // Gives the keyboard focus back to the main window.
    virtual void focusMainWindow() = 0;
};

// What a launch keeps between launches.
struct AnalysisSession {
    // The last automation object of a launch: the application, then the workbook.
    ObjectRef G_oExcel;
    // A launch is running; a second press of the button meanwhile is ignored.
    bool launching = false;
};

// What a launch works with besides the machine.
struct LaunchPorts {
    WaitWindow& window;
    Automation& automation;
    // Changes the current working directory; raises a runtime error when it cannot.
    std::function<void(const std::string&)> change_directory;
};

// Changes the process's current directory; raises "Path not found" (76) when it cannot.
void changeDirectory(const std::string& path);

// The workbook's path: G_sExcelPath, "\" and G_sExcelBook, with a leading ".." replaced by the
// parent of G_sAppPath.
std::string workbookPath(const Machine& m);

// One press of Cmd_Excel.
void launchAnalysis(Machine& m, AnalysisSession& session, LaunchPorts& ports);

}  // namespace rl00
