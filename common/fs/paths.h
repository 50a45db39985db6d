// Path tests that every destructive operation makes before it touches anything.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tidvex::fs {

// True for a full path that names something below a drive or share root
// ("C:\a", "\\server\share\a", "\\?\C:\a"). False for the empty path, relative
// paths ("a", "C:a", "\a", which depend on the current folder or drive),
// roots ("C:\", "\\server\share", "C:\a\..") and device paths ("\\.\X").
bool IsFullPathBelowRoot(const std::string& path);

// Whether the path holds a character that a file search would take as a
// wildcard. Paths are taken literally, so such a path names nothing.
bool HasWildcards(const std::string& path);
bool HasWildcards(std::wstring_view path);

// The path without closing "\" or "/" (a bare root keeps its own).
std::string TrimTrailingSeparators(const std::string& path);

// The text after the last "\" or "/" of the trimmed path; the path itself when there is none.
std::string LastComponent(const std::string& path);

// Joins a folder and a name with exactly one "\".
std::string JoinPath(const std::string& folder, const std::string& name);
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// The path without closing "\" or "/" (a bare root keeps its own).
std::wstring TrimTrailingSeparators(const std::wstring& path);

// The full path that the system makes of `path` ("." and ".." resolved, "/"
// turned into "\"), of any length; empty when it has none.
std::wstring FullPathName(const std::wstring& path);

// FullPathName without closing separators unless it is a bare root
// ("C:\"); empty when it has none.
std::wstring NormalizedFullPath(const std::wstring& path);

// The full path in the form the wide file calls take at any length ("\\?\C:\a",
// "\\?\UNC\server\share\a"); a path in that form or a device path stays as it
// is. Empty when the path has no full form.
std::wstring ExtendedLengthPath(const std::wstring& path);

// Whether the path names the root of a drive or share ("C:\", "c:", "C:\.",
// "C:\Windows\..", "\\server\share\").
bool IsRootPath(const std::wstring& path);

// One entry of a folder listing.
struct FolderEntry {
    std::string name;
    DWORD attributes;
    std::uint64_t size;
};

// The entries of a folder except "." and "..", read in full before the caller
// changes anything; nothing when the folder cannot be listed (GetLastError tells).
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder);

// The same with the names as the file system holds them, whatever the code page.
struct WideFolderEntry {
    std::wstring name;
    DWORD attributes;
    std::uint64_t size;
};
std::optional<std::vector<WideFolderEntry>> ListFolder(const std::wstring& folder);

// The file system's own full path of what the path leads to, links resolved
// ("\\?\C:\a\b", "\\?\unix\tmp" for a place outside every drive). The wide
// forms reach any length; the code-page forms, like the platform's ANSI calls,
// only paths shorter than MAX_PATH (the same holds for LinkProbe and IsLink).
std::optional<std::string> FinalPathOf(const std::string& path);
std::optional<std::wstring> FinalPathOf(const std::wstring& path);
// The same for an open handle.
std::optional<std::string> FinalPathOfHandle(HANDLE handle);
std::optional<std::wstring> WideFinalPathOfHandle(HANDLE handle);

// Whether an entry whose final path is `finalEntry` is the entry `name` of the
// folder whose final path is `finalFolder` itself, rather than a link that
// leads somewhere else.
bool IsOwnEntry(const std::string& finalEntry, const std::string& finalFolder, const std::string& name);
bool IsOwnEntry(const std::wstring& finalEntry, const std::wstring& finalFolder, const std::wstring& name);

// A folder read through one open: its final path (as FinalPathOf gives it)
// and its entries (as ListFolder gives them). A walk that must tell links
// asks both of every folder; under Wine each open is a call to its server,
// dearer than reading the folder's entries.
struct FolderContents {
    std::string finalPath;
    std::vector<FolderEntry> entries;
};
// Nothing when the folder cannot be opened or read (GetLastError tells).
std::optional<FolderContents> ReadFolder(const std::string& folder);

// Tells the entries of one folder that are links rather than files or folders
// of their own: reparse points (junctions, symbolic links), and also the Unix
// symbolic links to files under Wine, which carry no reparse attribute. Wine's
// delete follows such a link and removes what it points at, and an overwrite
// through it would write there, so a link is neither walked, written nor deleted.
class LinkProbe {
public:
    explicit LinkProbe(const std::string& folder);
    explicit LinkProbe(const std::wstring& folder);
    // For a folder whose final path is known (ReadFolder read it): the folder
    // is not opened again.
    LinkProbe(const std::string& folder, std::string finalFolder);
    // `name` and `attributes` as the folder listing gives them.
    bool IsLink(const std::string& name, DWORD attributes) const;
    bool IsLink(const std::wstring& name, DWORD attributes) const;
    // The same, or nothing when the entry or the folder cannot be opened to
    // tell (GetLastError says why); IsLink takes that for a link.
    std::optional<bool> TellLink(const std::string& name, DWORD attributes) const;
    std::optional<bool> TellLink(const std::wstring& name, DWORD attributes) const;

private:
    std::wstring folder_;
    std::optional<std::wstring> finalFolder_;
    DWORD folderError_ = 0;
};

// The same test for one path: true when it is a link, or when that cannot be told.
bool IsLink(const std::string& path);
bool IsLink(const std::wstring& path);

}  // namespace tidvex::fs
