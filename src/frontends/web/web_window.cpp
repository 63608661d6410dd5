#include "frontends/web/web_window.h"

#include <algorithm>
#include <charconv>

#include "frontends/web/page_host.h"
#include "machine/machine.h"
#include "platform/float_text.h"
#include "platform/json.h"
#include "session/controller.h"
#include "session/game_sequence.h"
#include "session/window_layout.h"

namespace rl00 {

namespace {

// The labels the scene holds, in layout order: the page numbers them the same way.
std::vector<const ControlDesign*> sceneLabels() {
    std::vector<const ControlDesign*> out;
    Scene probe;
    for (const ControlDesign& c : windowControls()) {
        if (c.kind == ControlKind::Label && sceneLabel(probe, c.name, c.index) != nullptr)
            out.push_back(&c);
    }
    return out;
}

const std::vector<const ControlDesign*>& labelControls() {
    static const std::vector<const ControlDesign*> controls = sceneLabels();
    return controls;
}

bool numberAfter(std::string_view command, std::string_view word, double& value) {
    if (!command.starts_with(word)) return false;
    const std::string_view text = command.substr(word.size());
    const auto res = readDouble(text.data(), text.data() + text.size(), value);
    return res.ec == std::errc{} && res.ptr == text.data() + text.size();
}

}  // namespace

std::string windowLayoutJson() {
    const auto& labels = labelControls();
    std::string out;
    json::Writer w(out);
    w.beginArray();
    for (const ControlDesign& c : windowControls()) {
        if (c.kind != ControlKind::Label && c.kind != ControlKind::Button &&
            c.kind != ControlKind::PictureBox)
            continue;
        const auto it = std::find(labels.begin(), labels.end(), &c);
        const char* kind = c.kind == ControlKind::Label    ? "label"
                           : c.kind == ControlKind::Button ? "button"
                                                           : "reels";
        w.beginObject().key("kind").string(kind).key("name").string(c.name);
        w.key("index").integer(c.index).key("caption").string(c.caption);
        w.key("left").integer(c.left).key("top").integer(c.top);
        w.key("width").integer(c.width).key("height").integer(c.height);
        w.key("font").string(c.font).key("pt").number(c.font_pt).key("bold").boolean(c.bold);
        w.key("fore").integer(c.fore).key("back").integer(c.back).key("border").boolean(c.border);
        w.key("align").string(c.align == Align::Left     ? "left"
                              : c.align == Align::Centre ? "center"
                                                         : "right");
        w.key("scene").integer(it == labels.end() ? -1 : int(it - labels.begin())).endObject();
    }
    w.endArray();
    return out;
}

WebWindow::WebWindow(Machine& m, WebDisplay& display, PageHost& host)
    : m_(m), display_(display), host_(host), raster_(PictureSet::builtIn()) {
    raster_.setScale(1.0);
    m_.observer = &recorder_;
}

void WebWindow::setScale(double scale) {
    raster_.setScale(scale);
}

bool WebWindow::playNextGame() {
    // A request that is not accepted is no game: the seeded counter must not move for it.
    if (!acceptsStartRequest(m_)) return false;
    if (run_ != nullptr) run_->betweenGames(m_, display_);
    if (!playRecordedGame(m_, recorder_, completed_games_ + 1, display_)) return false;
    for (const auto& tell : game_listeners_)
        tell(recorder_.record());
    ++completed_games_;
    return true;
}

void WebWindow::perform(std::string_view command) {
    double value = 0.0;
    if (command == "click Com_Start") {
        playNextGame();
    } else if (command == "click Cmd_End" || command == "close") {
        display_.noteEndRequest();
        onEndRequest(m_);
    } else if (command == "step") {
        display_.stepFrame();
    } else if (numberAfter(command, "pause ", value)) {
        display_.setPaused(value != 0.0);
    } else if (numberAfter(command, "no-delay ", value)) {
        display_.setNoDelay(value != 0.0);
    } else if (numberAfter(command, "pace ", value)) {
        display_.setFramePeriodMs(value);
    } else if (numberAfter(command, "scale ", value) && value > 0.0) {
        setScale(value);
    } else if (commands_) {
        commands_(command);
    }
}

void WebWindow::takeInput() {
    syncTimer();
    const std::string input = host_.takeInput();
    for (std::size_t at = 0; at < input.size();) {
        std::size_t end = input.find('\n', at);
        if (end == std::string::npos) end = input.size();
        if (end > at) perform(std::string_view(input).substr(at, end - at));
        at = end + 1;
    }
    syncTimer();
    if (timer_active_ && host_.nowMs() >= next_tick_ms_) {
        // A repeating timer keeps its own beat; a tick missed while a game ran is not made up.
        next_tick_ms_ = std::max(next_tick_ms_ + m_.scene.Tim_Start.interval_ms, host_.nowMs());
        playNextGame();
    }
}

void WebWindow::syncTimer() {
    const TimerState& t = m_.scene.Tim_Start;
    if (t.enabled && !timer_active_) next_tick_ms_ = host_.nowMs() + t.interval_ms;
    timer_active_ = t.enabled;
}

double WebWindow::nextDueMs() const {
    return timer_active_ ? next_tick_ms_ : -1.0;
}

std::string WebWindow::changedLabels() {
    const auto& controls = labelControls();
    if (shown_labels_.empty()) shown_labels_.resize(controls.size());
    std::string out;
    json::Writer w(out);
    w.beginArray();
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const Label& l = *sceneLabel(m_.scene, controls[i]->name, controls[i]->index);
        Label& shown = shown_labels_[i];
        if (labels_sent_ && l.caption == shown.caption && l.fore == shown.fore &&
            l.back == shown.back)
            continue;
        w.beginArray().integer(i).string(l.caption).integer(l.fore).integer(l.back).endArray();
        shown = l;
    }
    w.endArray();
    labels_sent_ = true;
    return out;
}

void WebWindow::paint() {
    PageFrame frame;
    if (raster_.draw(m_.scene)) {
        frame.reel_rgba = raster_.rgba();
        frame.reel_width = raster_.width();
        frame.reel_height = raster_.height();
    }
    frame.labels_json = changedLabels();
    if (frame.reel_rgba != nullptr || frame.labels_json != "[]") host_.showFrame(frame);
}

}  // namespace rl00
