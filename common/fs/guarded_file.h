// The one way a file is overwritten, renamed, appended to or deleted: through a
// handle that is proven to lead to the file the path names itself.
//
// Wine follows a Unix symbolic link to a file without a trace (the path looks like
// a plain file; only the handle's final path names the target), and its deletes,
// renames and attribute changes act on the target, not on the link. So the guard
// opens first and judges the open handle: a handle whose final path is not the
// path's own folder and name, or that carries the reparse-point attribute, is a
// link and is refused. Every later step uses that same handle, or a handle proven
// to be the same file, so what is judged is what is changed.
//
// A file with more than one name (a hard link) is one content under several
// names: the guard says so (HasOtherNames), and callers never overwrite or append
// to such a file; deleting one of its names leaves the others whole.
//
// Paths may be given in the system code page or in UTF-16; a name that the code
// page cannot hold is reached only through its UTF-16 path (its narrow form holds
// a "?", which names nothing here).
#pragma once

#include "handles/handles.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace tidvex::fs {

// Why the guard did not hand out a file.
enum class FileRefusal {
    None,    // the path's own file
    Missing, // nothing of that name (a link to nothing included)
    Folder,  // a folder, not a file
    Link,    // a link of any kind, or a file that can no longer be told from one
    Failed,  // could not be opened or changed (in use, access denied); the error tells
};

// What the guard read from an open file.
struct FileFacts {
    DWORD attributes = 0;
    std::uint64_t size = 0;
    DWORD names = 0;  // the number of names of its content
};

inline constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

class GuardedFile {
public:
    GuardedFile() = default;

    // Opens an existing `path` with `access` and `share` (and `flags`), and keeps
    // the handle only when it is the path's own file.
    static GuardedFile Open(const std::string& path, DWORD access, DWORD share = kShareAll, DWORD flags = 0);
    static GuardedFile Open(const std::wstring& path, DWORD access, DWORD share = kShareAll, DWORD flags = 0);

    // The same for a folder of its own, never a link to one nor a root (Link);
    // a file there is Missing to it.
    static GuardedFile OpenFolder(const std::wstring& path, DWORD access, DWORD share = kShareAll);

    // The same file opened once more with other rights; refused as a link when
    // the path no longer leads to that file.
    GuardedFile Reopen(DWORD access, DWORD share, DWORD flags = 0) const;

    bool Ok() const { return refusal_ == FileRefusal::None; }
    explicit operator bool() const { return Ok(); }
    FileRefusal Refusal() const { return refusal_; }
    // The platform's code for the refusal (ERROR_SHARING_VIOLATION, ...); 0 for a link.
    DWORD Error() const { return error_; }
    const FileFacts& Facts() const { return facts_; }
    bool HasOtherNames() const { return facts_.names > 1; }
    HANDLE Get() const { return handle_.Get(); }
    const std::wstring& Path() const { return path_; }

    // Need FILE_WRITE_ATTRIBUTES.
    bool SetAttributes(DWORD attributes);
    // Needs DELETE: the name goes when the last handle to it is closed. A
    // read-only file must have its mark cleared first.
    bool MarkForDeletion();
    // Needs DELETE: gives the file a new name in the same or another folder; an
    // existing file of that name is never replaced.
    bool Rename(const std::string& newPath);
    bool Rename(const std::wstring& newPath);
    void Close() { handle_.Reset(); }

private:
    enum class Want { File, Folder };
    static GuardedFile OpenEntry(const std::wstring& path, DWORD access, DWORD share, DWORD flags, Want want);
    GuardedFile(FileRefusal refusal, DWORD error) : refusal_(refusal), error_(error) {}

    handles::File handle_;
    std::wstring path_;
    FileRefusal refusal_ = FileRefusal::Missing;
    DWORD error_ = ERROR_FILE_NOT_FOUND;
    FileFacts facts_;
};

// The outcome of one guarded change: done, or refused and why.
struct FileOutcome {
    FileRefusal refusal = FileRefusal::None;
    DWORD error = 0;
    bool Done() const { return refusal == FileRefusal::None; }
};

// Deletes the name `path`, never a link's target. A read-only file needs
// `force` (else Failed with ERROR_ACCESS_DENIED). A file with other names keeps
// its content and its attributes under them.
FileOutcome DeleteFileName(const std::string& path, bool force);
FileOutcome DeleteFileName(const std::wstring& path, bool force);

// Renames the file `from` to `to` (which must not exist), never a link's target.
FileOutcome RenameFile(const std::string& from, const std::string& to);
FileOutcome RenameFile(const std::wstring& from, const std::wstring& to);

// Renames the folder `from` to `to` (which must not exist); never a link, never a root.
FileOutcome RenameFolder(const std::wstring& from, const std::wstring& to);

// Removes the folder `path` when it is empty (else Failed with
// ERROR_DIR_NOT_EMPTY); never a link, never a root.
FileOutcome RemoveEmptyFolder(const std::wstring& path);

// Takes the name `path` from the link to a file that holds it and gives it to a
// new empty file made beside it, so that the link goes and what it leads to is
// never touched: a rename replaces a name, it never follows one (Wine's delete
// of a link deletes its target). The path is taken as the wide calls take it
// ("\\?\unix\..." included). A name that a link to nothing, or nothing at all,
// holds gets the empty file too. Refused when the name is a folder or a link to
// one (Folder), or a file of its own (Failed with ERROR_ACCESS_DENIED).
FileOutcome ReplaceLinkWithEmptyFile(const std::wstring& path);

// Makes `path` hold exactly `bytes`: a missing file is created, a file of its
// own is cut and written. A link or a file with other names is never written
// to (Link / Failed with ERROR_ACCESS_DENIED).
FileOutcome WriteWholeFile(const std::wstring& path, std::string_view bytes);

// Copies the file `from` into `to`, created when missing and cut and written
// when it exists (only with `overwrite`; else Failed with ERROR_FILE_EXISTS),
// with the original's attributes and times. Neither a link at either end nor a
// file with other names at `to` is ever read or written (Link / Failed with
// ERROR_ACCESS_DENIED), and no new file is made through a link to nothing.
FileOutcome CopyFileGuarded(const std::wstring& from, const std::wstring& to, bool overwrite);

// Appends `text` as it is to the file, which is created when missing. A link or
// a file with other names is never written to: the text is lost, as it is when
// the file cannot be opened. False when not all of the text was written, with
// GetLastError telling why (ERROR_ACCESS_DENIED for a link or a shared file).
bool AppendText(const std::string& path, std::string_view text);
bool AppendText(const std::wstring& path, std::string_view text);
// The same with the line ended by CR LF.
bool AppendLine(const std::string& path, std::string_view line);
bool AppendLine(const std::wstring& path, std::string_view line);

}  // namespace tidvex::fs
