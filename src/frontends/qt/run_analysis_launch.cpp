#include "frontends/qt/run_analysis_launch.h"

#include <QObject>

#include "analysis/bridge_client.h"
#include "frontends/qt/frm_machimsg.h"
#include "machine/machine.h"

namespace rl00 {

namespace {

// What outlives a launch, owned by the main window so that there is no global.
class AnalysisState : public QObject {
    Q_OBJECT

  public:
    explicit AnalysisState(QObject* parent) : QObject(parent) {}
    AnalysisSession session;
};

}  // namespace

void runAnalysisLaunch(Machine& m, QWidget& main_window) {
    auto* state = main_window.findChild<AnalysisState*>(QString(), Qt::FindDirectChildrenOnly);
    if (state == nullptr) state = new AnalysisState(&main_window);
    if (state->session.launching) return;

    FrmMachimsg window(m, main_window);
    BridgeAutomation server(defaultBridgePath(), [&m] {
        m.display.processEvents();
        return m.G_bEnd != kTrue;
    });
    LaunchPorts ports{window, server, changeDirectory};
    launchAnalysis(m, state->session, ports);
}

}  // namespace rl00

#include "run_analysis_launch.moc"
