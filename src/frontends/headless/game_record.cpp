#include "frontends/headless/game_record.h"

#include <charconv>
#include <cstdio>

namespace rl00 {

namespace {

void appendEscaped(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", u);
            out += buf;
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendNumber(std::string& out, double v) {
    char buf[32];
    const auto res = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, res.ptr);
}

class JsonObject {
  public:
    explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
    ~JsonObject() { out_ += '}'; }
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;

    void key(const char* name) {
        if (!first_) out_ += ',';
        first_ = false;
        out_ += '"';
        out_ += name;
        out_ += "\":";
    }
    void field(const char* name, std::int64_t v) {
        key(name);
        out_ += std::to_string(v);
    }
    void field(const char* name, bool v) {
        key(name);
        out_ += v ? "true" : "false";
    }
    void field(const char* name, const std::string& v) {
        key(name);
        appendEscaped(out_, v);
    }
    void field(const char* name, const std::array<Int16, 3>& v) {
        key(name);
        out_ += '[' + std::to_string(v[0]) + ',' + std::to_string(v[1]) + ',' +
                std::to_string(v[2]) + ']';
    }
    void fieldDouble(const char* name, double v) {
        key(name);
        appendNumber(out_, v);
    }

  private:
    std::string& out_;
    bool first_ = true;
};

}  // namespace

std::string toJsonLine(const GameRecord& r) {
    std::string out;
    out.reserve(420);
    {
        JsonObject o(out);
        o.field("game", static_cast<std::int64_t>(r.game));
        o.field("lottery", std::int64_t{r.lottery});
        o.field("zugcnt", std::int64_t{r.zugcnt});
        o.field("mode", std::int64_t{r.mode});
        o.field("hit", r.hit);
        o.field("reach", std::int64_t{r.reach});
        o.field("oshidir", std::int64_t{r.oshidir});
        o.field("kind", std::int64_t{r.kind});
        o.field("code", r.code);
        o.field("preview", r.preview);
        o.field("yokoku1", r.yokoku1);
        o.field("yokoku2", r.yokoku2);
        o.field("kakuhen", r.kakuhen);
        o.field("relottery", r.relottery);
        o.field("overshoot", r.overshoot);
        o.field("first", r.first);
        o.field("stop", r.stop);
        o.field("chain", std::int64_t{r.chain});
        o.field("jitan", r.jitan);
        o.field("mode_label", r.mode_label);
        o.field("frames", static_cast<std::int64_t>(r.frames));
        o.fieldDouble("virtual_ms", r.virtual_ms);
    }
    out += '\n';
    return out;
}

}  // namespace rl00
