#pragma once
// The few JSON values the program and the spreadsheet helper exchange, one message per line.
// Shared by both sides, so it depends on nothing but the standard library.

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace rl00::json {

struct Value;
using Array = std::vector<Value>;
using Object = std::map<std::string, Value>;

struct Value {
    std::variant<std::nullptr_t, bool, std::int64_t, double, std::string, std::shared_ptr<Array>,
                 std::shared_ptr<Object>>
        v = nullptr;

    Value() = default;
    Value(std::nullptr_t) {}
    Value(bool b) : v(b) {}
    Value(int i) : v(std::int64_t{i}) {}
    Value(std::int64_t i) : v(i) {}
    Value(double d) : v(d) {}
    Value(const char* s) : v(std::string(s)) {}
    Value(std::string s) : v(std::move(s)) {}
    Value(Array a) : v(std::make_shared<Array>(std::move(a))) {}
    Value(Object o) : v(std::make_shared<Object>(std::move(o))) {}

    bool isNull() const { return std::holds_alternative<std::nullptr_t>(v); }
    bool isBool() const { return std::holds_alternative<bool>(v); }
    bool isInt() const { return std::holds_alternative<std::int64_t>(v); }
    bool isDouble() const { return std::holds_alternative<double>(v); }
    bool isString() const { return std::holds_alternative<std::string>(v); }
    bool isArray() const { return std::holds_alternative<std::shared_ptr<Array>>(v); }
    bool isObject() const { return std::holds_alternative<std::shared_ptr<Object>>(v); }

    bool asBool() const { return std::get<bool>(v); }
    std::int64_t asInt() const { return std::get<std::int64_t>(v); }
    double asNumber() const { return isInt() ? static_cast<double>(asInt()) : std::get<double>(v); }
    const std::string& asString() const { return std::get<std::string>(v); }
    const Array& asArray() const { return *std::get<std::shared_ptr<Array>>(v); }
    const Object& asObject() const { return *std::get<std::shared_ptr<Object>>(v); }

    // Member `key` of an object, or null when absent or when this is not an object.
    const Value& operator[](const std::string& key) const;
};

class ParseError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// One line of text, without a line break; non-ASCII characters are written as UTF-8.
std::string write(const Value& value);
// Throws ParseError for anything but exactly one well-formed value.
Value parse(const std::string& text);

}  // namespace rl00::json
