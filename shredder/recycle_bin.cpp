#include "recycle_bin.h"

#include "shredder_core.h"

#include "fs/guarded_file.h"
#include "fs/paths.h"
#include "handles/handles.h"
#include "shred/bin_links.h"
#include "text/text.h"

#include <shellapi.h>

namespace fraxil {

namespace fs = tidvex::fs;
using tidvex::text::Narrow;
using tidvex::text::Wide;

const char kRecycleBinDesktopIni[] = "[.ShellClassInfo]\r\nCLSID={645FF040-5081-101B-9F08-00AA002F954E}\r\n";

std::optional<std::wstring> RecycleBinFolder(const std::string& root, bool ntfs, const std::string& sid) {
    if (!ntfs) return Wide(root) + L"RECYCLED\\";
    if (sid.empty()) return std::nullopt;
    return Wide(root) + L"Recycler\\" + Wide(sid) + L"\\";
}

RecycleBinShredder::RecycleBinShredder(ShredderCore& core) : core_(core) {}

// The shell's calls of the Recycle Bin, taken from a loaded shell32.
struct RecycleBinShredder::ShellCalls {
    using Query = HRESULT(WINAPI*)(LPCSTR, LPSHQUERYRBINFO);
    using Empty = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);

    explicit ShellCalls(const tidvex::handles::Module& shell)
        : query(shell ? reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(shell.Get(), "SHQueryRecycleBinA")))
                      : nullptr),
          empty(shell ? reinterpret_cast<Empty>(reinterpret_cast<void*>(GetProcAddress(shell.Get(), "SHEmptyRecycleBinA")))
                      : nullptr) {}

    HRESULT ItemsIn(const std::string& root, SHQUERYRBINFO& info) const {
        info = SHQUERYRBINFO{};
        info.cbSize = sizeof info;
        return query(root.c_str(), &info);
    }
    bool HoldsItems(const std::string& root) const {
        SHQUERYRBINFO info;
        return SUCCEEDED(ItemsIn(root, info)) && info.i64NumItems != 0;
    }

    Query query;
    Empty empty;
};

namespace {

// The bin's own bookkeeping, which the shell needs to keep showing the folder as the bin.
bool IsBookkeepingFile(const std::wstring& name) {
    return tidvex::text::EqualsNoCase(name, std::wstring_view(L"INFO2")) ||
           tidvex::text::EqualsNoCase(name, std::wstring_view(L"desktop.ini"));
}

}  // namespace

void RecycleBinShredder::ShredRecycleBin() {
    FileWiper& wiper = core_.Wiper();
    MessageLog& log = core_.Messages();
    if (wiper.AbortRequested()) return;

    tidvex::handles::Module shell(LoadLibraryA("SHELL32.DLL"));
    const ShellCalls calls(shell);
    if (!calls.query || !calls.empty) {
        log.ReportError(31014, log.LookupMessage(31014));
        return;
    }
    const FixedDriveTable drives = core_.DriveTable();
    const std::optional<BinContent> content = ContentOfBins(calls, drives);
    if (!content) return;
    const size_t passes = core_.Algorithms().PassesOf(static_cast<size_t>(core_.Settings().ShredMethod())).size();
    wiper.SetPlannedBytes(static_cast<uint64_t>(content->size) * passes);
    if (content->items == 0) {
        log.ReportMessage(log.LookupMessage(31015));
        return;
    }

    const std::string sid = core_.UserSid();
    for (size_t slot = 0; slot < drives.roots.size() && !wiper.AbortRequested(); ++slot) {
        const std::string& root = drives.roots[slot];
        if (root.empty() || !calls.HoldsItems(root)) continue;
        if (!ShredDriveBin(calls, root, drives.ntfs[slot], sid)) return;
    }
}

std::optional<RecycleBinShredder::BinContent> RecycleBinShredder::ContentOfBins(const ShellCalls& calls,
                                                                                const FixedDriveTable& drives) {
    MessageLog& log = core_.Messages();
    BinContent content;
    for (const std::string& root : drives.roots) {
        if (root.empty()) continue;
        SHQUERYRBINFO info;
        const HRESULT hr = calls.ItemsIn(root, info);
        if (FAILED(hr)) {
            std::string text = AppendErrorCode(log.LookupMessage(31048), static_cast<DWORD>(hr));
            log.ReportError(31048, text + log.LookupMessage(31079));
            return std::nullopt;
        }
        content.size += info.i64Size;
        content.items += info.i64NumItems;
    }
    return content;
}

bool RecycleBinShredder::ShredDriveBin(const ShellCalls& calls, const std::string& root, bool ntfs,
                                       const std::string& sid) {
    const std::optional<std::wstring> folder = RecycleBinFolder(root, ntfs, sid);
    if (!folder) {
        ReportUnreachable(Wide(root) + L"Recycler\\");
        return true;
    }
    auto entries = fs::ListFolder(*folder);
    if (!entries || fs::IsLink(*folder)) {
        ReportUnreachable(*folder);
        return true;
    }
    ShredBinEntries(*folder, *entries);
    if (core_.Wiper().AbortRequested()) {
        MessageLog& log = core_.Messages();
        const std::string letter = root.substr(0, 1);
        log.ReportError(31050, FillFormatted(log.LookupMessage(31050), {{'c', letter}}));
        return false;
    }
    EmptyDriveBin(calls, root, *folder);
    return true;
}

void RecycleBinShredder::ShredBinEntries(const std::wstring& folder, const std::vector<fs::WideFolderEntry>& entries) {
    FileWiper& wiper = core_.Wiper();
    fs::LinkProbe probe(folder);
    for (const fs::WideFolderEntry& e : entries) {
        if (wiper.AbortRequested()) break;
        if (!ShredBinEntry(folder + e.name, e, probe)) wiper.SetAbort(true);
    }
}

bool RecycleBinShredder::ShredBinEntry(const std::wstring& full, const fs::WideFolderEntry& entry,
                                       const fs::LinkProbe& probe) {
    if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
        if (probe.IsLink(entry.name, entry.attributes)) {
            ReportUnreachable(full);
            return true;
        }
        return core_.FolderWork().ShredFolder(full, false, kRecycleBinFolder) != FolderResult::Stop;
    }
    if (IsBookkeepingFile(entry.name)) return true;
    ShredRequest request;
    request.path = full;
    request.quietLevel = 2;
    return core_.Wiper().ShredFile(request) == kShredContinue;
}

void RecycleBinShredder::EmptyDriveBin(const ShellCalls& calls, const std::string& root, const std::wstring& folder) {
    FileWiper& wiper = core_.Wiper();
    wiper.SetCurrentProgress(0);
    wiper.SetCurrentItem(core_.Messages().LookupMessage(31913) + " " + root.substr(0, 1));
    // The emptying would delete what a link in the bin leads to.
    tidvex::shred::RemoveLinksFromRecycleBin();
    calls.empty(nullptr, root.c_str(), SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
    fs::WriteWholeFile(folder + L"desktop.ini", kRecycleBinDesktopIni);
}

void RecycleBinShredder::ReportUnreachable(const std::wstring& shown) {
    MessageLog& log = core_.Messages();
    log.ReportError(31034, FillPlaceholders(log.LookupMessage(31034), {{'s', Narrow(shown)}}));
}

}  // namespace fraxil
