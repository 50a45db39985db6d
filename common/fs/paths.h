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
// ("C:\a", "\\server\share\a", "\\?\C:\a"): one that has a canonical form
// (fs/canonical.h) other than a root. False for the empty path, relative paths
// ("a", "C:a", "\a", which depend on the current folder or drive), roots
// ("C:\", "\\server\share", "C:\a\.."), device paths ("\\.\X", "C:\a\NUL"),
// administrative shares and names no file can have.
bool IsFullPathBelowRoot(const std::string& path);
bool IsFullPathBelowRoot(std::wstring_view path);

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

// A path that a system call writes into a buffer: `call(buffer, size)` returns
// its length, or the size it needs when the buffer is too small. Empty when
// the call gives none.
template <typename Call>
std::wstring PathFromSystem(Call call) {
    std::wstring buffer(MAX_PATH + 1, L'\0');
    DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length >= buffer.size()) {
        buffer.assign(length + 1, L'\0');
        length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    }
    if (length == 0 || length >= buffer.size()) return {};
    buffer.resize(length);
    return buffer;
}

// The full path that the system makes of `path` ("." and ".." resolved, "/"
// turned into "\"), of any length; empty when it has none.
std::wstring FullPathName(const std::wstring& path);

// FullPathName without closing separators unless it is a bare root
// ("C:\"); empty when it has none.
std::wstring NormalizedFullPath(const std::wstring& path);

// The system's full path of `path` as the wide calls take it at any length
// (CallablePath of fs/canonical.h); a path given with "\\?\" or "\\.\" stays
// as it is. Empty when the path has no full form.
std::wstring CallableFullPath(const std::wstring& path);

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
// A name that the code page cannot hold is left out: its code-page form would
// name another entry, or none.
std::optional<std::vector<FolderEntry>> ListFolder(const std::string& folder);

// The same with the names as the file system holds them, whatever the code page.
struct WideFolderEntry {
    std::wstring name;
    DWORD attributes;
    std::uint64_t size;
};
std::optional<std::vector<WideFolderEntry>> ListFolder(const std::wstring& folder);

// The file system's own full path of what the path leads to, links resolved
// ("\\?\C:\a\b", "\\?\unix\tmp" for a place outside every drive), at any length.
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

// A folder read through one open: its canonical path, its final path in the
// same spelling (fs/canonical.h) and its entries (as ListFolder gives them). A
// walk that must tell links asks both of every folder; under Wine each open is
// a call to its server, dearer than reading the folder's entries.
struct WideFolderContents {
    std::wstring path;
    std::wstring finalPath;
    std::vector<WideFolderEntry> entries;
    // Reached through no link (ReachedWithoutLink of fs/canonical.h).
    bool IsOwn() const;
};
// Nothing when the folder cannot be opened or read, or its path has no
// canonical form (GetLastError tells).
std::optional<WideFolderContents> ReadFolder(const std::wstring& folder);

// The same in the code page: the final path as FinalPathOf gives it; entries
// whose names the code page cannot hold are left out.
struct FolderContents {
    std::string finalPath;
    std::vector<FolderEntry> entries;
};
std::optional<FolderContents> ReadFolder(const std::string& folder);

// Tells the entries of one folder that are links rather than files or folders
// of their own: reparse points (junctions, symbolic links), and also the Unix
// symbolic links to files under Wine, which carry no reparse attribute. Wine's
// delete follows such a link and removes what it points at, and an overwrite
// through it would write there, so a link is neither walked, written nor deleted.
//
// The folder itself is judged too: when it is reached through a link (its
// final path is not its canonical path), every entry of it counts as a link.
class LinkProbe {
public:
    explicit LinkProbe(const std::string& folder);
    explicit LinkProbe(const std::wstring& folder);
    // For a folder whose final path is known (ReadFolder read it): the folder
    // is not opened again.
    LinkProbe(const std::wstring& folder, std::wstring finalFolder);
    // The folder was opened and is reached through no link.
    bool FolderIsOwn() const;
    // `name` and `attributes` as the folder listing gives them.
    bool IsLink(const std::string& name, DWORD attributes) const;
    bool IsLink(const std::wstring& name, DWORD attributes) const;
    // The same, or nothing when the entry or the folder cannot be opened to
    // tell (GetLastError says why); IsLink takes that for a link.
    std::optional<bool> TellLink(const std::string& name, DWORD attributes) const;
    std::optional<bool> TellLink(const std::wstring& name, DWORD attributes) const;

private:
    std::wstring folder_;  // canonical
    std::optional<std::wstring> finalFolder_;
    mutable std::optional<bool> folderOwn_;
    DWORD folderError_ = 0;
};

// The same test for one path: true when it is a link, or when that cannot be told.
bool IsLink(const std::string& path);
bool IsLink(const std::wstring& path);

}  // namespace tidvex::fs
