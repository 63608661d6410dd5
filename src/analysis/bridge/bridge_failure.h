#pragma once
// A refused request of the helper: the kind of failure the program tells the user about, the
// old runtime's error number, and an explanation.

#include <cstddef>
#include <string>

#include "platform/runtime_error.h"

namespace rl00::bridge {

// Failure kinds as they travel to the program.
namespace reason {
inline constexpr const char* kNoServer = "no-server";
inline constexpr const char* kNoDocument = "no-document";
inline constexpr const char* kDocumentFailed = "document-failed";
inline constexpr const char* kDocumentLocked = "document-locked";
inline constexpr const char* kNoSheet = "no-sheet";
inline constexpr const char* kNoMacro = "no-macro";
inline constexpr const char* kMacroFailed = "macro-failed";
// Not a failure of the macro: it found no run log to analyse and said why.
inline constexpr const char* kNothingToAnalyse = "nothing-to-analyse";
inline constexpr const char* kServerGone = "server-gone";
inline constexpr const char* kOther = "other";
}  // namespace reason

// The longest line either side accepts. Messages are short (an object's number, the macro's
// status, an error's text); a longer line comes from a broken peer and is refused rather than
// kept growing, which also bounds the tree it would become (a 1 MiB line of empty objects took
// 45 MB to read, a 16 MiB one 670 MB).
inline constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

struct BridgeFailure {
    const char* reason;
    int number;  // err::kCannotCreateObject, ...
    std::string text;
};

}  // namespace rl00::bridge
