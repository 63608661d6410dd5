#include "stats/stats_read_format.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "io/input_file.h"
#include "io/sjis.h"
#include "platform/float_text.h"
#include "stats/stats_file.h"

namespace rl00 {

void StatsInput::skip(std::size_t n) {
    lines_ += static_cast<std::uint64_t>(
        std::count(window_.begin(), window_.begin() + static_cast<std::ptrdiff_t>(n), '\n'));
    window_.remove_prefix(n);
}

void StatsInput::fill(std::size_t n) {
    buffer_.erase(0, buffer_.size() - window_.size());
    while (buffer_.size() < n) {
        const std::size_t had = buffer_.size();
        buffer_.resize(std::max(had + kPiece, n));
        const std::size_t got = file_->read(buffer_.data() + had, buffer_.size() - had);
        buffer_.resize(had + got);
        if (!file_->error().empty()) throw StatsReadFault{file_->error()};
        if (got == 0) break;
    }
    window_ = buffer_;
}

void StatsReadFormat::cutShort() const {
    throw StatsFileError("is cut short (it ends at line " + std::to_string(in_.line()) + ")");
}

void StatsReadFormat::differs() const {
    throw StatsFileError("differs from what rl00-headless writes, at line " +
                         std::to_string(in_.line()) + " (edited?)");
}

void StatsReadFormat::refuseValue(const std::string& what) const {
    throw StatsFileError("holds \"" + where() + "\" that is " + what);
}

std::string StatsReadFormat::where() const {
    std::string path;
    auto add = [&path](const char* key, std::size_t index) {
        if (key == nullptr) {
            path += "[" + std::to_string(index) + "]";
        } else {
            path += (path.empty() ? "" : ".") + std::string(key);
        }
    };
    for (std::size_t i = 1; i < levels_.size(); ++i)
        add(levels_[i].key, levels_[i].index);
    add(last_key_, last_index_);
    return path;
}

void StatsReadFormat::check() {
    const std::string_view got = in_.ahead(expected_.size());
    if (got != expected_) {
        const auto diff = std::mismatch(got.begin(), got.end(), expected_.begin()).first;
        in_.skip(static_cast<std::size_t>(diff - got.begin()));
        if (diff == got.end()) cutShort();
        differs();
    }
    in_.skip(got.size());
    expected_.clear();
}

std::uint64_t StatsReadFormat::readWhole(std::uint64_t most) {
    constexpr std::size_t kDigits = std::numeric_limits<std::uint64_t>::digits10 + 1;
    const std::string_view t = in_.ahead(kDigits + 1);
    std::size_t digits = 0;
    while (digits < t.size() && t[digits] >= '0' && t[digits] <= '9')
        ++digits;
    if (digits == 0) {
        if (t.empty()) cutShort();
        refuseValue("not a whole number");
    }
    if (digits > 1 && t[0] == '0') differs();
    std::uint64_t value = 0;
    if (std::from_chars(t.data(), t.data() + digits, value).ec != std::errc{} || value > most)
        refuseValue("not a whole number up to " + std::to_string(most));
    in_.skip(digits);
    return value;
}

void StatsReadFormat::text(const char* key, std::string& s) {
    at(key).string("");
    expected_.resize(expected_.size() - 2);
    check();
    // Each byte of the text takes at most six in the file (\u001f), with the two quotes.
    constexpr std::size_t kMostBytes = 6 * kMaxStatsTextBytes + 2;
    const std::string_view t = in_.ahead(kMostBytes);
    if (t.empty()) cutShort();
    if (t[0] != '"') refuseValue("not a text");
    std::size_t end = 1;
    while (end < t.size() && t[end] != '"')
        end += t[end] == '\\' ? 2 : 1;
    if (end >= t.size()) {
        if (t.size() < kMostBytes) cutShort();
        refuseValue("longer than " + std::to_string(kMaxStatsTextBytes) + " bytes");
    }
    const std::string_view quoted = t.substr(0, end + 1);
    try {
        s = json::parse(quoted).asString();
    } catch (const json::ParseError&) {
        differs();
    }
    if (!isUtf8(s)) refuseValue("not UTF-8 text");
    if (s.size() > kMaxStatsTextBytes)
        refuseValue("longer than " + std::to_string(kMaxStatsTextBytes) + " bytes");
    std::string canonical;
    json::Writer(canonical).string(s);
    if (canonical != quoted) differs();
    in_.skip(quoted.size());
}

void StatsReadFormat::number(const char* key, double& d) {
    at(key).number(0.0);
    expected_.pop_back();
    check();
    const std::string_view t = in_.ahead(64);
    const std::size_t size = std::min(t.find_first_not_of("-+.eE0123456789"), t.size());
    if (size == 0) {
        if (t.empty()) cutShort();
        refuseValue("not a number");
    }
    if (readDouble(t.data(), t.data() + size, d).ec != std::errc{}) refuseValue("not a number");
    std::string canonical;
    json::Writer(canonical).number(d);
    if (canonical != t.substr(0, size)) differs();
    in_.skip(size);
}

bool StatsReadFormat::boolean(const char* key) {
    at(key).boolean(false);
    expected_.resize(expected_.size() - 5);
    check();
    for (const bool b : {true, false}) {
        const std::string_view word = b ? "true" : "false";
        if (in_.ahead(word.size()) == word) {
            in_.skip(word.size());
            return b;
        }
    }
    refuseValue("not true or false");
}

void StatsReadFormat::histogram(const char* key, Histogram& h) {
    beginObject(key, json::Span::OneLine);
    given("bound", h.bound());
    beginArray("by_value", json::Span::OneLine);
    std::vector<std::uint64_t> bins;
    while (moreItems()) {
        if (bins.size() > h.bound()) refuseValue("past the histogram's bound");
        bins.emplace_back();
        whole(nullptr, bins.back());
    }
    // The writer leaves out the zeros at the end.
    if (!bins.empty() && bins.back() == 0) differs();
    endArray();
    std::uint64_t over_count = 0, over_sum = 0;
    whole("over_count", over_count);
    whole("over_sum", over_sum);
    endObject();
    last_key_ = key;
    if (!h.assign(bins, over_count, over_sum))
        refuseValue("not a histogram of values up to its bound");
}

}  // namespace rl00
