#pragma once
// How much a heavy test plays. An optimised build plays the full size; a build with the
// sanitizers or without optimisation runs the same code many times slower, so it plays a
// smaller size that still reaches every case the test is about. Each test says why its sizes
// are what they are.

namespace rl00::test {

// GCC says it builds with AddressSanitizer by a macro, clang by __has_feature.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define RL00_TEST_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(RL00_TEST_ASAN)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif
#if defined(NDEBUG)
inline constexpr bool kSlowBuild = kSanitizedBuild;
#else
inline constexpr bool kSlowBuild = true;
#endif

// `full` in an optimised build, `slow` in a slow one.
template <class T>
constexpr T sized(T full, T slow) {
    return kSlowBuild ? slow : full;
}

}  // namespace rl00::test
