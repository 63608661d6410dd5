#include "session/options.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <ostream>

#include "platform/float_text.h"
#include "session/version.h"

namespace rl00 {

namespace {

const Option* findPositional(const CommandLine& line) {
    for (const Option& o : line.options) {
        if (o.name.empty()) return &o;
    }
    return nullptr;
}

bool readReal(std::string_view text, double& value) {
    const char* end = text.data() + text.size();
    const auto res = readDouble(text.data(), end, value);
    return res.ec == std::errc{} && res.ptr == end && std::isfinite(value);
}

Option realRow(std::string name, std::string value_name, std::string help, double min, double max,
               std::function<void(double)> put) {
    Option o;
    o.name = std::move(name);
    o.kind = ValueKind::Real;
    o.value_name = std::move(value_name);
    o.takes = "a number from " + numberText(min) + " to " + numberText(max);
    o.help = std::move(help);
    o.store = [min, max, put = std::move(put)](std::string_view text) {
        double value = 0.0;
        if (!readReal(text, value) || value < min || value > max) return false;
        put(value);
        return true;
    };
    return o;
}

std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (true) {
        const auto nl = text.find('\n');
        lines.push_back(text.substr(0, nl));
        if (nl == std::string_view::npos) return lines;
        text.remove_prefix(nl + 1);
    }
}

// The left column of a row's first usage line.
std::string labelOf(const Option& o) {
    if (o.name.empty()) return o.value_name;
    std::string label = o.alias.empty() ? o.name : o.alias + ", " + o.name;
    if (!o.value_name.empty()) label += " " + o.value_name;
    return label;
}

// One usage line: a label in the left column and the text beside it.
struct UsageLine {
    std::string label;
    std::string_view text;
};

std::vector<UsageLine> usageLines(const Option& o) {
    std::vector<UsageLine> out;
    for (std::string_view line : splitLines(o.help)) {
        UsageLine u{out.empty() ? labelOf(o) : std::string(), line};
        if (const auto tab = line.find('\t'); tab != std::string_view::npos) {
            u.label = std::string(line.substr(0, tab));
            u.text = line.substr(tab + 1);
        }
        out.push_back(std::move(u));
    }
    return out;
}

}  // namespace

std::string numberText(double value) {
    char buf[32];
    const auto res = shortestChars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

Option helpOption() {
    return Option{.name = "--help",
                  .alias = "-h",
                  .kind = ValueKind::None,
                  .value_name = {},
                  .takes = {},
                  .help = "show this text",
                  .asks_for_usage = true,
                  .asks_for_version = false,
                  .store = {}};
}

Option switchOption(std::string name, std::string help, bool& to) {
    Option o;
    o.name = std::move(name);
    o.help = std::move(help);
    o.store = [&to](std::string_view) {
        to = true;
        return true;
    };
    return o;
}

Option realOption(std::string name, std::string value_name, std::string help, double& to,
                  double min, double max) {
    return realRow(std::move(name), std::move(value_name), std::move(help), min, max,
                   [&to](double v) { to = v; });
}

Option realOption(std::string name, std::string value_name, std::string help,
                  std::optional<double>& to, double min, double max) {
    return realRow(std::move(name), std::move(value_name), std::move(help), min, max,
                   [&to](double v) { to = v; });
}

Option textOption(std::string name, std::string value_name, std::string takes, std::string help,
                  std::string& to) {
    Option o;
    o.name = std::move(name);
    o.kind = ValueKind::Text;
    o.value_name = std::move(value_name);
    o.takes = std::move(takes);
    o.help = std::move(help);
    o.store = [&to](std::string_view text) {
        to = text;
        return true;
    };
    return o;
}

Option wordsOption(std::string value_name, std::string takes, std::string help,
                   std::vector<std::string>& to) {
    Option o;
    o.kind = ValueKind::Text;
    o.value_name = std::move(value_name);
    o.takes = std::move(takes);
    o.help = std::move(help);
    o.many = true;
    o.store = [&to](std::string_view word) {
        to.emplace_back(word);
        return true;
    };
    return o;
}

std::string usageText(const CommandLine& line) {
    std::string text = "Usage: " + line.program + " ";
    if (line.synopsis.empty()) {
        text += "[options]";
        if (const Option* p = findPositional(line)) text += " [" + p->value_name + "]";
    } else {
        text += line.synopsis;
    }
    text += "\n";
    if (!line.summary.empty()) text += line.summary + "\n";

    std::vector<UsageLine> lines;
    for (const Option& o : line.options) {
        for (UsageLine& u : usageLines(o))
            lines.push_back(std::move(u));
    }
    std::size_t width = 0;
    for (const UsageLine& u : lines)
        width = std::max(width, u.label.size());
    for (const UsageLine& u : lines) {
        text += "  " + u.label + std::string(width + 2 - u.label.size(), ' ');
        text += u.text;
        text += "\n";
    }
    if (!line.footer.empty()) text += line.footer + "\n";
    return text;
}

std::optional<int> answerReading(const CommandLine& program, const Reading& reading,
                                 std::ostream& out, std::ostream& err) {
    const CommandLine& line = tableOf(program, reading);
    if (reading.help) {
        out << usageText(line);
        return 0;
    }
    // A fault beside --version does not matter: nothing is run either way.
    if (reading.version) {
        out << line.program << " " << versionText() << "\n";
        return 0;
    }
    if (reading.fault.empty()) return std::nullopt;
    err << line.program << ": " << reading.fault << "\n";
    for (const Option& o : line.options) {
        if (o.asks_for_usage) {
            err << "See \"" << line.program << " " << o.name << "\" for the options.\n";
            break;
        }
    }
    return 2;
}

std::vector<Option> withSharedOptions(SharedOptions& to, FramePeriodRange frame,
                                      std::vector<Option> own) {
    std::vector<Option> rows;
    Option argument = textOption("", "1|7|8", "1, 7 or 8",
                                 "1\tstart in probability-variation mode\n"
                                 "7\tevery game is a hit (test mode)\n"
                                 "8\tlottery values from the test table (test mode)",
                                 to.argument);
    rows.push_back(std::move(argument));
    rows.push_back(realOption("--frame-ms", "X", std::move(frame.help), to.frame_ms, frame.min_ms,
                              frame.max_ms));
    for (Option& o : own)
        rows.push_back(std::move(o));
    rows.push_back(helpOption());
    rows.push_back(Option{.name = "--version",
                          .alias = {},
                          .kind = ValueKind::None,
                          .value_name = {},
                          .takes = {},
                          .help = "show the version",
                          .asks_for_usage = false,
                          .asks_for_version = true,
                          .store = {}});
    return rows;
}

}  // namespace rl00
