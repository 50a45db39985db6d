#include "library.h"

#include "logger.h"
#include "platform.h"

#include "com/com_types.h"
#include "fs/canonical.h"
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

std::wstring WindowsDirectory(size_t limit) {
    std::vector<wchar_t> buf(limit + 1, L'\0');
    UINT n = GetWindowsDirectoryW(buf.data(), static_cast<UINT>(limit));
    if (n >= limit) {  // too long for the buffer: ask again with the size reported
        buf.assign(n + 1, L'\0');
        n = GetWindowsDirectoryW(buf.data(), n + 1);
        if (n >= buf.size()) n = 0;
    }
    return std::wstring(buf.data(), n);
}

std::wstring TrimBlanks(std::wstring_view s) {
    const size_t first = s.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    return std::wstring(s.substr(first, s.find_last_not_of(L' ') - first + 1));
}

std::wstring GetWindowsDir() {
    std::wstring dir = WindowsDirectory(256);
    dir = TrimBlanks(dir.substr(0, dir.find(L'\0')));
    return dir.empty() ? L"C:\\WINDOWS" : dir;
}

std::wstring GetFolderPath(int csidl) {
    wchar_t buf[MAX_PATH + 1] = {};
    HRESULT hr = SHGetFolderPathW(nullptr, csidl | CSIDL_FLAG_CREATE, nullptr, 0, buf);
    if (hr != S_OK) return {};
    return buf;
}

std::wstring GetSpecialFolder(int csidl) {
    std::wstring path = TrimBlanks(GetFolderPath(csidl));
    if (!path.empty() && path.back() == L'\\') path.pop_back();
    return path;
}

// A name the system reads as another is a folder named, to be refused with a reason.
bool IsCleanableFolder(std::wstring_view path) {
    namespace fs = tidvex::fs;
    const fs::CanonicalPath folder = fs::Canonical(TrimBlanks(path), fs::RelativePaths::Refuse, fs::NameReading::Plain);
    return folder && !folder.IsRoot();
}
bool IsCleanableFolder(const std::string& path) { return IsCleanableFolder(tidvex::text::Wide(path)); }

namespace {

std::optional<tidvex::fs::ProtectedFolders> protectedFolders;

const tidvex::fs::ProtectedFolders& Protected() {
    if (!protectedFolders) {
        protectedFolders =
            tidvex::fs::ProtectedFolders::Read({tidvex::text::Wide(CurrentPlatform().LibraryFolder())});
    }
    return *protectedFolders;
}

}  // namespace

void ForgetProtectedFolders() { protectedFolders.reset(); }

std::string FolderRefusal(const std::wstring& path, std::wstring* canonical, tidvex::fs::OwnFolder own) {
    namespace fs = tidvex::fs;
    if (TrimBlanks(path).empty()) return "no folder named";
    const fs::CanonicalPath folder = fs::Canonical(path);
    if (folder.refusal == fs::PathRefusal::Relative || folder.IsRoot()) return "not a folder below a root";
    if (!folder) return fs::RefusalText(folder.refusal);
    if (const auto kept = Protected().Refusing(folder.path, own))
        return "a folder of the system or the user (" + tidvex::text::Narrow(*kept) + ")";
    // Nothing of a browser or a messenger lives among the system's own files.
    if (Protected().InSystemFolder(folder.path)) return "inside the system folder";
    // Opened to be judged: a link on the way would lead elsewhere.
    switch (fs::CheckOwnFolder(folder.path)) {
        case fs::FolderCheck::Own:
        case fs::FolderCheck::Missing: break;
        case fs::FolderCheck::NotFolder: return "not a folder";
        case fs::FolderCheck::Link: return "a link";
        case fs::FolderCheck::Failed: return "a folder that cannot be opened to be judged";
    }
    if (canonical) *canonical = folder.path;
    return {};
}

std::optional<std::wstring> MayCleanFolder(const std::wstring& path, tidvex::fs::OwnFolder own) {
    std::wstring canonical;
    std::string why = FolderRefusal(path, &canonical, own);
    if (why.empty()) return canonical;
    Logger::AddToLog("Not cleaned: ", "\"" + tidvex::text::Narrow(path) + "\": " + why);
    return std::nullopt;
}

std::string IniRead(const std::string& file, const std::string& section, const std::string& key) {
    char buf[255];
    DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), "", buf, sizeof buf, file.c_str());
    return std::string(buf, std::min<DWORD>(n, sizeof buf - 1));
}

std::wstring IniRead(const std::wstring& file, const std::wstring& section, const std::wstring& key) {
    wchar_t buf[255];
    DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"", buf, ARRAYSIZE(buf), file.c_str());
    return std::wstring(buf, std::min<DWORD>(n, ARRAYSIZE(buf) - 1));
}

std::string MessageFile() {
    const char* name = tidvex::text::Upper(QelLanguage()) == "ENGLISH" ? "\\skin\\msgs.ini" : "\\skin\\msgsg.ini";
    return CurrentPlatform().LibraryFolder() + name;
}

std::string GetMessageText(const std::string& id) { return IniRead(MessageFile(), kDllName, id); }

}  // namespace velmora
