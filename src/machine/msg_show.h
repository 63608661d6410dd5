#pragma once
// The message service: the one channel through which the machine tells the user anything.

#include <string>

#include "platform/runtime_error.h"
#include "platform/vb_types.h"

namespace rl00 {

struct Machine;

// Message kinds.
namespace msg {
inline constexpr Int16 kMessage = 1;
inline constexpr Int16 kChoice = 2;
inline constexpr Int16 kWarning = 3;
inline constexpr Int16 kError = 4;
}  // namespace msg

// Shows a modal message; kind 4 adds the pending error, a kind outside 1..4 is replaced and
// set to 0. Kinds 4 and 0 end the program. Returns the pressed button (1 OK, 6 Yes, 7 No).
Int32 MSG_SHOW(Machine& m, const std::string& title, std::string& message, Int16& kind);

// The error handler shared by the engine, reel and reach procedures: the caught error becomes
// the pending one and "システムエラーが発生しました" is shown as kind 4, which ends the program.
[[noreturn]] void showSystemError(Machine& m, const RuntimeError& e);

// Shows "システムエラーが発生しました" as kind 4 with whatever error is pending (none after a
// failed check) and ends the program.
[[noreturn]] void showSystemError(Machine& m);

// Shows a kind-1 message.
void showMessage(Machine& m, const std::string& text);

}  // namespace rl00
