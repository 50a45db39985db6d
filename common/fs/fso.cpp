#include "fs/fso.h"

#include "fs/guarded_file.h"
#include "fs/paths.h"
#include "text/text.h"

#include <optional>

namespace tidvex::fs {

namespace {

DWORD Attributes(const std::string& path) {
    if (path.empty() || HasWildcards(path)) return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesA(path.c_str());
}

// A refused delete as the scripting run time reports it: a link is not the
// caller's to delete.
RunTimeError ErrorOf(const FileOutcome& outcome) {
    switch (outcome.refusal) {
        case FileRefusal::Missing:
        case FileRefusal::Folder: return MakeFsError(kFileNotFound);
        case FileRefusal::Link: return MakeFsError(kPermissionDenied);
        default: return FsErrorFromPlatform(outcome.error);
    }
}

// Removes what can be removed below and including `folder`; remembers the first failure.
void RemoveTree(const std::string& folder, DWORD folderAttributes, bool force, std::optional<RunTimeError>& failure) {
    auto note = [&](RunTimeError error) {
        if (!failure) failure = std::move(error);
    };
    auto entries = ListFolder(folder);
    if (!entries) {
        note(FsErrorFromPlatform(GetLastError(), kPathNotFound));
        return;
    }
    LinkProbe probe(folder);
    for (const auto& entry : *entries) {
        std::string path = JoinPath(folder, entry.name);
        if (probe.IsLink(entry.name, entry.attributes)) {
            note(MakeFsError(kPermissionDenied));
            continue;
        }
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path, entry.attributes, force, failure);
            continue;
        }
        FileOutcome outcome = DeleteFileName(path, force);
        if (!outcome.Done()) note(ErrorOf(outcome));
    }
    if (folderAttributes & FILE_ATTRIBUTE_READONLY) {
        if (!force) {
            note(MakeFsError(kPermissionDenied));
            return;
        }
        SetFileAttributesA(folder.c_str(), folderAttributes & ~FILE_ATTRIBUTE_READONLY);
    }
    if (!RemoveDirectoryA(folder.c_str())) note(FsErrorFromPlatform(GetLastError(), kPathNotFound));
}

void CopyTree(const std::string& source, const std::string& destination, bool overwrite) {
    DWORD destAttributes = GetFileAttributesA(destination.c_str());
    if (destAttributes == INVALID_FILE_ATTRIBUTES) {
        if (!CreateDirectoryA(destination.c_str(), nullptr)) throw FsErrorFromPlatform(GetLastError(), kPathNotFound);
    } else if (!(destAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw MakeFsError(kFileAlreadyExists);
    }
    auto entries = ListFolder(source);
    if (!entries) throw FsErrorFromPlatform(GetLastError(), kPathNotFound);
    LinkProbe probe(source);
    for (const auto& entry : *entries) {
        if (probe.IsLink(entry.name, entry.attributes)) continue;
        std::string from = JoinPath(source, entry.name);
        std::string to = JoinPath(destination, entry.name);
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyTree(from, to, overwrite);
        } else if (!CopyFileA(from.c_str(), to.c_str(), !overwrite)) {
            throw FsErrorFromPlatform(GetLastError());
        }
    }
}

bool IsInside(const std::string& path, const std::string& folder) {
    if (path.size() < folder.size()) return false;
    if (!text::EqualsNoCase(std::string_view(path).substr(0, folder.size()), folder)) return false;
    return path.size() == folder.size() || path[folder.size()] == '\\' || folder.back() == '\\';
}

}  // namespace

RunTimeError MakeFsError(int number) { return RunTimeError::Of(number); }

RunTimeError FsErrorFromPlatform(DWORD code, int notFound) {
    int number;
    switch (code) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH:
            number = notFound;
            break;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_WRITE_PROTECT:
        case ERROR_DIR_NOT_EMPTY:
            number = kPermissionDenied;
            break;
        case ERROR_FILE_EXISTS:
        case ERROR_ALREADY_EXISTS:
            number = kFileAlreadyExists;
            break;
        case ERROR_DISK_FULL:
        case ERROR_HANDLE_DISK_FULL:
            number = kDiskFull;
            break;
        case ERROR_NOT_READY:
            number = kDiskNotReady;
            break;
        default:
            number = kPathFileAccess;
    }
    return MakeFsError(number);
}

bool FileSystemObject::FileExists(const std::string& path) const {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileSystemObject::FolderExists(const std::string& path) const {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FileSystemObject::GetExtensionName(const std::string& path) const {
    std::string name = LastComponent(path);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

void FileSystemObject::DeleteFile(const std::string& path, bool force) const {
    if (!IsFullPathBelowRoot(path)) throw MakeFsError(kInvalidArgument);
    FileOutcome outcome = DeleteFileName(path, force);
    if (!outcome.Done()) throw ErrorOf(outcome);
}

void FileSystemObject::DeleteFolder(const std::string& path, bool force) const {
    if (!IsFullPathBelowRoot(path)) throw MakeFsError(kInvalidArgument);
    std::string folder = TrimTrailingSeparators(path);
    DWORD attributes = Attributes(folder);
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw MakeFsError(kPathNotFound);
    }
    if (IsLink(folder)) throw MakeFsError(kPermissionDenied);
    std::optional<RunTimeError> failure;
    RemoveTree(folder, attributes, force, failure);
    if (failure) throw *failure;
}

void FileSystemObject::CreateFolder(const std::string& path) const {
    if (path.empty() || HasWildcards(path)) throw MakeFsError(kPathNotFound);
    if (!CreateDirectoryA(path.c_str(), nullptr)) throw FsErrorFromPlatform(GetLastError(), kPathNotFound);
}

void FileSystemObject::CopyFolder(const std::string& source, const std::string& destination, bool overwrite) const {
    std::string from = TrimTrailingSeparators(source);
    if (!FolderExists(from)) throw MakeFsError(kPathNotFound);
    if (HasWildcards(destination) || destination.empty()) throw MakeFsError(kPathNotFound);
    std::string to = destination;
    if (to.back() == '\\' || to.back() == '/') to = JoinPath(to, LastComponent(from));
    to = TrimTrailingSeparators(to);

    char fullFrom[MAX_PATH * 4], fullTo[MAX_PATH * 4];
    if (!GetFullPathNameA(from.c_str(), sizeof fullFrom, fullFrom, nullptr) ||
        !GetFullPathNameA(to.c_str(), sizeof fullTo, fullTo, nullptr)) {
        throw MakeFsError(kPathNotFound);
    }
    // A copy into the source itself would never end.
    if (IsInside(fullTo, fullFrom)) throw MakeFsError(kInvalidArgument);
    CopyTree(from, to, overwrite);
}

FileSystemObject& gFSO() {
    static FileSystemObject fso;
    return fso;
}

}  // namespace tidvex::fs
