#include "fs/canonical.h"

#include "fs/identity.h"
#include "fs/paths.h"
#include "handles/handles.h"
#include "text/text.h"

#include <vector>

namespace tidvex::fs {

namespace {

bool IsLetter(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z'); }

bool StartsNoCase(std::wstring_view s, std::wstring_view prefix) {
    return s.size() >= prefix.size() && SamePath(s.substr(0, prefix.size()), prefix);
}

bool EndsWithDotOrBlank(std::wstring_view s) { return !s.empty() && (s.back() == L'.' || s.back() == L' '); }

CanonicalPath Refused(PathRefusal refusal) { return {{}, refusal}; }

// Characters no name of a file or folder holds; ":" would name a stream.
bool HasForbidden(std::wstring_view segment) {
    for (wchar_t c : segment) {
        if (c < 32 || c == L'<' || c == L'>' || c == L':' || c == L'"' || c == L'|' || c == L'?' || c == L'*')
            return true;
    }
    return false;
}

// The names the system takes for devices in any folder ("NUL", "com1.txt", "con .log").
bool IsDeviceName(std::wstring_view segment) {
    std::wstring_view base = segment.substr(0, segment.find(L'.'));
    while (!base.empty() && base.back() == L' ') base.remove_suffix(1);
    for (std::wstring_view name : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$", L"CLOCK$"}) {
        if (SamePath(base, name)) return true;
    }
    if (base.size() == 4 && (StartsNoCase(base, L"COM") || StartsNoCase(base, L"LPT"))) {
        const wchar_t n = base[3];
        return (n >= L'0' && n <= L'9') || n == L'\u00B9' || n == L'\u00B2' || n == L'\u00B3';
    }
    return false;
}

// The long name of an existing entry whose name may be a short one ("PROGRA~1").
std::wstring LongName(const std::wstring& folder, const std::wstring& segment) {
    WIN32_FIND_DATAW found;
    handles::Find find(FindFirstFileW(CallablePath(ChildPath(folder, segment)).c_str(), &found));
    if (!find || !found.cFileName[0]) return segment;
    const std::wstring name = found.cFileName;
    return name == L"." || name == L".." || HasForbidden(name) ? segment : name;
}

// The path as the system takes it letter for letter, no dot or blank dropped.
std::wstring LiteralPath(const std::wstring& full) {
    if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
    return L"\\\\?\\" + full;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// One name of a path: as kept, and as written when the system reads it otherwise.
struct Segment {
    std::wstring name;
    std::wstring written;  // empty when it is the name itself
};

// "C:" or "\server\share" of a canonical path: the length of that root.
size_t RootLength(std::wstring_view canonical) {
    if (canonical.size() >= 3 && canonical[1] == L':') return 3;
    const size_t server = canonical.find(L'\\', 2);
    if (server == std::wstring_view::npos) return canonical.size();
    const size_t share = canonical.find(L'\\', server + 1);
    return share == std::wstring_view::npos ? canonical.size() : share;
}

std::vector<std::wstring_view> NamesBelowRoot(std::wstring_view canonical) {
    std::vector<std::wstring_view> names;
    size_t from = RootLength(canonical);
    while (from < canonical.size()) {
        if (canonical[from] == L'\\') {
            ++from;
            continue;
        }
        size_t to = canonical.find(L'\\', from);
        if (to == std::wstring_view::npos) to = canonical.size();
        names.push_back(canonical.substr(from, to - from));
        from = to;
    }
    return names;
}

// The first `count` names below the root, joined to it.
std::wstring Prefix(std::wstring_view canonical, const std::vector<std::wstring_view>& names, size_t count) {
    std::wstring path(canonical.substr(0, RootLength(canonical)));
    for (size_t i = 0; i < count; ++i) path = ChildPath(path, names[i]);
    return path;
}

// What a folder listing says of the entry: a link carries the reparse-point
// mark there, also a Unix link under Wine, which an open handle does not show.
// An entry that cannot be listed counts as a link.
bool ListedAsLink(const std::wstring& canonical) {
    WIN32_FIND_DATAW found;
    handles::Find find(FindFirstFileW(CallablePath(canonical).c_str(), &found));
    return !find || (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

std::wstring WithBackslashes(std::wstring_view input) {
    std::wstring s(input);
    for (wchar_t& c : s) {
        if (c == L'/') c = L'\\';
    }
    return s;
}

// A path without its "\\?\", "\??\" or "\\.\" prefix, and whether the rest is taken letter for letter.
struct Spelling {
    std::wstring path;
    bool literal = false;
    PathRefusal refusal = PathRefusal::None;
};

// "\\?\" and "\??\" pass the rest to the file system as it stands; "\\.\" is
// read like a plain path. Each leads to a drive path, a share or a device.
Spelling WithoutPrefix(std::wstring s) {
    if (!StartsNoCase(s, L"\\\\?\\") && !StartsNoCase(s, L"\\??\\") && !StartsNoCase(s, L"\\\\.\\"))
        return {std::move(s)};
    const bool literal = s[2] == L'?' || s[1] == L'?';
    const std::wstring rest = s.substr(4);
    if (StartsNoCase(rest, L"UNC\\")) return {L"\\\\" + rest.substr(4), literal};
    if (rest.size() >= 3 && IsLetter(rest[0]) && rest[1] == L':' && rest[2] == L'\\') return {rest, literal};
    return {{}, literal, PathRefusal::Device};  // a volume, a disk, a pipe, "C:" itself
}

// The root of a path ("C:\", "\\server\share") and the rest below it; Relative
// when it has no root.
struct Rooted {
    std::wstring root;
    std::wstring tail;
    PathRefusal refusal = PathRefusal::None;
};

Rooted ShareRooted(const std::wstring& s) {
    const size_t serverEnd = s.find(L'\\', 2);
    if (serverEnd == std::wstring::npos) return {{}, {}, PathRefusal::NotCanonical};
    const std::wstring server = s.substr(2, serverEnd - 2);
    if (server == L"." || server == L"?") return {{}, {}, PathRefusal::Device};
    const size_t shareEnd = s.find(L'\\', serverEnd + 1);
    const std::wstring share = s.substr(serverEnd + 1, shareEnd == std::wstring::npos ? std::wstring::npos
                                                                                       : shareEnd - serverEnd - 1);
    if (server.empty() || share.empty() || HasForbidden(server) || HasForbidden(share) ||
        EndsWithDotOrBlank(share)) {
        return {{}, {}, PathRefusal::NotCanonical};
    }
    if (share.back() == L'$') return {{}, {}, PathRefusal::AdminShare};
    return {L"\\\\" + server + L"\\" + share, shareEnd != std::wstring::npos ? s.substr(shareEnd + 1) : std::wstring()};
}

Rooted SplitRoot(const std::wstring& s) {
    if (s.rfind(L"\\\\", 0) == 0) return ShareRooted(s);
    if (s.size() >= 3 && IsLetter(s[0]) && s[1] == L':' && s[2] == L'\\')
        return {std::wstring(1, static_cast<wchar_t>(s[0] & ~0x20)) + L":\\", s.substr(3)};
    return {{}, {}, PathRefusal::Relative};
}

CanonicalPath CanonicalOfRelative(const std::wstring& s, RelativePaths relative, NameReading reading) {
    if (relative == RelativePaths::Refuse) return Refused(PathRefusal::Relative);
    const std::wstring full = FullPathName(s);
    // The current folder gives a full path; "NUL" gives a device.
    if (full.empty() || !((full.size() >= 3 && full[1] == L':') || full.rfind(L"\\\\", 0) == 0))
        return Refused(PathRefusal::NotCanonical);
    return Canonical(full, RelativePaths::Refuse, reading);
}

// The names between the "\" of a tail, up to the last one that is not empty.
std::vector<std::wstring> SplitNames(const std::wstring& tail) {
    std::vector<std::wstring> segments;
    size_t from = 0;
    while (from <= tail.size()) {
        size_t to = tail.find(L'\\', from);
        if (to == std::wstring::npos) to = tail.size();
        segments.push_back(tail.substr(from, to - from));
        from = to + 1;
    }
    while (!segments.empty() && segments.back().empty()) segments.pop_back();
    return segments;
}

// The system drops trailing dots and blanks of the last name, and one dot of
// any other; a name that still ends so, or is nothing but dots, names no
// entry the same way in every call.
std::wstring AsTheSystemReads(std::wstring segment, bool lastName) {
    if (lastName) {
        while (EndsWithDotOrBlank(segment)) segment.pop_back();
    } else if (segment.back() == L'.') {
        segment.pop_back();
    }
    return segment;
}

PathRefusal RefusalOfName(const std::wstring& segment) {
    if (segment.empty() || EndsWithDotOrBlank(segment) || HasForbidden(segment)) return PathRefusal::NotCanonical;
    if (IsDeviceName(segment)) return PathRefusal::Device;
    return PathRefusal::None;
}

struct KeptNames {
    std::vector<Segment> kept;
    PathRefusal refusal = PathRefusal::None;
};

// The names left once "." and ".." are taken, each as the system reads it.
KeptNames KeepNames(const std::vector<std::wstring>& segments, bool literal) {
    KeptNames names;
    for (size_t i = 0; i < segments.size(); ++i) {
        const std::wstring& written = segments[i];
        if (written.empty() || written == L".") continue;
        if (written == L"..") {
            if (!names.kept.empty()) names.kept.pop_back();
            continue;
        }
        std::wstring segment = literal ? written : AsTheSystemReads(written, i + 1 == segments.size());
        const PathRefusal refusal = RefusalOfName(segment);
        if (refusal != PathRefusal::None) return {{}, refusal};
        const bool readsOtherwise = segment.size() != written.size();
        names.kept.push_back({std::move(segment), readsOtherwise ? written : std::wstring()});
    }
    return names;
}

// The kept names joined to the root, each by its long name.
CanonicalPath JoinLongNames(std::wstring path, const std::vector<Segment>& kept, NameReading reading) {
    for (const Segment& segment : kept) {
        // Only a name with "~" can be a short name.
        const std::wstring& name = segment.name;
        const std::wstring next = ChildPath(path, name.find(L'~') == std::wstring::npos ? name : LongName(path, name));
        // "data." leads to "data": when either is there, the one named is not
        // the one a call would reach.
        if (!segment.written.empty() && reading == NameReading::Exact &&
            (Exists(CallablePath(next)) || Exists(LiteralPath(ChildPath(path, segment.written)))))
            return Refused(PathRefusal::OtherName);
        path = next;
    }
    return {std::move(path), PathRefusal::None};
}

}  // namespace

const char* RefusalText(PathRefusal refusal) {
    switch (refusal) {
        case PathRefusal::None: return "";
        case PathRefusal::NoPath: return "no folder named";
        case PathRefusal::Relative: return "not a full path";
        case PathRefusal::Device: return "a device path";
        case PathRefusal::AdminShare: return "an administrative share";
        case PathRefusal::NotCanonical: return "a path that cannot be made canonical";
        case PathRefusal::OtherName: return "a name ending in a dot or blank, which the system reads as another item";
    }
    return "a path that cannot be made canonical";
}

bool CanonicalPath::IsRoot() const {
    if (!Ok()) return false;
    if (path.size() == 3 && path[1] == L':') return true;
    if (path.rfind(L"\\\\", 0) != 0) return false;
    const size_t server = path.find(L'\\', 2);
    return server != std::wstring::npos && path.find(L'\\', server + 1) == std::wstring::npos;
}

CanonicalPath Canonical(std::string_view path, RelativePaths relative, NameReading reading) {
    return Canonical(text::Wide(path), relative, reading);
}

CanonicalPath Canonical(std::wstring_view input, RelativePaths relative, NameReading reading) {
    if (input.find_first_not_of(L' ') == std::wstring_view::npos) return Refused(PathRefusal::NoPath);
    if (input.find(L'\0') != std::wstring_view::npos) return Refused(PathRefusal::NotCanonical);
    const Spelling spelling = WithoutPrefix(WithBackslashes(input));
    if (spelling.refusal != PathRefusal::None) return Refused(spelling.refusal);
    const Rooted rooted = SplitRoot(spelling.path);
    if (rooted.refusal == PathRefusal::Relative) return CanonicalOfRelative(spelling.path, relative, reading);
    if (rooted.refusal != PathRefusal::None) return Refused(rooted.refusal);
    const KeptNames names = KeepNames(SplitNames(rooted.tail), spelling.literal);
    if (names.refusal != PathRefusal::None) return Refused(names.refusal);
    return JoinLongNames(rooted.root, names.kept, reading);
}

bool SamePath(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) return false;
    if (a.empty()) return true;
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool SameOrBelow(std::wstring_view folder, std::wstring_view path) {
    if (folder.empty() || path.size() < folder.size()) return false;
    if (!SamePath(path.substr(0, folder.size()), folder)) return false;
    return path.size() == folder.size() || folder.back() == L'\\' || path[folder.size()] == L'\\';
}

std::wstring ChildPath(const std::wstring& folder, std::wstring_view name) {
    std::wstring out = folder;
    if (!out.empty() && out.back() != L'\\') out += L'\\';
    out += name;
    return out;
}

std::optional<std::wstring> FinalPathOfHandleCanonical(HANDLE handle) {
    std::optional<std::wstring> final = WideFinalPathOfHandle(handle);
    if (!final) return std::nullopt;
    std::wstring& buffer = *final;
    if (StartsNoCase(buffer, L"\\\\?\\UNC\\")) {
        buffer = L"\\\\" + buffer.substr(8);
    } else if (buffer.size() >= 6 && StartsNoCase(buffer, L"\\\\?\\") && IsLetter(buffer[4]) && buffer[5] == L':') {
        buffer.erase(0, 4);
    }
    while (buffer.size() > 3 && buffer.back() == L'\\') buffer.pop_back();
    return buffer;
}

bool ReachedWithoutLink(const std::wstring& canonical, const std::wstring& finalPath) {
    if (SamePath(finalPath, canonical)) return true;
    const CanonicalPath final = Canonical(finalPath, RelativePaths::Refuse, NameReading::Plain);
    if (!final) return false;
    // The names both paths end with are the same item below two folders: the
    // folder another drive letter leads to, and the letter's own root.
    const std::vector<std::wstring_view> names = NamesBelowRoot(canonical);
    const std::vector<std::wstring_view> finalNames = NamesBelowRoot(final.path);
    size_t same = 0;
    while (same < names.size() && same < finalNames.size() &&
           SamePath(names[names.size() - 1 - same], finalNames[finalNames.size() - 1 - same]))
        ++same;
    const size_t depth = names.size() - same;
    const size_t finalDepth = finalNames.size() - same;
    if (depth != 0 && finalDepth != 0) return false;
    const std::wstring folder = Prefix(canonical, names, depth);
    const auto folderId = IdentityOf(folder);
    const auto rootId = IdentityOf(Prefix(final.path, finalNames, finalDepth));
    if (!folderId || !rootId || !SameIdentity(*folderId, *rootId)) return false;
    if (depth == 0) return true;
    // The folder the letter leads to is a folder of its own, and so is every
    // one on the way to it: a link there would lead to the letter's root too.
    if (ListedAsLink(folder)) return false;
    return depth == 1 || FolderReachedWithoutLink(ParentOf(folder));
}

bool FolderReachedWithoutLink(const std::wstring& canonical) {
    const handles::File handle(CreateFileW(CallablePath(canonical).c_str(), FILE_READ_ATTRIBUTES,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    const auto final = handle ? FinalPathOfHandleCanonical(handle.Get()) : std::nullopt;
    return final && ReachedWithoutLink(canonical, *final);
}

bool IsPathOfHandle(HANDLE handle, const std::wstring& canonical) {
    const auto final = FinalPathOfHandleCanonical(handle);
    return final && ReachedWithoutLink(canonical, *final);
}

std::wstring CallablePath(const std::wstring& canonical) {
    // Room for the "\*" of a search and the longest short name.
    if (canonical.size() < MAX_PATH - 14) return canonical;
    if (canonical.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + canonical.substr(2);
    return L"\\\\?\\" + canonical;
}

FolderCheck CheckOwnFolder(const std::wstring& canonical) {
    handles::File folder(CreateFileW(CallablePath(canonical).c_str(), FILE_READ_ATTRIBUTES,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                     FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!folder) {
        const DWORD code = GetLastError();
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? FolderCheck::Missing
                                                                            : FolderCheck::Failed;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(folder.Get(), &info)) return FolderCheck::Failed;
    if (!(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return FolderCheck::NotFolder;
    const auto final = FinalPathOfHandleCanonical(folder.Get());
    if (!final) return FolderCheck::Failed;
    return ReachedWithoutLink(canonical, *final) ? FolderCheck::Own : FolderCheck::Link;
}

}  // namespace tidvex::fs
