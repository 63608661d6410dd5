#pragma once
// Arrays with the old runtime's explicit bounds: an index outside Lo..Hi raises
// "Subscript out of range" (9) instead of touching memory.

#include <array>
#include <cstddef>

#include "platform/runtime_error.h"

namespace rl00 {

template <class T, int Lo, int Hi>
struct VbArray {
    static_assert(Lo <= Hi);
    static constexpr int kLower = Lo;
    static constexpr int kUpper = Hi;

    std::array<T, Hi - Lo + 1> items{};

    T& operator[](int i) { return items[offset(i)]; }
    const T& operator[](int i) const { return items[offset(i)]; }

    void fill(const T& value) { items.fill(value); }
    bool operator==(const VbArray&) const = default;

  private:
    static std::size_t offset(int i) {
        if (i < Lo || i > Hi) raiseError(err::kSubscriptOutOfRange);
        return static_cast<std::size_t>(i - Lo);
    }
};

}  // namespace rl00
