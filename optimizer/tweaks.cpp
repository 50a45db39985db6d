#include "tweaks.h"

#include "modreg.h"
#include "conversion.h"

#include "registry/registry.h"

#include <algorithm>
#include <climits>
#include <initializer_list>
#include <optional>
#include <vector>

namespace quenza {

namespace {

using tidvex::registry::RegValue;

constexpr const char* kPoliciesExplorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
constexpr const char* kTcpip = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters";
constexpr const char* kInternetSettings = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
constexpr const char* kBootOptimize = "SOFTWARE\\Microsoft\\Dfrg\\BootOptimizeFunction";
constexpr const char* kOptimalLayout = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\OptimalLayout";
constexpr const char* kCopyTo = "AllFilesystemObjects\\shellex\\ContextMenuHandlers\\Copy To";
constexpr const char* kMoveTo = "AllFilesystemObjects\\shellex\\ContextMenuHandlers\\Move To";
constexpr const char* kExplorerAdvanced = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Advanced";
constexpr const char* kDisallowRunList =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer\\DisallowRun";
constexpr const char* kCopyToHandler = "{C2FBB630-2971-11d1-A18C-00C04FD75D13}";
constexpr const char* kMoveToHandler = "{C2FBB631-2971-11d1-A18C-00C04FD75D13}";

constexpr long kNumber = REG_DWORD;
constexpr long kText = REG_SZ;

// One value a setter writes.
struct TweakValue {
    HKEY hive;
    const char* key;
    const char* name;
    long type;
    const char* on;
    const char* off;
};

void Write(std::initializer_list<TweakValue> values, bool on) {
    // A value that cannot be written does not stop the others.
    for (const TweakValue& v : values) SetKeyValue(v.hive, v.key, v.name, on ? v.on : v.off, v.type);
}

// The value a reader looks at, through the library's registry class.
RegValue ReadValue(HKEY hive, const char* key, const char* name, long type) {
    tidvex::registry::OptimizerRegistry reg;
    reg.ClassKey(static_cast<std::int32_t>(reinterpret_cast<intptr_t>(hive)));
    reg.SectionKey(key);
    reg.ValueKey(name);
    reg.ValueType(type);
    return reg.Value();
}

// A text that holds a number, as a comparison with a number takes it.
std::optional<long> NumberIn(const std::string& text) {
    try {
        return ToLong(text);
    } catch (const RunTimeError&) {
        return std::nullopt;
    }
}

// A stored value compared with a number: a stored number 128 and a stored text
// "128" both equal 128.
bool EqualsNumber(const RegValue& v, long expected) {
    if (v.IsInteger()) return v.Long() == expected;
    if (v.IsText()) return NumberIn(v.Text()) == expected;
    return false;
}

bool EqualsText(const RegValue& v, const std::string& expected) { return v.IsText() && v.Text() == expected; }

bool NumberIs(HKEY hive, const char* key, const char* name, long expected) {
    return EqualsNumber(ReadValue(hive, key, name, kNumber), expected);
}

// Not empty and not 0.
bool IsSetNonZero(HKEY hive, const char* key, const char* name) {
    RegValue v = ReadValue(hive, key, name, kNumber);
    if (v.IsEmpty() || (v.IsText() && v.Text().empty())) return false;
    return !EqualsNumber(v, 0);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> items;
    size_t from = 0;
    for (;;) {
        size_t at = text.find(separator, from);
        items.push_back(text.substr(from, at == std::string::npos ? std::string::npos : at - from));
        if (at == std::string::npos) return items;
        from = at + 1;
    }
}

short ToShort(long n) { return static_cast<short>(std::clamp<long>(n, SHRT_MIN, SHRT_MAX)); }

}  // namespace

void OPZBroadBand(bool bSet) {
    Write({{HKEY_LOCAL_MACHINE, kTcpip, "DefaultTTL", kNumber, "128", "32"},
           {HKEY_LOCAL_MACHINE, kTcpip, "EnablePMTUBHDetect", kNumber, "0", "0"},
           {HKEY_LOCAL_MACHINE, kTcpip, "EnablePMTUDiscovery", kNumber, "1", "1"},
           {HKEY_LOCAL_MACHINE, kTcpip, "GlobalMaxTcpWindowSize", kNumber, "32767", "32767"},
           {HKEY_LOCAL_MACHINE, kTcpip, "TcpMaxDupAcks", kNumber, "2", "2"},
           {HKEY_LOCAL_MACHINE, kTcpip, "SackOpts", kNumber, "1", "0"},
           {HKEY_LOCAL_MACHINE, kTcpip, "Tcp1323Opts", kNumber, "1", "1"},
           {HKEY_LOCAL_MACHINE, kTcpip, "TcpWindowSize", kNumber, "93440", "32767"}},
          bSet);
}

void OPZSimConnecions(bool bSet, short iSet) {
    // Off hands the counts back to the system by removing both values: a
    // written count, even the system's own default, reads back as a count the
    // user chose, and the page would show the tweak on at the next start.
    const std::string count = std::to_string(iSet);
    for (const char* name : {"MaxConnectionsPerServer", "MaxConnectionsPer1_0Server"}) {
        if (bSet)
            SetKeyValue(HKEY_CURRENT_USER, kInternetSettings, name, count, kNumber);
        else
            DeleteKeyValue(HKEY_CURRENT_USER, kInternetSettings, name);
    }
}

void OPZAutoBootDisk(bool bSet) { Write({{HKEY_LOCAL_MACHINE, kBootOptimize, "Enable", kText, "Y", "N"}}, bSet); }

void OPZHardDiskWhenIdle(bool bSet) {
    Write({{HKEY_LOCAL_MACHINE, kOptimalLayout, "EnableAutoLayout", kNumber, "1", "0"}}, bSet);
}

void OPZAddNewOption2CopyMove(bool bSet) {
    // Off keeps both keys, with an empty default value.
    Write({{HKEY_CLASSES_ROOT, kCopyTo, "", kText, kCopyToHandler, ""},
           {HKEY_CLASSES_ROOT, kMoveTo, "", kText, kMoveToHandler, ""}},
          bSet);
}

void OPZRestoreOpenFolders(bool bSet) {
    Write({{HKEY_CURRENT_USER, kExplorerAdvanced, "PersistBrowsers", kNumber, "1", "0"}}, bSet);
}

void OPZDisableSaveSettings(bool bSet) {
    Write({{HKEY_CURRENT_USER, kPoliciesExplorer, "NoSaveSettings", kNumber, "1", "0"}}, bSet);
}

void OPZDisableLowDiskSpaceNote(bool bSet) {
    Write({{HKEY_CURRENT_USER, kPoliciesExplorer, "NoLowDiskSpaceChecks", kNumber, "1", "0"}}, bSet);
}

void OPZDisableControlPanel(bool bSet) {
    Write({{HKEY_LOCAL_MACHINE, kPoliciesExplorer, "NoControlPanel", kNumber, "1", "0"}}, bSet);
}

void OPZDisableRecentDocHistory(bool bSet) {
    Write({{HKEY_LOCAL_MACHINE, kPoliciesExplorer, "NoRecentDocsHistory", kNumber, "1", "0"}}, bSet);
}

void OPZLockHardDrives(bool bSet, const std::string& sDrives) {
    const std::string mask = std::to_string(DriveMask(sDrives));
    Write({{HKEY_LOCAL_MACHINE, kPoliciesExplorer, "NoViewOnDrive", kNumber, mask.c_str(), "0"}}, bSet);
}

void OPZLockApplications(bool bSet, const std::string& sApplicationPaths) {
    Write({{HKEY_LOCAL_MACHINE, kPoliciesExplorer, "DisallowRun", kNumber, "1", "0"}}, bSet);
    if (!bSet) return;
    const std::vector<std::string> paths = Split(sApplicationPaths, '|');
    // The empty name stands for the value named like the key path: earlier list
    // entries stay, and the new ones overwrite them from "1" up.
    DeleteKeyValue(HKEY_LOCAL_MACHINE, kDisallowRunList, "");
    for (size_t i = 0; i < paths.size(); ++i) {
        if (!paths[i].empty())
            SetKeyValue(HKEY_LOCAL_MACHINE, kDisallowRunList, std::to_string(i + 1), paths[i], kText);
    }
}

bool IsBroadBand() { return NumberIs(HKEY_LOCAL_MACHINE, kTcpip, "DefaultTTL", 128); }

short GetSimConnecions() {
    RegValue v = ReadValue(HKEY_CURRENT_USER, kInternetSettings, "MaxConnectionsPerServer", kNumber);
    if (v.IsEmpty()) return -1;
    // A count beyond the 16-bit range reads as the largest one, not as an overflow.
    v = ReadValue(HKEY_CURRENT_USER, kInternetSettings, "MaxConnectionsPerServer", kNumber);
    if (v.IsInteger()) return ToShort(v.Long());
    if (v.IsText()) return ToShort(ToLong(v.Text()));
    throw RunTimeError::Of(tidvex::kTypeMismatch);
}

bool IsAutoBootDisk() { return EqualsText(ReadValue(HKEY_LOCAL_MACHINE, kBootOptimize, "Enable", kText), "Y"); }

bool IsHardDiskWhenIdle() { return NumberIs(HKEY_LOCAL_MACHINE, kOptimalLayout, "EnableAutoLayout", 1); }

bool IsAddNewOption2CopyMove() { return EqualsText(ReadValue(HKEY_CLASSES_ROOT, kCopyTo, "", kText), kCopyToHandler); }

bool IsRestoreOpenFolders() { return NumberIs(HKEY_CURRENT_USER, kExplorerAdvanced, "PersistBrowsers", 1); }

bool IsDisableSaveSettings() { return NumberIs(HKEY_CURRENT_USER, kPoliciesExplorer, "NoSaveSettings", 1); }

bool IsDisableLowDiskSpaceNote() { return NumberIs(HKEY_CURRENT_USER, kPoliciesExplorer, "NoLowDiskSpaceChecks", 1); }

bool IsDisableControlPanel() { return NumberIs(HKEY_LOCAL_MACHINE, kPoliciesExplorer, "NoControlPanel", 1); }

bool IsDisableRecentDocHistory() { return NumberIs(HKEY_LOCAL_MACHINE, kPoliciesExplorer, "NoRecentDocsHistory", 1); }

bool IsLockHardDrives() { return IsSetNonZero(HKEY_LOCAL_MACHINE, kPoliciesExplorer, "NoViewOnDrive"); }

bool IsLockApplications() { return IsSetNonZero(HKEY_LOCAL_MACHINE, kPoliciesExplorer, "DisallowRun"); }

long DriveLetterBit(const std::string& item) {
    static const std::string kLetters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    std::string upper = item;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](unsigned char c) { return std::toupper(c); });
    size_t at = kLetters.find(upper);
    return at == std::string::npos ? 0 : 1L << at;
}

long DriveMask(const std::string& sDrives) {
    long mask = 0;
    // Combined, not added: a letter named twice must not carry into the next drive's bit.
    for (const std::string& item : Split(sDrives, '|')) {
        if (!item.empty()) mask |= DriveLetterBit(item);
    }
    return mask;
}

}  // namespace quenza
