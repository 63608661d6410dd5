#include "stats/game_record.h"

#include <optional>

#include "platform/json.h"

namespace rl00 {

namespace {

void writeSymbols(json::Writer& w, const std::array<Int16, 3>& symbols) {
    w.beginArray();
    for (const Int16 s : symbols)
        w.integer(s);
    w.endArray();
}

std::string line(const GameRecord& r, std::optional<std::uint64_t> machine) {
    std::string out;
    out.reserve(440);
    json::Writer w(out);
    w.beginObject();
    if (machine) w.key("machine").integer(*machine);
    w.key("game").integer(r.game);
    w.key("lottery").integer(r.lottery);
    w.key("zugcnt").integer(r.zugcnt);
    w.key("mode").integer(r.mode);
    w.key("hit").boolean(r.hit);
    w.key("reach").integer(r.reach);
    w.key("oshidir").integer(r.oshidir);
    w.key("kind").integer(r.kind);
    w.key("code").string(r.code);
    w.key("preview").string(r.preview);
    w.key("yokoku1").boolean(r.yokoku1);
    w.key("yokoku2").boolean(r.yokoku2);
    w.key("kakuhen").boolean(r.kakuhen);
    w.key("relottery").boolean(r.relottery);
    w.key("overshoot").boolean(r.overshoot);
    w.key("first");
    writeSymbols(w, r.first);
    w.key("stop");
    writeSymbols(w, r.stop);
    w.key("chain").integer(r.chain);
    w.key("jitan").boolean(r.jitan);
    w.key("mode_label").string(r.mode_label);
    w.key("frames").integer(r.frames);
    w.key("virtual_ms").number(r.virtual_ms);
    w.endObject();
    out += '\n';
    return out;
}

}  // namespace

std::string toJsonLine(const GameRecord& r) {
    return line(r, std::nullopt);
}

std::string toJsonLine(const GameRecord& r, std::uint64_t machine) {
    return line(r, machine);
}

}  // namespace rl00
