#include "platform/json.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "platform/float_text.h"

namespace rl00::json {

const Value& Value::operator[](const std::string& key) const {
    static const Value null_value;
    if (!isObject()) return null_value;
    const auto& members = asObject();
    const auto it = members.find(key);
    return it == members.end() ? null_value : it->second;
}

namespace {

// Runs a std::to_chars conversion straight into the string, with more room until it fits, so
// that no text is ever cut by a buffer too small for it.
template <class Convert>
void appendConverted(std::string& out, std::size_t room, Convert convert) {
    for (;; room *= 2) {
        const std::size_t at = out.size();
        out.resize(at + room);
        const auto [end, ec] = convert(out.data() + at, out.data() + out.size());
        if (ec == std::errc{}) {
            out.resize(static_cast<std::size_t>(end - out.data()));
            return;
        }
        out.resize(at);
    }
}

template <class Integer>
void appendInteger(std::string& out, Integer i) {
    appendConverted(out, 20,
                    [i](char* first, char* last) { return std::to_chars(first, last, i); });
}

void appendString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    std::size_t plain = 0;  // start of the characters not yet copied
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        const char* short_form = nullptr;
        switch (c) {
            case '"':
                short_form = "\\\"";
                break;
            case '\\':
                short_form = "\\\\";
                break;
            case '\b':
                short_form = "\\b";
                break;
            case '\f':
                short_form = "\\f";
                break;
            case '\n':
                short_form = "\\n";
                break;
            case '\r':
                short_form = "\\r";
                break;
            case '\t':
                short_form = "\\t";
                break;
            default:
                if (c >= 0x20) continue;
        }
        out.append(text, plain, i - plain);
        plain = i + 1;
        if (short_form != nullptr) {
            out += short_form;
        } else {
            out += "\\u00";
            out += kHex[c >> 4];
            out += kHex[c & 0xF];
        }
    }
    out.append(text, plain);
    out += '"';
}

void writeValue(Writer& w, const Value& value) {
    struct Visitor {
        Writer& w;
        void operator()(std::nullptr_t) const { w.null(); }
        void operator()(bool b) const { w.boolean(b); }
        void operator()(std::int64_t i) const { w.integer(i); }
        void operator()(double d) const { w.number(d, Whole::WithPoint); }
        void operator()(const std::string& s) const { w.string(s); }
        void operator()(const std::shared_ptr<Array>& items) const {
            w.beginArray();
            for (const auto& item : *items)
                writeValue(w, item);
            w.endArray();
        }
        void operator()(const std::shared_ptr<Object>& members) const {
            w.beginObject();
            for (const auto& [key, item] : *members) {
                w.key(key);
                writeValue(w, item);
            }
            w.endObject();
        }
    };
    std::visit(Visitor{w}, value.v);
}

// What the next value of a Reader is; an array or an object is named by its opening bracket. A
// number is Int when it has no fraction and no exponent and fits 64 bits, otherwise Double.
enum class Kind { Null, Bool, Int, Double, String, ArrayStart, ObjectStart };

// Reads one value from a text, which must outlive it, in the order of the text. Each read checks
// what it consumes; anything the text does not allow throws ParseError with the offset where it
// went wrong.
//
//     Reader in(text);
//     in.enterObject();
//     for (std::string key; in.nextKey(key);) ... read the member's value ...
//     in.finish();
class Reader {
  public:
    explicit Reader(std::string_view text) : s_(text) {}

    // The kind of the next value, without consuming it.
    Kind peek();
    void readNull();
    bool readBool();
    // Only an Int: an integer that fits 64 bits.
    std::int64_t readInt();
    // Any number.
    double readNumber();
    std::string readString();

    // Opens an array; `nextItem` then says whether an item follows (read it) or the array has
    // ended (consumed).
    void enterArray();
    bool nextItem();
    // Opens an object; `nextKey` then reads the next key and its ':' (read the value next) or
    // says the object has ended (consumed).
    void enterObject();
    bool nextKey(std::string& key);

    // Throws unless only blanks remain after the value.
    void finish();

    // Throws a ParseError that names the current offset, for a caller that finds a well-formed
    // value it cannot accept.
    [[noreturn]] void fail(std::string_view what) const;

  private:
    struct Number {
        std::size_t end;
        bool integral;
    };

    [[noreturn]] void failAt(std::size_t offset, std::string_view what) const;
    void skipBlanks();
    void startValue();
    Number scanNumber() const;
    void expectWord(std::string_view word);
    unsigned hex4();
    unsigned codePoint();
    void enter(char open);
    bool next(char close);

    std::string_view s_;
    std::size_t pos_ = 0;
    std::string open_;  // '[' or '{' of each container we are in
    bool need_value_ = true;
    bool first_ = false;
};

Value readValue(Reader& in) {
    switch (in.peek()) {
        case Kind::Null:
            in.readNull();
            return Value();
        case Kind::Bool:
            return Value(in.readBool());
        case Kind::Int:
            return Value(in.readInt());
        case Kind::Double:
            return Value(in.readNumber());
        case Kind::String:
            return Value(in.readString());
        case Kind::ArrayStart: {
            Array items;
            in.enterArray();
            while (in.nextItem())
                items.push_back(readValue(in));
            return Value(std::move(items));
        }
        case Kind::ObjectStart: {
            Object members;
            in.enterObject();
            for (std::string key; in.nextKey(key);) {
                if (members.contains(key)) in.fail("a key given twice");
                Value item = readValue(in);
                members.emplace(std::move(key), std::move(item));
            }
            return Value(std::move(members));
        }
    }
    throw std::logic_error("json: a kind of value the tree does not know");
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool startsNumber(char c) {
    return c == '-' || isDigit(c);
}

void appendUtf8(unsigned code, std::string& out) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

std::string write(const Value& value) {
    std::string out;
    Writer w(out);
    writeValue(w, value);
    return out;
}

Value parse(std::string_view text) {
    Reader in(text);
    Value value = readValue(in);
    in.finish();
    return value;
}

// ---- Writer

Writer& Writer::beginObject(Span span) {
    return open(true, span);
}

Writer& Writer::endObject() {
    return close(true);
}

Writer& Writer::beginArray(Span span) {
    return open(false, span);
}

Writer& Writer::endArray() {
    return close(false);
}

Writer& Writer::key(std::string_view name) {
    if (levels_.empty() || !levels_.back().object || after_key_)
        throw std::logic_error("json::Writer: a key outside an object or right after a key");
    separate(levels_.back());
    appendString(out_, name);
    out_ += pretty_ ? ": " : ":";
    after_key_ = true;
    return *this;
}

Writer& Writer::null() {
    beforeValue();
    out_ += "null";
    return afterValue();
}

Writer& Writer::boolean(bool b) {
    beforeValue();
    out_ += b ? "true" : "false";
    return afterValue();
}

Writer& Writer::signedInteger(std::int64_t i) {
    beforeValue();
    appendInteger(out_, i);
    return afterValue();
}

Writer& Writer::unsignedInteger(std::uint64_t i) {
    beforeValue();
    appendInteger(out_, i);
    return afterValue();
}

Writer& Writer::number(double d, Whole whole) {
    if (!std::isfinite(d)) return null();
    beforeValue();
    const std::size_t at = out_.size();
    appendConverted(out_, 24,
                    [d](char* first, char* last) { return shortestChars(first, last, d); });
    if (whole == Whole::WithPoint && out_.find_first_of(".eE", at) == std::string::npos)
        out_ += ".0";
    return afterValue();
}

Writer& Writer::fixed(double d, int decimals) {
    if (decimals < 0) throw std::invalid_argument("json::Writer: negative number of decimals");
    if (!std::isfinite(d)) return null();
    beforeValue();
    appendConverted(out_, 24 + static_cast<std::size_t>(decimals),
                    [=](char* first, char* last) { return fixedChars(first, last, d, decimals); });
    return afterValue();
}

Writer& Writer::string(std::string_view text) {
    beforeValue();
    appendString(out_, text);
    return afterValue();
}

void Writer::beforeValue() {
    if (levels_.empty()) {
        if (done_) throw std::logic_error("json::Writer: a second value after the first");
        return;
    }
    Level& level = levels_.back();
    if (!level.object) {
        separate(level);
        return;
    }
    if (!after_key_) throw std::logic_error("json::Writer: a member's value without its key");
    after_key_ = false;
}

Writer& Writer::afterValue() {
    done_ = levels_.empty();
    return *this;
}

void Writer::separate(Level& level) {
    if (!level.empty) out_ += ',';
    if (level.per_line)
        newLine(levels_.size());
    else if (!level.empty && pretty_)
        out_ += ' ';
    level.empty = false;
}

void Writer::newLine(std::size_t depth) {
    out_ += '\n';
    out_.append(2 * depth, ' ');
}

Writer& Writer::open(bool object, Span span) {
    beforeValue();
    // A container on one line keeps everything inside it on that line.
    const bool per_line =
        pretty_ && span == Span::LinePerItem && (levels_.empty() || levels_.back().per_line);
    levels_.push_back({object, per_line});
    out_ += object ? '{' : '[';
    return *this;
}

Writer& Writer::close(bool object) {
    if (levels_.empty() || levels_.back().object != object || after_key_)
        throw std::logic_error("json::Writer: an end that matches no begin");
    const Level level = levels_.back();
    levels_.pop_back();
    if (level.per_line && !level.empty) newLine(levels_.size());
    out_ += object ? '}' : ']';
    return afterValue();
}

// ---- Reader

void Reader::fail(std::string_view what) const {
    failAt(pos_, what);
}

void Reader::failAt(std::size_t offset, std::string_view what) const {
    throw ParseError(std::string(what) + " at offset " + std::to_string(offset));
}

void Reader::skipBlanks() {
    while (pos_ < s_.size() &&
           (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n'))
        ++pos_;
}

// Every read of a value starts here: a value must be due, and the text must have one.
void Reader::startValue() {
    if (!need_value_)
        throw std::logic_error("json::Reader: no value is due; call nextItem or nextKey first");
    skipBlanks();
    if (pos_ >= s_.size()) fail("missing value");
}

Kind Reader::peek() {
    startValue();
    switch (s_[pos_]) {
        case 'n':
            return Kind::Null;
        case 't':
        case 'f':
            return Kind::Bool;
        case '"':
            return Kind::String;
        case '[':
            return Kind::ArrayStart;
        case '{':
            return Kind::ObjectStart;
        default:
            break;
    }
    const Number n = scanNumber();
    std::int64_t ignored = 0;
    if (n.integral &&
        std::from_chars(s_.data() + pos_, s_.data() + n.end, ignored).ec == std::errc{})
        return Kind::Int;
    return Kind::Double;
}

void Reader::expectWord(std::string_view word) {
    if (s_.substr(pos_, word.size()) != word) fail("unexpected character");
    pos_ += word.size();
    need_value_ = false;
}

void Reader::readNull() {
    startValue();
    expectWord("null");
}

bool Reader::readBool() {
    startValue();
    const bool b = s_[pos_] == 't';
    if (!b && s_[pos_] != 'f') fail("expected true or false");
    expectWord(b ? "true" : "false");
    return b;
}

// The extent of the number at the current offset, checked against JSON's grammar, which has no
// leading zeros, no bare '.', no empty fraction or exponent and no '+' in front.
Reader::Number Reader::scanNumber() const {
    std::size_t p = pos_;
    const auto digits = [&] {
        const std::size_t from = p;
        while (p < s_.size() && isDigit(s_[p]))
            ++p;
        return p - from;
    };
    if (p < s_.size() && s_[p] == '-') ++p;
    if (p >= s_.size() || !isDigit(s_[p]))
        failAt(p, p == pos_ ? "unexpected character" : "expected a digit after '-'");
    if (s_[p] == '0') {
        ++p;
        if (p < s_.size() && isDigit(s_[p])) failAt(p, "a leading zero");
    } else {
        digits();
    }
    bool integral = true;
    if (p < s_.size() && s_[p] == '.') {
        ++p;
        integral = false;
        if (digits() == 0) failAt(p, "expected a digit after '.'");
    }
    if (p < s_.size() && (s_[p] == 'e' || s_[p] == 'E')) {
        ++p;
        integral = false;
        if (p < s_.size() && (s_[p] == '+' || s_[p] == '-')) ++p;
        if (digits() == 0) failAt(p, "expected a digit in the exponent");
    }
    return {p, integral};
}

std::int64_t Reader::readInt() {
    startValue();
    if (!startsNumber(s_[pos_])) fail("expected an integer");
    const Number n = scanNumber();
    if (!n.integral) fail("expected an integer");
    std::int64_t i = 0;
    if (std::from_chars(s_.data() + pos_, s_.data() + n.end, i).ec != std::errc{})
        fail("an integer beyond 64 bits");
    pos_ = n.end;
    need_value_ = false;
    return i;
}

// An integer beyond 64 bits is read here as the nearest double, as every other number that
// a double cannot hold exactly. Beyond the range of a double there is no nearest one (and too
// close to zero the conversion does not tell), so such a number is refused.
double Reader::readNumber() {
    startValue();
    if (!startsNumber(s_[pos_])) fail("expected a number");
    const Number n = scanNumber();
    double d = 0;
    if (readDouble(s_.data() + pos_, s_.data() + n.end, d).ec != std::errc{})
        fail("a number beyond the range of a double");
    pos_ = n.end;
    need_value_ = false;
    return d;
}

unsigned Reader::hex4() {
    unsigned code = 0;
    for (int i = 0; i < 4; ++i, ++pos_) {
        const char h = pos_ < s_.size() ? s_[pos_] : '\0';
        code <<= 4;
        if (isDigit(h))
            code |= static_cast<unsigned>(h - '0');
        else if (h >= 'a' && h <= 'f')
            code |= static_cast<unsigned>(h - 'a' + 10);
        else if (h >= 'A' && h <= 'F')
            code |= static_cast<unsigned>(h - 'A' + 10);
        else
            fail("expected four hex digits after \\u");
    }
    return code;
}

// The character of a \u escape, the 'u' just read. A surrogate half alone has no character
// and no UTF-8 form; it is refused rather than replaced, since a peer that sends one is
// broken, and a silent U+FFFD would hide that.
unsigned Reader::codePoint() {
    const std::size_t escape = pos_ - 2;
    const unsigned code = hex4();
    if (code >= 0xDC00 && code <= 0xDFFF) failAt(escape, "a low surrogate without its high half");
    if (code < 0xD800 || code > 0xDBFF) return code;
    if (s_.substr(pos_, 2) != "\\u") failAt(escape, "a high surrogate without its low half");
    pos_ += 2;
    const unsigned low = hex4();
    if (low < 0xDC00 || low > 0xDFFF) failAt(escape, "a high surrogate without its low half");
    return 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
}

std::string Reader::readString() {
    startValue();
    if (s_[pos_] != '"') fail("expected a string");
    ++pos_;
    std::string out;
    for (;;) {
        const std::size_t plain = pos_;
        while (pos_ < s_.size() && s_[pos_] != '"' && s_[pos_] != '\\' &&
               static_cast<unsigned char>(s_[pos_]) >= 0x20)
            ++pos_;
        out.append(s_, plain, pos_ - plain);
        if (pos_ >= s_.size()) fail("unterminated string");
        if (s_[pos_] == '"') break;
        if (s_[pos_] != '\\') fail("a control character in a string");
        if (++pos_ >= s_.size()) fail("unterminated string");
        switch (s_[pos_++]) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u':
                appendUtf8(codePoint(), out);
                break;
            default:
                failAt(pos_ - 2, "an unknown escape");
        }
    }
    ++pos_;
    need_value_ = false;
    return out;
}

void Reader::enter(char open) {
    startValue();
    if (s_[pos_] != open) fail(open == '[' ? "expected an array" : "expected an object");
    if (open_.size() >= kMaxDepth)
        fail("nesting deeper than " + std::to_string(kMaxDepth) + " levels");
    open_ += open;
    ++pos_;
    need_value_ = false;
    first_ = true;
}

void Reader::enterArray() {
    enter('[');
}

void Reader::enterObject() {
    enter('{');
}

bool Reader::next(char close) {
    const char open = close == ']' ? '[' : '{';
    if (open_.empty() || open_.back() != open || need_value_)
        throw std::logic_error("json::Reader: nextItem or nextKey out of turn");
    skipBlanks();
    if (pos_ < s_.size() && s_[pos_] == close) {
        ++pos_;
        open_.pop_back();
        first_ = false;
        return false;
    }
    if (!first_) {
        if (pos_ >= s_.size() || s_[pos_] != ',')
            fail(close == ']' ? "expected ',' or ']'" : "expected ',' or '}'");
        ++pos_;
    }
    first_ = false;
    need_value_ = true;
    return true;
}

bool Reader::nextItem() {
    return next(']');
}

bool Reader::nextKey(std::string& key) {
    if (!next('}')) return false;
    skipBlanks();
    if (pos_ >= s_.size() || s_[pos_] != '"') fail("expected a key");
    key = readString();
    skipBlanks();
    if (pos_ >= s_.size() || s_[pos_] != ':') fail("expected ':'");
    ++pos_;
    need_value_ = true;
    return true;
}

void Reader::finish() {
    if (need_value_ || !open_.empty())
        throw std::logic_error("json::Reader: finish before the value was read to its end");
    skipBlanks();
    if (pos_ != s_.size()) fail("text after the value");
}

}  // namespace rl00::json
