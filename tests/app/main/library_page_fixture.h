// A main form of in-memory controls with a recording window, a scripted
// shredder and a scripted optimizer, for the page tests. The session-ending
// call is always recorded, never made.
#pragma once

#include "main/form.h"
#include "main/run_time_report.h"
#include "main/platform_dialogs.h"
#include "main/settings.h"
#include "scripted_libraries.h"
#include "unscripted_calls.h"

#include "memory_controls.h"
#include "controls/win32_window.h"
#include "harness/support.h"
#include "services/helpers.h"
#include "services/program.h"
#include "services/settings_store.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tidvex::test {

using Calls = std::vector<std::string>;

// The main window as the dialogs' owner.
class OwnerWindow final : public controls::Form {
public:
    HWND hWnd() const override { return reinterpret_cast<HWND>(0x1234); }
    std::string Caption() const override { return "Tidvex"; }
    void Caption(const std::string&) override {}
    int ScaleWidth() const override { return 0; }
    void BackColor(COLORREF) override {}
    void ShowModal(Form*) override {}
    void Close() override {}
    bool Shown() const override { return true; }
};

// The window's calls: the message boxes shown are recorded; the file dialogs
// and the session's end are the platform's own over the window, which the
// fixture fakes at the platform's calls.
class PageWindow : public UnscriptedCalls {
public:
    std::int32_t ShowMe(const std::string& text, bool is2Buttons, const std::string& button1,
                        const std::string& button2, std::int16_t icon) override {
        shown.push_back(text + (is2Buttons ? " [2]" : "") + " " + button1 + button2 + " icon " + std::to_string(icon));
        return 1;
    }
    std::wstring OpenFiles(const std::string& title, const std::string& filter, bool multiSelect) override {
        return dialogs_.OpenFiles(title, filter, multiSelect);
    }
    std::wstring BrowseForFolder(const std::string& title) override { return dialogs_.BrowseForFolder(title); }
    void ExitWindows(int mode) override { services::ExitWindows(mode); }

    Calls shown;

private:
    OwnerWindow owner_;
    main::PlatformDialogs dialogs_{owner_};
};

// The run-time error report, which ends the program (here it returns), and
// what the control barrier would have shown.
struct Reports {
    std::vector<std::string> fatal, bare;
    ScopedSeam<main::RunTimeReporter> report{
        main::gRunTimeReporter, [this](const RunTimeError&, const std::string& text) { fatal.push_back(text); }};
    ScopedSeam<controls::win32::ErrorReporter> barrier{controls::win32::gErrorReporter,
                                                       [this](const std::string& d) { bare.push_back(d); }};
};

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, services::SettingsKey);
        appPath_ = std::make_unique<services::ScopedAppPath>(ScratchFolder("app"));
        main::ShredMethodSetting = 0;
        form_ = std::make_unique<main::frmMain>(factory_, window_);
        auto shredder = std::make_unique<ScriptedShredder>(calls_);
        shredder_ = shredder.get();
        form_->Shredder = std::move(shredder);
        auto optimizer = std::make_unique<ScriptedOptimizer>(calls_);
        optimizer_ = optimizer.get();
        form_->Optimizer = std::move(optimizer);
    }

    main::frmMain& f() { return *form_; }
    template <class T, class C>
    static T& Mem(C* control) {
        return *static_cast<T*>(control);
    }
    controls::MemoryButton& Button(controls::Button* b) { return Mem<controls::MemoryButton>(b); }
    controls::MemoryListBox& List(controls::ListBox* l) { return Mem<controls::MemoryListBox>(l); }

    std::string Stored(const char* subkey, const std::string& name) {
        return services::CRegister().REGGetSetting(registry::kLocalMachine, std::string(services::SettingsKey) + subkey,
                                                   name, "<none>");
    }
    void Store(const char* subkey, const std::string& name, const std::string& value) {
        services::CRegister().REGSaveSetting(registry::kLocalMachine, std::string(services::SettingsKey) + subkey,
                                             name, value);
    }

    // Every session-ending call the pages make.
    std::vector<UINT> exits_;
    services::ScopedPlatformCalls exitSeam_{{.exitWindowsEx = [this](UINT flags, DWORD) {
        exits_.push_back(flags);
        return TRUE;
    }}};
    std::unique_ptr<services::ScopedAppPath> appPath_;
    controls::MemoryControlFactory factory_;
    PageWindow window_;
    Calls calls_;
    std::unique_ptr<main::frmMain> form_;
    ScriptedShredder* shredder_ = nullptr;
    ScriptedOptimizer* optimizer_ = nullptr;
};

}  // namespace tidvex::test
