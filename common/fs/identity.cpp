#include "fs/identity.h"

#include "fs/canonical.h"
#include "handles/handles.h"

namespace tidvex::fs {

namespace {

handles::File OpenToTell(const std::wstring& canonical) {
    return handles::File(CreateFileW(CallablePath(canonical).c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

void AddFoldersOf(const std::wstring& canonical, IdentityCache& cache, std::vector<FileIdentity>& out) {
    for (std::wstring folder = ParentOf(canonical); !folder.empty(); folder = ParentOf(folder)) {
        if (const auto id = cache.Of(folder)) out.push_back(*id);
    }
}

}  // namespace

bool SameIdentity(const FileIdentity& a, const FileIdentity& b) {
    return a.index == b.index && (a.volume == b.volume || a.volume == 0 || b.volume == 0);
}

std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
    return FileIdentity{info.dwVolumeSerialNumber,
                        (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

std::optional<FileIdentity> IdentityOf(const std::wstring& canonical) {
    if (canonical.empty()) return std::nullopt;
    const handles::File handle = OpenToTell(canonical);
    if (!handle) return std::nullopt;
    return IdentityOfHandle(handle.Get());
}

bool IdentityCache::NoCase::operator()(const std::wstring& a, const std::wstring& b) const {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_LESS_THAN;
}

std::optional<FileIdentity> IdentityCache::Of(const std::wstring& canonical) {
    const auto known = known_.find(canonical);
    if (known != known_.end()) return known->second;
    return known_[canonical] = IdentityOf(canonical);
}

bool Lineage::IsOrIsBelow(const FileIdentity& id) const {
    return (self && SameIdentity(*self, id)) || IsBelow(id);
}

bool Lineage::IsBelow(const FileIdentity& id) const {
    for (const FileIdentity& folder : above) {
        if (SameIdentity(folder, id)) return true;
    }
    return false;
}

Lineage LineageOf(const std::wstring& canonical, IdentityCache* cache) {
    IdentityCache own;
    IdentityCache& ids = cache ? *cache : own;
    Lineage lineage;
    lineage.self = ids.Of(canonical);
    AddFoldersOf(canonical, ids, lineage.above);
    // The deepest item of the path that exists tells where the path really
    // leads: its final path, and the folders of that.
    for (std::wstring existing = canonical; !existing.empty(); existing = ParentOf(existing)) {
        const handles::File handle = OpenToTell(existing);
        if (!handle) continue;
        const auto final = FinalPathOfHandleCanonical(handle.Get());
        const CanonicalPath where = final ? Canonical(*final, RelativePaths::Refuse, NameReading::Plain) : CanonicalPath{};
        if (!where || SamePath(where.path, existing)) break;
        if (existing != canonical) {
            if (const auto id = ids.Of(where.path)) lineage.above.push_back(*id);
        }
        AddFoldersOf(where.path, ids, lineage.above);
        break;
    }
    return lineage;
}

std::wstring ParentOf(const std::wstring& canonical) {
    const CanonicalPath path{canonical, PathRefusal::None};
    if (path.IsRoot()) return {};
    const size_t cut = canonical.find_last_of(L'\\');
    if (cut == std::wstring::npos) return {};
    // "C:\a" -> "C:\": a drive's root keeps its "\".
    if (cut == 2 && canonical[1] == L':') return canonical.substr(0, 3);
    return canonical.substr(0, cut);
}

}  // namespace tidvex::fs
