#include "platform/runtime_error.h"

#include <utility>

namespace rl00 {

std::string errorDescription(Int32 number) {
    switch (number) {
        case err::kInvalidCall:
            return "Invalid procedure call or argument";
        case err::kOverflow:
            return "Overflow";
        case err::kSubscriptOutOfRange:
            return "Subscript out of range";
        case err::kTypeMismatch:
            return "Type mismatch";
        case err::kBadFileName:
            return "Bad file name or number";
        case err::kFileNotFound:
            return "File not found";
        case err::kPathFileAccess:
            return "Path/File access error";
        case err::kPathNotFound:
            return "Path not found";
        case err::kControlArrayElement:
            return "Control array element doesn't exist";
        case err::kInvalidPropertyValue:
            return "Invalid property value";
        case err::kCannotCreateObject:
            return "ActiveX component can't create object";
        default:
            return "";
    }
}

RuntimeError::RuntimeError(Int32 number)
    : number_(number), description_(errorDescription(number)) {}

RuntimeError::RuntimeError(Int32 number, std::string description)
    : number_(number), description_(std::move(description)) {}

void raiseError(Int32 number) {
    throw RuntimeError(number);
}

}  // namespace rl00
