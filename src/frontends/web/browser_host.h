#pragma once
// The PageHost of the browser: each call goes to the page's script (page.js); the ones that give
// the browser a turn suspend the machine's code until the page resumes it (Asyncify).

#include "frontends/web/page_host.h"

namespace rl00 {

class BrowserHost final : public PageHost {
  public:
    double nowMs() override;
    void yieldToPage(double ms) override;
    void waitForInput(double ms) override;
    std::string takeInput() override;
    void showFrame(const PageFrame& frame) override;
    Int32 messageBox(const std::string& text, const std::string& title, Int32 style) override;
    LocalDateTime localTime() override;
    void beep() override;
    void tell(std::string_view kind, std::string_view text) override;
};

// The query part of the page's address ("?seed=7&arg=1"), as the browser has it.
std::string pageQuery();

}  // namespace rl00
