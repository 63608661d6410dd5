#pragma once
// The command line of both programs. Each program declares its options in one table, the shared
// rows plus its own, and a table for each further job it does (a subcommand, its first word);
// CLI11 reads the arguments by the table and the same table writes the usage text, so the two
// cannot disagree.

#include <charconv>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace rl00 {

// What an option takes after its name.
enum class ValueKind {
    None,   // nothing: a switch such as --quiet
    Whole,  // decimal digits (a leading minus for a signed target), within a range
    Real,   // a finite decimal number, within a range
    Text,   // any text, the empty one too
};

// One row of a program's option table. A row without a name is a positional argument; several
// take the words in their order.
struct Option {
    std::string name;   // "--games"; empty for the positional argument
    std::string alias;  // a short form such as "-h", or empty
    ValueKind kind = ValueKind::None;
    std::string value_name;  // how the usage shows the value: "N", "FILE", "1|7|8"
    std::string takes;       // what a wrong value is told the option takes
    // The usage's text; '\n' starts another line. A line "7\ttext" shows 7 in the left column.
    std::string help;
    bool asks_for_usage = false;    // --help: the usage is the answer, whatever else was given
    bool asks_for_version = false;  // --version: the version is the answer, unless --help is
    bool many = false;              // a positional argument that takes every word left
    // Keeps a value; false when the text is not one the option takes. A switch gets "".
    std::function<bool(std::string_view)> store;
};

// A program's command line: its options and the texts around them in the usage. The rows keep
// references to where their values go, which must outlive the table.
struct CommandLine {
    std::string program;  // "rl00"; a subcommand's: "rl00-headless merge"
    std::string summary;  // one line under the usage line
    std::vector<Option> options;
    std::string footer;    // lines after the options, or empty
    std::string synopsis;  // the usage line after the program's name; empty: made from the rows
    // The program's other jobs, each named by the last word of its `program`, which must be the
    // first argument.
    std::vector<CommandLine> commands;
};

// What a reading of the arguments found besides the values it stored.
struct Reading {
    bool help = false;      // --help or -h was given
    std::string fault;      // the first fault, empty when there was none
    bool version = false;   // --version was given
    std::string command{};  // the subcommand read ("merge"), empty for the program's own table
};

// The table `reading` was read with: the subcommand's, or `line` itself.
const CommandLine& tableOf(const CommandLine& line, const Reading& reading);

// What a reading makes of arguments that are not the table's: unknown options (anything that
// begins with "-", "-" alone too) and a second positional argument.
enum class Foreign {
    Fault,  // the first one is the reading's fault
    Skip,   // passed over: someone else (Qt) still takes its own options out of the arguments
};

// Reads `args` (without the program's name) into the table's targets, or those of the subcommand
// the first argument names. Both "--name value" and "--name=value" give a value; the value after
// a separate name is the next argument, whatever it looks like. Reading goes on past a fault, so
// a later --help is still seen; the fault told is the first in the order of the arguments.
Reading readCommandLine(const CommandLine& line, std::span<const std::string> args,
                        Foreign foreign = Foreign::Fault);

// The usage text: the usage line, the summary, one aligned entry per option, the footer.
std::string usageText(const CommandLine& line);

// What a program that cannot run says, in the words of the table read: the usage on `out` (exit
// code 0) after --help, else the program's name and version on `out` (exit code 0) after
// --version; otherwise the fault in one line and where to find the usage on `err` (exit code 2).
// Nothing when the program runs.
std::optional<int> answerReading(const CommandLine& line, const Reading& reading, std::ostream& out,
                                 std::ostream& err);

// A number as the usage and the messages show it: shortest form, "0.5", "20".
std::string numberText(double value);

// --- rows ---

namespace options_detail {

template <class T>
struct ValueOf {
    using type = T;
};
template <class T>
struct ValueOf<std::optional<T>> {
    using type = T;
};
template <class Target>
using ValueOfT = typename ValueOf<Target>::type;

template <class T>
bool readWhole(std::string_view text, T& value) {
    const char* end = text.data() + text.size();
    const auto res = std::from_chars(text.data(), end, value);
    return res.ec == std::errc{} && res.ptr == end;
}

template <class T>
std::string wholeRangeText(T min, T max) {
    return "a whole number from " + std::to_string(min) + " to " + std::to_string(max);
}

}  // namespace options_detail

// -h, --help: the usage is the answer.
Option helpOption();

// A switch: `to` becomes true when the option is given.
Option switchOption(std::string name, std::string help, bool& to);

// A whole number in [min, max] into `to`, an integer or an optional one. Text beyond the digits,
// a sign where the type has none, or a number past the type's own limits is not a value.
template <class Target, class T = options_detail::ValueOfT<Target>>
Option wholeOption(std::string name, std::string value_name, std::string help, Target& to,
                   std::type_identity_t<T> min, std::type_identity_t<T> max) {
    static_assert(std::is_integral_v<T>, "a whole number goes into an integer");
    Option o;
    o.name = std::move(name);
    o.kind = ValueKind::Whole;
    o.value_name = std::move(value_name);
    o.takes = options_detail::wholeRangeText(min, max);
    o.help = std::move(help);
    o.store = [&to, min, max](std::string_view text) {
        T value{};
        if (!options_detail::readWhole(text, value) || value < min || value > max) return false;
        to = value;
        return true;
    };
    return o;
}

// A finite number in [min, max] into `to`.
Option realOption(std::string name, std::string value_name, std::string help, double& to,
                  double min, double max);
Option realOption(std::string name, std::string value_name, std::string help,
                  std::optional<double>& to, double min, double max);

// Any text into `to`; `takes` names what it is ("a file").
Option textOption(std::string name, std::string value_name, std::string takes, std::string help,
                  std::string& to);

// A positional argument that takes every word left, each appended to `to`.
Option wordsOption(std::string value_name, std::string takes, std::string help,
                   std::vector<std::string>& to);

// --- the rows both programs take ---

// What both programs read from their command line.
struct SharedOptions {
    std::string argument;  // the machine's argument as given ("1", "7", "8"); empty when none
    std::optional<double> frame_ms;  // the animation frame period, when given
};

// Each program's own frame periods and its words for them.
struct FramePeriodRange {
    double min_ms = 0.0;
    double max_ms = 0.0;
    std::string help;
};

// The machine's argument and --frame-ms first, then the program's `own` rows, then -h/--help and
// --version.
std::vector<Option> withSharedOptions(SharedOptions& to, FramePeriodRange frame,
                                      std::vector<Option> own);

}  // namespace rl00
