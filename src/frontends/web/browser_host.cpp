#include "frontends/web/browser_host.h"

#include <emscripten.h>

#include <cstdlib>

// The page's side of these calls is the object rl00Page of page.js. The calls that give the
// browser a turn return a promise: Asyncify suspends the machine's code until it is settled.

// clang-format off
EM_JS(double, rl00NowMs, (), { return performance.now(); });
EM_ASYNC_JS(void, rl00Yield, (double ms), { await rl00Page.yieldTurn(ms); });
EM_ASYNC_JS(void, rl00WaitForInput, (double ms), { await rl00Page.waitForInput(ms); });
EM_JS(char*, rl00TakeInput, (), {
    const text = rl00Page.takeInput();
    if (text.length === 0) return 0;
    const size = lengthBytesUTF8(text) + 1;
    const p = _malloc(size);
    stringToUTF8(text, p, size);
    return p;
});
EM_JS(void, rl00ShowFrame, (const std::uint8_t* rgba, int width, int height, const char* labels), {
    rl00Page.showFrame(rgba ? HEAPU8.subarray(rgba, rgba + width * height * 4) : null, width,
                       height, UTF8ToString(labels));
});
EM_ASYNC_JS(int, rl00MessageBox, (const char* text, const char* title, int style), {
    return await rl00Page.messageBox(UTF8ToString(text), UTF8ToString(title), style);
});
EM_JS(void, rl00LocalTime, (int* out), {
    const d = new Date();
    const parts = [d.getFullYear(), d.getMonth() + 1, d.getDate(), d.getHours(), d.getMinutes(),
                   d.getSeconds()];
    for (let i = 0; i < parts.length; ++i) HEAP32[(out >> 2) + i] = parts[i];
});
EM_JS(void, rl00Beep, (), { rl00Page.beep(); });
EM_JS(void, rl00Tell, (const char* kind, const char* text, int size), {
    rl00Page.tell(UTF8ToString(kind), UTF8ToString(text, size));
});
EM_JS(char*, rl00Query, (), {
    const text = location.search;
    const size = lengthBytesUTF8(text) + 1;
    const p = _malloc(size);
    stringToUTF8(text, p, size);
    return p;
});
// clang-format on

namespace rl00 {

double BrowserHost::nowMs() {
    return rl00NowMs();
}

void BrowserHost::yieldToPage(double ms) {
    rl00Yield(ms);
}

void BrowserHost::waitForInput(double ms) {
    rl00WaitForInput(ms);
}

std::string BrowserHost::takeInput() {
    char* p = rl00TakeInput();
    if (p == nullptr) return {};
    std::string text(p);
    std::free(p);
    return text;
}

void BrowserHost::showFrame(const PageFrame& frame) {
    rl00ShowFrame(frame.reel_rgba, frame.reel_width, frame.reel_height, frame.labels_json.c_str());
}

Int32 BrowserHost::messageBox(const std::string& text, const std::string& title, Int32 style) {
    return rl00MessageBox(text.c_str(), title.c_str(), style);
}

LocalDateTime BrowserHost::localTime() {
    int parts[6] = {};
    rl00LocalTime(parts);
    return {parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]};
}

void BrowserHost::beep() {
    rl00Beep();
}

void BrowserHost::tell(std::string_view kind, std::string_view text) {
    const std::string k(kind);
    rl00Tell(k.c_str(), text.data(), static_cast<int>(text.size()));
}

std::string pageQuery() {
    char* p = rl00Query();
    std::string text(p);
    std::free(p);
    return text;
}

}  // namespace rl00
