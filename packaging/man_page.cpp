// rl00-man-page: writes a program's manual page from its own --help and --version answers, so
// that the page and the usage can never disagree.
//
//   rl00-man-page PROGRAM SECTION DATE EXTRA OUTPUT
//
// The usage (src/session/options.cpp, usageText) is "Usage: NAME ...", a summary line, the
// option rows indented by two blanks with their texts in one column, then any closing lines.
// Closing lines indented by two blanks are rows too ("  KEY  what it does").
// EXTRA is a roff fragment (FILES, ENVIRONMENT, ...) put after the options; DATE may be empty.

#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Row {
    std::string label;  // empty on a row's further lines
    std::string text;
};

struct Usage {
    std::string name;
    std::string synopsis;  // the usage line after the program's name
    std::string summary;
    std::vector<Row> rows;
    std::vector<std::string> closing;
};

// The standard output of `program` run with the one argument `arg`; exits on failure.
std::string answerOf(const std::string& program, const char* arg) {
    int fds[2];
    if (::pipe(fds) != 0) std::exit(1);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], STDOUT_FILENO);
        ::close(fds[0]);
        ::close(fds[1]);
        ::execl(program.c_str(), program.c_str(), arg, static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string out;
    char buf[4096];
    for (ssize_t n; (n = ::read(fds[0], buf, sizeof buf)) > 0;)
        out.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::cerr << "rl00-man-page: " << program << " " << arg << " failed\n";
        std::exit(1);
    }
    return out;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

Usage parseUsage(const std::string& help) {
    const std::vector<std::string> lines = linesOf(help);
    const std::string head = "Usage: ";
    if (lines.empty() || !lines[0].starts_with(head)) {
        std::cerr << "rl00-man-page: the answer to --help does not begin with \"" << head << "\"\n";
        std::exit(1);
    }
    Usage u;
    const std::string line = lines[0].substr(head.size());
    const auto blank = line.find(' ');
    u.name = line.substr(0, blank);
    u.synopsis = blank == std::string::npos ? "" : line.substr(blank + 1);
    std::size_t i = 1;
    if (i < lines.size() && !lines[i].starts_with("  ")) u.summary = lines[i++];
    // Every row's text starts in one column: after the first label and the blanks behind it.
    std::size_t column = 0;
    for (; i < lines.size() && lines[i].starts_with("  "); ++i) {
        const std::string& l = lines[i];
        if (column == 0) column = l.find_first_not_of(' ', l.find("  ", 2));
        const std::string label = l.substr(2, column - 2);
        u.rows.push_back({label.substr(0, label.find_last_not_of(' ') + 1), l.substr(column)});
    }
    for (; i < lines.size(); ++i)
        u.closing.push_back(lines[i]);
    return u;
}

// Roff text: backslashes kept, a leading dot or quote not taken for a request, and the dashes of
// option names as minus signs, so that they can be copied into a command line.
std::string roff(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        const bool starts_word = i == 0 || text[i - 1] == ' ' || text[i - 1] == '-' ||
                                 text[i - 1] == '"' || text[i - 1] == '(';
        if (c == '\\') {
            out += "\\e";
        } else if (c == '-' && starts_word) {
            out += "\\-";
        } else {
            out += c;
        }
    }
    if (!out.empty() && (out[0] == '.' || out[0] == '\'')) out.insert(0, "\\&");
    return out;
}

// An option's label: names in bold, the value's name in italics.
std::string labelRoff(const std::string& label) {
    std::string out;
    std::istringstream words(label);
    for (std::string word; words >> word;) {
        if (!out.empty()) out += " ";
        std::string comma;
        if (word.ends_with(",")) {
            word.pop_back();
            comma = ",";
        }
        const bool name =
            word.starts_with("-") || std::isdigit(static_cast<unsigned char>(word[0]));
        out += (name ? "\\fB" : "\\fI") + roff(word) + "\\fR" + comma;
    }
    return out;
}

std::string upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

// The summary as the page's one-line description: "plays ..." without the closing full stop.
std::string whatis(std::string summary) {
    if (summary.ends_with(".")) summary.pop_back();
    if (!summary.empty()) summary[0] = static_cast<char>(std::tolower(summary[0]));
    return summary;
}

// A closing line indented as a table row ("  KEY  what it does"), or nothing.
std::optional<Row> closingRow(const std::string& line) {
    if (!line.starts_with("  ") || line.size() < 3 || line[2] == ' ') return std::nullopt;
    const auto gap = line.find("  ", 2);
    if (gap == std::string::npos) return std::nullopt;
    const auto text = line.find_first_not_of(' ', gap);
    if (text == std::string::npos) return std::nullopt;
    return Row{line.substr(2, gap - 2), line.substr(text)};
}

std::string quoted(const std::string& s) {
    return "\"" + s + "\"";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: rl00-man-page PROGRAM SECTION DATE EXTRA OUTPUT\n";
        return 2;
    }
    const std::string program = argv[1];
    const std::string section = argv[2];
    const std::string date = argv[3];
    const Usage u = parseUsage(answerOf(program, "--help"));
    // "rl00 0.1 (2b74e8b)": the source of the page is the package and its version.
    std::string version = linesOf(answerOf(program, "--version")).at(0);
    version = "rl00" + version.substr(version.find(' '));

    std::ifstream extra_in(argv[4], std::ios::binary);
    if (!extra_in) {
        std::cerr << "rl00-man-page: cannot read " << argv[4] << "\n";
        return 1;
    }
    std::stringstream extra;
    extra << extra_in.rdbuf();

    std::ostringstream page;
    page << ".\\\" Written by rl00-man-page from " << u.name << " --help; do not edit.\n";
    page << ".TH " << upper(u.name) << " " << section << " " << quoted(date) << " "
         << quoted(version) << " " << quoted("Games") << "\n";
    // Hyphenated words would break paths and option names where they cannot be copied.
    page << ".nh\n";
    page << ".SH NAME\n" << u.name << " \\- " << roff(whatis(u.summary)) << "\n";
    page << ".SH SYNOPSIS\n.B " << u.name << "\n" << roff(u.synopsis) << "\n";
    page << ".SH DESCRIPTION\n" << roff(u.summary) << "\n";
    // A sentence the terminal's width broke goes on in the same paragraph.
    bool open_sentence = false;
    for (const std::string& line : u.closing) {
        if (const auto row = closingRow(line)) {
            page << ".TP\n\\fB" << roff(row->label) << "\\fR\n" << roff(row->text) << "\n";
            open_sentence = false;
            continue;
        }
        if (!open_sentence) page << ".PP\n";
        page << roff(line) << "\n";
        open_sentence = !line.ends_with('.') && !line.ends_with(':');
    }
    page << ".SH OPTIONS\n";
    // A row's further lines go on its paragraph: roff fills them to the reader's width, where
    // the terminal's own breaks would leave short lines in the middle of a sentence.
    for (const Row& row : u.rows) {
        if (row.label.empty()) {
            page << roff(row.text) << "\n";
        } else {
            page << ".TP\n" << labelRoff(row.label) << "\n" << roff(row.text) << "\n";
        }
    }
    page << extra.str();

    const std::string output = argv[5];
    std::ofstream out(output + ".tmp", std::ios::binary);
    out << page.str();
    out.close();
    if (!out || std::rename((output + ".tmp").c_str(), output.c_str()) != 0) {
        std::cerr << "rl00-man-page: cannot write " << output << "\n";
        return 1;
    }
    return 0;
}
