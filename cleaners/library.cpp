#include "library.h"

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
