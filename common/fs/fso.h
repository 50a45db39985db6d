// The program's file-system object: deletes, existence tests, the extension of
// a name, and folder creation and copying. Every path is taken literally (a
// "*" or "?" names no file), and the deletes refuse what they must never touch.
#pragma once

// DeleteFile below is spelt like the platform's macro; the header that defines
// the macro comes first everywhere, so every user sees the same name.
#include <windows.h>

#include "errors/run_time_error.h"

#include <string>

namespace tidvex::fs {

// The numbers of the failures below (errors/run_time_error.h).
using enum RunTimeErrorNumber;

// The error for a number, with its description text.
RunTimeError MakeFsError(int number);
// The error for a platform failure code; `notFound` is the number for a missing item.
RunTimeError FsErrorFromPlatform(DWORD code, int notFound = kFileNotFound);

class FileSystemObject {
public:
    // True only for an existing file (not a folder).
    bool FileExists(const std::string& path) const;
    bool FileExists(const std::wstring& path) const;
    // True only for an existing folder (a drive root is one).
    bool FolderExists(const std::string& path) const;
    bool FolderExists(const std::wstring& path) const;
    // The text after the last "." of the path's last part; "" when it has none.
    std::string GetExtensionName(const std::string& path) const;

    // Deletes one file; with `force` a read-only one too. A file with other
    // names loses this name only. Throws RunTimeError: kInvalidArgument for an empty,
    // relative or root path, kFileNotFound when there is no such file,
    // kPermissionDenied for a read-only file without `force`, for a link (its
    // target is never touched), a device or an administrative share, and when
    // the file cannot be deleted. The path is made canonical (fs/canonical.h).
    void DeleteFile(const std::string& path, bool force = false) const;
    void DeleteFile(const std::wstring& path, bool force = false) const;

    // Deletes a folder with everything in it; with `force` read-only items too.
    // Links inside are never followed nor removed (the folder then stays); a
    // folder reached through a link, the named one or one inside, is left whole.
    // Everything that can go goes; then the first failure is thrown (RunTimeError:
    // kInvalidArgument as above, kPathNotFound when there is no such folder,
    // kPermissionDenied for a link, a read-only item without `force`, or an
    // item that cannot be deleted).
    void DeleteFolder(const std::string& path, bool force = false) const;
    void DeleteFolder(const std::wstring& path, bool force = false) const;

    // Creates one folder. Throws RunTimeError kFileAlreadyExists when something of
    // that name exists, kPathNotFound when its parent folder does not.
    void CreateFolder(const std::string& path) const;
    void CreateFolder(const std::wstring& path) const;

    // Copies a folder with its contents. `destination` ending in "\" receives a
    // copy named like the source; otherwise it becomes the copy (created when
    // missing, merged into when present). Existing files are replaced only with
    // `overwrite`. Links in the source are not followed. Nothing is written
    // through a link at the destination (a file or a folder, or one on the way)
    // nor into a file with other names: the copy stops there with
    // kPermissionDenied. Stops at the first failure (RunTimeError: kPathNotFound
    // for a missing source, kFileAlreadyExists, kPermissionDenied,
    // kInvalidArgument for a copy into the source itself).
    void CopyFolder(const std::string& source, const std::string& destination, bool overwrite = true) const;
    void CopyFolder(const std::wstring& source, const std::wstring& destination, bool overwrite = true) const;
};

// The program's one file-system object, created on first use.
FileSystemObject& gFSO();

}  // namespace tidvex::fs
