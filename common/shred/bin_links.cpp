#include "shred/bin_links.h"

#include "fs/guarded_file.h"
#include "fs/paths.h"
#include "handles/handles.h"

#include <windows.h>

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

// The final path of what `path` leads to; nothing when it cannot be opened.
std::optional<std::wstring> FinalPath(const std::wstring& path) {
    const handles::File h(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, fs::kShareAll, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return std::nullopt;
    return fs::WideFinalPathOfHandle(h.Get());
}

struct Entry {
    std::wstring name;
    DWORD attributes;
};

std::vector<Entry> EntriesOf(const std::wstring& folder) {
    std::vector<Entry> entries;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return entries;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") entries.push_back({name, found.dwFileAttributes});
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

// Takes the links to files out of the bin's folder of items. An entry that
// leads anywhere but to itself is a link (Wine lists a link to a file as a
// plain file). Wine's emptying leaves a folder alone unless it is empty.
size_t TakeLinksFrom(const std::wstring& folder) {
    const std::optional<std::wstring> finalFolder = FinalPath(folder);
    if (!finalFolder) return 0;
    size_t taken = 0;
    for (const Entry& e : EntriesOf(folder)) {
        if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        const std::wstring path = folder + L"\\" + e.name;
        const std::optional<std::wstring> finalEntry = FinalPath(path);
        const bool link = (e.attributes & FILE_ATTRIBUTE_REPARSE_POINT) ||
                          (finalEntry && !fs::IsOwnEntry(*finalEntry, *finalFolder, e.name));
        if (link && fs::ReplaceLinkWithEmptyFile(path).Done()) ++taken;
    }
    return taken;
}

// The items the bin keeps a record of that no listing shows: links to nothing
// (Wine lists none). Each record "<name>.trashinfo" names its item.
size_t TakeHiddenLinks(const std::wstring& trash) {
    constexpr std::wstring_view kRecord = L".trashinfo";
    size_t taken = 0;
    for (const Entry& e : EntriesOf(trash + L"\\info")) {
        if (e.name.size() <= kRecord.size() || (e.attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            std::wstring_view(e.name).substr(e.name.size() - kRecord.size()) != kRecord)
            continue;
        const std::wstring item = trash + L"\\files\\" + e.name.substr(0, e.name.size() - kRecord.size());
        if (GetFileAttributesW(item.c_str()) != INVALID_FILE_ATTRIBUTES) continue;
        if (GetLastError() == ERROR_FILE_NOT_FOUND && fs::ReplaceLinkWithEmptyFile(item).Done()) ++taken;
    }
    return taken;
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
    return TakeLinksFrom(*trash + L"\\files") + TakeHiddenLinks(*trash);
}

}  // namespace tidvex::shred
