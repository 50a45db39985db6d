// Shredding a folder tree: every file through the file wiper, the subfolders by
// the options, each emptied subfolder renamed to a fresh name and removed; the
// system's own folders are never shredded. Also the restore-point folders of
// every fixed drive. Links are never walked into, written or removed.
#pragma once

#include "fs/paths.h"
#include "fs/protected_folders.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fraxil {

class ShredderCore;

// 0 = a listed folder or one of its subfolders; 1 = quiet (restore-point
// folders and everything below a level 1 or 2 folder); 2 = a subfolder of a
// Recycle Bin folder.
enum FolderLevel : int { kListedFolder = 0, kQuietFolder = 1, kRecycleBinFolder = 2 };

enum class FolderResult {
    Done,    // walked to its end
    Kept,    // skipped (a system folder, or one marked as such), or holds one or
             // anything else that stays: it keeps its name and its place, and so
             // does every folder above it
    Failed,  // could not be read (reported): what is above it goes on, but keeps it
    Stop,    // aborted, or a file could not be positioned: the session stops
};

// The bytes of every file below `folder`, links not followed; unreadable entries count 0.
uint64_t TreeBytes(const std::wstring& folder);

// The C library's error number for a platform failure of a folder removal, and its text.
int ErrnoOfRemoval(unsigned long platformError);

class FolderShredder {
public:
    explicit FolderShredder(ShredderCore& core);

    FolderResult ShredFolder(const std::wstring& path, bool isSystemFolder, int level);

    // The system folder that `path` is, compared as canonical paths (letter
    // case, prefixes such as "\\?\", "." and "..", closing "\" do not
    // matter) and by identity with every protected folder
    // (fs/protected_folders.h), whatever letter leads there; empty when none.
    std::string SystemFolderOf(const std::wstring& path) const;
    // Forgets the protected folders: they are read anew when the session
    // about to run first asks.
    void ForgetProtectedFolders();

    // Removes `path` when it holds nothing any more; the platform's error when
    // that failed, 0 when it was removed or is not empty (then it stays).
    unsigned long RemoveIfEmpty(const std::wstring& path);
    // "Unable to remove folder:\n<path>\n\n" and, when `withCode`, "Error code: <errno> (<text>)."
    std::string RemovalFailureText(const std::wstring& path, unsigned long platformError, bool withCode) const;

    // The "System Volume Information" folder of every fixed drive, quietly; each
    // left empty is removed (a failure is fired as error 31043, not logged).
    void ShredSystemVolumeInformation();

private:
    // The canonical path a listed folder is walked by, into `path`; or what it
    // is when it is skipped or cannot be reached (reported).
    std::optional<FolderResult> AdmitListedFolder(const std::wstring& listed, bool isSystemFolder,
                                                  std::wstring& path);
    // The entries of a folder that is no link; nothing when it is one or cannot be read (reported).
    std::optional<std::vector<tidvex::fs::WideFolderEntry>> ReadOwnFolder(const std::wstring& path,
                                                                         const std::string& shown);
    // Every file, and every subfolder when they are walked: Stop, Kept when a
    // subfolder stays, else Done.
    FolderResult ShredEntries(const std::wstring& path, const std::vector<tidvex::fs::WideFolderEntry>& entries,
                              int level);
    // False when the session stops.
    bool ShredEntryFile(const std::wstring& full, int level);
    FolderResult ShredSubfolder(const std::wstring& parent, const std::wstring& full,
                                const tidvex::fs::WideFolderEntry& entry, const tidvex::fs::LinkProbe& probe,
                                int level);
    void ReportUnreachable(const std::string& shown);
    // Renamed to a fresh name and removed; one that cannot be removed gets its name back.
    void RemoveSubfolder(const std::wstring& parent, const std::wstring& subfolder, int level);
    // Whether the folder still holds an entry after its walk, or cannot be read to tell.
    static bool KeepsEntries(const std::wstring& path);

    ShredderCore& core_;
    mutable std::optional<tidvex::fs::ProtectedFolders> protected_;
};

}  // namespace fraxil
