// What a file or folder is, whatever path reached it: its volume and its index
// on that volume, read from an open handle.
//
// Texts cannot tell it. A second drive letter may lead into another drive's
// folders (a "subst" drive, a share of the same disk; under Wine a letter of
// the prefix), so one folder has several full paths; and Wine's final path of
// a handle names the deepest letter that leads there, for every spelling, so
// even the final path of the ordinary spelling changes once such a letter
// exists. The identity stays: the same volume serial number and file index
// through either letter.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tidvex::fs {

struct FileIdentity {
    DWORD volume = 0;  // the volume's serial number; 0 when the system could not tell it
    std::uint64_t index = 0;
};

// One file or folder: the same index on the same volume. A volume the system
// could not tell (Wine answered 0 in a fresh prefix) matches any, so that a
// doubt makes two folders the same, which protects them, never different.
bool SameIdentity(const FileIdentity& a, const FileIdentity& b);

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle);
// What the canonical path leads to, links followed; nothing when it cannot be opened.
std::optional<FileIdentity> IdentityOf(const std::wstring& canonical);

// Identities read once for many lookups, by canonical path (letter case ignored):
// the folders above many paths are the same few.
class IdentityCache {
public:
    std::optional<FileIdentity> Of(const std::wstring& canonical);

private:
    struct NoCase {
        bool operator()(const std::wstring& a, const std::wstring& b) const;
    };
    std::map<std::wstring, std::optional<FileIdentity>, NoCase> known_;
};

// A file or folder and every folder that holds it, each by its identity.
struct Lineage {
    std::optional<FileIdentity> self;  // nothing when it does not exist
    std::vector<FileIdentity> above;   // its folders up to the root

    // `id` is the item itself or one of its folders.
    bool IsOrIsBelow(const FileIdentity& id) const;
    // `id` is one of its folders.
    bool IsBelow(const FileIdentity& id) const;
};

// The lineage of a canonical path: the folders of the path itself and of its
// final path (another letter or a link on the way may lead elsewhere), so that
// a folder holds it by whichever spelling reaches that folder.
Lineage LineageOf(const std::wstring& canonical, IdentityCache* cache = nullptr);

// The folder that holds a canonical path ("C:\a" for "C:\a\b", "C:\" for
// "C:\a"); empty for a root.
std::wstring ParentOf(const std::wstring& canonical);

}  // namespace tidvex::fs
