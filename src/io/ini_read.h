#pragma once
// The configuration file RL00.INI beside the program: six sections, one value each, read once
// while the main window loads. INI_READ is the machine's own name for the reader.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "machine/settings.h"
#include "platform/vb_types.h"

namespace rl00 {

struct Machine;

inline constexpr const char* kIniFileName = "RL00.INI";

// Files larger than this are not configuration files; refusing them keeps a stray multi-gigabyte
// file from exhausting memory at start-up.
inline constexpr std::size_t kMaxIniBytes = std::size_t{32} << 20;

// Splits decoded text into items the way comma-delimited text is read: blanks before an item
// are skipped; an item ends at a comma (consumed) or at the end of its line (CR LF, LF or CR,
// consumed); an item that begins with a double quote runs to the next double quote, across
// commas and line ends, and whatever follows the closing quote up to the item's end is dropped.
// The items are views into the text, untrimmed.
class ItemReader {
  public:
    explicit ItemReader(std::string_view text) : text_(text) {}

    bool atEnd() const { return pos_ >= text_.size(); }
    // Reads the next item; at the end of the text it is empty.
    std::string_view next();

  private:
    // Consumes the item's end at pos_: a comma, a line end, or nothing at the end of the text.
    void finishItem();

    std::string_view text_;
    std::size_t pos_ = 0;
};

// The item without the blanks (spaces and tabs) around it.
std::string_view trimBlanks(std::string_view item);

// True for an item, already trimmed, that can never be a value: it begins with one of
// ' - # $ % & ! * or /. An absolute path such as "/var/log" is a value all the same; "/" alone,
// "//", "/*" and "/" followed by a blank (a space, a tab or an ideographic space) stay comments.
bool isCommentItem(std::string_view item);

// Reads the settings from decoded text. Returns true when the whole text was read and false
// when a section item stood where a value was awaited; the settings read before it keep their
// values and the others are left as they were.
Flag parseSettings(std::string_view text, Settings& settings);

// Decodes a file's bytes (Shift-JIS or UTF-8) and reads the settings from them; false also when
// the text cannot be decoded at all.
Flag readSettings(std::string_view bytes, Settings& settings);

// Reads a configuration file into `settings`, with the same rules and results as INI_READ.
Flag readSettingsFile(const std::string& path, Settings& settings);

// Why a file cannot be read as a configuration file, in one line naming the cause (missing or
// unreadable, a folder, a FIFO or device, a dangling link, larger than kMaxIniBytes, UTF-16 or
// binary), or nothing when it can. /dev/null reads as a file without settings.
std::optional<std::string> settingsFileFault(const std::string& path);

// Reads G_sAppPath/RL00.INI into the machine's settings. False when the file cannot be opened
// or read, is not a regular file, or is larger than kMaxIniBytes; no message is shown and the
// caller goes on either way.
Flag INI_READ(Machine& m);

}  // namespace rl00
