// clsRegCleaner: removes registry entries whose file is gone and clears the
// most-recently-used lists of Windows programs. Nineteen switches, run in their
// order, each step followed by a progress event on the band StartClean is given.
//
// An entry goes only when the file it names is surely missing (target_probe.h);
// whatever cannot be told stays. Everything runs on the caller's thread, which
// yields to the message loop five times before each registry entry; StopClean,
// called from there (or from an event handler), ends StartClean at once: no
// later entry, check or list is touched and no event follows.
#pragma once

#include "engine/target_probe.h"
#include "pump/pump.h"
#include "services/helpers.h"
#include "services/registry.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace tidvex::engine {

// The Windows and System folders (services/helpers.h).
using services::gSystemDir;
using services::gWindowsDir;
using services::SetWindowsFolders;

class clsRegCleaner {
public:
    // `programFolders`: the folders this process sees in place of a 64-bit
    // program's (a 32-bit process on 64-bit Windows; none otherwise).
    explicit clsRegCleaner(std::vector<FolderAlias> programFolders = Wow64ProgramFolders());

    // The switches, in the order their steps run.
    void IsCleanBrokenFileType(bool on) { switches_[kFileType] = on; }
    void IsCleanBrokenCOM_OLE(bool on) { switches_[kComOle] = on; }
    void IsCleanBrokenActiveX(bool on) { switches_[kActiveX] = on; }
    void IsCleanBrokenStartup(bool on) { switches_[kStartup] = on; }
    void IsCleanBrokenSharedDLL(bool on) { switches_[kSharedDll] = on; }
    void IsCleanBrokenFont(bool on) { switches_[kFont] = on; }
    void IsCleanBrokenSound(bool on) { switches_[kSound] = on; }
    void IsCleanBrokenHelpFiles(bool on) { switches_[kHelpFiles] = on; }
    void IsCleanBrokenApplicationPath(bool on) { switches_[kApplicationPath] = on; }
    void IsCleanBrokenIcon(bool on) { switches_[kIcon] = on; }
    void IsCleanBrokenUninstall(bool on) { switches_[kUninstall] = on; }
    void IsCleanMRUSearch(bool on) { switches_[kMruSearch] = on; }
    void IsCleanMRURun(bool on) { switches_[kMruRun] = on; }
    void IsCleanMRUMediaPlayer(bool on) { switches_[kMruMediaPlayer] = on; }
    void IsCleanMRUPaint(bool on) { switches_[kMruPaint] = on; }
    void IsCleanMRUWrodPad(bool on) { switches_[kMruWordPad] = on; }
    void IsCleanMRUWinZip(bool on) { switches_[kMruWinZip] = on; }
    void IsCleanMRUComDialog(bool on) { switches_[kMruComDialog] = on; }
    void IsCleanMRUNetMeeting(bool on) { switches_[kMruNetMeeting] = on; }

    // All nineteen switches off.
    void RestVariables() { switches_.fill(false); }

    // Runs the switched-on steps in order and raises Progress after each of the
    // nineteen, from start + range / 19 up to start + range; `start` follows.
    // A registry failure inside a most-recently-used step passes to the caller.
    void StartClean(double& start, double range);
    void StartClean(double&& start, double range) { StartClean(start, range); }
    void StopClean() { stop_ = true; }

    // Events (arguments by reference, as the session receives them).
    std::function<void(std::string& sKey, std::string& sType)> ScanningRegKey;
    std::function<void(std::string& sKey, std::string& sType)> CleaningRegItem;
    std::function<void(double& iTotlaProgress)> Progress;
    std::function<void(std::string& sItem)> CompleteCleanItem;

private:
    enum Step {
        kFileType, kComOle, kActiveX, kStartup, kSharedDll, kFont, kSound, kHelpFiles, kApplicationPath, kIcon,
        kUninstall, kMruSearch, kMruRun, kMruMediaPlayer, kMruPaint, kMruWordPad, kMruWinZip, kMruComDialog,
        kMruNetMeeting, kStepCount
    };

    void RunStep(int step);
    // Runs one broken-reference check under its error handler.
    void Check(const char* tag, void (clsRegCleaner::*check)());

    void CleanBrokenFileType();
    void CleanBrokenCOM_OLE();
    void CleanBrokenActiveX();
    void CleanBrokenStartup();
    void CleanBrokenSharedDLL();
    void CleanBrokenFont();
    void CleanBrokenSound();
    void CleanBrokenHelpFiles();
    void CleanBrokenApplicationPath();
    void CleanBrokenIcon();
    void CleanBrokenUninstall();
    void CleanIconPass(const std::wstring& parent, const std::wstring& iconKey, const std::string& category);
    void CleanRunValues(std::int32_t hive, const std::string& keyText, const std::string& category);
    // Deletes one list key, or two in a row; `fullPath`: the first is a full
    // path, removed with everything below it.
    void ClearMru(const std::string& category, const std::string& first, const std::string& second,
                  bool fullPath = false);

    // Yields five times before an entry; StopClean ends everything from here.
    void BeforeEntry();
    void ThrowIfStopped() const;
    void RaiseScanning(std::string key, std::string type);
    void RaiseCleaning(std::string key, std::string type);
    void RaiseComplete(std::string item);

    // Every call below names the key it works on: nothing depends on where an
    // earlier read left the registry object. Names are read and deleted as the
    // registry keeps them (UTF-16), so an entry is judged by exactly what it
    // holds and a delete removes exactly the entry judged.
    using Visit = std::function<void(const std::wstring& name)>;
    // The walks: each subkey or value name of the key, in the order the
    // registry lists them, after BeforeEntry; none when the key cannot be opened.
    void ForEachSubkey(std::int32_t hive, const std::wstring& key, const Visit& visit);
    void ForEachValue(std::int32_t hive, const std::wstring& key, const Visit& visit);
    // The subkey names without yielding (an inner level of a walk).
    std::vector<std::wstring> Subkeys(std::int32_t hive, const std::wstring& key);
    // A text value trimmed; empty when it is missing, holds no text or cannot
    // be read exactly (an entry that is then never judged).
    std::wstring ReadText(std::int32_t hive, const std::wstring& key, const std::wstring& value);
    // The deletes, with the safe-list check off; true when the entry went.
    bool DeleteValue(std::int32_t hive, const std::wstring& key, const std::wstring& value);
    bool DeleteKey(std::int32_t hive, const std::wstring& key);
    // A key with everything below it; true when it is gone.
    bool DeleteTree(std::int32_t hive, const std::wstring& key);

    std::array<bool, kStepCount> switches_{};
    bool stop_ = false;
    std::vector<FolderAlias> programFolders_;
    ProbeFolders folders_;
    services::CRegistry reg_;
    pump::PacedDoEvents yield_;
};

}  // namespace tidvex::engine
