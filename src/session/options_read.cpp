#include "session/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <deque>
#include <limits>
#include <map>

namespace rl00 {

namespace {

const Option* findNamed(const CommandLine& line, std::string_view name) {
    for (const Option& o : line.options) {
        if (!o.name.empty() && (o.name == name || o.alias == name)) return &o;
    }
    return nullptr;
}

std::string inQuotes(std::string_view text) {
    return "\"" + std::string(text) + "\"";
}

std::string_view commandWord(const CommandLine& c) {
    const std::string_view program = c.program;
    return program.substr(program.rfind(' ') + 1);
}

// The faults of one reading, each at the argument it was found in: the first is told, as a
// reading in the order of the arguments finds it. CLI11 calls a row's store only with the value,
// so the place of each value a row is given is kept here until its store asks.
class Faults {
  public:
    static constexpr std::size_t kNowhere = std::numeric_limits<std::size_t>::max();

    void add(std::size_t at, std::string text) {
        if (at < at_ || first_.empty()) {
            at_ = at;
            first_ = std::move(text);
        }
    }
    const std::string& first() const { return first_; }

    void valueAt(const Option& o, std::size_t at) { places_[&o].push_back(at); }
    std::size_t nextValueOf(const Option& o) {
        std::deque<std::size_t>& places = places_[&o];
        if (places.empty()) return kNowhere;
        const std::size_t at = places.front();
        places.pop_front();
        return at;
    }

  private:
    std::size_t at_ = kNowhere;
    std::string first_;
    std::map<const Option*, std::deque<std::size_t>> places_;
};

// The names CLI11 knows a row by: "-h,--help", "--games", or the positional's own.
std::string namesOf(const Option& o, std::size_t positional) {
    if (o.name.empty()) return "argument" + std::to_string(positional);
    return o.alias.empty() ? o.name : o.alias + "," + o.name;
}

// Declares the table's rows to CLI11; each value goes to its row's store as it is read, and a
// value the row refuses is a fault.
void declareRows(CLI::App& app, const CommandLine& table, Reading& r, Faults& faults) {
    app.set_help_flag();
    std::size_t positionals = 0;
    for (const Option& o : table.options) {
        const std::string what = o.name.empty() ? "the argument" : o.name;
        const CLI::callback_t store = [&o, &faults, what](const CLI::results_t& values) {
            for (const std::string& v : values) {
                const std::size_t at = faults.nextValueOf(o);
                if (!o.store(v))
                    faults.add(at, what + " takes " + o.takes + ", not " + inQuotes(v));
            }
            return true;
        };
        if (o.kind == ValueKind::None) {
            app.add_flag_callback(namesOf(o, 0), [&o, &r] {
                if (o.asks_for_usage) {
                    r.help = true;
                } else if (o.asks_for_version) {
                    r.version = true;
                } else {
                    o.store("");
                }
            });
        } else if (o.name.empty()) {
            CLI::Option* p = app.add_option(namesOf(o, positionals++), store);
            if (o.many) {
                p->expected(0, CLI::detail::expected_max_vector_size)->allow_extra_args();
            } else {
                p->expected(1);
            }
        } else {
            app.add_option(namesOf(o, 0), store)
                ->expected(1)
                ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
                ->trigger_on_parse();
        }
    }
}

// How many positional words a table takes.
std::size_t positionalRoom(const CommandLine& table) {
    std::size_t room = 0;
    for (const Option& o : table.options) {
        if (!o.name.empty()) continue;
        if (o.many) return std::numeric_limits<std::size_t>::max();
        ++room;
    }
    return room;
}

// The positional row that takes the n-th positional word (0: the first).
const Option& positionalAt(const CommandLine& table, std::size_t n) {
    const Option* last = nullptr;
    for (const Option& o : table.options) {
        if (!o.name.empty()) continue;
        if (n-- == 0 || o.many) return o;
        last = &o;
    }
    return *last;
}

// A positional word beyond those the table takes.
std::string extraWordFault(const std::vector<std::string>& taken, const std::string& word) {
    if (taken.empty()) return "no argument is taken, not " + inQuotes(word);
    if (taken.size() == 1)
        return "only one argument is taken, not " + inQuotes(taken.front()) + " and " +
               inQuotes(word);
    return "only " + std::to_string(taken.size()) + " arguments are taken, not " + inQuotes(word);
}

// The arguments as CLI11 is to read them. CLI11 would take "-" for a value and "--" for the end
// of the options, split "-h=1" into short options, read a switch's "=yes" as its value and take
// the word after "--name=" as the value: those are refused (or passed over as foreign) here, and
// "--name=value" is handed on as "--name" "value", so that an empty value stays one. A name whose
// value is missing and positional words beyond the table's are refused here too.
std::vector<std::string> strictWords(const CommandLine& table, std::span<const std::string> args,
                                     Foreign foreign, Faults& faults) {
    std::vector<std::string> words;
    std::vector<std::string> positional;
    const std::size_t room = positionalRoom(table);
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (!a.starts_with("-")) {
            if (positional.size() < room) {
                faults.valueAt(positionalAt(table, positional.size()), i);
                positional.push_back(a);
                words.push_back(a);
            } else if (foreign == Foreign::Fault) {
                faults.add(i, extraWordFault(positional, a));
            }
            continue;
        }
        const auto eq = a.starts_with("--") ? a.find('=') : std::string::npos;
        const Option* o = findNamed(table, std::string_view(a).substr(0, eq));
        if (o == nullptr) {
            if (foreign == Foreign::Fault) faults.add(i, "unknown option " + inQuotes(a));
        } else if (o->kind == ValueKind::None && eq != std::string::npos) {
            faults.add(i, o->name + " takes no value, not " + inQuotes(a.substr(eq + 1)));
        } else if (o->kind == ValueKind::None) {
            words.push_back(a);
        } else if (eq != std::string::npos) {
            faults.valueAt(*o, i);
            words.push_back(a.substr(0, eq));
            words.push_back(a.substr(eq + 1));
        } else if (i + 1 < args.size()) {
            faults.valueAt(*o, i);
            words.push_back(a);
            words.push_back(args[++i]);
        } else {
            faults.add(i, o->name + " is missing its value (" + o->takes + ")");
        }
    }
    return words;
}

}  // namespace

const CommandLine& tableOf(const CommandLine& line, const Reading& reading) {
    for (const CommandLine& c : line.commands) {
        if (commandWord(c) == reading.command) return c;
    }
    return line;
}

Reading readCommandLine(const CommandLine& line, std::span<const std::string> args,
                        Foreign foreign) {
    // A job of its own is the first word; later, the same word is an argument like any other.
    const CommandLine* table = &line;
    for (const CommandLine& c : line.commands) {
        if (!args.empty() && args.front() == commandWord(c)) table = &c;
    }
    CLI::App app(line.summary, line.program);
    app.allow_extras();
    CLI::App* reader = &app;
    std::vector<std::string> words;
    if (table != &line) {
        reader = app.add_subcommand(std::string(commandWord(*table)), table->summary);
        reader->allow_extras();
        words.push_back(args.front());
        args = args.subspan(1);
    }
    Reading r;
    Faults faults;
    declareRows(*reader, *table, r, faults);
    for (std::string& w : strictWords(*table, args, foreign, faults))
        words.push_back(std::move(w));
    std::reverse(words.begin(), words.end());  // CLI11 takes the words from the back
    try {
        app.parse(words);
    } catch (const CLI::ParseError& e) {
        // strictWords leaves CLI11 nothing to refuse; a fault of its own is still one line.
        faults.add(Faults::kNowhere, e.what());
    }
    // strictWords hands CLI11 only words it takes; one left over would be a word lost.
    for (const std::string& left : app.remaining(true))
        faults.add(Faults::kNowhere, "unknown option " + inQuotes(left));
    if (reader != &app && app.got_subcommand(reader)) r.command = commandWord(*table);
    r.fault = faults.first();
    return r;
}

}  // namespace rl00
