#include "session/options.h"

#include <algorithm>
#include <cmath>
#include <ostream>

#include "platform/float_text.h"
#include "session/version.h"

namespace rl00 {

namespace {

const Option* findNamed(const CommandLine& line, std::string_view name) {
    for (const Option& o : line.options) {
        if (!o.name.empty() && (o.name == name || o.alias == name)) return &o;
    }
    return nullptr;
}

const Option* findPositional(const CommandLine& line) {
    for (const Option& o : line.options) {
        if (o.name.empty()) return &o;
    }
    return nullptr;
}

std::string quoted(std::string_view text) {
    return "\"" + std::string(text) + "\"";
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

Reading readCommandLine(const CommandLine& line, std::span<const std::string> args,
                        Foreign foreign) {
    Reading r;
    auto fault = [&r](std::string text) {
        if (r.fault.empty()) r.fault = std::move(text);
    };
    const Option* positional = findPositional(line);
    const std::string* argument = nullptr;  // the positional argument taken so far
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!a.starts_with("-")) {
            if (positional == nullptr) {
                if (foreign == Foreign::Fault) fault("no argument is taken, not " + quoted(a));
            } else if (argument != nullptr) {
                if (foreign == Foreign::Fault) {
                    fault("only one argument is taken, not " + quoted(*argument) + " and " +
                          quoted(a));
                }
            } else {
                argument = &a;
                if (!positional->store(a)) {
                    fault("the argument takes " + positional->takes + ", not " + quoted(a));
                }
            }
            continue;
        }
        // Only a long name carries its value after "=".
        const auto eq = a.starts_with("--") ? a.find('=') : std::string::npos;
        const std::string_view name = std::string_view(a).substr(0, eq);
        const Option* o = findNamed(line, name);
        if (o == nullptr) {
            if (foreign == Foreign::Fault) fault("unknown option " + quoted(a));
            continue;
        }
        if (o->kind == ValueKind::None) {
            if (eq != std::string::npos) {
                fault(o->name + " takes no value, not " + quoted(a.substr(eq + 1)));
            } else if (o->asks_for_usage) {
                r.help = true;
            } else if (o->asks_for_version) {
                r.version = true;
            } else {
                o->store("");
            }
            continue;
        }
        std::string_view value;
        if (eq != std::string::npos) {
            value = std::string_view(a).substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            fault(o->name + " is missing its value (" + o->takes + ")");
            continue;
        }
        if (!o->store(value)) fault(o->name + " takes " + o->takes + ", not " + quoted(value));
    }
    return r;
}

std::string usageText(const CommandLine& line) {
    std::string text = "Usage: " + line.program + " [options]";
    if (const Option* p = findPositional(line)) text += " [" + p->value_name + "]";
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

std::optional<int> answerReading(const CommandLine& line, const Reading& reading, std::ostream& out,
                                 std::ostream& err) {
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
