#include "fs/paths.h"

#include "handles/handles.h"
#include "text/text.h"

#include <winternl.h>

namespace tidvex::fs {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

std::vector<std::string> Components(const std::string& s) {
    std::vector<std::string> parts;
    std::string part;
    for (char c : s) {
        if (IsSeparator(c)) {
            if (!part.empty()) parts.push_back(part);
            part.clear();
        } else {
            part += c;
        }
    }
    if (!part.empty()) parts.push_back(part);
    return parts;
}

}  // namespace

bool IsFullPathBelowRoot(const std::string& path) {
    if (path.size() < 3) return false;
    const bool drivePath = IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2]);
    const bool uncPath = IsSeparator(path[0]) && IsSeparator(path[1]) && !IsSeparator(path[2]);
    if (!drivePath && !uncPath) return false;

    std::string full = path;
    if (!StartsWith(path, "\\\\?\\")) {
        // Resolves "." and ".." so that "C:\a\.." is seen as the root it is.
        char buffer[MAX_PATH * 4];
        DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
        if (n == 0 || n >= sizeof buffer) return false;
        full.assign(buffer, n);
    }

    std::vector<std::string> parts;
    if (StartsWith(full, "\\\\?\\UNC\\")) {
        parts = Components(full.substr(8));
        parts.erase(parts.begin(), parts.begin() + std::min<size_t>(2, parts.size()));  // server, share
    } else if (StartsWith(full, "\\\\?\\")) {
        std::string rest = full.substr(4);
        if (rest.size() < 2 || !IsDriveLetter(rest[0]) || rest[1] != ':') return false;
        parts = Components(rest.substr(2));
    } else if (StartsWith(full, "\\\\.\\") || StartsWith(full, "//./")) {
        return false;
    } else if (IsSeparator(full[0]) && IsSeparator(full[1])) {
        parts = Components(full.substr(2));
        if (parts.size() < 2) return false;
        parts.erase(parts.begin(), parts.begin() + 2);
    } else if (IsDriveLetter(full[0]) && full[1] == ':') {
        parts = Components(full.substr(2));
    } else {
        return false;
    }
    if (parts.empty()) return false;
    for (const auto& p : parts) {
        if (p == "." || p == "..") return false;
    }
    return true;
}

bool HasWildcards(const std::string& path) { return HasWildcards(text::Wide(path)); }

bool HasWildcards(std::wstring_view path) {
    size_t from = path.rfind(L"\\\\?\\", 0) == 0 ? 4 : 0;
    return path.find_first_of(L"*?<>\"", from) != std::wstring_view::npos;
}

std::string TrimTrailingSeparators(const std::string& path) {
    std::string s = path;
    while (s.size() > 1 && IsSeparator(s.back())) {
        if (s.size() == 3 && s[1] == ':') break;  // "C:\"
        s.pop_back();
    }
    return s;
}

std::wstring TrimTrailingSeparators(const std::wstring& path) {
    std::wstring s = path;
    while (s.size() > 1 && (s.back() == L'\\' || s.back() == L'/')) {
        if (s.size() == 3 && s[1] == L':') break;  // "C:\"
        s.pop_back();
    }
    return s;
}

std::string LastComponent(const std::string& path) {
    std::string s = TrimTrailingSeparators(path);
    size_t cut = s.find_last_of("\\/");
    return cut == std::string::npos ? s : s.substr(cut + 1);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return IsSeparator(folder.back()) ? folder + name : folder + "\\" + name;
}

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty()) return name;
    return folder.back() == L'\\' || folder.back() == L'/' ? folder + name : folder + L"\\" + name;
}

std::wstring FullPathName(const std::wstring& path) {
    if (path.empty()) return {};
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(n + 1);
    }
}

std::wstring NormalizedFullPath(const std::wstring& path) { return TrimTrailingSeparators(FullPathName(path)); }

std::wstring ExtendedLengthPath(const std::wstring& path) {
    const std::wstring full = FullPathName(path);
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    if (full.empty()) return {};
    return L"\\\\?\\" + full;
}

bool IsRootPath(const std::wstring& path) {
    // "C:" alone means the current folder of drive C: to the system, but a root to whoever wrote it.
    const std::wstring trimmed = TrimTrailingSeparators(path);
    if (trimmed.size() == 2 && trimmed[1] == L':') return true;
    std::wstring full = NormalizedFullPath(path);
    if (full.rfind(L"\\\\?\\", 0) == 0) full.erase(0, 4);
    if (full.size() <= 3 && full.size() >= 2 && full[1] == L':') return true;
    if (full.size() > 2 && full[0] == L'\\' && full[1] == L'\\') {
        // "\\server\share" and nothing below it.
        size_t server = full.find(L'\\', 2);
        return server == std::wstring::npos || full.find(L'\\', server + 1) == std::wstring::npos;
    }
    return false;
}

std::optional<std::vector<WideFolderEntry>> ListFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    const std::wstring pattern = ExtendedLengthPath(JoinPath(folder, std::wstring(L"*")));
    if (pattern.empty()) {
        SetLastError(ERROR_INVALID_NAME);
        return std::nullopt;
    }
    handles::Find find(FindFirstFileW(pattern.c_str(), &data));
    if (!find) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<WideFolderEntry>{};
        return std::nullopt;
    }
    std::vector<WideFolderEntry> entries;
    do {
        std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        entries.push_back({name, data.dwFileAttributes,
                           (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    } while (FindNextFileW(find.Get(), &data));
    return entries;
}

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
    auto wide = ListFolder(text::Wide(folder));
    if (!wide) return std::nullopt;
    std::vector<FolderEntry> entries;
    entries.reserve(wide->size());
    for (const WideFolderEntry& e : *wide) entries.push_back({text::Narrow(e.name), e.attributes, e.size});
    return entries;
}

namespace {

// The name the object manager gives an open file, "\??\C:\a" under Wine,
// read into a buffer of the size it asks for.
std::optional<std::wstring> ObjectNameOf(HANDLE handle) {
    using QueryObject = NTSTATUS(NTAPI*)(HANDLE, OBJECT_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<QueryObject>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
    if (!query) return std::nullopt;
    constexpr auto kObjectNameInformation = static_cast<OBJECT_INFORMATION_CLASS>(1);
    std::vector<std::uint64_t> buffer(512);  // aligned for the record
    for (int attempt = 0; attempt < 4; ++attempt) {
        ULONG need = 0;
        const ULONG size = static_cast<ULONG>(buffer.size() * sizeof buffer[0]);
        const NTSTATUS status = query(handle, kObjectNameInformation, buffer.data(), size, &need);
        if (status >= 0) {
            const auto* name = reinterpret_cast<const UNICODE_STRING*>(buffer.data());
            return std::wstring(name->Buffer, name->Length / sizeof(wchar_t));
        }
        if (need <= size) return std::nullopt;
        buffer.resize(need / sizeof buffer[0] + 1);
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::wstring> WideFinalPathOfHandle(HANDLE handle) {
    std::wstring buffer(MAX_PATH * 4, L'\0');
    for (;;) {
        DWORD n = GetFinalPathNameByHandleW(handle, buffer.data(), static_cast<DWORD>(buffer.size()),
                                            FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (n == 0) break;
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(n + 1);
    }
    // Wine reads the name into a buffer of MAX_PATH characters of its own and
    // fails beyond it, whatever the caller's buffer: its object name, a drive
    // path of the same form, serves then.
    if (GetLastError() != ERROR_MORE_DATA) return std::nullopt;
    std::optional<std::wstring> name = ObjectNameOf(handle);
    if (!name || name->rfind(L"\\??\\", 0) != 0) return std::nullopt;
    return L"\\\\?\\" + name->substr(4);
}

namespace {

// A path in the system code page is one for the platform's ANSI calls, which
// take at most MAX_PATH - 1 characters: beyond that, what such a caller names
// cannot be told (ERROR_FILENAME_EXCED_RANGE), as the platform would answer it.
bool FitsAnsiCalls(const std::wstring& path) {
    const size_t length = path.rfind(L"\\\\?\\", 0) == 0 ? path.size() - 4 : path.size();
    if (length < MAX_PATH) return true;
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
}

}  // namespace

std::optional<std::string> FinalPathOfHandle(HANDLE handle) {
    auto wide = WideFinalPathOfHandle(handle);
    if (wide && !FitsAnsiCalls(*wide)) return std::nullopt;
    if (!wide) return std::nullopt;
    return text::Narrow(*wide);
}

std::optional<std::wstring> FinalPathOf(const std::wstring& path) {
    const std::wstring extended = ExtendedLengthPath(path);
    if (extended.empty()) return std::nullopt;
    handles::File h(CreateFileW(extended.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return std::nullopt;
    return WideFinalPathOfHandle(h.Get());
}

std::optional<std::string> FinalPathOf(const std::string& path) {
    auto wide = FinalPathOf(text::Wide(path));
    if (wide && !FitsAnsiCalls(*wide)) return std::nullopt;
    if (!wide) return std::nullopt;
    return text::Narrow(*wide);
}

bool IsOwnEntry(const std::string& finalEntry, const std::string& finalFolder, const std::string& name) {
    return text::EqualsNoCase(finalEntry, JoinPath(finalFolder, name));
}

bool IsOwnEntry(const std::wstring& finalEntry, const std::wstring& finalFolder, const std::wstring& name) {
    return text::EqualsNoCase(finalEntry, JoinPath(finalFolder, name));
}

std::optional<FolderContents> ReadFolder(const std::string& folder) {
    const handles::File handle(CreateFileA(folder.c_str(), FILE_LIST_DIRECTORY,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return std::nullopt;
    auto finalPath = FinalPathOfHandle(handle.Get());
    if (!finalPath) return std::nullopt;
    FolderContents contents{*finalPath, {}};
    // Names as the ANSI file functions give them.
    const UINT codePage = AreFileApisANSI() ? CP_ACP : CP_OEMCP;
    std::vector<std::uint64_t> buffer(8192);  // 64 KB, aligned for the records
    const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof buffer[0]);
    while (GetFileInformationByHandleEx(handle.Get(), FileIdBothDirectoryInfo, buffer.data(), bytes)) {
        const char* at = reinterpret_cast<const char*>(buffer.data());
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            const int wide = static_cast<int>(info->FileNameLength / sizeof(WCHAR));
            const int length = WideCharToMultiByte(codePage, 0, info->FileName, wide, nullptr, 0, nullptr, nullptr);
            std::string name(static_cast<size_t>(length), '\0');
            WideCharToMultiByte(codePage, 0, info->FileName, wide, name.data(), length, nullptr, nullptr);
            if (name != "." && name != "..")
                contents.entries.push_back(
                    {name, info->FileAttributes, static_cast<std::uint64_t>(info->EndOfFile.QuadPart)});
            if (info->NextEntryOffset == 0) break;
            at += info->NextEntryOffset;
        }
    }
    // The end of the list; a folder without even "." and ".." (a drive's root) is empty.
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES && error != ERROR_FILE_NOT_FOUND) return std::nullopt;
    return contents;
}

LinkProbe::LinkProbe(const std::string& folder) : LinkProbe(text::Wide(folder)) {}

LinkProbe::LinkProbe(const std::wstring& folder) : folder_(folder), finalFolder_(FinalPathOf(folder)) {
    if (!finalFolder_) folderError_ = GetLastError();
}

LinkProbe::LinkProbe(const std::string& folder, std::string finalFolder)
    : folder_(text::Wide(folder)), finalFolder_(text::Wide(finalFolder)) {}

bool LinkProbe::IsLink(const std::string& name, DWORD attributes) const {
    return TellLink(name, attributes).value_or(true);
}

bool LinkProbe::IsLink(const std::wstring& name, DWORD attributes) const {
    return TellLink(name, attributes).value_or(true);
}

std::optional<bool> LinkProbe::TellLink(const std::string& name, DWORD attributes) const {
    const std::wstring wide = text::Wide(name);
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !FitsAnsiCalls(JoinPath(folder_, wide))) return std::nullopt;
    return TellLink(wide, attributes);
}

std::optional<bool> LinkProbe::TellLink(const std::wstring& name, DWORD attributes) const {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    if (!finalFolder_) {
        SetLastError(folderError_);
        return std::nullopt;
    }
    // An entry of its own resolves to its folder's final path and its own name;
    // a link resolves to somewhere else.
    auto finalEntry = FinalPathOf(JoinPath(folder_, name));
    if (!finalEntry) return std::nullopt;
    return !IsOwnEntry(*finalEntry, *finalFolder_, name);
}

bool IsLink(const std::string& path) {
    const std::wstring wide = text::Wide(path);
    return !FitsAnsiCalls(wide) || IsLink(wide);
}

bool IsLink(const std::wstring& path) {
    if (HasWildcards(path)) return true;
    std::wstring trimmed = TrimTrailingSeparators(path);
    WIN32_FIND_DATAW entry;
    const std::wstring extended = ExtendedLengthPath(trimmed);
    handles::Find find(extended.empty() ? INVALID_HANDLE_VALUE : FindFirstFileW(extended.c_str(), &entry));
    if (!find) return true;
    size_t cut = trimmed.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return true;
    std::wstring folder = trimmed.substr(0, cut + 1);
    return LinkProbe(folder).IsLink(std::wstring(entry.cFileName), entry.dwFileAttributes);
}

}  // namespace tidvex::fs
