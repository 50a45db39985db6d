#include "engine/reg_cleaner.h"

#include "engine/progress_band.h"
#include "engine/text.h"
#include "services/helpers.h"
#include "services/logger.h"

namespace tidvex::engine {

namespace {

using registry::kClassesRoot;
using registry::kCurrentUser;
using registry::kLocalMachine;

// Thrown from the first yield or event after StopClean; caught only by StartClean.
struct StopRequested {};

const std::string kHKCR = "HKEY_CLASSES_ROOT";
const std::string kHKLM = "HKEY_LOCAL_MACHINE";
const std::string kHKCU = "HKEY_CURRENT_USER";
const std::string kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string kSharedDllsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDlls";
const std::string kHelpKey = "SOFTWARE\\Microsoft\\Windows\\Help";
const std::string kAppPathsKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths";
const std::string kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
const std::string kSoundsKey = "AppEvents\\Schemes\\Apps";

// A name or key for the events: exact where the code page holds it.
std::string Shown(const std::wstring& name) { return text::ForLog(name); }

std::wstring TrimBlanks(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

// Data of any kind, as long as there is some: text up to its first NUL, or bytes.
bool HasData(const std::optional<registry::RawValue>& value) {
    if (!value) return false;
    if (value->type != REG_SZ && value->type != REG_EXPAND_SZ && value->type != REG_MULTI_SZ)
        return !value->bytes.empty();
    return value->bytes.size() >= sizeof(wchar_t) && (value->bytes[0] != 0 || value->bytes[1] != 0);
}

}  // namespace

clsRegCleaner::clsRegCleaner(std::vector<FolderAlias> programFolders) : programFolders_(std::move(programFolders)) {
    SetWindowsFolders();
}

void clsRegCleaner::StartClean(double& start, double range) {
    const double first = start;
    stop_ = false;
    folders_ = ProbeFolders{gWindowsDir, gSystemDir, {}, programFolders_};
    try {
        for (int step = 0; step < kStepCount; ++step) {
            if (switches_[step]) RunStep(step);
            ThrowIfStopped();
            start = BandPoint(first, range, step + 1, kStepCount);
            double progress = start;
            if (Progress) Progress(progress);
            ThrowIfStopped();
        }
    } catch (const StopRequested&) {
        // Stopped: nothing more is looked at or raised.
    }
}

void clsRegCleaner::RunStep(int step) {
    switch (step) {
        case kFileType: return Check("CleanBrokenFileType@clsRegCleaner", &clsRegCleaner::CleanBrokenFileType);
        case kComOle: return Check("CleanBrokenCOM_OLE@clsRegCleaner", &clsRegCleaner::CleanBrokenCOM_OLE);
        case kActiveX: return Check("CleanBrokenActiveX@clsRegCleaner", &clsRegCleaner::CleanBrokenActiveX);
        case kStartup: return Check("CleanBrokenStartup@clsRegCleaner", &clsRegCleaner::CleanBrokenStartup);
        case kSharedDll: return Check("CleanBrokenSharedDLL@clsRegCleaner", &clsRegCleaner::CleanBrokenSharedDLL);
        case kFont: return Check("CleanBrokenFont@clsRegCleaner", &clsRegCleaner::CleanBrokenFont);
        case kSound: return Check("CleanBrokenSound@clsRegCleaner", &clsRegCleaner::CleanBrokenSound);
        case kHelpFiles: return Check("CleanBrokenHelpFiles@clsRegCleaner", &clsRegCleaner::CleanBrokenHelpFiles);
        case kApplicationPath:
            return Check("CleanBrokenApplicationPath@clsRegCleaner", &clsRegCleaner::CleanBrokenApplicationPath);
        case kIcon: return Check("CleanBrokenIcon@clsRegCleaner", &clsRegCleaner::CleanBrokenIcon);
        case kUninstall: return Check("CleanBrokenUninstall@clsRegCleaner", &clsRegCleaner::CleanBrokenUninstall);
        case kMruSearch:
            return ClearMru("Search MRU", kHKCU + "\\Software\\Microsoft\\Search Assistant\\ACMru", "", true);
        case kMruRun: return ClearMru("Run MRU", "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU", "");
        case kMruMediaPlayer:
            return ClearMru("Media Player MRU", "Software\\Microsoft\\MediaPlayer\\Player\\RecentURLList",
                            "Software\\Microsoft\\MediaPlayer\\Player\\RecentFileList");
        case kMruPaint:
            return ClearMru("MS Paint MRU", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Applets\\Paint\\Recent File List",
                            "");
        case kMruWordPad:
            return ClearMru("WordPad MRU",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Wordpad\\Recent File List", "");
        case kMruWinZip: return;  // nothing to clear; only the progress step remains
        case kMruComDialog:
            return ClearMru("Open & Save Dialogs MRU",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\OpenSaveMRU");
        case kMruNetMeeting: return ClearMru("Net Meeting MRU", "Software\\Microsoft\\Conferencing\\UI\\CallMRU", "");
        default: return;
    }
}

void clsRegCleaner::Check(const char* tag, void (clsRegCleaner::*check)()) {
    try {
        (this->*check)();
    } catch (const StopRequested&) {
        throw;
    } catch (...) {
        // The check ends here, without its completion event; the next step runs.
        services::gLogger().LoggError(CurrentError(), tag);
    }
}

// ---- Helpers ----

void clsRegCleaner::BeforeEntry() {
    for (int i = 0; i < 5; ++i) {
        yield_();
        ThrowIfStopped();
    }
}

void clsRegCleaner::ThrowIfStopped() const {
    if (stop_) throw StopRequested{};
}

void clsRegCleaner::RaiseScanning(std::string key, std::string type) {
    if (ScanningRegKey) ScanningRegKey(key, type);
    ThrowIfStopped();
}

void clsRegCleaner::RaiseCleaning(std::string key, std::string type) {
    if (CleaningRegItem) CleaningRegItem(key, type);
    ThrowIfStopped();
}

void clsRegCleaner::RaiseComplete(std::string item) {
    if (CompleteCleanItem) CompleteCleanItem(item);
    ThrowIfStopped();
}

std::vector<std::wstring> clsRegCleaner::Subkeys(std::int32_t hive, const std::wstring& key) {
    return reg_.SectionsW(hive, key);
}

void clsRegCleaner::ForEachSubkey(std::int32_t hive, const std::wstring& key, const Visit& visit) {
    // The names are read in full first: a visit may delete the entry it was given.
    for (const auto& name : Subkeys(hive, key)) {
        BeforeEntry();
        visit(name);
    }
}

void clsRegCleaner::ForEachValue(std::int32_t hive, const std::wstring& key, const Visit& visit) {
    for (const auto& name : reg_.ValuesW(hive, key)) {
        BeforeEntry();
        visit(name);
    }
}

std::wstring clsRegCleaner::ReadText(std::int32_t hive, const std::wstring& key, const std::wstring& value) {
    return TrimBlanks(reg_.TextW(hive, key, value).value_or(std::wstring()));
}

bool clsRegCleaner::DeleteValue(std::int32_t hive, const std::wstring& key, const std::wstring& value) {
    return reg_.DeleteValueW(hive, key, value);
}

bool clsRegCleaner::DeleteKey(std::int32_t hive, const std::wstring& key) { return reg_.DeleteKeyW(hive, key); }

bool clsRegCleaner::DeleteTree(std::int32_t hive, const std::wstring& key) { return reg_.DeleteTreeW(hive, key); }

// ---- The broken-reference checks ----
//
// An entry goes only when what it names is surely missing, and a cleaning
// event follows only a delete that removed it.

void clsRegCleaner::CleanBrokenFileType() {
    const std::string category = "Broken File Type entries";
    RaiseScanning(kHKCR, category);
    ForEachSubkey(kClassesRoot, L"", [&](const std::wstring& type) {
        if (!type.empty() && type[0] == L'.') return;
        const std::wstring commandKey = type + L"\\Shell\\Open\\Command";
        const std::wstring command = ReadText(kClassesRoot, commandKey, L"");
        if (command.empty() || ProbeCommandLine(command, folders_) != Presence::Missing) return;
        if (!DeleteValue(kClassesRoot, commandKey, L"")) return;
        RaiseScanning(kHKCR + "\\" + Shown(type), category);
        RaiseCleaning(kHKCR + "\\" + Shown(type), category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenCOM_OLE() {
    const std::string category = "Broken Com/OLE object entries";
    ForEachSubkey(kClassesRoot, L"CLSID", [&](const std::wstring& clsid) {
        const std::wstring server = ReadText(kClassesRoot, L"CLSID\\" + clsid + L"\\InprocServer32", L"");
        // The platform loads a server named without extension as a ".dll".
        if (server.empty() || ProbeLibrary(server, folders_) != Presence::Missing) return;
        if (!DeleteTree(kClassesRoot, L"CLSID\\" + clsid)) return;
        const std::string registration = kHKCR + "\\CLSID\\" + Shown(clsid);
        RaiseScanning(registration, category);
        RaiseCleaning(registration, category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenActiveX() {
    const std::string category = "Broken ActiveX entries";
    RaiseScanning(kHKCR + "\\TypeLib", category);
    ForEachSubkey(kClassesRoot, L"TypeLib", [&](const std::wstring& library) {
        const std::wstring libraryKey = L"TypeLib\\" + library;
        const std::vector<std::wstring> versions = Subkeys(kClassesRoot, libraryKey);
        // The library goes only when every one of its versions names a file
        // that is surely gone; one that resolves, or cannot be told, keeps it.
        bool broken = !versions.empty();
        for (const auto& version : versions) {
            const std::wstring languageKey = libraryKey + L"\\" + version + L"\\0";
            const std::wstring win32 = ReadText(kClassesRoot, languageKey + L"\\win32", L"");
            Presence p = win32.empty() ? Presence::Unknown : ProbeTypeLibrary(win32, folders_);
            if (p == Presence::Missing) {
                const std::wstring win64 = ReadText(kClassesRoot, languageKey + L"\\win64", L"");
                if (!win64.empty() && ProbeTypeLibrary(win64, folders_) != Presence::Missing) p = Presence::Present;
            }
            if (p != Presence::Missing) {
                broken = false;
                break;
            }
        }
        if (!broken || !DeleteTree(kClassesRoot, libraryKey)) return;
        RaiseCleaning(kHKCR + "\\" + Shown(libraryKey), category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenStartup() {
    const std::string category = "Broken Startup entries";
    CleanRunValues(kLocalMachine, kHKLM + "\\" + kRunKey, category);
    CleanRunValues(kCurrentUser, kHKCU + "\\" + kRunKey, category);
    RaiseComplete(category);
}

void clsRegCleaner::CleanRunValues(std::int32_t hive, const std::string& keyText, const std::string& category) {
    const std::wstring runKey = text::Wide(kRunKey);
    RaiseScanning(keyText, category);
    ForEachValue(hive, runKey, [&](const std::wstring& name) {
        const std::wstring command = ReadText(hive, runKey, name);
        if (command.empty() || ProbeCommandLine(command, folders_) != Presence::Missing) return;
        if (!DeleteValue(hive, runKey, name)) return;
        RaiseCleaning(keyText + "=" + Shown(name), category);
    });
}

void clsRegCleaner::CleanBrokenSharedDLL() {
    const std::string category = "Broken Shared DLL's entries";
    const std::string keyText = kHKLM + "\\" + kSharedDllsKey;
    const std::wstring key = text::Wide(kSharedDllsKey);
    RaiseScanning(keyText, category);
    ForEachValue(kLocalMachine, key, [&](const std::wstring& name) {
        // The value's name is the library; its data, a use count, only has to be there.
        if (!HasData(reg_.RawW(kLocalMachine, key, name)) || ProbePath(name, folders_) != Presence::Missing) return;
        if (!DeleteValue(kLocalMachine, key, name)) return;
        RaiseCleaning(keyText + "=" + Shown(name), category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenFont() {
    const std::string category = "Broken Font entries";
    const std::string fontsKey = services::GetWindowsPlatform() == 1
                                     ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
                                     : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
    const std::string keyText = kHKLM + "\\" + fontsKey;
    const std::wstring key = text::Wide(fontsKey);
    RaiseScanning(keyText, category);
    ForEachValue(kLocalMachine, key, [&](const std::wstring& name) {
        const std::wstring file = ReadText(kLocalMachine, key, name);
        if (file.empty() || ProbeFont(file, folders_) != Presence::Missing) return;
        if (!DeleteValue(kLocalMachine, key, name)) return;
        RaiseCleaning(keyText + "=" + Shown(name), category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenSound() {
    const std::string category = "Broken System Sounds entries";
    ProbeFolders soundFolders = folders_;
    soundFolders.first.push_back(folders_.windowsDir + "\\Media");
    const std::wstring soundsKey = text::Wide(kSoundsKey);
    RaiseScanning(kHKCU + "\\" + kSoundsKey, category);
    for (const auto& app : Subkeys(kCurrentUser, soundsKey)) {
        const std::wstring appKey = soundsKey + L"\\" + app;
        ForEachSubkey(kCurrentUser, appKey, [&](const std::wstring& event) {
            const std::wstring currentKey = appKey + L"\\" + event + L"\\.Current";
            const std::wstring sound = ReadText(kCurrentUser, currentKey, L"");
            if (sound.empty() || ProbePath(sound, soundFolders) != Presence::Missing) return;
            if (!DeleteKey(kCurrentUser, currentKey)) return;
            RaiseCleaning(kHKCU + "\\" + Shown(currentKey), category);
        });
    }
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenHelpFiles() {
    const std::string category = "Broken help file entries";
    const std::wstring helpKey = text::Wide(kHelpKey);
    RaiseScanning(kHKLM + "\\" + kHelpKey, category);
    ForEachValue(kLocalMachine, helpKey, [&](const std::wstring& name) {
        // The value's name is the help file, its data the folder it lies in.
        std::wstring folder = ReadText(kLocalMachine, helpKey, name);
        if (folder.empty()) return;
        if (folder.back() != L'\\') folder += L"\\";
        if (ProbePath(folder + name, folders_) != Presence::Missing) return;
        if (!DeleteValue(kLocalMachine, helpKey, name)) return;
        RaiseCleaning(kHKLM + "\\" + kHelpKey + ":" + Shown(name), category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenApplicationPath() {
    const std::string category = "Broken Application Path entries";
    const std::wstring appPaths = text::Wide(kAppPathsKey);
    RaiseScanning(kHKLM + "\\" + kAppPathsKey, category);
    ForEachSubkey(kLocalMachine, appPaths, [&](const std::wstring& application) {
        const std::wstring key = appPaths + L"\\" + application;
        const std::wstring path = ReadText(kLocalMachine, key, L"");
        if (path.empty() || ProbePath(path, folders_) != Presence::Missing) return;
        if (!DeleteKey(kLocalMachine, key)) return;
        RaiseCleaning(kHKLM + "\\" + Shown(key), category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenIcon() {
    const std::string category = "Broken icon entries";
    CleanIconPass(L"", L"DefaultIcon", category);
    CleanIconPass(L"CLSID", L"ToolboxBitmap32", category);
    RaiseComplete(category);
}

void clsRegCleaner::CleanIconPass(const std::wstring& parent, const std::wstring& iconKey,
                                  const std::string& category) {
    RaiseScanning(parent.empty() ? kHKCR : kHKCR + "\\" + Shown(parent), category);
    ForEachSubkey(kClassesRoot, parent, [&](const std::wstring& name) {
        // File extensions carry no icon of their own here; their type does.
        if (parent.empty() && !name.empty() && name[0] == L'.') return;
        const std::wstring key = (parent.empty() ? name : parent + L"\\" + name) + L"\\" + iconKey;
        const std::wstring icon = ReadText(kClassesRoot, key, L"");
        if (icon.empty() || ProbeIcon(icon, folders_) != Presence::Missing) return;
        if (!DeleteKey(kClassesRoot, key)) return;
        RaiseCleaning(kHKCR + "\\" + Shown(key), category);
    });
}

void clsRegCleaner::CleanBrokenUninstall() {
    const std::string category = "Broken Uninstall entries";
    const std::wstring uninstall = text::Wide(kUninstallKey);
    RaiseScanning(kHKLM + "\\" + kUninstallKey, category);
    ForEachSubkey(kLocalMachine, uninstall, [&](const std::wstring& product) {
        const std::wstring key = uninstall + L"\\" + product;
        const std::wstring command = ReadText(kLocalMachine, key, L"UninstallString");
        if (command.empty() || ProbeCommandLine(command, folders_) != Presence::Missing) return;
        // Stop keeps the entry; the event tells of an entry really gone.
        ThrowIfStopped();
        if (!DeleteKey(kLocalMachine, key)) return;
        RaiseCleaning(kHKLM + "\\" + Shown(key), category);
    });
    RaiseComplete(category);
}

// ---- The most-recently-used lists ----

void clsRegCleaner::ClearMru(const std::string& category, const std::string& first, const std::string& second,
                             bool fullPath) {
    BeforeEntry();
    RaiseScanning(first, category);
    if (second.empty()) RaiseCleaning(first, category);
    if (fullPath) {
        reg_.del_reg_sub(first);
    } else {
        DeleteKey(kCurrentUser, text::Wide(first));
    }
    if (!second.empty()) {
        RaiseScanning(second, category);
        DeleteKey(kCurrentUser, text::Wide(second));
    }
    RaiseComplete(category);
}

}  // namespace tidvex::engine
