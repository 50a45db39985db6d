#include "fs/guarded_file.h"

#include "fs/canonical.h"
#include "fs/paths.h"
#include "text/text.h"

#include <cwchar>
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

// Whether the open handle is the entry that the canonical path names itself:
// its final path is that path, so no link lies anywhere on the way, neither
// the entry nor a folder above it. The folder is not resolved on its own,
// which would follow a link on the way as far as the entry does.
bool NamesItself(HANDLE handle, const std::wstring& canonical) { return IsPathOfHandle(handle, canonical); }

// The guard's answer to a path without a canonical form: nothing of that name
// for a name no file can have, refused access for a device or another machine's
// administrative share.
struct PathRefused {
    FileRefusal refusal;
    DWORD error;
};
PathRefused RefusalOfPath(PathRefusal refusal) {
    switch (refusal) {
        case PathRefusal::Device:
        case PathRefusal::AdminShare: return {FileRefusal::Failed, ERROR_ACCESS_DENIED};
        default: return {FileRefusal::Missing, ERROR_INVALID_NAME};
    }
}

// Read as two small classes of information: the whole record of
// GetFileInformationByHandle also asks for the volume's serial number, which
// Wine fetches from its mount manager in another process, at about 0.4 ms a
// file; these two cost microseconds.
bool ReadFacts(HANDLE handle, FileFacts& facts) {
    FILE_BASIC_INFO basic;
    FILE_STANDARD_INFO standard;
    if (!GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic) ||
        !GetFileInformationByHandleEx(handle, FileStandardInfo, &standard, sizeof standard))
        return false;
    facts.attributes = basic.FileAttributes;
    facts.size = static_cast<std::uint64_t>(standard.EndOfFile.QuadPart);
    facts.names = standard.NumberOfLinks;
    return true;
}

// Whether two handles lead to one file: the same volume and the same index on it.
bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x, y;
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber && x.nFileIndexHigh == y.nFileIndexHigh &&
           x.nFileIndexLow == y.nFileIndexLow;
}

// The path as the file system's own calls take it ("\??\C:\a", "\??\UNC\server\share\a").
std::wstring SystemPath(const std::wstring& fullPath) {
    if (fullPath.rfind(L"\\\\?\\", 0) == 0) return L"\\??\\" + fullPath.substr(4);
    if (fullPath.rfind(L"\\\\", 0) == 0) return L"\\??\\UNC\\" + fullPath.substr(2);
    return L"\\??\\" + fullPath;
}

bool MarkForDeletion(HANDLE handle) {
    FILE_DISPOSITION_INFO disposition{TRUE};
    return SetFileInformationByHandle(handle, FileDispositionInfo, &disposition, sizeof disposition);
}

bool RenameHandle(HANDLE handle, const std::wstring& newPath, std::wstring& renamed) {
    const CanonicalPath canonical = Canonical(newPath, RelativePaths::Resolve);
    if (!canonical || canonical.IsRoot()) {
        SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    const std::wstring& full = canonical.path;
    const std::wstring target = SystemPath(full);
    std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + (target.size() + 1) * sizeof(wchar_t), 0);
    auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
    rename->ReplaceIfExists = FALSE;
    rename->RootDirectory = nullptr;
    rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    target.copy(rename->FileName, target.size());
    if (!SetFileInformationByHandle(handle, FileRenameInfo, rename, static_cast<DWORD>(buffer.size()))) return false;
    renamed = full;
    return true;
}

}  // namespace

GuardedFile GuardedFile::OpenEntry(const std::wstring& path, DWORD access, DWORD share, DWORD flags, Want want) {
    if (path.empty() || HasWildcards(path)) return GuardedFile(FileRefusal::Missing, ERROR_FILE_NOT_FOUND);
    // What is judged and changed is the canonical path: no prefix, short name
    // or ".." leads the guard anywhere else.
    const CanonicalPath canonical = Canonical(path, RelativePaths::Resolve);
    if (!canonical) {
        const PathRefused refused = RefusalOfPath(canonical.refusal);
        return GuardedFile(refused.refusal, refused.error);
    }
    // A root is no entry of a folder: neither a file nor a folder of its own.
    if (canonical.IsRoot()) return GuardedFile(FileRefusal::Link, 0);
    const std::wstring& full = canonical.path;

    // Backup semantics let a folder open, so that it is told apart from a file in use.
    handles::File handle(CreateFileW(CallablePath(full).c_str(), access, share, nullptr, OPEN_EXISTING,
                                     flags | FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!handle) {
        DWORD code = GetLastError();
        return GuardedFile(RefusalOfOpenError(code), code);
    }
    FileFacts facts;
    if (!ReadFacts(handle.Get(), facts)) return GuardedFile(FileRefusal::Failed, GetLastError());
    if ((facts.attributes & FILE_ATTRIBUTE_REPARSE_POINT) || !NamesItself(handle.Get(), full)) {
        return GuardedFile(FileRefusal::Link, 0);
    }
    const bool folder = facts.attributes & FILE_ATTRIBUTE_DIRECTORY;
    if (folder && want == Want::File) return GuardedFile(FileRefusal::Folder, ERROR_ACCESS_DENIED);
    if (!folder && want == Want::Folder) return GuardedFile(FileRefusal::Missing, ERROR_PATH_NOT_FOUND);
    GuardedFile file(FileRefusal::None, 0);
    file.handle_ = std::move(handle);
    file.path_ = full;
    file.facts_ = facts;
    return file;
}

GuardedFile GuardedFile::Open(const std::wstring& path, DWORD access, DWORD share, DWORD flags) {
    return OpenEntry(path, access, share, flags, Want::File);
}

GuardedFile GuardedFile::Open(const std::string& path, DWORD access, DWORD share, DWORD flags) {
    return Open(text::Wide(path), access, share, flags);
}

GuardedFile GuardedFile::OpenFolder(const std::wstring& path, DWORD access, DWORD share) {
    return OpenEntry(path, access, share, 0, Want::Folder);
}

GuardedFile GuardedFile::Reopen(DWORD access, DWORD share, DWORD flags) const {
    if (!Ok()) return GuardedFile(refusal_, error_);
    handles::File handle(ReOpenFile(handle_.Get(), access, share, flags));
    if (!handle) return GuardedFile(FileRefusal::Failed, GetLastError());
    FileFacts facts;
    if (!ReadFacts(handle.Get(), facts)) return GuardedFile(FileRefusal::Failed, GetLastError());
    if (!SameFile(handle.Get(), handle_.Get()) || !NamesItself(handle.Get(), path_)) {
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

bool GuardedFile::MarkForDeletion() { return fs::MarkForDeletion(handle_.Get()); }

bool GuardedFile::Rename(const std::wstring& newPath) { return RenameHandle(handle_.Get(), newPath, path_); }

bool GuardedFile::Rename(const std::string& newPath) { return Rename(text::Wide(newPath)); }

FileOutcome DeleteFileName(const std::wstring& path, bool force) {
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

FileOutcome DeleteFileName(const std::string& path, bool force) { return DeleteFileName(text::Wide(path), force); }

FileOutcome RenameFile(const std::wstring& from, const std::wstring& to) {
    GuardedFile file = GuardedFile::Open(from, DELETE | FILE_READ_ATTRIBUTES);
    if (!file) return {file.Refusal(), file.Error()};
    if (!file.Rename(to)) return {FileRefusal::Failed, GetLastError()};
    return {};
}

FileOutcome RenameFile(const std::string& from, const std::string& to) {
    return RenameFile(text::Wide(from), text::Wide(to));
}

FileOutcome RenameFolder(const std::wstring& from, const std::wstring& to) {
    GuardedFile folder = GuardedFile::OpenFolder(from, DELETE | FILE_READ_ATTRIBUTES);
    if (!folder) return {folder.Refusal(), folder.Error()};
    if (!folder.Rename(to)) return {FileRefusal::Failed, GetLastError()};
    return {};
}

FileOutcome RemoveEmptyFolder(const std::wstring& path) {
    GuardedFile folder = GuardedFile::OpenFolder(path, DELETE | FILE_READ_ATTRIBUTES);
    if (!folder) return {folder.Refusal(), folder.Error()};
    // The system refuses to mark a folder that still holds entries.
    if (!folder.MarkForDeletion()) return {FileRefusal::Failed, GetLastError()};
    return {};
}

namespace {

// What holds the name `path` (which has a folder part), judged by what opening it leads to.
FileRefusal HolderOf(const std::wstring& path) {
    const handles::File entry(CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                          FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!entry) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? FileRefusal::Missing : FileRefusal::Failed;
    }
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(entry.Get(), FileBasicInfo, &basic, sizeof basic) &&
        (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        return FileRefusal::Folder;
    }
    const size_t slash = path.find_last_of(L'\\');
    const handles::File folder(CreateFileW(path.substr(0, slash).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const auto finalEntry = WideFinalPathOfHandle(entry.Get());
    const auto finalFolder = folder ? WideFinalPathOfHandle(folder.Get()) : std::nullopt;
    // One that cannot be told from a file of its own counts as one.
    if (!finalEntry || !finalFolder || IsOwnEntry(*finalEntry, *finalFolder, path.substr(slash + 1)))
        return FileRefusal::None;
    return FileRefusal::Link;
}

}  // namespace

FileOutcome ReplaceLinkWithEmptyFile(const std::wstring& path) {
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {FileRefusal::Failed, ERROR_INVALID_NAME};
    switch (HolderOf(path)) {
        case FileRefusal::Link:
        case FileRefusal::Missing: break;
        case FileRefusal::Folder: return {FileRefusal::Folder, ERROR_ACCESS_DENIED};
        default: return {FileRefusal::Failed, ERROR_ACCESS_DENIED};
    }
    const std::wstring folder = path.substr(0, slash);
    const unsigned start = GetTickCount();
    for (unsigned i = 0; i < 100; ++i) {
        wchar_t name[32];
        std::swprintf(name, sizeof name / sizeof name[0], L"\\~link%08x.tmp", start + i);
        handles::File empty(CreateFileW((folder + name).c_str(), DELETE | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!empty) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return {FileRefusal::Failed, GetLastError()};
        }
        const std::wstring target = SystemPath(path);
        std::vector<char> buffer(sizeof(FILE_RENAME_INFO) + (target.size() + 1) * sizeof(wchar_t), 0);
        auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(buffer.data());
        rename->ReplaceIfExists = TRUE;
        rename->FileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
        target.copy(rename->FileName, target.size());
        if (SetFileInformationByHandle(empty.Get(), FileRenameInfo, rename, static_cast<DWORD>(buffer.size())))
            return {};
        const DWORD code = GetLastError();
        MarkForDeletion(empty.Get());
        return {FileRefusal::Failed, code};
    }
    return {FileRefusal::Failed, ERROR_FILE_EXISTS};
}

namespace {

// A file to write to: the path's own file when it exists, else a new one.
struct WriteTarget {
    GuardedFile existing;
    handles::File created;
    FileOutcome outcome;
    HANDLE Get() const { return existing ? existing.Get() : created.Get(); }
};

// Never a link, never a file with other names (Failed, ERROR_ACCESS_DENIED), and
// never a new file made through a link to nothing, which would make its target.
WriteTarget OpenToWrite(const std::wstring& path, DWORD access, DWORD share) {
    WriteTarget t;
    // Twice: a file that another writer created between the two tries is opened.
    for (int attempt = 0; attempt < 2; ++attempt) {
        t.existing = GuardedFile::Open(path, access, share);
        if (t.existing) {
            if (t.existing.HasOtherNames()) {
                t.existing = GuardedFile();
                t.outcome = {FileRefusal::Failed, ERROR_ACCESS_DENIED};
            }
            return t;
        }
        if (t.existing.Refusal() != FileRefusal::Missing) {
            t.outcome = {t.existing.Refusal(), t.existing.Error()};
            return t;
        }
        const CanonicalPath canonical = Canonical(path, RelativePaths::Resolve);
        t.created.Reset(CreateFileW(CallablePath(canonical.path).c_str(), access | DELETE, share, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (t.created) {
            // Made through a link to a folder somewhere else: what was made there goes again.
            if (!NamesItself(t.created.Get(), canonical.path)) {
                fs::MarkForDeletion(t.created.Get());
                t.created.Reset();
                t.outcome = {FileRefusal::Link, 0};
            }
            return t;
        }
        const DWORD code = GetLastError();
        if (code != ERROR_FILE_EXISTS && code != ERROR_ALREADY_EXISTS) {
            t.outcome = {FileRefusal::Failed, code};
            return t;
        }
    }
    t.outcome = {FileRefusal::Failed, ERROR_FILE_EXISTS};
    return t;
}

FileOutcome WriteAll(HANDLE target, std::string_view bytes) {
    DWORD written = 0;
    if (!WriteFile(target, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        return {FileRefusal::Failed, GetLastError()};
    if (written != bytes.size()) return {FileRefusal::Failed, ERROR_DISK_FULL};
    return {};
}

}  // namespace

FileOutcome WriteWholeFile(const std::wstring& path, std::string_view bytes) {
    WriteTarget target = OpenToWrite(path, GENERIC_WRITE, FILE_SHARE_READ);
    if (!target.outcome.Done()) return target.outcome;
    if (!SetEndOfFile(target.Get())) return {FileRefusal::Failed, GetLastError()};
    return WriteAll(target.Get(), bytes);
}

FileOutcome CopyFileGuarded(const std::wstring& from, const std::wstring& to, bool overwrite) {
    GuardedFile source = GuardedFile::Open(from, GENERIC_READ | FILE_READ_ATTRIBUTES, FILE_SHARE_READ);
    if (!source) return {source.Refusal(), source.Error()};
    FILE_BASIC_INFO marks{};
    if (!GetFileInformationByHandleEx(source.Get(), FileBasicInfo, &marks, sizeof marks))
        return {FileRefusal::Failed, GetLastError()};
    if (!overwrite) {
        const GuardedFile existing = GuardedFile::Open(to, FILE_READ_ATTRIBUTES);
        if (existing || existing.Refusal() != FileRefusal::Missing) return {FileRefusal::Failed, ERROR_FILE_EXISTS};
    }
    WriteTarget target = OpenToWrite(to, GENERIC_WRITE, 0);
    if (!target.outcome.Done()) return target.outcome;
    if (!SetEndOfFile(target.Get())) return {FileRefusal::Failed, GetLastError()};
    std::vector<char> buffer(64 * 1024);
    for (;;) {
        DWORD read = 0;
        if (!ReadFile(source.Get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read, nullptr))
            return {FileRefusal::Failed, GetLastError()};
        if (read == 0) break;
        FileOutcome written = WriteAll(target.Get(), std::string_view(buffer.data(), read));
        if (!written.Done()) return written;
    }
    // The copy keeps the original's marks and times, as the platform's copy does.
    if (!SetFileInformationByHandle(target.Get(), FileBasicInfo, &marks, sizeof marks))
        return {FileRefusal::Failed, GetLastError()};
    return {};
}

bool AppendText(const std::string& path, std::string_view text) { return AppendText(text::Wide(path), text); }

bool AppendText(const std::wstring& path, std::string_view text) {
    WriteTarget target = OpenToWrite(path, FILE_APPEND_DATA, kShareAll);
    FileOutcome outcome = target.outcome.Done() ? WriteAll(target.Get(), text) : target.outcome;
    if (!outcome.Done()) SetLastError(outcome.refusal == FileRefusal::Failed ? outcome.error : ERROR_ACCESS_DENIED);
    return outcome.Done();
}

bool AppendLine(const std::string& path, std::string_view line) { return AppendLine(text::Wide(path), line); }

bool AppendLine(const std::wstring& path, std::string_view line) {
    std::string text(line);
    text += "\r\n";
    return AppendText(path, text);
}

}  // namespace tidvex::fs
