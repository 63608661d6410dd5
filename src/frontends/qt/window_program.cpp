#include "frontends/qt/window_program.h"

#include <QApplication>
#include <QFont>
#include <QGuiApplication>
#include <QLibraryInfo>
#include <QScreen>
#include <QTranslator>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "frontends/qt/form_center.h"
#include "frontends/qt/main_window.h"
#include "frontends/qt/pacing_probe.h"
#include "frontends/qt/qt_display.h"
#include "frontends/qt/view_options.h"
#include "machine/machine.h"
#include "session/controller.h"
#include "session/window_layout.h"

namespace rl00 {

namespace {

constexpr const char* kUsage =
    "Usage: rl00 [options] [1|7|8]\n"
    "Plays the machine by itself in a window.\n"
    "  1                    start in probability-variation mode\n"
    "  7                    every game is a hit (test mode)\n"
    "  8                    lottery values from the test table (test mode)\n"
    "  --zoom N             show the window N times larger (1..4; remembered from the menu)\n"
    "  --frame-ms X         animation frame period in ms (0.5..20, default 2)\n"
    "  --no-delay           animate as fast as possible\n"
    "  --end-after-games N  press the end button after N completed games\n"
    "  --end-after-ms T     press the end button T ms after the window is shown\n"
    "  --measure            measure frame pacing, pauses, idle passes and memory, then end\n"
    "  -h, --help           show this text\n"
    "Right-click the window, or use Ctrl+1..4, +, -, N and P, for zoom, speed and pause.\n";

// Milliseconds after showing the window at which the idle loop starts even without activation.
constexpr int kFallbackStartMs = 500;

struct Options {
    int zoom = 0;
    double frame_ms = 0.0;
    bool no_delay = false;
    long end_after_games = 0;
    int end_after_ms = 0;
    bool measure = false;
    bool help = false;
    std::string error;
    std::string command;
};

// Reads the options; `args` without the program name and without Qt's own options.
Options parseOptions(const std::vector<std::string>& args) {
    Options o;
    std::vector<std::string> positional;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](const char* name) -> std::string {
            const std::string prefix = std::string(name) + "=";
            if (a.rfind(prefix, 0) == 0) return a.substr(prefix.size());
            if (a == name && i + 1 < args.size()) return args[++i];
            o.error = std::string(name) + " needs a value";
            return {};
        };
        auto is = [&](const char* name) {
            return a == name || a.rfind(std::string(name) + "=", 0) == 0;
        };
        try {
            if (a == "-h" || a == "--help") {
                o.help = true;
            } else if (is("--zoom")) {
                o.zoom = std::stoi(value("--zoom"));
                if (o.zoom < kMinZoom || o.zoom > kMaxZoom) o.error = "--zoom takes 1 to 4";
            } else if (is("--frame-ms")) {
                o.frame_ms = std::stod(value("--frame-ms"));
                if (o.frame_ms < QtDisplay::kMinFrameMs || o.frame_ms > QtDisplay::kMaxFrameMs) {
                    o.error = "--frame-ms takes 0.5 to 20";
                }
            } else if (a == "--no-delay") {
                o.no_delay = true;
            } else if (is("--end-after-games")) {
                o.end_after_games = std::stol(value("--end-after-games"));
                if (o.end_after_games < 1) o.error = "--end-after-games takes a count above 0";
            } else if (is("--end-after-ms")) {
                o.end_after_ms = std::stoi(value("--end-after-ms"));
                if (o.end_after_ms < 1) o.error = "--end-after-ms takes a time above 0";
            } else if (a == "--measure") {
                o.measure = true;
            } else if (a.rfind("--", 0) == 0) {
                o.error = "unknown option " + a;
            } else {
                positional.push_back(a);
            }
        } catch (const std::exception&) {
            o.error = "not a number after " + a;
        }
        if (!o.error.empty()) break;
    }
    // The machine sees its command line as one string, as the old runtime gave it.
    for (const std::string& p : positional)
        o.command += (o.command.empty() ? "" : " ") + p;
    return o;
}

std::vector<std::string> argsOf(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

// The zoom for a screen nobody chose one for: a throw-away application asks the screen, since
// the scale factor must be fixed before the real one exists.
int probeZoom(int argc, char** argv) {
    std::vector<std::string> copies(argv, argv + argc);
    std::vector<char*> ptrs;
    for (std::string& s : copies)
        ptrs.push_back(s.data());
    int n = argc;
    QGuiApplication probe(n, ptrs.data());
    const QScreen* screen = QGuiApplication::primaryScreen();
    return zoomForScreen(screen != nullptr ? screen->availableGeometry().height() : 0);
}

}  // namespace

void installFontSubstitutes() {
    QFont::insertSubstitution(QUtf8StringView(kLabelFont).toString(), QStringLiteral("IPAPGothic"));
    QFont::insertSubstitution(QUtf8StringView(kDefaultFont).toString(),
                              QStringLiteral("IPAPMincho"));
}

int runWindowProgram(int argc, char** argv, AnalysisLauncher launch_analysis) {
    // Only --zoom matters before the application exists; the rest is read afterwards, when Qt
    // has taken its own options (-platform, ...) out of the arguments.
    const Options early = parseOptions(argsOf(argc, argv));
    if (early.help && early.error.empty()) {  // also where no display can be opened
        std::fputs(kUsage, stdout);
        return 0;
    }
    ViewChoice choice = loadViewChoice();
    const int zoom = early.zoom != 0                      ? early.zoom
                     : choice.zoom != 0                   ? choice.zoom
                     : early.help || !early.error.empty() ? 1
                                                          : probeZoom(argc, argv);
    qputenv("QT_SCALE_FACTOR", QByteArray::number(zoom));

    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);  // a close only sets the end flag
    std::vector<std::string> args;
    for (const QString& a : QCoreApplication::arguments().mid(1))
        args.push_back(a.toStdString());
    const Options o = parseOptions(args);
    if (o.help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (!o.error.empty()) {
        std::fprintf(stderr, "rl00: %s\n%s", o.error.c_str(), kUsage);
        return 2;
    }
    if (o.frame_ms > 0) choice.frame_ms = o.frame_ms;
    if (o.no_delay) choice.no_delay = true;

    installFontSubstitutes();
    QTranslator translator;
    if (translator.load(QStringLiteral("qtbase_ja"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&translator);
    }

    QtDisplay display;
    Machine m(display, 0);  // the load seeds the generator from the clock
    MainWindow window(m, display);
    new ViewMenu(window, display, choice, zoom);
    if (launch_analysis) {
        window.setAnalysisLauncher(
            [&m, &window, launch = std::move(launch_analysis)] { launch(m, window); });
    }
    window.setEndAfterGames(o.end_after_games);
    window.setEndAfterMs(o.end_after_ms);
    if (o.measure) window.setIdleEntry([&] { runPacingProbe(m, display); });
    display.attach(&window);

    if (o.command.empty()) FORM_CENTER(m, window, QString());
    loadMachine(m, QCoreApplication::applicationDirPath().toStdString(), o.command);
    window.syncFromScene(0.0);
    window.show();
    window.activateWindow();  // a bare X server activates nothing unless asked
    window.armFallbackStart(kFallbackStartMs);
    return QApplication::exec();
}

}  // namespace rl00
