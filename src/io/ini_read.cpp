#include "io/ini_read.h"

#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <optional>

#include "io/input_file.h"
#include "io/sjis.h"
#include "machine/machine.h"

namespace rl00 {
namespace {

struct Section {
    std::string_view name;
    std::string Settings::*setting;
};

constexpr std::array<Section, 6> kSections{{
    {"[ログ書き込み先パス]", &Settings::G_sLogPath},
    {"[ログ書き込み先ファイル名]", &Settings::G_sLogName},
    {"[待機時間]", &Settings::G_sWaitTime},
    {"[スクロールスピード]", &Settings::G_sScrollSpeed},
    {"[EXCELパス]", &Settings::G_sExcelPath},
    {"[EXCEL01]", &Settings::G_sExcelBook},
}};

constexpr std::string_view kBlanks = " \t";
constexpr std::string_view kItemEnds = ",\r\n";
constexpr std::string_view kCommentChars = "'-#$%&!*/";

std::string Settings::*settingFor(std::string_view item) {
    for (const Section& s : kSections) {
        if (item == s.name) return s.setting;
    }
    return nullptr;
}

bool isNullDevice(const std::string& path) {
    struct stat st {
    }, null{};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode) &&
           ::stat("/dev/null", &null) == 0 && st.st_rdev == null.st_rdev;
}

}  // namespace

std::string_view ItemReader::next() {
    while (pos_ < text_.size() && kBlanks.find(text_[pos_]) != std::string_view::npos)
        ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '"') {
        const std::size_t start = pos_ + 1;
        const std::size_t close = text_.find('"', start);
        if (close == std::string_view::npos) {
            pos_ = text_.size();
            return text_.substr(start);
        }
        const std::string_view item = text_.substr(start, close - start);
        pos_ = text_.find_first_of(kItemEnds, close + 1);
        finishItem();
        return item;
    }
    const std::size_t start = pos_;
    pos_ = text_.find_first_of(kItemEnds, start);
    const std::string_view item = text_.substr(start, std::min(pos_, text_.size()) - start);
    finishItem();
    return item;
}

void ItemReader::finishItem() {
    if (pos_ >= text_.size()) {
        pos_ = text_.size();
        return;
    }
    const char end = text_[pos_++];
    if (end == '\r' && pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
}

std::string_view trimBlanks(std::string_view item) {
    const auto first = item.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    const auto last = item.find_last_not_of(kBlanks);
    return item.substr(first, last - first + 1);
}

// The blank of Japanese text, which a comment such as "/　メモ" may well begin with.
constexpr std::string_view kIdeographicSpace = "\u3000";

bool isCommentItem(std::string_view item) {
    if (item.empty()) return false;
    if (item[0] == '/') {
        const std::string_view rest = item.substr(1);
        return rest.empty() || rest.starts_with('/') || rest.starts_with('*') ||
               rest.starts_with(' ') || rest.starts_with('\t') ||
               rest.starts_with(kIdeographicSpace);
    }
    return kCommentChars.find(item[0]) != std::string_view::npos;
}

Flag parseSettings(std::string_view text, Settings& settings) {
    ItemReader reader(text);
    while (!reader.atEnd()) {
        std::string Settings::*setting = settingFor(trimBlanks(reader.next()));
        if (setting == nullptr) continue;
        // A section at the very end of the text leaves its setting empty.
        std::string_view value;
        while (!reader.atEnd()) {
            const std::string_view item = trimBlanks(reader.next());
            if (item.starts_with('[')) return kFalse;
            if (item.empty() || isCommentItem(item)) continue;
            value = item;
            break;
        }
        settings.*setting = std::string(value);
    }
    return kTrue;
}

Flag readSettings(std::string_view bytes, Settings& settings) {
    const std::optional<std::string> text = decodeText(bytes);
    if (!text) return kFalse;
    return parseSettings(*text, settings);
}

Flag readSettingsFile(const std::string& path, Settings& settings) {
    std::string error;
    const std::optional<std::string> bytes = readWholeFile(path, kMaxIniBytes, error);
    if (!bytes) return kFalse;
    return readSettings(*bytes, settings);
}

std::optional<std::string> settingsFileFault(const std::string& path) {
    if (isNullDevice(path)) return std::nullopt;
    std::string error;
    const std::optional<std::string> bytes =
        readWholeFile(path, kMaxIniBytes, error, "the configuration file");
    if (!bytes) return error;
    // Shift-JIS and UTF-8 text never hold a NUL byte; UTF-16 text and binaries do.
    if (bytes->starts_with("\xFF\xFE") || bytes->starts_with("\xFE\xFF") ||
        bytes->find('\0') != std::string::npos)
        return "the configuration file " + path +
               " is not text in Shift-JIS or UTF-8 (UTF-16, or not text at all)";
    return std::nullopt;
}

Flag INI_READ(Machine& m) {
    return readSettingsFile(m.G_sAppPath + "/" + kIniFileName, m);
}

}  // namespace rl00
