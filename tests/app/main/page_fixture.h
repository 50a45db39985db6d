// A main form of in-memory controls whose calls to the outside are recorded
// and answered by script, on the sandbox's registry and a scratch program
// folder. Option buttons group by their frame as the real ones do.
#pragma once

#include "main/form.h"

#include "memory_controls.h"
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

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, services::SettingsKey);
        DeleteRunValue();
        appPath_ = std::make_unique<services::ScopedAppPath>(ScratchFolder("program"));
        main::gIsCleaning = false;
        services::gIsExiting = false;
        form_ = std::make_unique<main::frmMain>(factory_, window);
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
    static std::string Visible(const std::string& text) { return ScriptedWindow::Visible(text); }

    // What the window and the platform were asked since the last call.
    Texts TakeCalls() { return std::exchange(window.log, {}); }

    main::frmMain& form() { return *form_; }
    static controls::MemoryCheckBox& Box(controls::CheckBox* box) { return *static_cast<controls::MemoryCheckBox*>(box); }
    static controls::MemoryListBox& List(controls::ListBox* list) { return *static_cast<controls::MemoryListBox*>(list); }
    static controls::MemoryButton& Press(controls::Button* button) { return *static_cast<controls::MemoryButton*>(button); }
    static controls::MemoryTimer& Clock(controls::Timer* timer) { return *static_cast<controls::MemoryTimer*>(timer); }

    ScriptedWindow window;
    // What the dialogs answer, in order.
    std::deque<std::string>& answers = window.dialogAnswers;

private:
    std::unique_ptr<services::ScopedAppPath> appPath_;
    controls::MemoryControlFactory factory_;
    std::unique_ptr<main::frmMain> form_;
};

}  // namespace tidvex::test
