// A main form of in-memory controls with a recording window, a scripted
// shredder and a scripted optimizer, for the page tests. The session-ending
// call is always recorded, never made.
#pragma once

#include "main/form.h"
#include "main/settings.h"

#include "controls/memory_controls.h"
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

// The window's calls: the message boxes shown are recorded, the rest does nothing.
class PageWindow : public main::WindowCalls, public main::MainWindowCalls {
public:
    void ApplyTimeSchedule() override {}
    void ApplyWhenWindowsShutDown() override {}
    void LoadOptimizerSettings() override {}

    bool CreateInstanceMutex(const std::string&) override { return true; }
    std::unique_ptr<main::ShredderObject> CreateShredder(main::frmMain&) override { return nullptr; }
    std::unique_ptr<main::OptimizerObject> CreateOptimizer() override { return nullptr; }
    std::shared_ptr<main::CleaningSession> NewCleanSession(const engine::CleaningForm&) override { return nullptr; }
    std::int32_t ShowMe(const std::string& text, bool is2Buttons, const std::string& button1,
                        const std::string& button2, std::int16_t icon) override {
        shown.push_back(text + (is2Buttons ? " [2]" : "") + " " + button1 + button2 + " icon " + std::to_string(icon));
        return 1;
    }
    std::string CommandLine() override { return {}; }
    void Version(int& major, int& minor, int& revision) override { major = minor = revision = 0; }
    std::vector<std::string> Drives() override { return {}; }
    unsigned DriveType(const std::string&) override { return 0; }
    HWND hWnd() override { return reinterpret_cast<HWND>(0x1234); }
    HICON WindowIcon() override { return nullptr; }
    void Size(int, int) override {}
    int Pixels(int twips) override { return twips; }
    int ScaleWidth() override { return 0; }
    void BackColor(COLORREF) override {}
    bool Visible() override { return true; }
    void Visible(bool) override {}
    int WindowState() override { return 0; }
    void WindowState(int) override {}
    void SetForeground() override {}
    POINT CursorPos() override { return {}; }
    void Repaint() override {}
    void Unload() override {}
    void PostUnload() override {}
    void EndProcess() override {}
    void ShellOpen(const std::string&) override {}

    Calls shown;
};

// Records every call as text ("AddFile S:\a", "SessionType=0"); a member named
// in `failing` raises a run-time error instead.
class ScriptedShredder final : public main::ShredderObject {
public:
    explicit ScriptedShredder(Calls& calls) : calls_(calls) {}
    std::int32_t Initialize() override { return Note("Initialize"); }
    std::int32_t NewSession() override { return Note("NewSession"); }
    void ApplicationPath(const std::string& v) override { Note("ApplicationPath=" + v); }
    void Language(const std::string& v) override { Note("Language=" + v); }
    void LogFileName(const std::string& v) override { Note("LogFileName=" + v); }
    void ProfileName(const std::string& v) override { Note("ProfileName=" + v); }
    void ShredderApplicationName(const std::string& v) override { Note("ShredderApplicationName=" + v); }
    void ShredMethod(std::int16_t v) override { Note("ShredMethod=" + std::to_string(v)); }
    std::int32_t SessionType() override { return type; }
    void SessionType(std::int32_t v) override {
        type = v;
        Note("SessionType=" + std::to_string(v));
    }
    std::int32_t AddFile(const std::string& v) override { return Note("AddFile " + v); }
    std::int32_t AddFolder(const std::string& v) override { return Note("AddFolder " + v); }
    std::int32_t AddDrive(const std::string& v) override { return Note("AddDrive " + v); }
    std::int32_t RemoveDrive(const std::string& v) override { return Note("RemoveDrive " + v); }
    void ShredSubFolder(std::int32_t v) override { Note("ShredSubFolder=" + std::to_string(v)); }
    void RemoveSubFolder(std::int32_t v) override { Note("RemoveSubFolder=" + std::to_string(v)); }
    void ShredHiddenAndSystemFiles(std::int32_t v) override { Note("ShredHiddenAndSystemFiles=" + std::to_string(v)); }
    std::int32_t StartSession() override { return Note("StartSession"); }
    std::int32_t AbortSession() override { return Note("AbortSession"); }

    std::int32_t type = 0;
    std::string failing;

private:
    std::int32_t Note(const std::string& call) {
        if (!failing.empty() && call.rfind(failing, 0) == 0) throw RunTimeError(-2147221164, "Class not registered");
        calls_.push_back(call);
        return 1;
    }
    Calls& calls_;
};

// Answers the readers from `state` and records the setters.
class ScriptedOptimizer final : public main::OptimizerObject {
public:
    explicit ScriptedOptimizer(Calls& calls) : calls_(calls) {}
    void OPZBroadBand(bool on) override { Note("OPZBroadBand", on); }
    void OPZSimConnecions(bool on, std::int16_t count) override {
        Note("OPZSimConnecions", on, " " + std::to_string(count));
    }
    void OPZAutoBootDisk(bool on) override { Note("OPZAutoBootDisk", on); }
    void OPZHardDiskWhenIdle(bool on) override { Note("OPZHardDiskWhenIdle", on); }
    void OPZDisableLowDiskSpaceNote(bool on) override { Note("OPZDisableLowDiskSpaceNote", on); }
    void OPZAddNewOption2CopyMove(bool on) override { Note("OPZAddNewOption2CopyMove", on); }
    void OPZDisableSaveSettings(bool on) override { Note("OPZDisableSaveSettings", on); }
    void OPZRestoreOpenFolders(bool on) override { Note("OPZRestoreOpenFolders", on); }
    void OPZDisableControlPanel(bool on) override { Note("OPZDisableControlPanel", on); }
    void OPZDisableRecentDocHistory(bool on) override { Note("OPZDisableRecentDocHistory", on); }
    void OPZLockHardDrives(bool on, const std::string& drives) override { Note("OPZLockHardDrives", on, " " + drives); }

    bool IsBroadBand() override { return state[0]; }
    std::int16_t GetSimConnecions() override { return count; }
    bool IsAutoBootDisk() override { return state[2]; }
    bool IsHardDiskWhenIdle() override { return state[3]; }
    bool IsDisableLowDiskSpaceNote() override { return state[4]; }
    bool IsAddNewOption2CopyMove() override { return state[5]; }
    bool IsDisableSaveSettings() override { return state[6]; }
    bool IsRestoreOpenFolders() override { return state[7]; }
    bool IsDisableControlPanel() override { return state[8]; }
    bool IsDisableRecentDocHistory() override { return state[9]; }
    bool IsLockHardDrives() override { return state[10]; }

    std::vector<bool> state = std::vector<bool>(11, false);
    std::int16_t count = -1;
    std::string failing;

private:
    void Note(const std::string& name, bool on, const std::string& more = "") {
        if (name == failing) throw RunTimeError(-2147023174, "The RPC server is unavailable");
        calls_.push_back(name + "(" + (on ? "True" : "False") + more + ")");
    }
    Calls& calls_;
};

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, services::SettingsKey);
        appPath_ = std::make_unique<services::ScopedAppPath>(ScratchFolder("app"));
        main::ShredMethodSetting = 0;
        form_ = std::make_unique<main::frmMain>(factory_, window_, &window_);
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
