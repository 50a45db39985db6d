#include "folder_shredder.h"

#include "shredder_core.h"

#include "fs/canonical.h"
#include "fs/guarded_file.h"
#include "fs/paths.h"
#include "text/text.h"

#include <cerrno>
#include <cstring>

namespace fraxil {

namespace fs = tidvex::fs;
using tidvex::text::Narrow;
using tidvex::text::Wide;

uint64_t TreeBytes(const std::wstring& folder) {
    auto entries = fs::ListFolder(folder);
    if (!entries) return 0;
    fs::LinkProbe probe(folder);
    uint64_t bytes = 0;
    for (const fs::WideFolderEntry& e : *entries) {
        if (!(e.attributes & FILE_ATTRIBUTE_DIRECTORY))
            bytes += e.size;
        else if (!probe.IsLink(e.name, e.attributes))
            bytes += TreeBytes(fs::JoinPath(folder, e.name));
    }
    return bytes;
}

int ErrnoOfRemoval(unsigned long platformError) {
    switch (platformError) {
        case ERROR_DIR_NOT_EMPTY: return ENOTEMPTY;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME: return ENOENT;
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION:
        case ERROR_CURRENT_DIRECTORY: return EACCES;
        default: return EINVAL;
    }
}

FolderShredder::FolderShredder(ShredderCore& core) : core_(core) {}

std::string FolderShredder::SystemFolderOf(const std::wstring& path) const {
    // Read as the system reads it: "C:\Windows." is the Windows folder to whatever opens it.
    const fs::CanonicalPath full = fs::Canonical(path, fs::RelativePaths::Resolve, fs::NameReading::Plain);
    if (!full) return {};
    for (const std::wstring& folder : core_.SystemFolderList()) {
        if (folder.empty()) continue;
        const fs::CanonicalPath system = fs::Canonical(folder, fs::RelativePaths::Resolve);
        if (system && fs::SamePath(full.path, system.path)) return Narrow(folder);
    }
    if (!protected_) protected_ = fs::ProtectedFolders::Read({Wide(core_.Settings().ApplicationPath())});
    if (const auto kept = protected_->Match(full.path)) return Narrow(*kept);
    return {};
}

void FolderShredder::ForgetProtectedFolders() { protected_.reset(); }

std::string FolderShredder::RemovalFailureText(const std::wstring& path, unsigned long platformError,
                                               bool withCode) const {
    MessageLog& log = core_.Messages();
    std::string text = FillPlaceholders(log.LookupMessage(31043), {{'s', Narrow(path)}});
    if (withCode) {
        const int code = ErrnoOfRemoval(platformError);
        text += FillPlaceholders(log.LookupMessage(31044), {{'u', std::to_string(code)}, {'s', std::strerror(code)}});
    }
    return text;
}

unsigned long FolderShredder::RemoveIfEmpty(const std::wstring& path) {
    auto entries = fs::ListFolder(path);
    if (!entries || !entries->empty()) return 0;
    fs::FileOutcome outcome = fs::RemoveEmptyFolder(path);
    if (outcome.Done()) return 0;
    return outcome.refusal == fs::FileRefusal::Failed ? outcome.error : ERROR_ACCESS_DENIED;
}

void FolderShredder::RemoveSubfolder(const std::wstring& parent, const std::wstring& subfolder, int level) {
    if (level == kRecycleBinFolder) return;
    if (level == kListedFolder && core_.Settings().FlagValue(Flag::RemoveSubFolder) == 0) return;
    // Renamed first, so that the directory keeps nothing of its name.
    std::wstring target = subfolder;
    if (std::optional<std::wstring> temp = ReserveTempName(parent)) {
        fs::DeleteFileName(*temp, false);  // the empty file that reserved the name
        if (fs::RenameFolder(subfolder, *temp).Done()) target = *temp;
    }
    fs::FileOutcome outcome = fs::RemoveEmptyFolder(target);
    if (outcome.Done()) return;
    // Something no listing shows (a link to nothing) or that came meanwhile
    // keeps it: it gets its name back, and the report names where it is.
    if (target != subfolder && fs::RenameFolder(target, subfolder).Done()) target = subfolder;
    if (level != kListedFolder) return;
    const unsigned long error = outcome.refusal == fs::FileRefusal::Failed ? outcome.error : ERROR_ACCESS_DENIED;
    core_.Messages().ReportError(31043, RemovalFailureText(target, error, true));
}

bool FolderShredder::KeepsEntries(const std::wstring& path) {
    auto entries = fs::ListFolder(path);
    return !entries || !entries->empty();
}

FolderResult FolderShredder::ShredFolder(const std::wstring& listed, bool isSystemFolder, int level) {
    if (core_.Wiper().AbortRequested()) return FolderResult::Stop;
    std::wstring path = listed;
    if (level == kListedFolder) {
        if (const std::optional<FolderResult> refused = AdmitListedFolder(listed, isSystemFolder, path))
            return *refused;
    }
    const auto entries = ReadOwnFolder(path, Narrow(listed));
    if (!entries) return FolderResult::Failed;
    const FolderResult walked = ShredEntries(path, *entries, level);
    if (walked == FolderResult::Stop || core_.Wiper().AbortRequested()) return FolderResult::Stop;
    // What stays in it (a refused link, a file in use or with other names, a
    // subfolder that stays) keeps the folder, its name and place, like a
    // skipped folder; and so every folder above it.
    return walked == FolderResult::Kept || KeepsEntries(path) ? FolderResult::Kept : FolderResult::Done;
}

std::optional<FolderResult> FolderShredder::AdmitListedFolder(const std::wstring& listed, bool isSystemFolder,
                                                              std::wstring& path) {
    MessageLog& log = core_.Messages();
    const std::string shown = Narrow(listed);
    // A listed folder is judged and walked by its canonical path: no prefix,
    // ".." or short name makes it another folder than the one that is checked.
    // A device, an administrative share, a root or a name no folder has is
    // refused like a folder that cannot be reached.
    // A system folder is skipped by whatever name reaches it.
    const std::string system = SystemFolderOf(listed);
    if (!system.empty()) {
        log.ReportMessage(FillPlaceholders(log.LookupMessage(31039), {{'s', system}}));
        return FolderResult::Kept;
    }
    const fs::CanonicalPath canonical = fs::Canonical(listed, fs::RelativePaths::Resolve);
    if (!canonical || canonical.IsRoot()) {
        ReportUnreachable(shown);
        return FolderResult::Failed;
    }
    path = canonical.path;
    if (isSystemFolder) {
        log.ReportWarning(FillPlaceholders(log.LookupMessage(31040), {{'s', shown}}));
        if (core_.Settings().FlagValue(Flag::ShredHiddenAndSystemFiles) == 0) return FolderResult::Kept;
    }
    return std::nullopt;
}

std::optional<std::vector<fs::WideFolderEntry>> FolderShredder::ReadOwnFolder(const std::wstring& path,
                                                                             const std::string& shown) {
    auto entries = fs::ListFolder(path);
    if (!entries) {
        MessageLog& log = core_.Messages();
        log.ReportError(31011, FillPlaceholders(log.LookupMessage(31011), {{'s', shown}}));
        return std::nullopt;
    }
    if (fs::IsLink(path)) {
        // What it leads to is not the folder that was named.
        ReportUnreachable(shown);
        return std::nullopt;
    }
    return entries;
}

FolderResult FolderShredder::ShredEntries(const std::wstring& path, const std::vector<fs::WideFolderEntry>& entries,
                                          int level) {
    FileWiper& wiper = core_.Wiper();
    const bool walkSubfolders = level != kListedFolder || core_.Settings().FlagValue(Flag::ShredSubFolder) != 0;
    fs::LinkProbe probe(path);
    bool kept = false;
    for (const fs::WideFolderEntry& e : entries) {
        if (wiper.AbortRequested()) return FolderResult::Stop;
        const std::wstring full = fs::JoinPath(path, e.name);
        if (!(e.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            if (!ShredEntryFile(full, level)) return FolderResult::Stop;
            continue;
        }
        if (!walkSubfolders) continue;
        // A subfolder that cannot be read is reported and kept; the rest of this folder goes on.
        switch (ShredSubfolder(path, full, e, probe, level)) {
            case FolderResult::Stop: return FolderResult::Stop;
            case FolderResult::Kept: kept = true; break;
            case FolderResult::Failed:
            case FolderResult::Done: break;
        }
    }
    return kept ? FolderResult::Kept : FolderResult::Done;
}

bool FolderShredder::ShredEntryFile(const std::wstring& full, int level) {
    FileWiper& wiper = core_.Wiper();
    ShredRequest request;
    request.path = full;
    request.quietLevel = level == kListedFolder ? 0 : 1;
    return wiper.ShredFile(request) == kShredContinue && !wiper.AbortRequested();
}

FolderResult FolderShredder::ShredSubfolder(const std::wstring& parent, const std::wstring& full,
                                            const fs::WideFolderEntry& entry, const fs::LinkProbe& probe,
                                            int level) {
    // One that cannot be told any more is looked at below, which reports it as it finds it.
    if (probe.TellLink(entry.name, entry.attributes).value_or(false)) {
        ReportUnreachable(Narrow(full));
        return FolderResult::Failed;
    }
    const int subLevel = level == kListedFolder ? kListedFolder : kQuietFolder;
    const FolderResult result = ShredFolder(full, (entry.attributes & FILE_ATTRIBUTE_SYSTEM) != 0, subLevel);
    if (result == FolderResult::Done) RemoveSubfolder(parent, full, level);
    return result;
}

void FolderShredder::ReportUnreachable(const std::string& shown) {
    MessageLog& log = core_.Messages();
    log.ReportError(31034, FillPlaceholders(log.LookupMessage(31034), {{'s', shown}}));
}

void FolderShredder::ShredSystemVolumeInformation() {
    const FixedDriveTable drives = core_.DriveTable();
    for (size_t i = 0; i < drives.roots.size(); ++i) {
        if (core_.Wiper().AbortRequested()) return;
        if (drives.roots[i].empty()) continue;
        std::wstring path = L"A:\\System Volume Information";
        path[0] = static_cast<wchar_t>(L'A' + i);
        ShredFolder(path, false, kQuietFolder);
        if (unsigned long error = RemoveIfEmpty(path))
            core_.Messages().FireErrorEvent(31043, RemovalFailureText(path, error, true));
    }
}

}  // namespace fraxil
