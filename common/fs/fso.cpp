#include "fs/fso.h"

#include "fs/canonical.h"
#include "fs/guarded_file.h"
#include "fs/identity.h"
#include "fs/paths.h"
#include "text/text.h"

#include <optional>

namespace tidvex::fs {

namespace {

DWORD Attributes(const std::wstring& path) {
    const CanonicalPath canonical = Canonical(path, RelativePaths::Resolve);
    if (!canonical) return INVALID_FILE_ATTRIBUTES;
    return GetFileAttributesW(CallablePath(canonical.path).c_str());
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

// The canonical form of a path that a delete is given: an empty, relative or
// root path is no argument for it; a device or another machine's
// administrative share is refused; a name no file can have names nothing.
std::wstring PathToDelete(const std::wstring& path, int notFound) {
    const CanonicalPath canonical = Canonical(path);
    switch (canonical.refusal) {
        case PathRefusal::None:
            if (canonical.IsRoot()) throw MakeFsError(kInvalidArgument);
            return canonical.path;
        case PathRefusal::NoPath:
        case PathRefusal::Relative: throw MakeFsError(kInvalidArgument);
        case PathRefusal::Device:
        case PathRefusal::AdminShare: throw MakeFsError(kPermissionDenied);
        case PathRefusal::OtherName:
            throw RunTimeError(kPathFileAccess, text::Narrow(path) + ": " + RefusalText(canonical.refusal));
        case PathRefusal::NotCanonical: break;
    }
    throw MakeFsError(notFound);
}

// Removes what can be removed below and including `folder` (canonical);
// remembers the first failure. Each folder is opened once to be listed and
// judged: one reached through a link is left whole, with what it leads to.
void RemoveTree(const std::wstring& folder, bool force, std::optional<RunTimeError>& failure) {
    auto note = [&](RunTimeError error) {
        if (!failure) failure = std::move(error);
    };
    auto contents = ReadFolder(folder);
    if (!contents) {
        note(FsErrorFromPlatform(GetLastError(), kPathNotFound));
        return;
    }
    if (!contents->IsOwn()) {
        note(MakeFsError(kPermissionDenied));
        return;
    }
    for (const auto& entry : contents->entries) {
        const std::wstring path = ChildPath(folder, entry.name);
        if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            note(MakeFsError(kPermissionDenied));
        } else if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            RemoveTree(path, force, failure);
        } else {
            // The guard refuses a file that is a link.
            FileOutcome outcome = DeleteFileName(path, force);
            if (!outcome.Done()) note(ErrorOf(outcome));
        }
    }
    GuardedFile own = GuardedFile::OpenFolder(folder, DELETE | FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES);
    if (!own) {
        note(ErrorOf({own.Refusal(), own.Error()}));
        return;
    }
    const DWORD attributes = own.Facts().attributes;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        if (!force) {
            note(MakeFsError(kPermissionDenied));
            return;
        }
        own.SetAttributes(attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    // The system refuses to mark a folder that still holds entries.
    if (!own.MarkForDeletion()) note(FsErrorFromPlatform(GetLastError(), kPathNotFound));
}

// A folder to copy into: made when missing, and in every case a folder of its
// own, never one reached through a link (which would take the copy elsewhere).
void PrepareDestination(const std::wstring& destination) {
    FolderCheck check = CheckOwnFolder(destination);
    if (check == FolderCheck::Missing) {
        if (!CreateDirectoryW(CallablePath(destination).c_str(), nullptr))
            throw FsErrorFromPlatform(GetLastError(), kPathNotFound);
        check = CheckOwnFolder(destination);
    }
    switch (check) {
        case FolderCheck::Own: return;
        case FolderCheck::NotFolder: throw MakeFsError(kFileAlreadyExists);
        case FolderCheck::Link: throw MakeFsError(kPermissionDenied);
        default: throw FsErrorFromPlatform(GetLastError(), kPathNotFound);
    }
}

// Both paths canonical. Links in the source are not followed; nothing is
// written through a link or into a file with other names at the destination.
void CopyTree(const std::wstring& source, const std::wstring& destination, bool overwrite) {
    PrepareDestination(destination);
    auto contents = ReadFolder(source);
    if (!contents) throw FsErrorFromPlatform(GetLastError(), kPathNotFound);
    if (!contents->IsOwn()) return;
    for (const auto& entry : contents->entries) {
        if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
        const std::wstring from = ChildPath(source, entry.name);
        const std::wstring to = ChildPath(destination, entry.name);
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            CopyTree(from, to, overwrite);
            continue;
        }
        const FileOutcome outcome = CopyFileGuarded(from, to, overwrite);
        if (outcome.Done()) continue;
        // A source file that is a link is passed over, as a linked folder is.
        if (outcome.refusal == FileRefusal::Link && GuardedFile::Open(from, FILE_READ_ATTRIBUTES).Refusal() ==
                                                        FileRefusal::Link)
            continue;
        if (outcome.refusal == FileRefusal::Link) throw MakeFsError(kPermissionDenied);
        if (outcome.refusal == FileRefusal::Failed && outcome.error == ERROR_FILE_EXISTS)
            throw MakeFsError(kFileAlreadyExists);
        throw ErrorOf(outcome);
    }
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

bool FileSystemObject::FileExists(const std::string& path) const { return FileExists(text::Wide(path)); }

bool FileSystemObject::FileExists(const std::wstring& path) const {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileSystemObject::FolderExists(const std::string& path) const { return FolderExists(text::Wide(path)); }

bool FileSystemObject::FolderExists(const std::wstring& path) const {
    DWORD attributes = Attributes(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FileSystemObject::GetExtensionName(const std::string& path) const {
    std::string name = LastComponent(path);
    size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

void FileSystemObject::DeleteFile(const std::string& path, bool force) const { DeleteFile(text::Wide(path), force); }

void FileSystemObject::DeleteFile(const std::wstring& path, bool force) const {
    FileOutcome outcome = DeleteFileName(PathToDelete(path, kFileNotFound), force);
    if (!outcome.Done()) throw ErrorOf(outcome);
}

void FileSystemObject::DeleteFolder(const std::string& path, bool force) const { DeleteFolder(text::Wide(path), force); }

void FileSystemObject::DeleteFolder(const std::wstring& path, bool force) const {
    const std::wstring folder = PathToDelete(path, kPathNotFound);
    switch (CheckOwnFolder(folder)) {
        case FolderCheck::Own: break;
        case FolderCheck::Missing:
        case FolderCheck::NotFolder: throw MakeFsError(kPathNotFound);
        case FolderCheck::Link: throw MakeFsError(kPermissionDenied);
        case FolderCheck::Failed: throw FsErrorFromPlatform(GetLastError(), kPathNotFound);
    }
    std::optional<RunTimeError> failure;
    RemoveTree(folder, force, failure);
    if (failure) throw *failure;
}

void FileSystemObject::CreateFolder(const std::string& path) const { CreateFolder(text::Wide(path)); }

void FileSystemObject::CreateFolder(const std::wstring& path) const {
    const CanonicalPath canonical = Canonical(path, RelativePaths::Resolve);
    if (!canonical) throw MakeFsError(kPathNotFound);
    if (!CreateDirectoryW(CallablePath(canonical.path).c_str(), nullptr))
        throw FsErrorFromPlatform(GetLastError(), kPathNotFound);
}

void FileSystemObject::CopyFolder(const std::string& source, const std::string& destination, bool overwrite) const {
    CopyFolder(text::Wide(source), text::Wide(destination), overwrite);
}

void FileSystemObject::CopyFolder(const std::wstring& source, const std::wstring& destination, bool overwrite) const {
    const CanonicalPath from = Canonical(source, RelativePaths::Resolve);
    if (!from || !FolderExists(from.path)) throw MakeFsError(kPathNotFound);
    if (destination.empty()) throw MakeFsError(kPathNotFound);
    std::wstring to = destination;
    // "X\" receives a copy named like the source.
    if (to.back() == L'\\' || to.back() == L'/') {
        const size_t cut = from.path.find_last_of(L'\\');
        to += from.path.substr(cut + 1);
    }
    const CanonicalPath target = Canonical(to, RelativePaths::Resolve);
    if (!target || target.IsRoot()) throw MakeFsError(kPathNotFound);
    // A copy into the source itself would never end, by whatever letter or
    // spelling the two are named.
    const auto sourceId = IdentityOf(from.path);
    if (SameOrBelow(from.path, target.path) || (sourceId && LineageOf(target.path).IsOrIsBelow(*sourceId)))
        throw MakeFsError(kInvalidArgument);
    CopyTree(from.path, target.path, overwrite);
}

FileSystemObject& gFSO() {
    static FileSystemObject fso;
    return fso;
}

}  // namespace tidvex::fs
