#pragma once
// FORM_CENTER: centres a window on its screen. Shared by the main window and the analysis
// launcher's waiting window.

#include <QString>
#include <QWidget>

namespace rl00 {

struct Machine;

// Sets G_sAppPath to the current working directory, then places `window` at the middle of its
// screen, computed in twips in floating point. The title is not used; every caller passes "".
void FORM_CENTER(Machine& m, QWidget& window, const QString& title);

}  // namespace rl00
