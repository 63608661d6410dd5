#pragma once
// The automation server of class "Excel.application" as the program reaches it: through the
// helper rl00-calc-bridge, which drives LibreOffice Calc. The helper is started on first use
// and spoken to in JSON lines over a socket; the program itself links no office library and
// starts without an office installed.

#include <functional>
#include <memory>
#include <string>

#include "analysis/automation.h"

namespace rl00 {

class BridgeChannel;

class BridgeAutomation : public Automation {
  public:
    // `helper` is the helper program. `keep_waiting` is called again and again while an
    // answer is awaited (every few milliseconds); when it returns false the wait is given up,
    // the helper is stopped and the call fails as Abandoned.
    BridgeAutomation(std::string helper, std::function<bool()> keep_waiting);
    ~BridgeAutomation() override;
    BridgeAutomation(const BridgeAutomation&) = delete;
    BridgeAutomation& operator=(const BridgeAutomation&) = delete;

    ObjectRef CreateObject(const std::string& class_name) override;
    // `path` may use "\" or "/"; a relative path is taken from the current directory.
    ObjectRef GetObject(const std::string& path) override;
    void disconnect() override;

  private:
    BridgeChannel& channel();

    std::string helper_;
    std::function<bool()> keep_waiting_;
    std::shared_ptr<BridgeChannel> channel_;
};

// The helper's path: $RL00_CALC_BRIDGE when set, else the rl00-calc-bridge that came with the
// running program (beside it in the build tree, in the prefix's helper folder when installed).
std::string defaultBridgePath();

}  // namespace rl00
