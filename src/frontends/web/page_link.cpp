#include "frontends/web/page_link.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "frontends/web/web_display.h"
#include "platform/float_text.h"
#include "platform/vb_types.h"

namespace rl00 {

namespace {

// The largest game a replay reaches: the machine counts its hits in 32 bits, and with the
// argument 7 every game is a hit.
constexpr std::uint64_t kMaxReplay = static_cast<std::uint64_t>(std::numeric_limits<Int32>::max());

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A query's text with '+' and %XX taken back; a broken escape stays as it stands.
std::string unescaped(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '+') {
            out += ' ';
        } else if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 &&
                   hexValue(s[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool wholeNumber(const std::string& text, std::uint64_t min, std::uint64_t max,
                 std::uint64_t& value) {
    std::uint64_t v = 0;
    const char* end = text.data() + text.size();
    const auto res = std::from_chars(text.data(), end, v);
    if (res.ec != std::errc{} || res.ptr != end || v < min || v > max) return false;
    value = v;
    return true;
}

std::string range(std::uint64_t min, std::uint64_t max) {
    return "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
}

struct Reader {
    PageLink& link;

    void fault(const std::string& name, const std::string& takes, const std::string& fallback) {
        link.faults.push_back(name + ": takes " + takes + "; " + fallback);
    }

    void read(const std::string& name, const std::string& value) {
        std::uint64_t n = 0;
        if (name == "seed") {
            if (wholeNumber(value, 0, std::numeric_limits<std::uint64_t>::max(), n)) {
                link.seed = n;
            } else {
                fault(name, range(0, std::numeric_limits<std::uint64_t>::max()),
                      "the games are not seeded");
            }
        } else if (name == "arg") {
            if (value == "1" || value == "7" || value == "8" || value.empty()) {
                link.argument = value;
            } else {
                fault(name, "1, 7 or 8", "played without an argument");
            }
        } else if (name == "frame-ms") {
            double ms = 0.0;
            const char* end = value.data() + value.size();
            const auto res = readDouble(value.data(), end, ms);
            if (res.ec == std::errc{} && res.ptr == end && std::isfinite(ms) &&
                ms >= WebDisplay::kMinFrameMs && ms <= WebDisplay::kMaxFrameMs) {
                link.frame_ms = ms;
            } else {
                fault(name, "a number of milliseconds from 0.5 to 20", "2 ms are used");
            }
        } else if (name == "replay") {
            if (wholeNumber(value, 1, kMaxReplay, n)) {
                link.replay = n;
            } else {
                fault(name, range(1, kMaxReplay) + " (the game to show)", "no game is replayed");
            }
        } else if (name == "paused") {
            if (value == "0" || value == "1") {
                link.paused = value == "1";
            } else {
                fault(name, "0 or 1", "the page starts playing");
            }
        } else if (name == "zoom") {
            if (wholeNumber(value, kPageMinZoom, kPageMaxZoom, n)) {
                link.zoom = static_cast<int>(n);
            } else {
                fault(name, range(kPageMinZoom, kPageMaxZoom), "the remembered zoom is used");
            }
        } else if (name == "games") {
            if (wholeNumber(value, 1, kMaxReplay, n)) {
                link.games = n;
            } else {
                fault(name, range(1, kMaxReplay), "the page plays on by itself");
            }
        } else if (name == "shown") {
            if (wholeNumber(value, 0, kMaxReplay, n)) {
                link.shown = n;
            } else {
                fault(name, range(0, kMaxReplay), "no game is shown");
            }
        } else if (name == "trace") {
            if (value == "0" || value == "1") {
                link.trace = value == "1";
            } else {
                fault(name, "0 or 1", "no trace is kept");
            }
        } else {
            link.faults.push_back(name +
                                  ": is no parameter of this page (seed, arg, frame-ms, replay, "
                                  "paused, zoom); left alone");
        }
    }
};

}  // namespace

PageLink readPageLink(std::string_view query) {
    PageLink link;
    Reader reader{link};
    if (query.starts_with('?')) query.remove_prefix(1);
    while (!query.empty()) {
        const std::size_t amp = query.find('&');
        const std::string_view item = query.substr(0, amp);
        query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
        if (item.empty()) continue;
        const std::size_t eq = item.find('=');
        const std::string name = unescaped(item.substr(0, eq));
        const std::string value =
            eq == std::string_view::npos ? std::string() : unescaped(item.substr(eq + 1));
        reader.read(name, value);
    }
    if (link.replay != 0 && !link.seed) {
        link.faults.push_back(
            "replay: needs a seed, since only the games of a seed can be played again; the page "
            "plays from the start");
        link.replay = 0;
    }
    return link;
}

std::string linkToGame(const PageLink& link, std::uint64_t game) {
    std::string q = "?seed=" + std::to_string(link.seed.value_or(0));
    if (!link.argument.empty()) q += "&arg=" + link.argument;
    if (link.frame_ms) {
        char buf[32];
        q += "&frame-ms=" +
             std::string(buf, shortestChars(buf, buf + sizeof buf, *link.frame_ms).ptr);
    }
    q += "&replay=" + std::to_string(game) + "&paused=1";
    if (link.zoom != 0) q += "&zoom=" + std::to_string(link.zoom);
    return q;
}

}  // namespace rl00
