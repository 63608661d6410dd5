#pragma once
// How a statistics file is read: in the order it was written, a window at a time, every byte
// checked against what the writer writes for the values read so far (stats_layout.h), so that
// neither the file nor a tree of it is ever held whole.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/json.h"
#include "stats/run_stats.h"

namespace rl00 {

class InputFile;

// A failure to read the file itself, told as the file's own message rather than as a fault of
// its text.
struct StatsReadFault {
    std::string what;
};

// The text being read, a window at a time: all of a text in memory, or a file read in pieces as
// far as the reading has come.
class StatsInput {
  public:
    explicit StatsInput(std::string_view text) : window_(text) {}
    explicit StatsInput(InputFile& file) : file_(&file) {}

    // The next `n` bytes, or all that are left when fewer are.
    std::string_view ahead(std::size_t n) {
        if (window_.size() < n && file_ != nullptr) fill(n);
        return window_.substr(0, n);
    }
    void skip(std::size_t n);
    // The line the next byte is on, counted from 1.
    std::uint64_t line() const { return lines_ + 1; }

  private:
    static constexpr std::size_t kPiece = std::size_t{1} << 16;

    // Reads on until `n` bytes are ahead or the file has ended; throws StatsReadFault.
    void fill(std::size_t n);

    InputFile* file_ = nullptr;
    std::string buffer_;
    std::string_view window_;  // the bytes not yet read
    std::uint64_t lines_ = 0;
};

// Reads the values of a section's layout (stats_layout.h). What the writer writes around a value
// (separators, line breaks, keys) is written into `expected_` by a writer of our own, and must be
// what the input holds; a value is read where the writer would write it, in the one form the
// writer gives it.
class StatsReadFormat {
  public:
    explicit StatsReadFormat(StatsInput& in) : in_(in), w_(expected_, json::Layout::Pretty) {}

    void beginObject(const char* key, json::Span span) {
        at(key).beginObject(span);
        enter(key, false);
    }
    void endObject() {
        w_.endObject();
        levels_.pop_back();
    }
    void beginArray(const char* key, json::Span span) {
        at(key).beginArray(span);
        enter(key, true);
    }
    void endArray() {
        w_.endArray();
        levels_.pop_back();
    }

    template <class T>
    void whole(const char* key, T& n) {
        at(key).integer(0);
        expected_.pop_back();  // the zero stood for the value, which comes from the input
        check();
        n = static_cast<T>(readWhole(static_cast<std::uint64_t>(std::numeric_limits<T>::max())));
    }
    void given(const char* key, std::uint64_t n) { at(key).integer(n); }
    void text(const char* key, std::string& s);
    void number(const char* key, double& d);
    void optionalWhole(const char* key, std::optional<std::uint64_t>& n) {
        at(key).null();
        expected_.resize(expected_.size() - 4);
        check();
        if (in_.ahead(4) == "null") {
            in_.skip(4);
            n.reset();
        } else {
            n = readWhole(std::numeric_limits<std::uint64_t>::max());
        }
    }
    bool boolean(const char* key);
    void histogram(const char* key, Histogram& h);

    // Whether the array being read has another item.
    bool moreItems() {
        check();
        const std::string_view next = in_.ahead(1);
        if (next.empty()) cutShort();
        return levels_.back().items == 0 ? next[0] != ']' : next[0] == ',';
    }

    // For text derived from what was read (the figures): written here, compared at the next check.
    json::Writer& writer() { return w_; }
    void literal(std::string_view text) { expected_ += text; }

    // Compares what the writer has written since the last check with the input.
    void check();
    // Refuses anything after the end of the file's text.
    void finish() {
        check();
        if (!in_.ahead(1).empty()) differs();
    }

    // The member being read, as messages name it: "counts.modes[2].hits".
    std::string where() const;
    // Each throws StatsFileError.
    [[noreturn]] void cutShort() const;
    [[noreturn]] void differs() const;
    [[noreturn]] void refuseValue(const std::string& what) const;

  private:
    struct Level {
        const char* key;  // nullptr for an item of an array
        std::size_t index;
        bool array;
        std::size_t items = 0;
    };

    json::Writer& at(const char* key) {
        last_key_ = key;
        if (key != nullptr) {
            w_.key(key);
        } else if (!levels_.empty()) {
            last_index_ = levels_.back().items++;
        }
        return w_;
    }
    void enter(const char* key, bool array) { levels_.push_back({key, last_index_, array}); }

    // A whole number of at most `most`, in the writer's digits.
    std::uint64_t readWhole(std::uint64_t most);

    StatsInput& in_;
    std::string expected_;
    json::Writer w_;
    std::vector<Level> levels_;
    const char* last_key_ = nullptr;
    std::size_t last_index_ = 0;
};

}  // namespace rl00
