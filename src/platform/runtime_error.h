#pragma once
// Runtime failures as the old runtime raised them: a number and a description. Procedures with
// an error handler catch RuntimeError; program end (ProgramEnd) is a different type and is never
// caught by them.

#include <exception>
#include <string>

#include "platform/vb_types.h"

namespace rl00 {

namespace err {
inline constexpr Int32 kInvalidCall = 5;
inline constexpr Int32 kOverflow = 6;
inline constexpr Int32 kSubscriptOutOfRange = 9;
inline constexpr Int32 kTypeMismatch = 13;
inline constexpr Int32 kBadFileName = 52;
inline constexpr Int32 kFileNotFound = 53;
inline constexpr Int32 kPathFileAccess = 75;
inline constexpr Int32 kPathNotFound = 76;
inline constexpr Int32 kControlArrayElement = 340;
inline constexpr Int32 kInvalidPropertyValue = 380;
// The automation's: the launcher's client and the spreadsheet helper use them alike.
inline constexpr Int32 kObjectRequired = 424;
inline constexpr Int32 kCannotCreateObject = 429;
inline constexpr Int32 kAutomationFileNotFound = 432;
inline constexpr Int32 kMemberNotSupported = 438;
inline constexpr Int32 kServerUnavailable = 462;
inline constexpr Int32 kApplicationDefined = 1004;
}  // namespace err

// The description the runtime gives for an error number ("" for numbers it does not know).
std::string errorDescription(Int32 number);

class RuntimeError : public std::exception {
  public:
    explicit RuntimeError(Int32 number);
    RuntimeError(Int32 number, std::string description);

    Int32 number() const { return number_; }
    const std::string& description() const { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

  private:
    Int32 number_;
    std::string description_;
};

[[noreturn]] void raiseError(Int32 number);

// The error the runtime holds after a handler caught one; read by the message service.
struct PendingError {
    Int32 number = 0;
    std::string description;

    void set(const RuntimeError& e) {
        number = e.number();
        description = e.description();
    }
    void clear() { *this = PendingError{}; }
};

}  // namespace rl00
