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

// Text as stored, cut at its first NUL; other kinds of data name no file.
std::string TextOf(const registry::RegValue& value) {
    if (!value.IsText()) return {};
    std::string text = value.Text();
    return text.substr(0, text.find('\0'));
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

std::vector<std::string> clsRegCleaner::Subkeys(std::int32_t hive, const std::string& key) {
    std::vector<std::string> names;
    std::int32_t count = 0;
    reg_.classkey(hive);
    reg_.sectionkey(key);
    reg_.EnumerateSections(names, count);
    return names;
}

void clsRegCleaner::ForEachSubkey(std::int32_t hive, const std::string& key, const Visit& visit) {
    // The names are read in full first: a visit may delete the entry it was given.
    for (const auto& name : Subkeys(hive, key)) {
        BeforeEntry();
        visit(name);
    }
}

void clsRegCleaner::ForEachValue(std::int32_t hive, const std::string& key, const Visit& visit) {
    std::vector<std::string> names;
    std::int32_t count = 0;
    reg_.classkey(hive);
    reg_.sectionkey(key);
    reg_.EnumerateValues(names, count);
    for (const auto& name : names) {
        BeforeEntry();
        visit(name);
    }
}

registry::RegValue clsRegCleaner::ReadValue(std::int32_t hive, const std::string& key, const std::string& value) {
    reg_.classkey(hive);
    reg_.sectionkey(key);
    reg_.valuekey(value);
    return reg_.Value();
}

std::string clsRegCleaner::ReadText(std::int32_t hive, const std::string& key, const std::string& value) {
    return Trim(TextOf(ReadValue(hive, key, value)));
}

void clsRegCleaner::DeleteValue(std::int32_t hive, const std::string& key, const std::string& value) {
    reg_.classkey(hive);
    reg_.sectionkey(key);
    reg_.valuekey(value);
    reg_.DeleteValue(false);
}

void clsRegCleaner::DeleteKey(std::int32_t hive, const std::string& key) {
    reg_.classkey(hive);
    reg_.sectionkey(key);
    reg_.DeleteKey(false);
}

void clsRegCleaner::DeleteTree(const std::string& fullPath) { reg_.del_reg_sub(fullPath); }

// ---- The broken-reference checks ----

void clsRegCleaner::CleanBrokenFileType() {
    const std::string category = "Broken File Type entries";
    RaiseScanning(kHKCR, category);
    ForEachSubkey(kClassesRoot, "", [&](const std::string& type) {
        if (!type.empty() && type[0] == '.') return;
        const std::string commandKey = type + "\\Shell\\Open\\Command";
        const std::string command = ReadText(kClassesRoot, commandKey, "");
        if (command.empty() || ProbeCommandLine(command, folders_) != Presence::Missing) return;
        DeleteValue(kClassesRoot, commandKey, "");
        RaiseScanning(kHKCR + "\\" + type, category);
        RaiseCleaning(kHKCR + "\\" + type, category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenCOM_OLE() {
    const std::string category = "Broken Com/OLE object entries";
    ForEachSubkey(kClassesRoot, "CLSID", [&](const std::string& clsid) {
        const std::string server = ReadText(kClassesRoot, "CLSID\\" + clsid + "\\InprocServer32", "");
        if (server.empty() || ProbePath(server, folders_) != Presence::Missing) return;
        const std::string registration = kHKCR + "\\CLSID\\" + clsid;
        DeleteTree(registration);
        RaiseScanning(registration, category);
        RaiseCleaning(registration, category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenActiveX() {
    const std::string category = "Broken ActiveX entries";
    RaiseScanning(kHKCR + "\\TypeLib", category);
    ForEachSubkey(kClassesRoot, "TypeLib", [&](const std::string& library) {
        const std::string libraryKey = "TypeLib\\" + library;
        const std::vector<std::string> versions = Subkeys(kClassesRoot, libraryKey);
        // The library goes only when every one of its versions names a file
        // that is surely gone; one that resolves, or cannot be told, keeps it.
        bool broken = !versions.empty();
        for (const auto& version : versions) {
            const std::string languageKey = libraryKey + "\\" + version + "\\0";
            const std::string win32 = ReadText(kClassesRoot, languageKey + "\\win32", "");
            Presence p = win32.empty() ? Presence::Unknown : ProbeTypeLibrary(win32, folders_);
            if (p == Presence::Missing) {
                const std::string win64 = ReadText(kClassesRoot, languageKey + "\\win64", "");
                if (!win64.empty() && ProbeTypeLibrary(win64, folders_) != Presence::Missing) p = Presence::Present;
            }
            if (p != Presence::Missing) {
                broken = false;
                break;
            }
        }
        if (!broken) return;
        const std::string registration = kHKCR + "\\" + libraryKey;
        DeleteTree(registration);
        RaiseCleaning(registration, category);
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
    RaiseScanning(keyText, category);
    ForEachValue(hive, kRunKey, [&](const std::string& name) {
        const std::string command = ReadText(hive, kRunKey, name);
        if (command.empty() || ProbeCommandLine(command, folders_) != Presence::Missing) return;
        DeleteValue(hive, kRunKey, name);
        RaiseCleaning(keyText + "=" + name, category);
    });
}

void clsRegCleaner::CleanBrokenSharedDLL() {
    const std::string category = "Broken Shared DLL's entries";
    const std::string keyText = kHKLM + "\\" + kSharedDllsKey;
    RaiseScanning(keyText, category);
    ForEachValue(kLocalMachine, kSharedDllsKey, [&](const std::string& name) {
        // The value's name is the library; its data, a use count, only has to be there.
        if (ReadValue(kLocalMachine, kSharedDllsKey, name).Text().empty() || ProbePath(name, folders_) != Presence::Missing) return;
        DeleteValue(kLocalMachine, kSharedDllsKey, name);
        RaiseCleaning(keyText + "=" + name, category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenFont() {
    const std::string category = "Broken Font entries";
    const std::string fontsKey = services::GetWindowsPlatform() == 1
                                     ? "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Fonts"
                                     : "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Fonts";
    const std::string keyText = kHKLM + "\\" + fontsKey;
    RaiseScanning(keyText, category);
    ForEachValue(kLocalMachine, fontsKey, [&](const std::string& name) {
        const std::string file = ReadText(kLocalMachine, fontsKey, name);
        if (file.empty() || ProbeFont(file, folders_) != Presence::Missing) return;
        DeleteValue(kLocalMachine, fontsKey, name);
        RaiseCleaning(keyText + "=" + name, category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenSound() {
    const std::string category = "Broken System Sounds entries";
    ProbeFolders soundFolders = folders_;
    soundFolders.first.push_back(folders_.windowsDir + "\\Media");
    RaiseScanning(kHKCU + "\\" + kSoundsKey, category);
    for (const auto& app : Subkeys(kCurrentUser, kSoundsKey)) {
        const std::string appKey = kSoundsKey + "\\" + app;
        ForEachSubkey(kCurrentUser, appKey, [&](const std::string& event) {
            const std::string currentKey = appKey + "\\" + event + "\\.Current";
            const std::string sound = ReadText(kCurrentUser, currentKey, "");
            if (sound.empty() || ProbePath(sound, soundFolders) != Presence::Missing) return;
            DeleteKey(kCurrentUser, currentKey);
            RaiseCleaning(kHKCU + "\\" + currentKey, category);
        });
    }
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenHelpFiles() {
    const std::string category = "Broken help file entries";
    RaiseScanning(kHKLM + "\\" + kHelpKey, category);
    ForEachValue(kLocalMachine, kHelpKey, [&](const std::string& name) {
        // The value's name is the help file, its data the folder it lies in.
        std::string folder = ReadText(kLocalMachine, kHelpKey, name);
        if (folder.empty()) return;
        if (folder.back() != '\\') folder += "\\";
        if (ProbePath(folder + name, folders_) != Presence::Missing) return;
        DeleteValue(kLocalMachine, kHelpKey, name);
        RaiseCleaning(kHKLM + "\\" + kHelpKey + ":" + name, category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenApplicationPath() {
    const std::string category = "Broken Application Path entries";
    RaiseScanning(kHKLM + "\\" + kAppPathsKey, category);
    ForEachSubkey(kLocalMachine, kAppPathsKey, [&](const std::string& application) {
        const std::string key = kAppPathsKey + "\\" + application;
        const std::string path = ReadText(kLocalMachine, key, "");
        if (path.empty() || ProbePath(path, folders_) != Presence::Missing) return;
        DeleteKey(kLocalMachine, key);
        RaiseCleaning(kHKLM + "\\" + key, category);
    });
    RaiseComplete(category);
}

void clsRegCleaner::CleanBrokenIcon() {
    const std::string category = "Broken icon entries";
    CleanIconPass("", "DefaultIcon", category);
    CleanIconPass("CLSID", "ToolboxBitmap32", category);
    RaiseComplete(category);
}

void clsRegCleaner::CleanIconPass(const std::string& parent, const std::string& iconKey,
                                  const std::string& category) {
    RaiseScanning(parent.empty() ? kHKCR : kHKCR + "\\" + parent, category);
    ForEachSubkey(kClassesRoot, parent, [&](const std::string& name) {
        // File extensions carry no icon of their own here; their type does.
        if (parent.empty() && !name.empty() && name[0] == '.') return;
        const std::string key = (parent.empty() ? name : parent + "\\" + name) + "\\" + iconKey;
        const std::string icon = ReadText(kClassesRoot, key, "");
        if (icon.empty() || ProbeIcon(icon, folders_) != Presence::Missing) return;
        DeleteKey(kClassesRoot, key);
        RaiseCleaning(kHKCR + "\\" + key, category);
    });
}

void clsRegCleaner::CleanBrokenUninstall() {
    const std::string category = "Broken Uninstall entries";
    RaiseScanning(kHKLM + "\\" + kUninstallKey, category);
    ForEachSubkey(kLocalMachine, kUninstallKey, [&](const std::string& product) {
        const std::string key = kUninstallKey + "\\" + product;
        const std::string command = ReadText(kLocalMachine, key, "UninstallString");
        if (command.empty() || ProbeCommandLine(command, folders_) != Presence::Missing) return;
        RaiseCleaning(kHKLM + "\\" + key, category);
        DeleteKey(kLocalMachine, key);
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
        DeleteTree(first);
    } else {
        DeleteKey(kCurrentUser, first);
    }
    if (!second.empty()) {
        RaiseScanning(second, category);
        DeleteKey(kCurrentUser, second);
    }
    RaiseComplete(category);
}

}  // namespace tidvex::engine
