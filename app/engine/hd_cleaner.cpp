#include "engine/hd_cleaner.h"

#include "com/com_types.h"
#include "engine/progress_band.h"
#include "engine/text.h"
#include "engine/target_probe.h"
#include "fs/canonical.h"
#include "fs/fso.h"
#include "fs/paths.h"
#include "text/text.h"
#include "services/helpers.h"
#include "services/lists.h"
#include "services/logger.h"

#include <windows.h>
#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cctype>

namespace tidvex::engine {

namespace {

struct CategoryInfo {
    std::vector<std::string> extensions;
    const char* itemText;
};

// In the order of the lists (the custom category takes the user's extensions).
const CategoryInfo kCategories[kJunkCategoryCount] = {
    {{"log"}, "Cleaning Log Files"},
    {{"tmp", "_mp", "~mp"}, "Cleaning Temporary Files"},
    {{"$$$", "___", "dir"}, "Cleaning Unnecessary Files"},
    {{"chk"}, "Cleaning Check Disk Files"},
    {{"lnk"}, "Cleaning Broken link Files"},
    {{}, "Cleaning Custom Files"},
};
constexpr int kLog = 0, kBrokenLink = 4, kCustom = 5;

bool Contains(const std::vector<std::string>& list, const std::string& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

const char* const kScanTag = "SearchAndDestroy@clsHDCleaner";

// "X:\" for "x:", "x:\" or any other spelling of a drive's root ("\\?\x:\");
// anything else, a share or a device included, names no drive to clean.
std::wstring DriveRoot(const std::string& sDrive) {
    const std::string text = Trim(sDrive);
    const bool bare = text.size() == 2 && std::isalpha(static_cast<unsigned char>(text[0])) && text[1] == ':';
    const fs::CanonicalPath root = fs::Canonical(bare ? text + "\\" : text);
    if (!root.IsRoot() || root.path.size() != 3) throw RunTimeError(5, "Not a drive to clean: " + text);
    return root.path;
}

// The program's shredder: a file whose content other names share loses only its
// name, and the event log says so.
shred::ShredOptions ShredderOptions() {
    shred::ShredOptions options;
    options.nameOnlyDeleted = [](const std::string& path) {
        services::gLogger().LoggString(shred::NameOnlyDeletedNote(path));
    };
    return options;
}

}  // namespace

std::vector<std::string> ParseExtensionPattern(const std::string& pattern) {
    std::vector<std::string> extensions;
    size_t at = 0;
    while (at <= pattern.size()) {
        size_t end = pattern.find_first_of("*|;, \t", at);
        if (end == std::string::npos) end = pattern.size();
        std::string piece = pattern.substr(at, end - at);
        at = end + 1;
        if (!piece.empty() && piece[0] == '.') piece.erase(0, 1);
        // No extension of a file name holds a point, a wildcard or a separator.
        if (piece.empty() || piece.find_first_of(".?\\/:\"<>") != std::string::npos) continue;
        piece = Lower(piece);
        if (!Contains(extensions, piece)) extensions.push_back(piece);
    }
    return extensions;
}

clsHDCleaner::clsHDCleaner(std::string windowsFolder)
    : windowsFolder_(std::move(windowsFolder)), shredder_(ShredderOptions()) {}

std::string clsHDCleaner::DefaultWindowsFolder() { return services::GetWindowsFolder(); }

std::vector<std::string> clsHDCleaner::Collected(JunkCategory category) const {
    std::vector<std::string> shown;
    for (const std::wstring& path : lists_[static_cast<int>(category)]) shown.push_back(text::Narrow(path));
    return shown;
}

std::wstring clsHDCleaner::DriveToScan(const std::string& sDrive) const {
    // The session adds "\" to the first two characters of the drive box, so an
    // empty box arrives as "\".
    if (sDrive.find_first_not_of(" \t\\/") != std::string::npos) return DriveRoot(sDrive);
    const std::string windowsDrive = Trim(windowsFolder_).substr(0, 3);
    return DriveRoot(windowsDrive.empty() ? "C:\\" : windowsDrive);
}

void clsHDCleaner::Reset() { switches_.fill(false); }

void clsHDCleaner::CleanCustomFiles(const std::string& pattern) { custom_ = ParseExtensionPattern(pattern); }

std::string clsHDCleaner::Pattern() const {
    std::string pattern;
    for (int c = 0; c < kJunkCategoryCount; ++c) {
        const bool on = c == kCustom ? !custom_.empty() : switches_[c];
        if (!on) continue;
        if (c != kLog) pattern += "|";
        for (const auto& extension : c == kCustom ? custom_ : kCategories[c].extensions)
            pattern += "." + extension + "*";
    }
    return pattern;
}

void clsHDCleaner::StartClean(double& start, double range, const std::string& sDrive) {
    if (Pattern().empty()) return;
    const std::wstring root = DriveToScan(sDrive);

    ULARGE_INTEGER available{}, total{}, free{};
    usedBytes_ = GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)
                     ? static_cast<double>(total.QuadPart) - static_cast<double>(free.QuadPart)
                     : 0;
    for (auto& list : lists_) list.clear();
    safe_ = services::SafeIdentities(services::gMatchLists);

    stop_ = false;
    bandStart_ = start;
    scanShare_ = range * 0.7;
    RaiseEndType("Hard Drive Cleaner is scanning...");
    SearchAndDestroy(root);

    start = ClampToBand(bandStart_ + scanShare_, bandStart_, range);
    RaiseProgress(start);
    if (!stop_) DeleteCollectedFiles(start, range);
    RaiseProgress(bandStart_ + range);
}

void clsHDCleaner::SearchAndDestroy(const std::wstring& folder) {
    YieldTimes(5);
    if (stop_) return;

    // The folder is opened once, to be told and listed.
    std::optional<fs::WideFolderContents> contents;
    try {
        contents = fs::ReadFolder(folder);
        if (!contents) return LogNotExamined(GetLastError(), fs::ChildPath(folder, L""));
    } catch (...) {
        return services::gLogger().LoggError(CurrentError(), kScanTag, text::Narrow(fs::ChildPath(folder, L"")));
    }
    // A junction, mount point or symbolic link may lead anywhere, another drive
    // or back up this tree: it is never followed. The listing shows most as
    // reparse points; one that it does not show resolves elsewhere.
    if (!contents->IsOwn()) return;
    const std::wstring path = fs::ChildPath(contents->path, L"");
    std::string announced = text::Narrow(path);
    if (ScanningFolder) ScanningFolder(announced);

    std::vector<std::wstring> subfolders;
    const fs::LinkProbe links(contents->path, contents->finalPath);
    for (const auto& entry : contents->entries) {
        YieldTimes(5);
        try {
            if (!(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
                    subfolders.push_back(entry.name);
                } else {
                    Examine(links, path, entry);
                }
            }
        } catch (...) {
            services::gLogger().LoggError(CurrentError(), kScanTag, text::Narrow(path + entry.name));
        }
        YieldTimes(1);
    }
    for (const auto& sub : subfolders) SearchAndDestroy(path + sub);
}

void clsHDCleaner::Examine(const fs::LinkProbe& links, const std::wstring& folder, const fs::WideFolderEntry& file) {
    ++filesExamined_;
    bytesExamined_ += static_cast<double>(file.size);
    if (filesExamined_ % 100 == 0) {
        const double share = usedBytes_ > 0 ? std::clamp(bytesExamined_ / usedBytes_, 0.0, 1.0) : 0.0;
        RaiseProgress(bandStart_ + share * scanShare_);
    }

    // A name without an extension matches nothing: no token stands for it. An
    // extension the code page cannot hold matches no token either.
    const size_t dot = file.name.rfind(L'.');
    if (dot == std::wstring::npos || dot + 1 == file.name.size()) return;
    const std::optional<std::string> exact = text::NarrowExact(file.name.substr(dot + 1));
    if (!exact) return;
    const std::string extension = Lower(*exact);
    bool wanted = Contains(custom_, extension);
    for (int c = 0; c < kCustom && !wanted; ++c) wanted = switches_[c] && Contains(kCategories[c].extensions, extension);
    if (!wanted) return;

    const std::wstring path = folder + file.name;
    YieldTimes(5);
    // Only a file that would be collected is opened to tell whether it is a
    // link: Wine lists a Unix link to a file as a plain file.
    if (!IsOwnFile(links, folder, file)) return;
    if (extension == "lnk") {
        if (IsLinkBroken(path) && !IsSafe(path)) lists_[kBrokenLink].push_back(path);
        return;
    }
    if (IsSafe(path)) return;
    for (int c = 0; c < kJunkCategoryCount; ++c) {
        if (c == kBrokenLink) continue;
        if (Contains(c == kCustom ? custom_ : kCategories[c].extensions, extension)) lists_[c].push_back(path);
    }
}

bool clsHDCleaner::IsOwnFile(const fs::LinkProbe& links, const std::wstring& folder,
                             const fs::WideFolderEntry& file) const {
    const std::optional<bool> link = links.TellLink(file.name, file.attributes);
    if (!link) LogNotExamined(GetLastError(), folder + file.name);
    return link.has_value() && !*link;
}

void clsHDCleaner::LogNotExamined(DWORD error, const std::wstring& path) {
    // Every failure gets a line, also one that left no code behind.
    services::gLogger().LoggError(PlatformError(error != 0 ? error : ERROR_CANT_ACCESS_FILE), kScanTag,
                                  text::Narrow(path));
}

// The path as the file system gives it: a character of it that the code page
// lacks matches no character of an entry. An entry also keeps what it names
// under any other spelling.
bool clsHDCleaner::IsSafe(const std::wstring& path) {
    return services::IsItemInArray(std::wstring_view(path), services::gMatchLists.safeFiles, false) ||
           services::IsItemInArray(std::wstring_view(path), services::gMatchLists.safeFolders, true) ||
           safe_.Keeps(path);
}

void clsHDCleaner::DeleteCollectedFiles(double start, double range) {
    const double part = range * 0.3 / 6;
    for (int c = 0; c < kJunkCategoryCount; ++c) {
        if (c == kLog && !lists_[c].empty()) RaiseEndType(kCategories[c].itemText);
        for (const auto& path : lists_[c]) {
            // A file in use, gone or protected stays where it is.
            try {
                if (shred_) {
                    shredder_.FileShred(path);
                } else {
                    fs::gFSO().DeleteFile(path, true);
                }
            } catch (...) {
            }
        }
        if (c != kLog && (c == kCustom ? !custom_.empty() : switches_[c])) RaiseEndType(kCategories[c].itemText);
        start = c == kJunkCategoryCount - 1 ? bandStart_ + range : ClampToBand(start + part, bandStart_, range);
        RaiseProgress(start);
    }
}

void clsHDCleaner::RaiseProgress(double value) {
    if (Progress) Progress(value);
}

void clsHDCleaner::RaiseEndType(const std::string& type) {
    std::string text = type;
    if (EndCleaningType) EndCleaningType(text);
}

void clsHDCleaner::YieldTimes(int times) {
    for (int i = 0; i < times; ++i) yield_();
}

bool IsLinkBroken(const std::string& shortcut) { return IsLinkBroken(text::Wide(shortcut)); }

bool IsLinkBroken(const std::wstring& shortcut) {
    try {
        com::ComPtr<IShellLinkW> link;
        HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.PutVoid());
        if (FAILED(hr)) throw RunTimeError(hr, "The shell's shortcut object is not available");
        auto file = link.As<IPersistFile>(IID_IPersistFile);
        if (!file) throw RunTimeError(E_NOINTERFACE, "The shell's shortcut object cannot load files");
        hr = file->Load(shortcut.c_str(), STGM_READ);
        if (FAILED(hr)) throw RunTimeError(hr, "Cannot read the shortcut " + text::Narrow(shortcut));
        wchar_t target[MAX_PATH + 1] = {};
        WIN32_FIND_DATAW data{};
        hr = link->GetPath(target, MAX_PATH, &data, 0);
        if (FAILED(hr)) throw RunTimeError(hr, "Cannot read the target of " + text::Narrow(shortcut));
        // No path: the shortcut leads to something that is not a file. A target
        // the code page cannot hold cannot be told either.
        const std::optional<std::string> path = text::NarrowExact(target);
        if (!path || Trim(*path).empty()) return false;
        return ProbeFullPath(Trim(*path)) == Presence::Missing;
    } catch (...) {
        services::gLogger().LoggError(CurrentError(), "IsLinkBroken");
        return false;
    }
}

}  // namespace tidvex::engine
