// The window program: the machine in its main window, playing by itself; "分析" hands the run
// log to the analysis workbook.

#include "frontends/qt/run_analysis_launch.h"
#include "frontends/qt/window_program.h"

int main(int argc, char** argv) {
    return rl00::runWindowProgram(argc, argv, rl00::runAnalysisLaunch);
}
