#include "analysis/automation.h"

#include <cstdio>
#include <utility>

namespace rl00 {

namespace {

// The runtime's description of the number; a number it has no text for is told as the
// application-defined error, as the old runtime did.
std::string numberedDescription(Int32 number, const std::string& detail) {
    std::string text = errorDescription(number);
    if (text.empty()) text = errorDescription(err::kApplicationDefined);
    return detail.empty() ? text : text + ": " + detail;
}

}  // namespace

AutomationError::AutomationError(AutomationFailure failure, Int32 number, std::string detail)
    : RuntimeError(number, numberedDescription(number, detail)),
      failure_(failure),
      detail_(std::move(detail)) {}

ObjectRef AutoObject::object(const std::string& member, const Args& args) {
    Variant value = get(member, args);
    if (auto* obj = std::get_if<ObjectRef>(&value); obj != nullptr && *obj) return std::move(*obj);
    throw AutomationError(AutomationFailure::Other, err::kObjectRequired, member);
}

std::string describe(const Variant& value) {
    struct Visitor {
        std::string operator()(std::monostate) const { return "Empty"; }
        std::string operator()(bool b) const { return b ? "True" : "False"; }
        std::string operator()(Int32 i) const { return std::to_string(i); }
        std::string operator()(double d) const {
            char buf[32];
            std::snprintf(buf, sizeof buf, "%.15g", d);
            return buf;
        }
        std::string operator()(const std::string& s) const { return "\"" + s + "\""; }
        std::string operator()(const ObjectRef& o) const { return o ? "<object>" : "Nothing"; }
    };
    return std::visit(Visitor{}, value);
}

}  // namespace rl00
