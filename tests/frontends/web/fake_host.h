#pragma once
// A browser for the page's tests: a clock that moves a little at every look and by the time asked
// at every turn, input queued by the test, and a record of what the program showed and told.

#include <algorithm>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "frontends/web/page_host.h"

namespace rl00::test {

struct FakeHost final : PageHost {
    double t = 0.0;
    std::vector<double> turns;  // when the browser had a turn
    std::deque<std::string> input;
    int frames_shown = 0;
    std::vector<std::string> labels_shown;
    std::vector<std::pair<std::string, std::string>> told;

    double nowMs() override { return t += 0.01; }
    void yieldToPage(double ms) override {
        t += std::max(ms, 0.05);
        turns.push_back(t);
    }
    void waitForInput(double ms) override {
        if (input.empty()) t += ms;
        turns.push_back(t);
    }
    std::string takeInput() override {
        if (input.empty()) return {};
        std::string s = input.front();
        input.pop_front();
        return s;
    }
    void showFrame(const PageFrame& frame) override {
        ++frames_shown;
        labels_shown.push_back(frame.labels_json);
    }
    Int32 messageBox(const std::string&, const std::string&, Int32) override { return 1; }
    LocalDateTime localTime() override { return {}; }
    void beep() override {}
    void tell(std::string_view kind, std::string_view text) override {
        told.emplace_back(kind, text);
    }
};

}  // namespace rl00::test
