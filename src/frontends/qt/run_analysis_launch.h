#pragma once
// What the main window runs when Cmd_Excel ("分析") is pressed.

#include <QWidget>

namespace rl00 {

struct Machine;

// One analysis launch: the waiting window, LibreOffice Calc through the helper program, the
// analysis workbook and its macro. Returns when the macro has ended or the launch has failed
// (the failure told in one message); the machine goes on playing either way. While it waits,
// window events are processed, but start requests are ignored, as during a game. The state
// that outlives a launch (G_oExcel) is kept with `main_window`.
void runAnalysisLaunch(Machine& m, QWidget& main_window);

}  // namespace rl00
