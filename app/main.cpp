// The window program: the machine in its main window, playing by itself.

#include "shell/qt/window_program.h"

int main(int argc, char** argv) {
    // The analysis launcher is not wired in yet; Cmd_Excel does nothing until it is.
    return rl00::runWindowProgram(argc, argv, {});
}
