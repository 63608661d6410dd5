#pragma once

#include <string>
#include <system_error>

namespace rl00 {

// The system's words for an errno value, as messages about files quote them.
inline std::string reasonOf(int error_number) {
    return std::error_code(error_number, std::generic_category()).message();
}

}  // namespace rl00
