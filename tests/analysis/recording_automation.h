#pragma once
// A recording automation server and waiting window for the launcher's tests: every member
// access is written down as "<object>.<get|put|call> <member>(<args>)[ = <value>]", and one
// chosen access can be made to fail.

#include <optional>
#include <string>
#include <vector>

#include "analysis/analysis_launch.h"
#include "machine/machine.h"
#include "support/test_machine.h"

namespace rl00::test {

class RecordingAutomation : public Automation {
  public:
    struct Failure {
        std::string at;  // the recorded access that fails
        AutomationFailure how;
        Int32 number;
        std::string detail;
    };

    std::vector<std::string> calls;
    std::optional<Failure> fail;
    int disconnects = 0;
    // Runs inside the access named `during`, as the events a real wait would process.
    std::string during;
    std::function<void()> while_waiting;

    ObjectRef CreateObject(const std::string& class_name) override {
        record("CreateObject " + class_name);
        return std::make_shared<Object>(*this, "app");
    }
    ObjectRef GetObject(const std::string& path) override {
        record("GetObject " + path);
        return std::make_shared<Object>(*this, "book");
    }
    void disconnect() override { ++disconnects; }

    void record(const std::string& access) {
        calls.push_back(access);
        if (access == during && while_waiting) while_waiting();
        if (fail && access == fail->at)
            throw AutomationError(fail->how, fail->number, fail->detail);
    }

  private:
    class Object : public AutoObject {
      public:
        Object(RecordingAutomation& owner, std::string name)
            : owner_(owner), name_(std::move(name)) {}

        Variant get(const std::string& member, const Args& args) override {
            owner_.record(name_ + ".get " + member + argList(args));
            return ObjectRef(std::make_shared<Object>(owner_, member));
        }
        void put(const std::string& member, const Args& args, const Variant& value) override {
            owner_.record(name_ + ".put " + member + argList(args) + " = " + describe(value));
        }
        Variant call(const std::string& member, const Args& args) override {
            owner_.record(name_ + ".call " + member + argList(args));
            return {};
        }

      private:
        static std::string argList(const Args& args) {
            if (args.empty()) return "";
            std::string text = "(";
            for (std::size_t i = 0; i < args.size(); ++i)
                text += (i ? ", " : "") + describe(args[i]);
            return text + ")";
        }
        RecordingAutomation& owner_;
        std::string name_;
    };
};

// frmMACHIMSG without a window: loading it stands in for FORM_CENTER by setting G_sAppPath
// to `current_dir`.
class RecordingWaitWindow : public WaitWindow {
  public:
    RecordingWaitWindow(Machine& m, std::string current_dir)
        : m_(m), current_dir_(std::move(current_dir)) {}

    std::vector<std::string> events;
    bool shown = false;
    bool hourglass = false;

    void show() override {
        m_.G_sAppPath = current_dir_;
        shown = true;
        hourglass = true;
        events.push_back("show");
    }
    void makeTopmost() override { events.push_back("topmost"); }
    void setProgress(const std::string& text) override { events.push_back("progress " + text); }
    void repaint() override { events.push_back("repaint"); }
    void unload() override {
        shown = false;
        hourglass = false;
        events.push_back("unload");
    }
    void focusMainWindow() override { events.push_back("focus"); }

  private:
    Machine& m_;
    std::string current_dir_;
};

// A machine with the settings of a launch, the recording server and waiting window, and a
// recorded change of the current directory.
struct LaunchFixture {
    explicit LaunchFixture(const std::string& current_dir) : window(t.m, current_dir) {
        t.m.G_sExcelPath = "..\\ANALYSIS";
        t.m.G_sExcelBook = "ATARI.XLS";
        t.m.G_sLogPath = "D:\\RL00\\LOG";
        change_directory = [this](const std::string& dir) { directories.push_back(dir); };
    }

    void launch() {
        LaunchPorts ports{window, server, change_directory};
        launchAnalysis(t.m, session, ports);
    }

    TestMachine t;
    RecordingAutomation server;
    RecordingWaitWindow window;
    AnalysisSession session;
    std::vector<std::string> directories;
    std::function<void(const std::string&)> change_directory;
};

}  // namespace rl00::test
