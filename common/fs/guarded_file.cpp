#include "fs/guarded_file.h"

#include "fs/paths.h"

#include <vector>

namespace tidvex::fs {

namespace {

FileRefusal RefusalOfOpenError(DWORD code) {
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            return FileRefusal::Missing;
        default:
            return FileRefusal::Failed;
    }
}

std::string FullPathOf(const std::string& path) {
    char buffer[MAX_PATH * 4];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof buffer, buffer, nullptr);
    if (n == 0 || n >= sizeof buffer) return {};
    return std::string(buffer, n);
}

// Whether the open handle is the file that `fullPath` names itself.
bool NamesItself(HANDLE handle, const std::string& fullPath) {
    size_t cut = fullPath.find_last_of("\\/");
    if (cut == std::string::npos || cut + 1 == fullPath.size()) return false;
    auto finalFolder = FinalPathOf(fullPath.substr(0, cut + 1));
    auto finalEntry = FinalPathOfHandle(handle);
    return finalFolder && finalEntry && IsOwnEntry(*finalEntry, *finalFolder, fullPath.substr(cut + 1));
}

FileFacts FactsOf(const BY_HANDLE_FILE_INFORMATION& info) {
    FileFacts facts;
    facts.attributes = info.dwFileAttributes;
    facts.size = (static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    facts.names = info.nNumberOfLinks;
    facts.volume = info.dwVolumeSerialNumber;
    facts.id = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return facts;
}

// The path as the file system's own calls take it ("\??\C:\a", "\??\UNC\server\share\a").
std::wstring SystemPath(const std::string& fullPath) {
    std::string system;
    if (fullPath.rfind("\\\\?\\", 0) == 0) {
        system = "\\??\\" + fullPath.substr(4);
    } else if (fullPath.rfind("\\\\", 0) == 0) {
        system = "\\??\\UNC\\" + fullPath.substr(2);
    } else {
        system = "\\??\\" + fullPath;
    }
    int n = MultiByteToWideChar(CP_ACP, 0, system.data(), static_cast<int>(system.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, system.data(), static_cast<int>(system.size()), wide.data(), n);
    return wide;
}

}  // namespace

GuardedFile GuardedFile::Open(const std::string& path, DWORD access, DWORD share, DWORD flags) {
    if (path.empty() || HasWildcards(path)) return GuardedFile(FileRefusal::Missing, ERROR_FILE_NOT_FOUND);
    const std::string full = FullPathOf(path);
    if (full.empty()) return GuardedFile(FileRefusal::Missing, ERROR_INVALID_NAME);

    // Backup semantics let a folder open, so that it is told apart from a file in use.
    handles::File handle(CreateFileA(full.c_str(), access, share, nullptr, OPEN_EXISTING,
                                     flags | FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle) {
        DWORD code = GetLastError();
        return GuardedFile(RefusalOfOpenError(code), code);
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle.Get(), &info)) return GuardedFile(FileRefusal::Failed, GetLastError());
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || !NamesItself(handle.Get(), full)) {
        return GuardedFile(FileRefusal::Link, 0);
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return GuardedFile(FileRefusal::Folder, ERROR_ACCESS_DENIED);
    GuardedFile file(FileRefusal::None, 0);
    file.handle_ = std::move(handle);
    file.path_ = full;
    file.facts_ = FactsOf(info);
    return file;
}

GuardedFile GuardedFile::Reopen(DWORD access, DWORD share, DWORD flags) const {
    if (!Ok()) return GuardedFile(refusal_, error_);
    handles::File handle(ReOpenFile(handle_.Get(), access, share, flags));
    if (!handle) return GuardedFile(FileRefusal::Failed, GetLastError());
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle.Get(), &info)) return GuardedFile(FileRefusal::Failed, GetLastError());
    const FileFacts facts = FactsOf(info);
    if (facts.id != facts_.id || facts.volume != facts_.volume || !NamesItself(handle.Get(), path_)) {
        return GuardedFile(FileRefusal::Link, 0);
    }
    GuardedFile file(FileRefusal::None, 0);
    file.handle_ = std::move(handle);
    file.path_ = path_;
    file.facts_ = facts;
    return file;
}

bool GuardedFile::SetAttributes(DWORD attributes) {
    FILE_BASIC_INFO basic{};  // times of 0 stay as they are
    // 0 would mean "leave the attributes as they are".
    basic.FileAttributes = attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(handle_.Get(), FileBasicInfo, &basic, sizeof basic)) return false;
    facts_.attributes = basic.FileAttributes;
    return true;
}

bool GuardedFile::MarkForDeletion() {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle_.Get(), FileDispositionInfo, &disposition, sizeof disposition);
}

bool GuardedFile::Rename(const std::string& newPath) {
    const std::string full = FullPathOf(newPath);
    if (full.empty() || HasWildcards(newPath)) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    const std::wstring target = SystemPath(full);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + (target.size() + 1) * sizeof(wchar_t), 0);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    target.copy(rename->FileName, target.size());
    if (!SetFileInformationByHandle(handle_.Get(), FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) {
        return false;
    }
    path_ = full;
    return true;
}

FileOutcome DeleteFileName(const std::string& path, bool force) {
    GuardedFile file = GuardedFile::Open(path, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
    if (!file) return {file.Refusal(), file.Error()};
    const DWORD attributes = file.Facts().attributes;
    const bool readOnly = attributes & FILE_ATTRIBUTE_READONLY;
    if (readOnly) {
        if (!force) return {FileRefusal::Failed, ERROR_ACCESS_DENIED};
        if (!file.SetAttributes(attributes & ~FILE_ATTRIBUTE_READONLY)) return {FileRefusal::Failed, GetLastError()};
    }
    if (!file.MarkForDeletion()) {
        DWORD code = GetLastError();
        if (readOnly) file.SetAttributes(attributes);
        return {FileRefusal::Failed, code};
    }
    // The marks belong to the content, which the other names keep.
    if (readOnly && file.HasOtherNames()) file.SetAttributes(attributes);
    return {};
}

FileOutcome RenameFile(const std::string& from, const std::string& to) {
    GuardedFile file = GuardedFile::Open(from, DELETE | FILE_READ_ATTRIBUTES);
    if (!file) return {file.Refusal(), file.Error()};
    if (!file.Rename(to)) return {FileRefusal::Failed, GetLastError()};
    return {};
}

bool AppendText(const std::string& path, std::string_view text) {
    GuardedFile file;
    handles::File created;
    HANDLE target = INVALID_HANDLE_VALUE;
    // Twice: a file that another writer created between the two tries is opened.
    for (int attempt = 0; attempt < 2 && target == INVALID_HANDLE_VALUE; ++attempt) {
        file = GuardedFile::Open(path, FILE_APPEND_DATA, kShareAll);
        if (file) {
            if (file.HasOtherNames()) {
                SetLastError(ERROR_ACCESS_DENIED);
                return false;
            }
            target = file.Get();
        } else if (file.Refusal() == FileRefusal::Missing) {
            // A new file only: never through a link to nothing, which would make its target.
            created.Reset(CreateFileA(path.c_str(), FILE_APPEND_DATA, kShareAll, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
            if (created) target = created.Get();
            else if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        } else {
            SetLastError(file.Refusal() == FileRefusal::Failed ? file.Error() : ERROR_ACCESS_DENIED);
            return false;
        }
    }
    if (target == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    if (!WriteFile(target, text.data(), static_cast<DWORD>(text.size()), &written, nullptr)) return false;
    if (written != text.size()) {
        SetLastError(ERROR_DISK_FULL);
        return false;
    }
    return true;
}

bool AppendLine(const std::string& path, std::string_view line) {
    std::string text(line);
    text += "\r\n";
    return AppendText(path, text);
}

}  // namespace tidvex::fs
