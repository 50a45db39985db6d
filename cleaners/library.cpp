#include "library.h"

#include "logger.h"
#include "platform.h"

#include "com/com_types.h"
#include "fs/paths.h"
#include "registry/reg_key.h"
#include "text/text.h"

#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace velmora {

namespace {

VARIANT_BOOL shredSwitch = VARIANT_FALSE;

// Where the per-user program settings of the application "Qel" live.
constexpr char kQelLangKey[] = "Software\\VB and VBA Program Settings\\Qel\\Lang";

std::string QelLanguage() {
    char buf[256];
    DWORD size = sizeof buf;
    DWORD type = 0;
    std::string lang = "Deutsch";
    tidvex::registry::RegKey key;
    if (key.Open(HKEY_CURRENT_USER, kQelLangKey, KEY_QUERY_VALUE) != ERROR_SUCCESS) return lang;
    if (tidvex::registry::RealRegistry().QueryValueEx(key.Get(), "Lang", &type, reinterpret_cast<BYTE*>(buf), &size) ==
            ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        lang = StripNulls(std::string_view(buf, std::min<size_t>(size, sizeof buf)));
    }
    return lang;
}

}  // namespace

VARIANT_BOOL ShredSwitch() { return shredSwitch; }
void SetShredSwitch(VARIANT_BOOL on) { shredSwitch = on; }

std::string TrimPipes(std::string s) {
    if (!s.empty() && s.front() == '|') s.erase(0, 1);
    if (!s.empty() && s.back() == '|') s.pop_back();
    return s;
}

std::string StripNulls(std::string_view s) {
    size_t nul = s.find('\0');
    return std::string(nul == std::string_view::npos ? s : s.substr(0, nul));
}

long GetPlatformId() {
    switch (CurrentPlatform().Version().dwPlatformId) {
        case 1: return 0;
        case 2: return 1;
        case 3: return 2;
        default: return -1;
    }
}

std::string WindowsDirectory(size_t limit) {
    std::vector<char> buf(limit + 1, '\0');
    UINT n = GetWindowsDirectoryA(buf.data(), static_cast<UINT>(limit));
    if (n >= limit) {  // too long for the buffer: ask again with the size reported
        buf.assign(n + 1, '\0');
        n = GetWindowsDirectoryA(buf.data(), n + 1);
        if (n >= buf.size()) n = 0;
    }
    return std::string(buf.data(), n);
}

std::string GetWindowsDir() {
    std::string dir = tidvex::text::Trim(StripNulls(WindowsDirectory(256)));
    return dir.empty() ? "C:\\WINDOWS" : dir;
}

std::string GetFolderPath(int csidl) {
    char buf[MAX_PATH + 1] = {};
    HRESULT hr = SHGetFolderPathA(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, buf);
    if (hr != S_OK) return {};
    return StripNulls(std::string_view(buf, MAX_PATH));
}

std::string GetSpecialFolder(int csidl) {
    std::string path = tidvex::text::Trim(GetFolderPath(csidl));
    if (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

bool IsCleanableFolder(const std::string& path) { return tidvex::fs::IsFullPathBelowRoot(tidvex::text::Trim(path)); }

namespace {

// The full, long form of a path without closing separators, for comparing.
std::string Comparable(const std::string& path) {
    char full[MAX_PATH * 4];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return tidvex::fs::TrimTrailingSeparators(path);
    char longer[MAX_PATH * 4];
    DWORD m = GetLongPathNameA(full, longer, sizeof longer);
    std::string out = m > 0 && m < sizeof longer ? std::string(longer, m) : std::string(full, n);
    return tidvex::fs::TrimTrailingSeparators(out);
}

bool SameOrHolds(const std::string& folder, const std::string& other) {
    if (other.size() < folder.size()) return false;
    if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, folder.data(), static_cast<int>(folder.size()),
                       other.data(), static_cast<int>(folder.size())) != CSTR_EQUAL) {
        return false;
    }
    return other.size() == folder.size() || other[folder.size()] == '\\' || folder.back() == '\\';
}

std::string ShellFolderPath(int csidl) {
    char buf[MAX_PATH + 1] = {};
    if (SHGetFolderPathA(nullptr, csidl, nullptr, 0, buf) != S_OK || !buf[0]) return {};
    return Comparable(buf);
}

// The folders of the system and the user that no cleaning step may empty
// (what lies inside them may be a browser's or a messenger's own).
std::vector<std::string> ProtectedFolders() {
    std::vector<std::string> out;
    for (int csidl : {CSIDL_WINDOWS, CSIDL_SYSTEM, CSIDL_SYSTEMX86, CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86,
                      CSIDL_PROGRAM_FILES_COMMON, CSIDL_PROGRAM_FILES_COMMONX86, CSIDL_PROFILE,
                      CSIDL_DESKTOPDIRECTORY, CSIDL_PERSONAL, CSIDL_APPDATA, CSIDL_LOCAL_APPDATA,
                      CSIDL_COMMON_APPDATA, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_COMMON_DOCUMENTS}) {
        std::string folder = ShellFolderPath(csidl);
        if (!folder.empty()) out.push_back(folder);
    }
    // The 64-bit program folders, which a 32-bit process sees only by these names.
    for (const char* name : {"ProgramW6432", "CommonProgramW6432", "SystemRoot", "USERPROFILE"}) {
        char buf[MAX_PATH + 1] = {};
        DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
        if (n > 0 && n < sizeof buf) out.push_back(Comparable(buf));
    }
    std::string library = CurrentPlatform().LibraryFolder();
    if (!library.empty()) out.push_back(Comparable(library));
    return out;
}

}  // namespace

std::string FolderRefusal(const std::string& path) {
    if (tidvex::text::Trim(path).empty()) return "no folder named";
    if (!tidvex::fs::IsFullPathBelowRoot(path) || tidvex::fs::HasWildcards(path)) return "not a folder below a root";
    const std::string folder = Comparable(path);
    for (const std::string& p : ProtectedFolders()) {
        if (SameOrHolds(folder, p)) return "a folder of the system or the user";
    }
    // Nothing of a browser or a messenger lives among the system's own files.
    for (int csidl : {CSIDL_SYSTEM, CSIDL_SYSTEMX86}) {
        std::string system = ShellFolderPath(csidl);
        if (!system.empty() && SameOrHolds(system, folder)) return "inside the system folder";
    }
    DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return "not a folder";
    if (tidvex::fs::IsLink(tidvex::fs::TrimTrailingSeparators(path))) return "a link";
    return {};
}

bool MayCleanFolder(const std::string& path) {
    std::string why = FolderRefusal(path);
    if (why.empty()) return true;
    Logger::AddToLog("Not cleaned: ", "\"" + path + "\": " + why);
    return false;
}

std::string IniRead(const std::string& file, const std::string& section, const std::string& key) {
    char buf[255];
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buf, sizeof buf, file.c_str());
    return std::string(buf, std::min<DWORD>(n, sizeof buf - 1));
}

std::string MessageFile() {
    const char* name = tidvex::text::Upper(QelLanguage()) == "ENGLISH" ? "\\skin\\msgs.ini" : "\\skin\\msgsg.ini";
    return CurrentPlatform().LibraryFolder() + name;
}

std::string GetMessageText(const std::string& id) { return IniRead(MessageFile(), kDllName, id); }

}  // namespace velmora
