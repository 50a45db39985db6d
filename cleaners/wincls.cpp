// The Windows cleaner: temporary, CD-burning and template folders, the Recycle
// Bin, most-recently-used lists of Windows and its applets, the clipboard, the
// Windows log files, the recent documents and the shell icon cache.
#include "classes.h"

#include "platform.h"
#include "registry_factory.h"
#include "shredder_factory.h"

#include "fs/canonical.h"
#include "fs/fso.h"
#include "handles/handles.h"

namespace velmora {

using tidvex::fs::OwnFolder;
using tidvex::registry::kCurrentUser;
using tidvex::registry::kLocalMachine;

namespace {

constexpr StepInfo kSteps[] = {
    {"Cleaning Temp Folder", false},
    {"Cleaning CD Burning Folder", false},
    {"Cleaning Templates Folder", false},
    {"Cleaning Recycle bin", false},
    {"Cleaning Direct 3D MRU", false},
    {"Cleaning Direct Input MRU", false},
    {"Cleaning Direct Draw MRU", false},
    {"Cleaning Clipboard", false},
    {"Clening user assistant history", false},
    {"Cleaning Open & Save history", false},
    {"Cleaning Windows log files", false},
    {"Cleaning MS Paint MRU", false},
    {"Cleaning Word Pad History", false},
    {"Cleaning Run Dialog History", false},
    {"Cleaning Find History", false},
    {"Cleaning Media Player history", false},
    {"Cleaning Recent Documents", false},
    {"Cleaning Icon Cache", false},
    {"Cleaning Printer Connections", false},
    {"Cleaning RegEdit History", false},
    {"Cleaning RegEdit History", false},
};

constexpr char kAdvanced[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
constexpr char kPolicies[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\policies\\system";
constexpr char kRegedit[] = "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";

std::wstring UserTempFolder() { return ShellFolder("Local Settings") + L"\\temp"; }
std::wstring WindowsTempFolder() { return WindowsDirectory(200) + L"\\temp"; }

}  // namespace

std::span<const StepInfo> WinCls::Steps() { return kSteps; }

WinCls::WinCls() {
    windowsFolder_ = WindowsDirectory(200);
    Reset();
}

STDMETHODIMP WinCls::WinReset(VARIANT* result) {
    if (result) VariantInit(result);
    return Member([&] { Reset(); });
}

STDMETHODIMP WinCls::get_TempPaths(BSTR* value) {
    return OutText(__uuidof(_WinCls), value, [] { return UserTempFolder() + L"|" + WindowsTempFolder(); });
}

STDMETHODIMP WinCls::get_CDFolderPath(BSTR* value) {
    return OutText(__uuidof(_WinCls), value, [] { return ShellFolder("CD Burning"); });
}

STDMETHODIMP WinCls::BootFaster(VARIANT_BOOL* Flag, VARIANT* result) {
    if (result) VariantInit(result);
    if (!Flag) return E_POINTER;
    return Member([&] {
        auto reg = MakeRegistry();
        reg.ClassKey(kLocalMachine);
        reg.SectionKey(kPolicies);
        reg.ValueType(REG_DWORD);
        for (const char* name : {"SynchronousMachineGroupPolicy", "SynchronousUserGroupPolicy"}) {
            reg.ValueKey(name);
            if (*Flag == VARIANT_TRUE) {
                reg.DeleteValue();
            } else {
                reg.value(std::int32_t{0});
            }
        }
    });
}

void WinCls::RunStep(size_t step, bool) {
    switch (step) {
        case CleanTmpFolder: CleanTempFolders(); break;
        case CleanCdTmp: ShredContents(ShellFolder("CD Burning"), OwnFolder::CdBurning); break;
        case CleanTemplates: ShredContents(ShellFolder("Templates"), OwnFolder::Templates); break;
        case CleanRecBin: CurrentPlatform().EmptyRecycleBin(); break;
        case CleanRecent3D:
            DeleteKeys({"HKEY_CURRENT_USER\\Software\\Microsoft\\Direct3D\\MostRecentApplication"});
            break;
        case CleanInputRecent:
            DeleteKeys({"HKEY_CURRENT_USER\\Software\\Microsoft\\DirectInput\\MostRecentApplication"});
            break;
        case CleanDrawRecent:
            DeleteKeys({"HKEY_CURRENT_USER\\Software\\Microsoft\\DirectDraw\\MostRecentApplication"});
            break;
        case CleanClipboardRecent:
            // A clipboard that another window holds is left alone; the run goes on.
            CurrentPlatform().EmptyClipboard();
            break;
        case CleanAssHistory:
            DeleteKeys({"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\"
                        "{5E6AB780-7743-11CF-A12B-00AA004AE837}\\Count",
                        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\UserAssist\\"
                        "{75048700-EF1F-11D0-9888-006097DEACF9}\\Count"});
            break;
        case CleanComDialogHistory:
            DeleteKeys({"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32"});
            break;
        case CleanLogFiles: {
            // The Windows folder is the system's own: only its log files go, and
            // only when it is reached through no link.
            const tidvex::fs::CanonicalPath windows = tidvex::fs::Canonical(windowsFolder_);
            if (windows && !windows.IsRoot() &&
                tidvex::fs::CheckOwnFolder(windows.path) == tidvex::fs::FolderCheck::Own) {
                StepShredder().FolderShred(windows.path, true, "log", true);
            }
            break;
        }
        case CleanMsPaintRecent:
            DeleteKeys({"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\"
                        "Recent File List"});
            break;
        case CleanWordPadRecent:
            DeleteKeys({"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\"
                        "Recent File List"});
            break;
        case CleanRunHistory: {
            auto reg = StepRegistry(kMsgLog);
            reg.ClassKey(kCurrentUser);
            reg.SectionKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU");
            reg.DeleteKey();
            break;
        }
        case CleanFindHistoryP: DeleteKeys({"HKEY_CURRENT_USER\\Software\\Microsoft\\Search Assistant\\ACMru"}); break;
        case CleanMPRecent:
            DeleteKeys({"HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList",
                        "HKEY_CURRENT_USER\\Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList"});
            break;
        case CleanRecentDoc: {
            std::wstring recent = ShellFolder("Recent");
            DeleteKeys({"HKey_Current_User\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs",
                        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StreamMRU",
                        "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Streams"});
            ShredContents(recent, OwnFolder::Recent);
            break;
        }
        case CleanIconCashP: CleanIconCache(); break;
        case CleanRecentPrinter: DeleteKeys({"HKEY_CURRENT_USER\\Printers\\Connections"}); break;
        case CleanRecentRegedit:
        case CleanRegeditHistory: DeleteKeys({kRegedit}); break;
        default: break;
    }
}

// Both temporary folders go whole, then each is made again when it is gone. A
// folder that kept a file in use still exists and is left as it is.
void WinCls::CleanTempFolders() {
    // A shell folder this machine does not define gives a relative path, which
    // is passed by quietly; any other refusal is logged.
    auto usable = [](const std::wstring& folder) -> std::optional<std::wstring> {
        if (!IsCleanableFolder(folder)) return std::nullopt;
        return MayCleanFolder(folder);
    };
    const std::optional<std::wstring> user = usable(UserTempFolder());
    const std::optional<std::wstring> windows = usable(WindowsTempFolder());
    {
        auto sh = StepShredder();
        if (user) sh.FolderShred(*user, false, "*", true);
        if (windows) sh.FolderShred(*windows, false, "*", true);
    }
    auto& fso = tidvex::fs::gFSO();
    if (user && !fso.FolderExists(*user)) fso.CreateFolder(*user);
    if (windows && !fso.FolderExists(*windows)) fso.CreateFolder(*windows);
}

void WinCls::ShredContents(const std::wstring& folder, OwnFolder own) {
    if (!IsCleanableFolder(folder)) return;  // a shell folder this machine does not define
    if (auto canonical = MayCleanFolder(folder, own)) StepShredder().FolderShred(*canonical, true, "*", true);
}

void WinCls::DeleteKeys(std::initializer_list<const char*> paths) {
    auto reg = StepRegistry(kMsgLog);
    for (const char* path : paths) reg.del_reg_sub(path);
}

// The icon cache is a hidden file; while "show hidden files" is 2 (off) it is
// switched on for the deletion and back off afterwards, also when the deletion fails.
void WinCls::CleanIconCache() {
    bool switched = false;
    {
        auto reg = StepRegistry(kMsgLog);
        reg.ClassKey(kCurrentUser);
        reg.SectionKey(kAdvanced);
        reg.ValueType(REG_DWORD);
        reg.ValueKey("hidden");
        if (reg.value().Long(0) == 2) {
            reg.value(std::int32_t{1});
            switched = true;
        }
    }
    auto restore = [&] {
        if (!switched) return;
        auto reg = StepRegistry(kMsgLog);
        reg.ClassKey(kCurrentUser);
        reg.SectionKey(kAdvanced);
        reg.ValueType(REG_DWORD);
        reg.ValueKey("hidden");
        reg.value(std::int32_t{2});
    };
    try {
        std::wstring cache = GetWindowsDir() + L"\\ShellIconCache";
        WIN32_FIND_DATAW found;
        tidvex::handles::Find search(FindFirstFileW(cache.c_str(), &found));
        // Only a file is the cache: a folder of that name is not looked at. A link
        // of that name is refused like a file that cannot be deleted, and what it
        // leads to stays.
        if (search && !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) tidvex::fs::gFSO().DeleteFile(cache, true);
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

}  // namespace velmora
