#include "fs/paths.h"

#include "fs/canonical.h"
#include "handles/handles.h"
#include "text/text.h"

#include <winternl.h>

namespace tidvex::fs {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

}  // namespace

bool IsFullPathBelowRoot(const std::string& path) { return IsFullPathBelowRoot(text::Wide(path)); }

bool IsFullPathBelowRoot(std::wstring_view path) {
    const CanonicalPath canonical = Canonical(path);
    return canonical && !canonical.IsRoot();
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

std::wstring CallableFullPath(const std::wstring& path) {
    const std::wstring full = FullPathName(path);
    if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) return full;
    return CallablePath(full);
}

bool IsRootPath(const std::wstring& path) {
    // "C:" alone means the current folder of drive C: to the system, but a root to whoever wrote it.
    const std::wstring trimmed = TrimTrailingSeparators(path);
    if (trimmed.size() == 2 && trimmed[1] == L':') return true;
    return Canonical(path, RelativePaths::Resolve).IsRoot();
}

std::optional<std::vector<WideFolderEntry>> ListFolder(const std::wstring& folder) {
    WIN32_FIND_DATAW data;
    const std::wstring pattern = CallableFullPath(JoinPath(folder, std::wstring(L"*")));
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
    for (const WideFolderEntry& e : *wide) {
        // A name the code page cannot hold would name another entry, or none.
        if (auto name = text::NarrowExact(e.name)) entries.push_back({*name, e.attributes, e.size});
    }
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

std::optional<std::string> FinalPathOfHandle(HANDLE handle) {
    auto wide = WideFinalPathOfHandle(handle);
    if (!wide) return std::nullopt;
    return text::Narrow(*wide);
}

std::optional<std::wstring> FinalPathOf(const std::wstring& path) {
    const std::wstring extended = CallableFullPath(path);
    if (extended.empty()) return std::nullopt;
    handles::File h(CreateFileW(extended.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return std::nullopt;
    return WideFinalPathOfHandle(h.Get());
}

std::optional<std::string> FinalPathOf(const std::string& path) {
    auto wide = FinalPathOf(text::Wide(path));
    if (!wide) return std::nullopt;
    return text::Narrow(*wide);
}

bool IsOwnEntry(const std::string& finalEntry, const std::string& finalFolder, const std::string& name) {
    return text::EqualsNoCase(finalEntry, JoinPath(finalFolder, name));
}

bool IsOwnEntry(const std::wstring& finalEntry, const std::wstring& finalFolder, const std::wstring& name) {
    return text::EqualsNoCase(finalEntry, JoinPath(finalFolder, name));
}

std::optional<WideFolderContents> ReadFolder(const std::wstring& folder) {
    const CanonicalPath canonical = Canonical(folder, RelativePaths::Resolve);
    if (!canonical) {
        SetLastError(ERROR_INVALID_NAME);
        return std::nullopt;
    }
    const handles::File handle(CreateFileW(CallablePath(canonical.path).c_str(), FILE_LIST_DIRECTORY,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return std::nullopt;
    auto finalPath = FinalPathOfHandleCanonical(handle.Get());
    if (!finalPath) return std::nullopt;
    WideFolderContents contents{canonical.path, *finalPath, {}};
    std::vector<std::uint64_t> buffer(8192);  // 64 KB, aligned for the records
    const DWORD bytes = static_cast<DWORD>(buffer.size() * sizeof buffer[0]);
    while (GetFileInformationByHandleEx(handle.Get(), FileIdBothDirectoryInfo, buffer.data(), bytes)) {
        const char* at = reinterpret_cast<const char*>(buffer.data());
        for (;;) {
            const auto* info = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
            std::wstring name(info->FileName, info->FileNameLength / sizeof(WCHAR));
            if (name != L"." && name != L"..")
                contents.entries.push_back(
                    {std::move(name), info->FileAttributes, static_cast<std::uint64_t>(info->EndOfFile.QuadPart)});
            if (info->NextEntryOffset == 0) break;
            at += info->NextEntryOffset;
        }
    }
    // The end of the list; a folder without even "." and ".." (a drive's root) is empty.
    const DWORD error = GetLastError();
    if (error != ERROR_NO_MORE_FILES && error != ERROR_FILE_NOT_FOUND) return std::nullopt;
    return contents;
}

bool WideFolderContents::IsOwn() const { return ReachedWithoutLink(path, finalPath); }

std::optional<FolderContents> ReadFolder(const std::string& folder) {
    const auto wide = ReadFolder(text::Wide(folder));
    if (!wide) return std::nullopt;
    FolderContents contents{text::Narrow(L"\\\\?\\" + wide->finalPath), {}};
    for (const WideFolderEntry& e : wide->entries) {
        if (auto name = text::NarrowExact(e.name)) contents.entries.push_back({*name, e.attributes, e.size});
    }
    return contents;
}

LinkProbe::LinkProbe(const std::string& folder) : LinkProbe(text::Wide(folder)) {}

LinkProbe::LinkProbe(const std::wstring& folder) {
    const CanonicalPath canonical = Canonical(folder, RelativePaths::Resolve);
    if (!canonical) {
        folderError_ = ERROR_INVALID_NAME;
        return;
    }
    folder_ = canonical.path;
    handles::File handle(CreateFileW(CallablePath(folder_).c_str(), 0,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (handle) finalFolder_ = FinalPathOfHandleCanonical(handle.Get());
    if (!finalFolder_) folderError_ = GetLastError();
}

LinkProbe::LinkProbe(const std::wstring& folder, std::wstring finalFolder) : finalFolder_(std::move(finalFolder)) {
    const CanonicalPath canonical = Canonical(folder, RelativePaths::Resolve);
    folder_ = canonical ? canonical.path : folder;
    if (!canonical) finalFolder_.reset(), folderError_ = ERROR_INVALID_NAME;
}

bool LinkProbe::FolderIsOwn() const {
    if (!folderOwn_) folderOwn_ = finalFolder_ && ReachedWithoutLink(folder_, *finalFolder_);
    return *folderOwn_;
}

bool LinkProbe::IsLink(const std::string& name, DWORD attributes) const {
    return TellLink(name, attributes).value_or(true);
}

bool LinkProbe::IsLink(const std::wstring& name, DWORD attributes) const {
    return TellLink(name, attributes).value_or(true);
}

std::optional<bool> LinkProbe::TellLink(const std::string& name, DWORD attributes) const {
    return TellLink(text::Wide(name), attributes);
}

std::optional<bool> LinkProbe::TellLink(const std::wstring& name, DWORD attributes) const {
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
    if (!finalFolder_) {
        SetLastError(folderError_);
        return std::nullopt;
    }
    // Everything in a folder reached through a link lies somewhere else.
    if (!FolderIsOwn()) return true;
    // An entry of its own resolves to its folder's final path and its own name
    // (or to the root of a drive letter that leads to it); a link resolves to
    // somewhere else.
    const std::wstring entry = ChildPath(folder_, name);
    handles::File handle(CreateFileW(CallablePath(entry).c_str(), 0,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) return std::nullopt;
    const auto finalEntry = FinalPathOfHandleCanonical(handle.Get());
    if (!finalEntry) return std::nullopt;
    if (SamePath(*finalEntry, entry) || SamePath(*finalEntry, ChildPath(*finalFolder_, name))) return false;
    return !ReachedWithoutLink(entry, *finalEntry);
}

bool IsLink(const std::string& path) { return IsLink(text::Wide(path)); }

bool IsLink(const std::wstring& path) {
    if (HasWildcards(path)) return true;
    std::wstring trimmed = TrimTrailingSeparators(path);
    WIN32_FIND_DATAW entry;
    const std::wstring extended = CallableFullPath(trimmed);
    handles::Find find(extended.empty() ? INVALID_HANDLE_VALUE : FindFirstFileW(extended.c_str(), &entry));
    if (!find) return true;
    size_t cut = trimmed.find_last_of(L"\\/");
    if (cut == std::wstring::npos) return true;
    std::wstring folder = trimmed.substr(0, cut + 1);
    return LinkProbe(folder).IsLink(std::wstring(entry.cFileName), entry.dwFileAttributes);
}

}  // namespace tidvex::fs
