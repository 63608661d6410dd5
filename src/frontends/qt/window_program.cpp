#include "frontends/qt/window_program.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>
#include <algorithm>
#include <csignal>
#include <iostream>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "frontends/qt/charts/report.h"
#include "frontends/qt/form_center.h"
#include "frontends/qt/main_window.h"
#include "frontends/qt/pacing_probe.h"
#include "frontends/qt/qt_display.h"
#include "frontends/qt/seeded_play.h"
#include "frontends/qt/stats_window.h"
#include "frontends/qt/view_options.h"
#include "io/output_file.h"
#include "io/run_log.h"
#include "io/settings_home.h"
#include "machine/machine.h"
#include "session/controller.h"
#include "session/game_sequence.h"
#include "session/window_layout.h"
#include "stats/game_record.h"

namespace rl00 {

namespace {

// Milliseconds after showing the window at which the idle loop starts even without activation.
constexpr int kFallbackStartMs = 500;

// The arguments as the bytes they are. Once the application exists, Qt has taken its own options
// out of argv; its decoded arguments() would not do, since a file's name need not be UTF-8.
std::vector<std::string> argsOf(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

// rl00 --report STATS DIR keeps DIR in the place of the machine's argument.
const std::string& reportFolder(const WindowOptions& o) {
    return o.report_dir.empty() ? o.shared.argument : o.report_dir;
}

// The report's own table: rl00 report STATS DIR.
CommandLine reportCommandLine(WindowOptions& o) {
    CommandLine line;
    line.program = "rl00 report";
    line.summary =
        "Renders the statistics file STATS of rl00-headless --stats without a window:\n"
        "charts (PNG, SVG) and tables (index.html) into DIR, a new or empty folder\n"
        "(as rl00 --report).";
    line.synopsis = "STATS DIR";
    line.options = {
        textOption("", "STATS", "a statistics file", "the statistics file", o.report),
        textOption("", "DIR", "a folder", "the folder to write, new or empty", o.report_dir),
        helpOption(),
    };
    return line;
}

// --report: files only, so no display is needed and none is opened.
int runReport(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    WindowOptions o;
    const CommandLine line = windowCommandLine(o);
    const Reading reading = readWindowCommandLine(line, o, argsOf(argc, argv));
    if (const auto code = answerReading(line, reading, std::cout, std::cerr)) return *code;
    return writeReport(o.report, reportFolder(o), std::cout, std::cerr);
}

// The zoom for a screen nobody chose one for: a throw-away application asks the screen, since
// the scale factor must be fixed before the real one exists.
int probeZoom(int argc, char** argv) {
    std::vector<std::string> copies(argv, argv + argc);
    std::vector<char*> ptrs;
    ptrs.reserve(copies.size());
    for (std::string& s : copies)
        ptrs.push_back(s.data());
    int n = argc;
    QGuiApplication probe(n, ptrs.data());
    const QScreen* screen = QGuiApplication::primaryScreen();
    return zoomForScreen(screen != nullptr ? screen->availableGeometry().height() : 0);
}

// Writes every completed game's line into `trace`; a shown game's line is in the file at once,
// a replay's go out in blocks. The program's end closes the file, and a failed write makes its
// exit code 1, as the runner's does.
void traceGames(MainWindow& window, QtDisplay& display, OutputFile& trace) {
    window.addGameListener([&trace, &display](const GameRecord& r) {
        trace.write(toJsonLine(r));
        if (!display.fastForward()) trace.flush();
    });
    display.closeAtEnd([&trace] {
        if (trace.close()) return true;
        std::cerr << "rl00: cannot write " << trace.error() << "\n";
        return false;
    });
}

// Opens the trace once the settings are read: a trace that is the run log would empty it.
bool openTrace(const std::string& file, const Settings& settings, OutputFile& trace) {
    if (file.empty()) return true;
    if (const auto log = runLogFile(settings); log && sameFile(file, *log)) {
        std::cerr << "rl00: --trace and the run log are the same file, " << file
                  << "; nothing is written\n";
        return false;
    }
    if (trace.open(file)) return true;
    std::cerr << "rl00: cannot write " << trace.error() << "\n";
    return false;
}

}  // namespace

CommandLine windowCommandLine(WindowOptions& o) {
    CommandLine line;
    line.program = "rl00";
    line.summary = "Pachinko reel display simulator: plays the machine by itself in a window.";
    const FramePeriodRange frame{
        QtDisplay::kMinFrameMs, QtDisplay::kMaxFrameMs,
        "animation frame period in ms (" + numberText(QtDisplay::kMinFrameMs) + ".." +
            numberText(QtDisplay::kMaxFrameMs) + ", default " + numberText(kDefaultFrameMs) + ")"};
    line.options = withSharedOptions(
        o.shared, frame,
        {
            wholeOption("--zoom", "N",
                        "window N times larger, " + std::to_string(kMinZoom) + ".." +
                            std::to_string(kMaxZoom) + " (default: as last chosen)",
                        o.zoom, kMinZoom, kMaxZoom),
            switchOption("--no-delay", "animate as fast as possible", o.no_delay),
            wholeOption("--seed", "S",
                        "play the games of rl00-headless --seed S with the same\n"
                        "argument and --frame-ms (the idle counter moves only by\n"
                        "the seed's draws)",
                        o.seed, 0, std::numeric_limits<std::uint64_t>::max()),
            wholeOption("--replay", "G",
                        "with --seed: play games 1..G-1 at once, then show game G\n"
                        "(G up to " +
                            std::to_string(kMaxReplayGame) + ", the machine's 32-bit count)",
                        o.replay, 1, kMaxReplayGame),
            textOption("--trace", "FILE", "a file",
                       "one JSON object per completed game, as rl00-headless\n"
                       "writes them (a frame counts --frame-ms at any pace)",
                       o.trace_file),
            switchOption("--paused", "start paused, as P does; . lets one frame pass", o.paused),
            wholeOption("--end-after-games", "N", "press the end button after N completed games",
                        o.end_after_games, 1, std::numeric_limits<long>::max()),
            wholeOption("--end-after-ms", "T",
                        "press the end button T ms after the window is shown", o.end_after_ms, 1,
                        std::numeric_limits<int>::max()),
            switchOption("--measure",
                         "measure frame pacing, pauses, idle passes and memory,\n"
                         "then end",
                         o.measure),
            textOption("--report", "STATS DIR", "a statistics file",
                       "render the statistics file STATS of rl00-headless --stats\n"
                       "without a window: charts (PNG, SVG) and tables\n"
                       "(index.html) into DIR, a new or empty folder",
                       o.report),
        });
    line.footer =
        "Keys of the window (its menu, on a right-click, holds the same):\n"
        "  Ctrl+1..Ctrl+4  zoom 1x..4x, from the next start\n"
        "  + and -         faster or slower animation\n"
        "  N               no delay between animation frames\n"
        "  P               pause or resume; the window says so while paused\n"
        "  .               while paused: let one animation frame pass\n"
        "  S               the statistics window\n"
        "rl00 report STATS DIR is rl00 --report STATS DIR (rl00 report --help).\n"
        "Without a display, use rl00-headless, or run rl00 under xvfb-run.";
    line.commands.push_back(reportCommandLine(o));
    return line;
}

Reading readWindowCommandLine(const CommandLine& line, const WindowOptions& o,
                              std::span<const std::string> args, Foreign foreign) {
    Reading r = readCommandLine(line, args, foreign);
    if (!r.fault.empty()) return r;
    if (r.command == "report") {
        if (o.report.empty()) {
            r.fault = "report is missing the statistics file STATS";
        } else if (o.report_dir.empty()) {
            r.fault = "report is missing the folder DIR after STATS";
        }
        return r;
    }
    if (o.replay != 0 && !o.seed)
        r.fault = "--replay needs --seed: only the games of a seed can be played again";
    if (r.fault.empty() && !o.report.empty() && o.shared.argument.empty())
        r.fault = "--report is missing the folder DIR after its statistics file";
    return r;
}

void installFontSubstitutes() {
    QFont::insertSubstitution(QUtf8StringView(kLabelFont).toString(), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QUtf8StringView(kDefaultFont).toString(),
                              QStringLiteral("IPAPMincho"));
}

namespace {

// Before the application exists only --zoom matters; the rest is read again once Qt has taken
// its own options (-platform, ...) out of the arguments. Until then those pass for foreign ones,
// but --help and a bad value of our own options are answered at once, also where no display can
// be opened. Returns the exit code when that answer ends the program.
std::optional<int> readBeforeQt(int argc, char** argv, WindowOptions& early) {
    const CommandLine line = windowCommandLine(early);
    const Reading reading = readWindowCommandLine(line, early, argsOf(argc, argv), Foreign::Skip);
    return answerReading(line, reading, std::cout, std::cerr);
}

// The options once Qt has taken its own out of argv, read strictly.
std::optional<int> readAfterQt(WindowOptions& o, int argc, char** argv) {
    const CommandLine line = windowCommandLine(o);
    const Reading reading = readWindowCommandLine(line, o, argsOf(argc, argv));
    return answerReading(line, reading, std::cout, std::cerr);
}

// True when the application would look for a display and none is named: Qt would end the
// program in an abort whose words (reinstall the application) send the user the wrong way.
bool noDisplay(int argc, char** argv) {
    std::string platform = qEnvironmentVariable("QT_QPA_PLATFORM").toStdString();
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::string_view(argv[i]) == "-platform") platform = argv[i + 1];
    }
    const bool x = !qEnvironmentVariableIsEmpty("DISPLAY");
    const bool wayland = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (platform.starts_with("xcb")) return !x;
    if (platform.empty() || platform.starts_with("wayland")) return !x && !wayland;
    return false;
}

// --zoom, else the remembered choice, else a zoom that suits the screen.
int chooseZoom(const WindowOptions& early, const ViewChoice& choice, int argc, char** argv) {
    if (early.zoom != 0) return early.zoom;
    if (choice.zoom != 0) return choice.zoom;
    return probeZoom(argc, argv);
}

void setUpApplication(QApplication& app, QTranslator& translator) {
    app.setQuitOnLastWindowClosed(false);  // a close only sets the end flag
    // The desktop entry and the icon the package installs, for task bars that look them up.
    QGuiApplication::setDesktopFileName(QStringLiteral("rl00"));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("rl00")));
    installFontSubstitutes();
    if (translator.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&translator);
    }
}

// The display's pace, before the machine exists.
void prepareDisplay(const WindowOptions& o, QtDisplay& display) {
    // A game's virtual time is the runner's, whatever pace it is shown at.
    display.setVirtualFrameMs(o.shared.frame_ms.value_or(kDefaultFrameMs));
    display.setPaused(o.paused);
}

// The parts of a running window program that the options attach things to.
struct WindowParts {
    Machine& m;
    MainWindow& window;
    QtDisplay& display;
};

// The menus and windows beside the main window, and what the options ask of it: the analysis,
// the presses of the end button, the trace, a seeded run or the pacing probe.
void attachOptions(const WindowParts& p, const WindowOptions& o, ViewChoice& choice, int zoom,
                   OutputFile& trace, std::optional<SeededRun>& run,
                   AnalysisLauncher launch_analysis) {
    auto* menu = new ViewMenu(p.window, p.display, choice, zoom);
    new LiveStats(p.window, *menu, o.shared.argument);
    if (launch_analysis) {
        p.window.setAnalysisLauncher([&m = p.m, &window = p.window,
                                      launch = std::move(launch_analysis)] { launch(m, window); });
    }
    p.window.setEndAfterGames(o.end_after_games);
    p.window.setEndAfterMs(o.end_after_ms);
    if (!o.trace_file.empty()) traceGames(p.window, p.display, trace);
    if (run) {
        p.window.setSeededRun(&*run);
        p.window.setIdleEntry([p, &run, show = std::max<std::uint64_t>(o.replay, 1)] {
            playSeededInWindow(p.m, *run, p.window, p.display, show);
        });
    }
    if (o.measure) p.window.setIdleEntry([p] { runPacingProbe(p.m, p.display); });
    p.display.attach(&p.window);
}

// The rest of the window's load, in its order, the trace opened and the window shown; false when
// the trace cannot be written (one line said).
bool loadAndShow(const WindowParts& p, const WindowOptions& o, OutputFile& trace) {
    if (o.shared.argument.empty()) FORM_CENTER(p.m, p.window, QString());
    const std::string program_dir = QCoreApplication::applicationDirPath().toStdString();
    loadMachine(p.m, program_dir, o.shared.argument, o.seed);
    if (const std::string user = userSettingsFile(program_dir, "rl00", std::cerr); !user.empty())
        readSettingsInstead(p.m, user);
    if (!openTrace(o.trace_file, p.m, trace)) return false;
    p.window.syncFromScene(0.0);
    p.window.show();
    p.window.activateWindow();  // a bare X server activates nothing unless asked
    p.window.armFallbackStart(kFallbackStartMs);
    return true;
}

}  // namespace

int runWindowProgram(int argc, char** argv, AnalysisLauncher launch_analysis) {
    // A write past the file-size limit would kill the program without a word; ignored, it fails
    // with EFBIG, and the run log reports its failed writes and plays on.
    std::signal(SIGXFSZ, SIG_IGN);
    WindowOptions early;
    if (const auto code = readBeforeQt(argc, argv, early)) return *code;
    if (!early.report.empty()) return runReport(argc, argv);
    if (noDisplay(argc, argv)) {
        std::cerr << "rl00: no display found (DISPLAY and WAYLAND_DISPLAY are unset); play "
                     "without a window with rl00-headless, or on a virtual display: xvfb-run "
                     "rl00\n";
        return 2;
    }
    ViewChoice choice = loadViewChoice();
    const int zoom = chooseZoom(early, choice, argc, argv);
    qputenv("QT_SCALE_FACTOR", QByteArray::number(zoom));

    QApplication app(argc, argv);
    QTranslator translator;
    WindowOptions o;
    if (const auto code = readAfterQt(o, argc, argv)) return *code;
    if (o.shared.frame_ms) choice.frame_ms = *o.shared.frame_ms;
    if (o.no_delay) choice.no_delay = true;
    setUpApplication(app, translator);

    QtDisplay display;
    prepareDisplay(o, display);
    OutputFile trace;
    std::optional<SeededRun> run;
    if (o.seed) run.emplace(*o.seed);
    Machine m(display, 0);  // the load seeds the generator, from the clock unless seeded
    MainWindow window(m, display);
    const WindowParts parts{m, window, display};
    attachOptions(parts, o, choice, zoom, trace, run, std::move(launch_analysis));
    if (!loadAndShow(parts, o, trace)) return 2;
    return QApplication::exec();
}

}  // namespace rl00
