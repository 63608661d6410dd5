// The settings reader over any bytes: decoded as Shift-JIS or UTF-8, then read item by item.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "io/ini_read.h"
#include "io/sjis.h"
#include "machine/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    rl00::Settings settings;
    static_cast<void>(rl00::readSettings(bytes, settings));
    // What the messages show of a name must be UTF-8, whatever the bytes were.
    if (!rl00::isUtf8(rl00::validUtf8(bytes))) __builtin_trap();
    return 0;
}
