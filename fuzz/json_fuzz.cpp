// The JSON reader over any bytes; what it accepts must be written back as text that reads back
// as the same tree.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    try {
        const rl00::json::Value v = rl00::json::parse(text);
        const std::string once = rl00::json::write(v);
        if (rl00::json::write(rl00::json::parse(once)) != once) __builtin_trap();
    } catch (const rl00::json::ParseError&) {
    }
    return 0;
}
