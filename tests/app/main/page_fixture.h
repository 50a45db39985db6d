// A main form of in-memory controls whose calls to the outside are recorded
// and answered by script, on the sandbox's registry and a scratch program folder.
#pragma once

#include "main/form.h"

#include "controls/memory_controls.h"
#include "harness/support.h"
#include "services/program.h"
#include "services/settings_store.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tidvex::test {

using Texts = std::vector<std::string>;

inline constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// The window's part: the schedule's calls go to the form itself.
class FormWindow : public main::WindowCalls {
public:
    void ApplyTimeSchedule() override { form->ApplyTimeSchedule(); }
    void ApplyWhenWindowsShutDown() override { form->ApplyWhenWindowsShutDown(); }
    void LoadOptimizerSettings() override {}
    main::frmMain* form = nullptr;
};

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, services::SettingsKey);
        DeleteRunValue();
        appPath_ = std::make_unique<services::ScopedAppPath>(ScratchFolder("program"));
        form_ = std::make_unique<main::frmMain>(factory_, window_);
        window_.form = form_.get();
        auto group = [](auto& options) {
            std::vector<controls::MemoryOptionButton*> buttons;
            for (auto* o : options) buttons.push_back(static_cast<controls::MemoryOptionButton*>(o));
            controls::MemoryOptionButton::Group(buttons);
        };
        group(form_->optTimeSchedule);
        group(form_->optSessionSchedule);
        auto& calls = form_->optionsCalls;
        calls.showMe = [this](const std::string& text, bool, const std::string&, const std::string&, int icon) {
            record("message " + text + (icon ? " icon " + std::to_string(icon) : ""));
            return 1;
        };
        calls.openFiles = [this](const std::string& title, const std::string& filter, bool multi) {
            record("files " + title + (multi ? " (several)" : "") + " filter " + Visible(filter));
            return Next();
        };
        calls.browseForFolder = [this](const std::string& title) {
            record("folder " + title);
            return Next();
        };
        calls.showRegistryDialog = [this](bool safe) { record(safe ? "registry safe" : "registry black"); };
        calls.shellOpen = [this](const std::string& target) { record("open " + target); };
        calls.exitWindows = [this](int mode) { record("exit " + std::to_string(mode)); };
        calls.isCleaning = [this] { return cleaning; };
        calls.startCleaning = [this] {
            record("start cleaning");
            if (failCleaning) throw std::runtime_error("the cleaning failed");
        };
        calls.showPage = [this](int page) { record("page " + std::to_string(page)); };
        calls.hideScanSettings = [this] { record("hide clean settings"); };
        calls.showWindow = [this] { record("show window"); };
    }
    void TearDown() override {
        form_.reset();
        DeleteRunValue();
    }

    static void DeleteRunValue() {
        HKEY run;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
            RegDeleteValueA(run, "Tidvex");
            RegCloseKey(run);
        }
    }
    static std::string RunValue() { return RegReadString(HKEY_LOCAL_MACHINE, kRunKey, "Tidvex").value_or("<none>"); }

    // NULs shown as "|", so that a filter or a dialog result can be compared.
    static std::string Visible(std::string text) {
        for (char& c : text)
            if (c == '\0') c = '|';
        return text;
    }

    void record(const std::string& call) { calls_.push_back(call); }
    // The next scripted dialog answer.
    std::string Next() {
        if (answers.empty()) return "Cancel";
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
    Texts TakeCalls() { return std::exchange(calls_, {}); }

    main::frmMain& form() { return *form_; }
    static controls::MemoryCheckBox& Box(controls::CheckBox* box) { return *static_cast<controls::MemoryCheckBox*>(box); }
    static controls::MemoryListBox& List(controls::ListBox* list) { return *static_cast<controls::MemoryListBox*>(list); }
    static controls::MemoryButton& Press(controls::Button* button) { return *static_cast<controls::MemoryButton*>(button); }
    static controls::MemoryTimer& Clock(controls::Timer* timer) { return *static_cast<controls::MemoryTimer*>(timer); }

    std::deque<std::string> answers;
    bool cleaning = false;
    bool failCleaning = false;

private:
    std::unique_ptr<services::ScopedAppPath> appPath_;
    controls::MemoryControlFactory factory_;
    FormWindow window_;
    std::unique_ptr<main::frmMain> form_;
    Texts calls_;
};

}  // namespace tidvex::test
