#pragma once
// The program's one JSON module: the lines the program and the spreadsheet helper exchange, the
// headless runner's trace and statistics files. Shared by the program and the helper, so it
// depends on nothing but the standard library.
//
// Two ways in and out:
// - `Value` with `write` and `parse`: a whole message as a tree.
// - `Writer`: writes straight into a string, keys in the order they are given, for records
//   whose layout must stay byte for byte the same.
//
// The reader takes what another writer may send over a socket, so it is strict and bounded:
// exactly one value with nothing but blanks after it, no leading zeros, no raw control
// characters in strings, and no nesting deeper than `kMaxDepth`.

#include <concepts>
#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
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

// One line of text, without a line break; non-ASCII characters are written as UTF-8, and a
// whole double keeps a ".0" so that it is read back as a double.
std::string write(const Value& value);
// Throws ParseError for anything but exactly one well-formed value. Objects with a key twice
// are refused: the tree could keep only one of the two.
Value parse(std::string_view text);

// Compact: one line without blanks. Pretty: a blank after ':' and ',', and containers opened
// with `Span::LinePerItem` put each item on a line of its own, two blanks deeper per level.
enum class Layout { Compact, Pretty };
enum class Span { OneLine, LinePerItem };
// How a double with no fraction is written by `Writer::number`: "3", or "3.0" so that a reader
// takes it back as a double rather than an integer.
enum class Whole { Bare, WithPoint };

// Appends one value to a string as it is told; misuse (a key in an array, a value without its
// key, an unbalanced end, a second value) throws std::logic_error.
class Writer {
  public:
    explicit Writer(std::string& out, Layout layout = Layout::Compact)
        : out_(out), pretty_(layout == Layout::Pretty) {}

    Writer& beginObject(Span span = Span::OneLine);
    Writer& endObject();
    Writer& beginArray(Span span = Span::OneLine);
    Writer& endArray();
    Writer& key(std::string_view name);

    Writer& null();
    Writer& boolean(bool b);
    template <std::integral T>
    requires(!std::same_as<T, bool>) Writer& integer(T i) {
        if constexpr (std::is_signed_v<T>)
            return signedInteger(i);
        else
            return unsignedInteger(i);
    }
    // The shortest text that reads back as the same double; null for infinities and NaN, which
    // JSON cannot carry.
    Writer& number(double d, Whole whole = Whole::Bare);
    // Rounded to `decimals` places as printf's "%.Nf" rounds; null for infinities and NaN.
    Writer& fixed(double d, int decimals);
    Writer& string(std::string_view text);

  private:
    struct Level {
        bool object;
        bool per_line;
        bool empty = true;
    };

    Writer& signedInteger(std::int64_t i);
    Writer& unsignedInteger(std::uint64_t i);
    void beforeValue();
    Writer& afterValue();
    void separate(Level& level);
    void newLine(std::size_t depth);
    Writer& open(bool object, Span span);
    Writer& close(bool object);

    std::string& out_;
    bool pretty_;
    std::vector<Level> levels_;
    bool after_key_ = false;
    bool done_ = false;
};

// How deep the reader lets arrays and objects nest: far deeper than any message of ours (two
// levels), and shallow enough that reading a tree this deep fitted in a 40 KiB thread stack in a
// release build (216 KiB with the sanitizers); without a cap, 100,000 brackets overflowed the
// stack.
inline constexpr std::size_t kMaxDepth = 128;

}  // namespace rl00::json
