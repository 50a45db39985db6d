// A main form of in-memory controls whose calls to the outside are recorded
// and answered by script, on the sandbox's registry and a scratch program folder.
#pragma once

#include "main/form.h"

#include "controls/memory_controls.h"
#include "harness/support.h"
#include "scripted_window.h"
#include "services/program.h"
#include "services/settings_store.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <deque>
#include <memory>
#include <utility>
#include <string>
#include <vector>

namespace tidvex::test {

inline constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// What the settings loader asks of the window: the schedule's calls go to the
// form, as the real window's do.
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
        main::gIsCleaning = false;
        services::gIsExiting = false;
        form_ = std::make_unique<main::frmMain>(factory_, loader_, &window);
        loader_.form = form_.get();
        auto group = [](auto& options) {
            std::vector<controls::MemoryOptionButton*> buttons;
            for (auto* o : options) buttons.push_back(static_cast<controls::MemoryOptionButton*>(o));
            controls::MemoryOptionButton::Group(buttons);
        };
        group(form_->optTimeSchedule);
        group(form_->optSessionSchedule);
        auto& calls = form_->optionsCalls;
        calls.openFiles = [this](const std::string& title, const std::string& filter, bool multi) {
            window.Log("files " + title + (multi ? " (several)" : "") + " filter " + Visible(filter));
            return Next();
        };
        calls.browseForFolder = [this](const std::string& title) {
            window.Log("folder " + title);
            return Next();
        };
        calls.showRegistryDialog = [this](bool safe) { window.Log(safe ? "registry safe" : "registry black"); };
        calls.exitWindows = [this](int mode) { window.Log("exit " + std::to_string(mode)); };
    }
    void TearDown() override {
        form_.reset();
        main::gIsCleaning = false;
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

    // The next scripted dialog answer.
    std::string Next() {
        if (answers.empty()) return "Cancel";
        std::string answer = answers.front();
        answers.pop_front();
        return answer;
    }
    // What the window and the platform were asked since the last call.
    Texts TakeCalls() { return std::exchange(window.log, {}); }

    main::frmMain& form() { return *form_; }
    static controls::MemoryCheckBox& Box(controls::CheckBox* box) { return *static_cast<controls::MemoryCheckBox*>(box); }
    static controls::MemoryListBox& List(controls::ListBox* list) { return *static_cast<controls::MemoryListBox*>(list); }
    static controls::MemoryButton& Press(controls::Button* button) { return *static_cast<controls::MemoryButton*>(button); }
    static controls::MemoryTimer& Clock(controls::Timer* timer) { return *static_cast<controls::MemoryTimer*>(timer); }

    ScriptedWindow window;
    std::deque<std::string> answers;

private:
    std::unique_ptr<services::ScopedAppPath> appPath_;
    controls::MemoryControlFactory factory_;
    FormWindow loader_;
    std::unique_ptr<main::frmMain> form_;
};

}  // namespace tidvex::test
