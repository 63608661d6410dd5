#include "frontends/headless/merge.h"

#include <algorithm>
#include <charconv>
#include <optional>
#include <ostream>

#include "io/output_file.h"
#include "platform/json.h"
#include "stats/stats_file.h"
#include "stats/stats_table.h"

namespace rl00 {

namespace {

class MergeFault {
  public:
    explicit MergeFault(std::string what) : what_(std::move(what)) {}
    const std::string& what() const { return what_; }

  private:
    std::string what_;
};

// What a merge keeps of each file: its machines' lines, which the merged file lists again. The
// counts are added up as each file is read, so that the memory a merge takes does not grow with
// the number of files.
struct Input {
    std::string name;
    RunIdentity run;
    MachineRange range;
    MachineLines machines;
};

// A number as short as it can be written and still read back the same: "2", "0.5".
std::string number(double d) {
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, d).ptr;
    return std::string(text, end);
}

// A text as JSON writes it, so that a control character in it cannot break the message's line.
std::string quoted(const std::string& text) {
    std::string out;
    json::Writer(out).string(text);
    return out;
}

std::string endAfter(const std::optional<std::uint64_t>& ms) {
    return ms ? std::to_string(*ms) + " ms" : "none";
}

// The first thing two files' runs differ in, or nothing when they are of the same run.
std::optional<std::string> difference(const RunIdentity& a, const RunIdentity& b) {
    auto differs = [](const char* what, const std::string& x, const std::string& y) {
        return std::optional<std::string>(std::string(what) + " " + x + " and " + y);
    };
    if (a.seed != b.seed) return differs("seed", std::to_string(a.seed), std::to_string(b.seed));
    if (a.argument != b.argument)
        return differs("argument", quoted(a.argument), quoted(b.argument));
    if (a.frame_ms != b.frame_ms)
        return differs("frame period", number(a.frame_ms), number(b.frame_ms));
    if (a.games_per_machine != b.games_per_machine)
        return differs("games per machine", std::to_string(a.games_per_machine),
                       std::to_string(b.games_per_machine));
    if (a.machines != b.machines)
        return differs("machines", std::to_string(a.machines), std::to_string(b.machines));
    if (a.end_after_ms != b.end_after_ms)
        return differs("end after", endAfter(a.end_after_ms), endAfter(b.end_after_ms));
    return std::nullopt;
}

void checkComplete(const std::string& name, const StatsDocument& d) {
    for (const MachineSummary& m : d.machines.lines()) {
        if (m.games != d.run.games_per_machine) {
            throw MergeFault(name + " is incomplete: machine " + std::to_string(m.machine) +
                             " played " + std::to_string(m.games) + " of " +
                             std::to_string(d.run.games_per_machine) + " games");
        }
    }
}

std::string machinesText(std::uint64_t first, std::uint64_t end) {
    return end - first == 1
               ? "machine " + std::to_string(first)
               : "machines " + std::to_string(first) + " to " + std::to_string(end - 1);
}

MergeFault missing(std::uint64_t first, std::uint64_t end) {
    return MergeFault(machinesText(first, end) + (end - first == 1 ? " is" : " are") +
                      " in none of the files");
}

// The files' machines, each exactly once, from the first to the last.
void checkCoverage(std::vector<Input>& inputs) {
    std::stable_sort(inputs.begin(), inputs.end(),
                     [](const Input& a, const Input& b) { return a.range.first < b.range.first; });
    std::uint64_t covered = 0;  // machines 0..covered - 1 are in the files seen so far
    const Input* last = nullptr;
    for (const Input& in : inputs) {
        if (in.range.size() == 0) continue;
        if (in.range.first < covered && in.name == last->name)
            throw MergeFault(in.name + " is named twice");
        if (in.range.first < covered) {
            throw MergeFault(in.name + " and " + last->name + " overlap: both hold " +
                             machinesText(in.range.first, std::min(covered, in.range.end)));
        }
        if (in.range.first > covered) throw missing(covered, in.range.first);
        covered = in.range.end;
        last = &in;
    }
    const std::uint64_t machines = inputs.front().run.machines;
    if (covered < machines) throw missing(covered, machines);
}

// Reads the files one after the other into `inputs`, adding their counts up into `total`.
void readInputs(const std::vector<std::string>& files, std::vector<Input>& inputs,
                RunStats& total) {
    for (const std::string& name : files) {
        StatsDocument d;
        try {
            d = readStatsFileAt(name);
        } catch (const StatsFileError& e) {
            throw MergeFault(e.what());
        }
        if (!inputs.empty()) {
            if (const auto diff = difference(inputs.front().run, d.run))
                throw MergeFault(inputs.front().name + " and " + name +
                                 " are not of the same run: " + *diff);
        }
        checkComplete(name, d);
        try {
            total.merge(d.counts);
        } catch (const CountOverflow& e) {
            throw MergeFault("the files' counts do not add up, up to " + name + ": " + e.what());
        }
        const MachineRange range = shardMachines(d.shard, d.run.machines);
        inputs.push_back({name, std::move(d.run), range, std::move(d.machines)});
    }
}

// The whole run's document, the machines' lines taken over from the inputs in machine order.
StatsDocument merged(std::vector<Input>& inputs, RunStats&& total) {
    StatsDocument d;
    d.run = inputs.front().run;
    for (Input& in : inputs)
        d.machines.append(std::move(in.machines));
    d.counts = std::move(total);
    return d;
}

}  // namespace

CommandLine mergeCommandLine(MergeOptions& o) {
    CommandLine line;
    line.program = "rl00-headless merge";
    line.summary =
        "Puts the statistics files (--stats) of the shards of one run together:\n"
        "rl00-headless merge FILE... [--stats OUT]. The files must come from the same\n"
        "run (version, seed, argument, frame period, games, machines) and hold every\n"
        "machine once.";
    line.synopsis = "[options] FILE...";
    line.options = {
        wordsOption("FILE...", "a file", "the statistics files of the shards", o.files),
        textOption("--stats", "FILE", "a file", "the whole run's statistics as JSON", o.stats_file),
        switchOption("--quiet", "no table on standard output", o.quiet),
        helpOption(),
    };
    return line;
}

Reading checkMergeReading(Reading reading, const MergeOptions& o) {
    if (reading.fault.empty() && o.files.empty()) reading.fault = "no statistics file to merge";
    return reading;
}

int runMerge(std::span<const std::string> args, std::ostream& out, std::ostream& err) {
    MergeOptions o;
    const CommandLine line = mergeCommandLine(o);
    const Reading reading = checkMergeReading(readCommandLine(line, args), o);
    if (const auto code = answerReading(line, reading, out, err)) return *code;
    return mergeFiles(o, out, err);
}

int mergeFiles(const MergeOptions& o, std::ostream& out, std::ostream& err) {
    std::vector<Input> inputs;
    RunStats total;
    try {
        readInputs(o.files, inputs, total);
        checkCoverage(inputs);
    } catch (const MergeFault& fault) {
        err << "rl00-headless merge: " << fault.what() << "\n";
        return 2;
    }

    const StatsDocument whole = merged(inputs, std::move(total));
    if (!o.stats_file.empty()) {
        WholeFile file;
        if (file.prepare(o.stats_file))
            writeStatsFile(whole, [&file](std::string_view piece) { file.write(piece); });
        if (!file.commit()) {
            err << "rl00-headless merge: cannot write " << file.error() << "\n";
            return 1;
        }
    }
    if (!o.quiet) out << statsTable(whole);
    return 0;
}

}  // namespace rl00
