// The shredder object of Fraxil and the optimizer object of Quenza as the
// shredder and optimizer pages use them: only the members the pages call, with
// the program's own types. The real ones (MakeFraxilShredder,
// MakeQuenzaOptimizer) call the registered COM objects and raise a failed call
// as a RunTimeError; tests put scripted ones in their place.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tidvex::main {

class frmMain;

// Methods answer 1 (done) or 0 (refused); the pages look at none of them.
// Paths go as the file system names them (the object takes UTF-16).
class ShredderObject {
public:
    virtual ~ShredderObject() = default;
    virtual std::int32_t Initialize() = 0;
    virtual std::int32_t NewSession() = 0;
    virtual void ApplicationPath(const std::wstring& path) = 0;
    virtual void Language(const std::string& file) = 0;
    virtual void LogFileName(const std::string& file) = 0;
    virtual void ProfileName(const std::string& name) = 0;
    virtual void ShredderApplicationName(const std::string& name) = 0;
    virtual void ShredMethod(std::int16_t method) = 0;
    virtual std::int32_t SessionType() = 0;
    virtual void SessionType(std::int32_t type) = 0;
    virtual std::int32_t AddFile(const std::wstring& path) = 0;
    virtual std::int32_t AddFolder(const std::wstring& path) = 0;
    virtual std::int32_t AddDrive(const std::string& drive) = 0;
    virtual std::int32_t RemoveDrive(const std::string& drive) = 0;
    virtual void ShredSubFolder(std::int32_t on) = 0;
    virtual void RemoveSubFolder(std::int32_t on) = 0;
    virtual void ShredHiddenAndSystemFiles(std::int32_t on) = 0;
    virtual std::int32_t StartSession() = 0;
    virtual std::int32_t AbortSession() = 0;
};

// Setters take the switch and return nothing; readers answer the state now.
class OptimizerObject {
public:
    virtual ~OptimizerObject() = default;
    virtual void OPZBroadBand(bool on) = 0;
    virtual void OPZSimConnecions(bool on, std::int16_t count) = 0;
    virtual void OPZAutoBootDisk(bool on) = 0;
    virtual void OPZHardDiskWhenIdle(bool on) = 0;
    virtual void OPZDisableLowDiskSpaceNote(bool on) = 0;
    virtual void OPZAddNewOption2CopyMove(bool on) = 0;
    virtual void OPZDisableSaveSettings(bool on) = 0;
    virtual void OPZRestoreOpenFolders(bool on) = 0;
    virtual void OPZDisableControlPanel(bool on) = 0;
    virtual void OPZDisableRecentDocHistory(bool on) = 0;
    virtual void OPZLockHardDrives(bool on, const std::string& drives) = 0;

    virtual bool IsBroadBand() = 0;
    // The count, or -1 when none is set.
    virtual std::int16_t GetSimConnecions() = 0;
    virtual bool IsAutoBootDisk() = 0;
    virtual bool IsHardDiskWhenIdle() = 0;
    virtual bool IsDisableLowDiskSpaceNote() = 0;
    virtual bool IsAddNewOption2CopyMove() = 0;
    virtual bool IsDisableSaveSettings() = 0;
    virtual bool IsRestoreOpenFolders() = 0;
    virtual bool IsDisableControlPanel() = 0;
    virtual bool IsDisableRecentDocHistory() = 0;
    virtual bool IsLockHardDrives() = 0;
};

// Creates the registered shredder object (429 when it cannot be) and connects
// its events to the form's Shredder_... handlers, which then run on this
// thread, one at a time, while it dispatches messages.
std::unique_ptr<ShredderObject> MakeFraxilShredder(frmMain& form);
// Creates the registered optimizer object (429 when it cannot be).
std::unique_ptr<OptimizerObject> MakeQuenzaOptimizer();

}  // namespace tidvex::main
