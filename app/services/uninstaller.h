// clsUninstaller: the installed programs that the registry's uninstall key
// describes, and what the uninstaller page does with one of them: run its
// uninstaller, give it another display name, remove its entry.
#pragma once

#include "services/registry.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tidvex::services {

// Below HKEY_LOCAL_MACHINE.
inline constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// One listed program, its texts exactly as the registry keeps them: a key or
// a command with characters outside the code page is never taken for a
// look-alike. No field is cut: an uninstall command of any length is kept whole.
struct UninstallRecord {
    std::int32_t ID = 0;     // running number from 0, without gaps
    std::wstring Name;       // "DisplayName"
    std::wstring UninsPath;  // "UninstallString"
    std::wstring iconPath;   // "DisplayIcon", empty when missing
    std::wstring KeyName;    // the subkey's name
};
using UninstallRecordset = std::vector<UninstallRecord>;

// How a command line is started: run and waited for while the window stays
// live (stopping when the program closes), or started in a normal window.
class ProgramRunner {
public:
    virtual ~ProgramRunner() = default;
    virtual void RunAndWait(const std::wstring& command) = 0;
    virtual void Start(const std::wstring& command) = 0;
};

// ExecuteWait, and CreateProcess in a normal window.
ProgramRunner& RealProgramRunner();

class clsUninstaller {
public:
    // Also sets the program's Windows and System folder texts.
    explicit clsUninstaller(ProgramRunner& runner = RealProgramRunner(),
                            registry::RegistryApi& api = registry::RealRegistry());

    // Every subkey with both a "DisplayName" and an "UninstallString", in the
    // order the registry lists them; nothing (after FatalError) when no list
    // can be made.
    std::optional<UninstallRecordset> FillUninstallList();
    // Runs the command line, waiting for it or not; failures are ignored.
    void UninstallItem(const std::wstring& sUninsPath, bool bWaitUntilFinish = false);
    // Sets the entry's "DisplayName" (a string value). Throws RunTimeError, also
    // when the entry is no longer there (no key is made for it).
    void RenameEntry(const std::wstring& sKeyName, const std::wstring& sNewName);
    // Deletes exactly the entry's key, without the safe-list check; a key that
    // still has subkeys stays, and nothing is reported.
    void RemoveEntry(const std::wstring& sKeyName);

    // Raised with "Error 1001, Can not intialize Uninstaller, Process aborted"
    // when the list cannot be made.
    std::function<void(const std::string& message)> FatalError;

private:
    // The one registry object, made on first use.
    CRegistry& Reg();

    ProgramRunner& runner_;
    registry::RegistryApi& api_;
    std::optional<CRegistry> reg_;
    UninstallRecordset list_;
};

}  // namespace tidvex::services
