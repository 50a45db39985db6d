// The one canonical form of a path, which every check that decides whether a
// file or folder may be emptied, shredded, copied into or deleted compares, and
// which the operation then uses, so that what is judged is what is changed.
//
// A path reaches the same file in many spellings: with the prefixes "\\?\",
// "\??\", "\\.\" and "\\?\UNC\", with "/" for "\", with "." and "..", with
// trailing dots and blanks that the system drops, with 8.3 short names, in any
// letter case. The canonical form is the plain full path ("C:\a\b",
// "\\server\share\a"; a drive root keeps its "\": "C:\") with the long names of
// what exists. Letter case is kept as given: the file system ignores it, and so
// does every comparison here (SamePath, SameOrBelow).
//
// What has no such form is refused, and says why: a device ("\\.\PhysicalDrive0",
// "\\?\Volume{...}", "C:\x\NUL"), an administrative share ("\\host\C$\...",
// "\\host\ADMIN$"), a name that no file can have (wildcards, ":", a segment of
// dots), and a relative path unless the caller asks for it to be resolved
// against the current folder.
//
// The form is made from the text alone, except for short names, which are looked
// up, and names that end in dots or blanks: the system reads "data." and
// "data " as "data", another item than the one named when either exists, and
// such a path is refused rather than let a step act on that other item.
//
// It says nothing of links: a link anywhere on the way is found by opening the
// path and comparing the system's final path of the handle with the canonical
// one, where a drive letter that leads into another drive's folders is told
// from a link by the identity of the folders (CheckOwnFolder, IsPathOfHandle).
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

namespace tidvex::fs {

enum class PathRefusal {
    None,
    NoPath,        // empty or blank
    Relative,      // depends on the current folder or drive ("a", "\a", "C:a")
    Device,        // a device or volume rather than a file or folder
    AdminShare,    // a hidden administrative share of a machine ("C$", "ADMIN$")
    NotCanonical,  // no file or folder can be named so
    OtherName,     // a name ending in dots or blanks, which the system reads as another name
};

// The text a log line gives for a refusal ("a device path").
const char* RefusalText(PathRefusal refusal);

struct CanonicalPath {
    std::wstring path;
    PathRefusal refusal = PathRefusal::NoPath;

    bool Ok() const { return refusal == PathRefusal::None; }
    explicit operator bool() const { return Ok(); }
    // "C:\" or "\\server\share": a whole drive or share.
    bool IsRoot() const;
};

enum class RelativePaths { Refuse, Resolve };

// How a name ending in dots or blanks ("data.", "notes.log ") is taken. Exact:
// it is refused (OtherName) when the item the system reads it as, or the item
// of that exact name, exists; only the exact item named may be acted on, and
// no plain call reaches it. Plain: read as the system reads it, for a path
// that only protects what it names.
enum class NameReading { Exact, Plain };

CanonicalPath Canonical(std::wstring_view path, RelativePaths relative = RelativePaths::Refuse,
                        NameReading reading = NameReading::Exact);
// A path in the system code page.
CanonicalPath Canonical(std::string_view path, RelativePaths relative = RelativePaths::Refuse,
                        NameReading reading = NameReading::Exact);

// Equal canonical paths: letter case ignored, as the file system ignores it.
bool SamePath(std::wstring_view a, std::wstring_view b);
// `path` is `folder` or lies below it (both canonical).
bool SameOrBelow(std::wstring_view folder, std::wstring_view path);
// Joins a canonical folder and one name.
std::wstring ChildPath(const std::wstring& folder, std::wstring_view name);

// The system's final path of an open handle ("\\?\C:\a", "\\?\UNC\s\h\a") in
// the canonical spelling ("C:\a", "\\s\h\a"); a place outside every drive keeps
// a form no canonical path has. Nothing when it cannot be read.
std::optional<std::wstring> FinalPathOfHandleCanonical(HANDLE handle);

// Whether `finalPath`, the final path of what the canonical path leads to,
// shows that no link lies on the way: it is the canonical path itself, or it
// names the same item through another drive letter, which leads to a folder
// of the canonical path (the same identity, every name below it the same),
// and neither that folder nor one above it is a link.
bool ReachedWithoutLink(const std::wstring& canonical, const std::wstring& finalPath);
// The same for what the canonical path leads to, opened to be told; false when
// it cannot be opened.
bool FolderReachedWithoutLink(const std::wstring& canonical);

// Whether the open handle is what the canonical path names, reached through no
// link on the way (ReachedWithoutLink of its final path).
bool IsPathOfHandle(HANDLE handle, const std::wstring& canonical);

// A canonical path as the wide calls take it at any length ("\\?\C:\...",
// "\\?\UNC\..." beyond MAX_PATH, the path itself otherwise).
std::wstring CallablePath(const std::wstring& canonical);

// What opening a canonical folder path tells.
enum class FolderCheck {
    Own,        // a folder, reached through no link (ReachedWithoutLink)
    Missing,    // nothing there (nothing in it to lose)
    NotFolder,  // a file
    Link,       // the folder itself, or one on the way to it, is a link
    Failed,     // could not be opened to tell (GetLastError says why)
};
FolderCheck CheckOwnFolder(const std::wstring& canonical);

}  // namespace tidvex::fs
