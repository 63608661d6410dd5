#include "platform/json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace rl00::json {

const Value& Value::operator[](const std::string& key) const {
    static const Value null_value;
    if (!isObject()) return null_value;
    const auto& members = asObject();
    const auto it = members.find(key);
    return it == members.end() ? null_value : it->second;
}

namespace {

void writeString(const std::string& s, std::string& out) {
    out += '"';
    for (const char c : s) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
                    out += buf;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void writeValue(const Value& value, std::string& out) {
    if (value.isNull()) {
        out += "null";
    } else if (value.isBool()) {
        out += value.asBool() ? "true" : "false";
    } else if (value.isInt()) {
        out += std::to_string(value.asInt());
    } else if (value.isDouble()) {
        const double d = std::get<double>(value.v);
        if (!std::isfinite(d)) {
            out += "null";
            return;
        }
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.17g", d);
        out += buf;
        // Keep a double a double on the way back.
        if (out.find_first_of(".eE", out.size() - std::char_traits<char>::length(buf)) ==
            std::string::npos)
            out += ".0";
    } else if (value.isString()) {
        writeString(value.asString(), out);
    } else if (value.isArray()) {
        out += '[';
        bool first = true;
        for (const auto& item : value.asArray()) {
            if (!first) out += ',';
            first = false;
            writeValue(item, out);
        }
        out += ']';
    } else {
        out += '{';
        bool first = true;
        for (const auto& [key, item] : value.asObject()) {
            if (!first) out += ',';
            first = false;
            writeString(key, out);
            out += ':';
            writeValue(item, out);
        }
        out += '}';
    }
}

class Parser {
  public:
    explicit Parser(const std::string& text) : s_(text) {}

    Value document() {
        Value v = value();
        skipBlanks();
        if (pos_ != s_.size()) fail("text after the value");
        return v;
    }

  private:
    [[noreturn]] void fail(const char* what) const {
        throw ParseError(std::string(what) + " at offset " + std::to_string(pos_));
    }
    void skipBlanks() {
        while (pos_ < s_.size() &&
               (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n'))
            ++pos_;
    }
    bool consume(const char* word) {
        const std::string w(word);
        if (s_.compare(pos_, w.size(), w) != 0) return false;
        pos_ += w.size();
        return true;
    }

    Value value() {
        skipBlanks();
        if (pos_ >= s_.size()) fail("missing value");
        const char c = s_[pos_];
        if (c == '{') return object();
        if (c == '[') return array();
        if (c == '"') return Value(string());
        if (consume("null")) return Value();
        if (consume("true")) return Value(true);
        if (consume("false")) return Value(false);
        return number();
    }

    Value object() {
        ++pos_;
        Object members;
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == '}') {
            ++pos_;
            return Value(std::move(members));
        }
        for (;;) {
            skipBlanks();
            if (pos_ >= s_.size() || s_[pos_] != '"') fail("expected a key");
            std::string key = string();
            skipBlanks();
            if (pos_ >= s_.size() || s_[pos_] != ':') fail("expected ':'");
            ++pos_;
            members[key] = value();
            skipBlanks();
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == '}') {
                ++pos_;
                return Value(std::move(members));
            }
            fail("expected ',' or '}'");
        }
    }

    Value array() {
        ++pos_;
        Array items;
        skipBlanks();
        if (pos_ < s_.size() && s_[pos_] == ']') {
            ++pos_;
            return Value(std::move(items));
        }
        for (;;) {
            items.push_back(value());
            skipBlanks();
            if (pos_ < s_.size() && s_[pos_] == ',') {
                ++pos_;
                continue;
            }
            if (pos_ < s_.size() && s_[pos_] == ']') {
                ++pos_;
                return Value(std::move(items));
            }
            fail("expected ',' or ']'");
        }
    }

    unsigned hex4() {
        if (pos_ + 4 > s_.size()) fail("short \\u escape");
        unsigned code = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = s_[pos_++];
            code <<= 4;
            if (h >= '0' && h <= '9')
                code |= static_cast<unsigned>(h - '0');
            else if (h >= 'a' && h <= 'f')
                code |= static_cast<unsigned>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F')
                code |= static_cast<unsigned>(h - 'A' + 10);
            else
                fail("bad \\u escape");
        }
        return code;
    }

    static void appendUtf8(unsigned code, std::string& out) {
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

    std::string string() {
        ++pos_;
        std::string out;
        for (;;) {
            if (pos_ >= s_.size()) fail("unterminated string");
            const char c = s_[pos_++];
            if (c == '"') return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (pos_ >= s_.size()) fail("unterminated escape");
            const char e = s_[pos_++];
            switch (e) {
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
                case 'u': {
                    unsigned code = hex4();
                    if (code >= 0xD800 && code < 0xDC00 && consume("\\u")) {
                        const unsigned low = hex4();
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    }
                    appendUtf8(code, out);
                    break;
                }
                default:
                    fail("bad escape");
            }
        }
    }

    Value number() {
        const std::size_t start = pos_;
        bool is_double = false;
        if (s_[pos_] == '-') ++pos_;
        while (pos_ < s_.size()) {
            const char c = s_[pos_];
            if (c >= '0' && c <= '9') {
                ++pos_;
            } else if (c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-') {
                is_double = true;
                ++pos_;
            } else {
                break;
            }
        }
        const std::string text = s_.substr(start, pos_ - start);
        if (text.empty() || text == "-") fail("bad value");
        char* end = nullptr;
        if (is_double) {
            const double d = std::strtod(text.c_str(), &end);
            if (*end != '\0') fail("bad number");
            return Value(d);
        }
        const long long i = std::strtoll(text.c_str(), &end, 10);
        if (*end != '\0') fail("bad number");
        return Value(static_cast<std::int64_t>(i));
    }

    const std::string& s_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string write(const Value& value) {
    std::string out;
    writeValue(value, out);
    return out;
}

Value parse(const std::string& text) {
    return Parser(text).document();
}

}  // namespace rl00::json
