// A shredder and an optimizer the page tests script: setters and calls are
// recorded as text, readers answered from the test's state.
#pragma once

#include "main/library_objects.h"

#include "errors/run_time_error.h"
#include "text/text.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tidvex::test {

using Calls = std::vector<std::string>;

// Records every call as text ("AddFile S:\a", "SessionType=0"); a member named
// in `failing` raises a run-time error instead, and one named in `refusing`
// answers 0.
class ScriptedShredder final : public main::ShredderObject {
public:
    explicit ScriptedShredder(Calls& calls) : calls_(calls) {}
    ~ScriptedShredder() override {
        if (released) released();
    }
    std::int32_t Initialize() override { return Note("Initialize"); }
    std::int32_t NewSession() override { return Note("NewSession"); }
    void ApplicationPath(const std::wstring& v) override { Note("ApplicationPath=" + text::Narrow(v)); }
    void Language(const std::string& v) override { Note("Language=" + v); }
    void LogFileName(const std::string& v) override { Note("LogFileName=" + v); }
    void ProfileName(const std::string& v) override { Note("ProfileName=" + v); }
    void ShredderApplicationName(const std::string& v) override { Note("ShredderApplicationName=" + v); }
    void ShredMethod(std::int16_t v) override { Note("ShredMethod=" + std::to_string(v)); }
    std::int32_t SessionType() override {
        Fail("SessionType");
        return type;
    }
    void SessionType(std::int32_t v) override {
        type = v;
        Note("SessionType=" + std::to_string(v));
    }
    std::int32_t AddFile(const std::wstring& v) override { return Note("AddFile " + text::Narrow(v)); }
    std::int32_t AddFolder(const std::wstring& v) override { return Note("AddFolder " + text::Narrow(v)); }
    std::int32_t AddDrive(const std::string& v) override { return Note("AddDrive " + v); }
    std::int32_t RemoveDrive(const std::string& v) override { return Note("RemoveDrive " + v); }
    void ShredSubFolder(std::int32_t v) override { Note("ShredSubFolder=" + std::to_string(v)); }
    void RemoveSubFolder(std::int32_t v) override { Note("RemoveSubFolder=" + std::to_string(v)); }
    void ShredHiddenAndSystemFiles(std::int32_t v) override { Note("ShredHiddenAndSystemFiles=" + std::to_string(v)); }
    std::int32_t StartSession() override { return Note("StartSession"); }
    std::int32_t AbortSession() override { return Note("AbortSession"); }

    std::int32_t type = 0;
    std::string failing, refusing;
    // Runs after each recorded call, where the real object fires its events.
    std::function<void(const std::string& call)> after;
    // Runs when the object is let go.
    std::function<void()> released;

private:
    void Fail(const std::string& call) const {
        if (!failing.empty() && call.rfind(failing, 0) == 0) throw RunTimeError(-2147221164, "Class not registered");
    }
    std::int32_t Note(const std::string& call) {
        Fail(call);
        calls_.push_back(call);
        if (after) after(call);
        return !refusing.empty() && call.rfind(refusing, 0) == 0 ? 0 : 1;
    }
    Calls& calls_;
};

// Answers the readers from `state` and records the setters; `read` runs when
// the first reader is asked.
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

    bool IsBroadBand() override {
        if (read) read();
        return state[0];
    }
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
    std::function<void()> read;

private:
    void Note(const std::string& name, bool on, const std::string& more = "") {
        if (name == failing) throw RunTimeError(-2147023174, "The RPC server is unavailable");
        calls_.push_back(name + "(" + (on ? "True" : "False") + more + ")");
    }
    Calls& calls_;
};

}  // namespace tidvex::test
