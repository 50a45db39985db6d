#include "shred/bin_links.h"

#include "fs/guarded_file.h"
#include "fs/paths.h"

#include <windows.h>

#include <string_view>
#include <vector>

namespace tidvex::shred {

namespace {

std::wstring Environment(const wchar_t* name) {
    std::wstring value(32767, L'\0');
    const DWORD n = GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size()));
    value.resize(n < value.size() ? n : 0);
    return value;
}

// Wine's conversion of a Unix path to a DOS path; none on Windows.
using DosName = WCHAR*(CDECL*)(LPCSTR);
DosName WineDosName() {
    return reinterpret_cast<DosName>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")));
}

std::optional<std::wstring> DosPathOf(DosName dosName, const std::wstring& unixPath) {
    if (unixPath.empty()) return std::nullopt;
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, unixPath.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(bytes > 0 ? bytes : 1), '\0');
    WideCharToMultiByte(CP_UTF8, 0, unixPath.c_str(), -1, utf8.data(), bytes, nullptr, nullptr);
    WCHAR* dos = dosName(utf8.c_str());
    if (!dos) return std::nullopt;
    std::wstring path = dos;
    HeapFree(GetProcessHeap(), 0, dos);
    return path;
}

// The names of the bin's items: each has a record "<name>.trashinfo" (an
// entry without one is no item, and the emptying leaves it alone).
std::vector<std::wstring> ItemNames(const std::wstring& trash) {
    constexpr std::wstring_view kRecord = L".trashinfo";
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((trash + L"\\info\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring_view name = found.cFileName;
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && name.size() > kRecord.size() &&
            name.substr(name.size() - kRecord.size()) == kRecord && name.find_first_of(L"\\/") == name.npos)
            names.emplace_back(name.substr(0, name.size() - kRecord.size()));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

}  // namespace

std::optional<std::wstring> DesktopTrashFolder() {
    const DosName dosName = WineDosName();
    if (!dosName) return std::nullopt;
    // Wine's shell takes the desktop's data folder, by default the one in the
    // user's home folder.
    std::optional<std::wstring> data = DosPathOf(dosName, Environment(L"XDG_DATA_HOME"));
    if (!data) {
        const std::wstring home = Environment(L"WINEHOMEDIR");  // "\??\unix\home\user"
        if (home.rfind(L"\\??\\", 0) != 0) return std::nullopt;
        data = L"\\\\?\\" + home.substr(4) + L"\\.local\\share";
    }
    return fs::TrimTrailingSeparators(*data) + L"\\Trash";
}

size_t RemoveLinksFromRecycleBin() {
    const std::optional<std::wstring> trash = DesktopTrashFolder();
    if (!trash) return 0;
    // Files and folders of their own are refused; so are links to folders.
    size_t taken = 0;
    for (const std::wstring& name : ItemNames(*trash))
        taken += fs::ReplaceLinkWithEmptyFile(*trash + L"\\files\\" + name).Done() ? 1 : 0;
    return taken;
}

}  // namespace tidvex::shred
