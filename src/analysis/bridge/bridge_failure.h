#pragma once
// A refused request of the helper: the kind of failure the program tells the user about, the
// old runtime's error number, and an explanation.

#include <string>

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

struct BridgeFailure {
    const char* reason;
    int number;
    std::string text;
};

}  // namespace rl00::bridge
