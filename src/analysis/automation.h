#pragma once
// A small late-bound automation layer: objects are addressed by member name, with property
// get and put and method calls taking positional arguments, the way the analysis launcher
// drives the spreadsheet program. Servers are reached by class name (CreateObject) or by the
// path of a document they open (GetObject).

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/runtime_error.h"
#include "platform/vb_types.h"

namespace rl00 {

class AutoObject;
using ObjectRef = std::shared_ptr<AutoObject>;

// An automation value: empty, a truth value, an integer, a number, a text or an object.
using Variant = std::variant<std::monostate, bool, Int32, double, std::string, ObjectRef>;
using Args = std::vector<Variant>;

class AutoObject {
  public:
    virtual ~AutoObject() = default;

    virtual Variant get(const std::string& member, const Args& args) = 0;
    virtual void put(const std::string& member, const Args& args, const Variant& value) = 0;
    virtual Variant call(const std::string& member, const Args& args) = 0;

    Variant get(const std::string& member) { return get(member, {}); }
    void put(const std::string& member, const Variant& value) { put(member, {}, value); }
    Variant call(const std::string& member) { return call(member, {}); }
    // A property that must hold an object; anything else raises "Object required".
    ObjectRef object(const std::string& member, const Args& args = {});
};

// What went wrong in an automation call, as far as the launcher needs to tell the user.
enum class AutomationFailure {
    NoServer,        // the server program (or its helper) cannot be started or reached
    NoDocument,      // the document file does not exist
    DocumentFailed,  // the document exists but cannot be opened (damaged, ...)
    DocumentLocked,  // another program has the document open
    NoSheet,         // a sheet named in the call does not exist
    NoMacro,         // the macro does not exist
    MacroFailed,     // the macro ran and reported a failure
    NothingToDo,     // the macro ran and found nothing to work on: not an error
    ServerGone,      // the server went away in the middle of the work
    Abandoned,       // the program is ending; the work was given up without a word
    Other,           // any other refused call
};

// Automation errors carry the old runtime's numbers (err::kCannotCreateObject, ...) so that they
// are ordinary runtime errors, plus the kind of failure and the server's own explanation.
class AutomationError : public RuntimeError {
  public:
    AutomationError(AutomationFailure failure, Int32 number, std::string detail);

    AutomationFailure failure() const { return failure_; }
    // The server's explanation, possibly empty.
    const std::string& detail() const { return detail_; }

  private:
    AutomationFailure failure_;
    std::string detail_;
};

// Where automation objects come from.
class Automation {
  public:
    virtual ~Automation() = default;
    // Starts (or reaches) the server registered for `class_name` and returns its application.
    virtual ObjectRef CreateObject(const std::string& class_name) = 0;
    // Opens the document at `path` in the server that handles its kind and returns it.
    virtual ObjectRef GetObject(const std::string& path) = 0;
    // Lets go of the servers reached so far. Objects handed out stay set, but any further use
    // of them fails with "server unavailable"; the server programs themselves keep running.
    virtual void disconnect() = 0;
};

// Textual form of a value, for traces and messages.
std::string describe(const Variant& value);

}  // namespace rl00
