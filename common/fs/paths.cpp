#include "fs/paths.h"

#include "handles/handles.h"
#include "text/text.h"

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

bool HasWildcards(const std::string& path) {
    size_t from = StartsWith(path, "\\\\?\\") ? 4 : 0;
    return path.find_first_of("*?<>\"", from) != std::string::npos;
}

std::string TrimTrailingSeparators(const std::string& path) {
    std::string s = path;
    while (s.size() > 1 && IsSeparator(s.back())) {
        if (s.size() == 3 && s[1] == ':') break;  // "C:\"
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

std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder) {
    WIN32_FIND_DATAA data;
    handles::Find find(FindFirstFileA(JoinPath(folder, "*").c_str(), &data));
    if (!find) {
        if (GetLastError() == ERROR_FILE_NOT_FOUND) return std::vector<FolderEntry>{};
        return std::nullopt;
    }
    std::vector<FolderEntry> entries;
    do {
        std::string name = data.cFileName;
        if (name == "." || name == "..") continue;
        entries.push_back({name, data.dwFileAttributes,
                           (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow});
    } while (FindNextFileA(find.Get(), &data));
    return entries;
}

std::optional<std::string> FinalPathOfHandle(HANDLE handle) {
    char buffer[MAX_PATH * 4];
    DWORD n = GetFinalPathNameByHandleA(handle, buffer, sizeof buffer, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (n == 0 || n >= sizeof buffer) return std::nullopt;
    return std::string(buffer, n);
}

std::optional<std::string> FinalPathOf(const std::string& path) {
    handles::File h(CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h) return std::nullopt;
    return FinalPathOfHandle(h.Get());
}

bool IsOwnEntry(const std::string& finalEntry, const std::string& finalFolder, const std::string& name) {
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

LinkProbe::LinkProbe(const std::string& folder) : folder_(folder), finalFolder_(FinalPathOf(folder)) {
    if (!finalFolder_) folderError_ = GetLastError();
}

LinkProbe::LinkProbe(const std::string& folder, std::string finalFolder)
    : folder_(folder), finalFolder_(std::move(finalFolder)) {}

bool LinkProbe::IsLink(const std::string& name, DWORD attributes) const {
    return TellLink(name, attributes).value_or(true);
}

std::optional<bool> LinkProbe::TellLink(const std::string& name, DWORD attributes) const {
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
    if (HasWildcards(path)) return true;
    std::string trimmed = TrimTrailingSeparators(path);
    WIN32_FIND_DATAA entry;
    handles::Find find(FindFirstFileA(trimmed.c_str(), &entry));
    if (!find) return true;
    size_t cut = trimmed.find_last_of("\\/");
    if (cut == std::string::npos) return true;
    std::string folder = trimmed.substr(0, cut + 1);
    return LinkProbe(folder).IsLink(entry.cFileName, entry.dwFileAttributes);
}

}  // namespace tidvex::fs
