#include "analysis/analysis_launch.h"

#include <gtest/gtest.h>

#include "analysis/analysis_texts.h"
#include "analysis/recording_automation.h"
#include "io/paths.h"

namespace rl00 {
namespace {

using test::LaunchFixture;
using test::runUntilEnd;

const std::vector<std::string> kSteps5To16 = {
    "CreateObject Excel.application",
    "GetObject C:\\APP\\ANALYSIS\\ATARI.XLS",
    "book.get Application",
    "Application.put Visible = True",
    "book.get Parent",
    "Parent.get Windows(1)",
    "Windows.put Visible = True",
    "book.get Application",
    "Application.get Sheets(\"データ\")",
    "Sheets.call Select",
    "book.get Application",
    "Application.get Range(\"E3\")",
    "Range.call Select",
    "book.get Application",
    "Application.get activecell",
    "activecell.put FormulaR1C1 = \"D:\\RL00\\LOG\"",
    "book.get Application",
    "Application.call Run(\"VB_OpenMain\")",
};

// After a launch that succeeded, once the waiting window is gone: the office to the front.
const std::vector<std::string> kShowTheResult = {"book.get Application",
                                                 "Application.put Visible = True"};

std::vector<std::string> stepsOfALaunch() {
    std::vector<std::string> steps = kSteps5To16;
    steps.insert(steps.end(), kShowTheResult.begin(), kShowTheResult.end());
    return steps;
}

TEST(AnalysisLaunch, DrivesTheServerStepByStepAndLeavesTheWorkbookReferenced) {
    LaunchFixture f("C:\\APP\\BIN");
    EXPECT_EQ(runUntilEnd([&] { f.launch(); }), -1);

    EXPECT_EQ(f.server.calls, stepsOfALaunch());
    const std::vector<std::string> window_events = {
        "show",
        "topmost",
        "progress アプリケーションの起動をしています",
        "repaint",
        "repaint",  // after the workbook was opened
        "unload",
        "show",
        "topmost",
        "progress 現在 ATARI.XLS のマクロ実行をしています",
        "unload"};  // the office's result comes to the front, not the main window
    EXPECT_EQ(f.window.events, window_events);
    EXPECT_EQ(f.directories, std::vector<std::string>{"C:\\APP\\BIN"});
    EXPECT_TRUE(f.t.display.messages().empty());
    EXPECT_FALSE(f.window.hourglass);
    ASSERT_NE(f.session.G_oExcel, nullptr);  // the workbook stays referenced
    EXPECT_EQ(f.server.disconnects, 1);
    EXPECT_FALSE(f.t.m.start_requests_paused);
}

TEST(AnalysisLaunch, ParentOfTheCurrentDirectoryReplacesALeadingTwoDots) {
    struct Case {
        const char* current;
        const char* dir;
        const char* book;
        const char* native;
    };
    const Case cases[] = {
        {"C:\\APP\\BIN", "..\\ANALYSIS", "ATARI.XLS", "C:/APP/ANALYSIS/ATARI.XLS"},
        {"/opt/rl00/bin", "../analysis", "ATARI.ods", "/opt/rl00/analysis/ATARI.ods"},
        {"/opt/rl00/bin", "..", "ATARI.ods", "/opt/rl00/ATARI.ods"},
        // Without ".." the path is used as it stands, a relative one included.
        {"/opt/rl00/bin", "/srv/analysis", "ATARI.ods", "/srv/analysis/ATARI.ods"},
        {"/opt/rl00/bin", "no-analysis", "ATARI.ods", "no-analysis/ATARI.ods"},
        {"C:\\APP\\BIN", "D:\\WORK", "ATARI.XLS", "D:/WORK/ATARI.XLS"},
        // Only the first two characters count: a ".." further in stays.
        {"/opt/rl00/bin", "/srv/../analysis", "A.ods", "/srv/../analysis/A.ods"},
    };
    for (const Case& c : cases) {
        LaunchFixture f(c.current);
        f.t.m.G_sExcelPath = c.dir;
        f.t.m.G_sExcelBook = c.book;
        f.launch();
        ASSERT_GE(f.server.calls.size(), 2u) << c.dir;
        const std::string opened = f.server.calls[1].substr(std::string("GetObject ").size());
        EXPECT_EQ(toNativePath(opened), c.native) << c.current << " " << c.dir;
    }
}

TEST(AnalysisLaunch, ASecondPressRunsTheSameStepsAfterReleasingTheFirstObject) {
    LaunchFixture f("C:\\APP\\BIN");
    f.launch();
    std::weak_ptr<AutoObject> first = f.session.G_oExcel;
    bool released_before_create = false;
    f.server.during = "CreateObject Excel.application";
    f.server.while_waiting = [&] { released_before_create = first.expired(); };
    f.launch();

    const std::vector<std::string> steps = stepsOfALaunch();
    ASSERT_EQ(f.server.calls.size(), 2 * steps.size());
    EXPECT_TRUE(std::equal(steps.begin(), steps.end(),
                           f.server.calls.begin() + static_cast<long>(steps.size())));
    EXPECT_TRUE(released_before_create);
    EXPECT_EQ(f.window.events.back(), "unload");
}

TEST(AnalysisLaunch, WhileTheMacroRunsStartRequestsAndTheButtonAreIgnored) {
    LaunchFixture f("C:\\APP\\BIN");
    bool starts_paused = false;
    f.server.during = "Application.call Run(\"VB_OpenMain\")";
    f.server.while_waiting = [&] {
        starts_paused = f.t.m.start_requests_paused;
        f.launch();  // the button pressed again while the macro runs
    };
    f.launch();
    EXPECT_TRUE(starts_paused);
    EXPECT_EQ(f.server.calls, stepsOfALaunch());  // the second press added no step
    EXPECT_FALSE(f.t.m.start_requests_paused);
    EXPECT_FALSE(f.session.launching);

    // A launch from inside a running game leaves the game running.
    LaunchFixture in_game("C:\\APP\\BIN");
    in_game.t.m.game_running = true;
    in_game.launch();
    EXPECT_TRUE(in_game.t.m.game_running);
    EXPECT_FALSE(in_game.t.m.start_requests_paused);
}

struct FailureCase {
    const char* name;
    const char* at;  // the access that fails
    AutomationFailure how;
    Int32 number;
    const char* message_start;
    const char* message_part;  // also in the message
};

class AnalysisLaunchFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(AnalysisLaunchFailure, IsToldInOneMessageAndTheMachinePlaysOn) {
    const FailureCase& c = GetParam();
    LaunchFixture f("C:\\APP\\BIN");
    f.server.fail = {c.at, c.how, c.number, "詳細"};
    EXPECT_EQ(runUntilEnd([&] { f.launch(); }), -1) << "the program must not end";

    EXPECT_EQ(f.server.calls.back(), c.at);  // nothing after the failing access
    ASSERT_EQ(f.t.display.messages().size(), 1u);
    const ShownMessage& shown = f.t.display.messages()[0];
    EXPECT_EQ(shown.title, " 警告");
    EXPECT_EQ(shown.style, mb::kIconExclamation);
    EXPECT_TRUE(shown.text.starts_with(c.message_start)) << shown.text;
    EXPECT_NE(shown.text.find(c.message_part), std::string::npos) << shown.text;

    EXPECT_FALSE(f.window.shown);
    EXPECT_FALSE(f.window.hourglass);
    EXPECT_EQ(f.window.events.back(), "focus");
    EXPECT_EQ(f.server.disconnects, 1);
    EXPECT_FALSE(f.t.m.start_requests_paused);
    EXPECT_FALSE(f.session.launching);
}

INSTANTIATE_TEST_SUITE_P(
    EveryStep, AnalysisLaunchFailure,
    testing::Values(
        FailureCase{"NoOffice", "CreateObject Excel.application", AutomationFailure::NoServer,
                    err::kCannotCreateObject, analysis_text::kNoServer, "詳細"},
        FailureCase{"NoWorkbook", "GetObject C:\\APP\\ANALYSIS\\ATARI.XLS",
                    AutomationFailure::NoDocument, err::kAutomationFileNotFound,
                    analysis_text::kNoWorkbook, "C:/APP/ANALYSIS/ATARI.XLS"},
        FailureCase{"LockedWorkbook", "GetObject C:\\APP\\ANALYSIS\\ATARI.XLS",
                    AutomationFailure::DocumentFailed, err::kApplicationDefined,
                    analysis_text::kWorkbookFailed, "詳細"},
        FailureCase{"NoWindows", "Parent.get Windows(1)", AutomationFailure::Other,
                    err::kMemberNotSupported, analysis_text::kOtherFailure, "438 :"},
        FailureCase{"NoSheet", "Application.get Sheets(\"データ\")", AutomationFailure::NoSheet,
                    err::kSubscriptOutOfRange, analysis_text::kNoSheet, "ATARI.XLS"},
        FailureCase{"OfficeQuit", "Range.call Select", AutomationFailure::ServerGone,
                    err::kServerUnavailable, analysis_text::kServerGone, ""},
        FailureCase{"NoMacro", "Application.call Run(\"VB_OpenMain\")", AutomationFailure::NoMacro,
                    err::kApplicationDefined, analysis_text::kNoMacro, "ATARI.XLS"},
        FailureCase{"MacroFailed", "Application.call Run(\"VB_OpenMain\")",
                    AutomationFailure::MacroFailed, err::kApplicationDefined,
                    analysis_text::kMacroFailed, "詳細"}),
    [](const testing::TestParamInfo<FailureCase>& param_info) { return param_info.param.name; });

TEST(AnalysisLaunch, FailuresBeforeTheServerIsReachedAreToldToo) {
    const auto check = [](LaunchFixture& f, const char* message_start, std::size_t calls) {
        EXPECT_EQ(runUntilEnd([&] { f.launch(); }), -1);
        EXPECT_EQ(f.server.calls.size(), calls);
        ASSERT_EQ(f.t.display.messages().size(), 1u);
        EXPECT_TRUE(f.t.display.messages()[0].text.starts_with(message_start));
        EXPECT_FALSE(f.window.hourglass);
        EXPECT_EQ(f.window.events.back(), "focus");
    };
    LaunchFixture no_book("C:\\APP\\BIN");
    no_book.t.m.G_sExcelBook = "";
    check(no_book, analysis_text::kNoWorkbookSetting, 0);

    LaunchFixture no_dir("C:\\APP\\BIN");
    no_dir.t.m.G_sExcelPath = "  ";
    check(no_dir, analysis_text::kNoWorkbookSetting, 0);

    LaunchFixture no_log("C:\\APP\\BIN");
    no_log.t.m.G_sLogPath = "";
    check(no_log, analysis_text::kNoLogSetting, 0);

    LaunchFixture bad_dir("C:\\APP\\BIN");
    bad_dir.change_directory = [](const std::string&) { raiseError(err::kPathNotFound); };
    check(bad_dir, analysis_text::kOtherFailure, 2);
}

TEST(AnalysisLaunch, AnAbandonedLaunchEndsQuietly) {
    LaunchFixture f("C:\\APP\\BIN");
    f.server.fail = {"Application.call Run(\"VB_OpenMain\")", AutomationFailure::Abandoned,
                     err::kServerUnavailable, ""};
    EXPECT_EQ(runUntilEnd([&] { f.launch(); }), -1);
    EXPECT_TRUE(f.t.display.messages().empty());
    EXPECT_FALSE(f.window.hourglass);
}

TEST(AnalysisLaunch, ChangeDirectoryRaisesPathNotFound) {
    try {
        changeDirectory("/nonexistent/rl00/analysis");
        FAIL() << "no error raised";
    } catch (const RuntimeError& e) {
        EXPECT_EQ(e.number(), err::kPathNotFound);
    }
}

}  // namespace
}  // namespace rl00
