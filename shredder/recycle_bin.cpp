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

void RecycleBinShredder::ShredRecycleBin() {
    FileWiper& wiper = core_.Wiper();
    MessageLog& log = core_.Messages();
    if (wiper.AbortRequested()) return;

    tidvex::handles::Module shell(LoadLibraryA("SHELL32.DLL"));
    using Query = HRESULT(WINAPI*)(LPCSTR, LPSHQUERYRBINFO);
    using Empty = HRESULT(WINAPI*)(HWND, LPCSTR, DWORD);
    auto query = shell ? reinterpret_cast<Query>(reinterpret_cast<void*>(GetProcAddress(shell.Get(), "SHQueryRecycleBinA")))
                       : nullptr;
    auto empty = shell ? reinterpret_cast<Empty>(reinterpret_cast<void*>(GetProcAddress(shell.Get(), "SHEmptyRecycleBinA")))
                       : nullptr;
    if (!query || !empty) {
        log.ReportError(31014, log.LookupMessage(31014));
        return;
    }
    auto itemsIn = [&](const std::string& root, SHQUERYRBINFO& info) {
        info = SHQUERYRBINFO{};
        info.cbSize = sizeof info;
        return query(root.c_str(), &info);
    };

    const FixedDriveTable drives = core_.DriveTable();
    int64_t totalSize = 0, totalItems = 0;
    for (const std::string& root : drives.roots) {
        if (root.empty()) continue;
        SHQUERYRBINFO info;
        const HRESULT hr = itemsIn(root, info);
        if (FAILED(hr)) {
            std::string text = AppendErrorCode(log.LookupMessage(31048), static_cast<DWORD>(hr));
            log.ReportError(31048, text + log.LookupMessage(31079));
            return;
        }
        totalSize += info.i64Size;
        totalItems += info.i64NumItems;
    }
    const size_t passes = core_.Algorithms().PassesOf(static_cast<size_t>(core_.Settings().ShredMethod())).size();
    wiper.SetPlannedBytes(static_cast<uint64_t>(totalSize) * passes);
    if (totalItems == 0) {
        log.ReportMessage(log.LookupMessage(31015));
        return;
    }

    const std::string sid = core_.UserSid();
    for (size_t slot = 0; slot < drives.roots.size() && !wiper.AbortRequested(); ++slot) {
        const std::string& root = drives.roots[slot];
        if (root.empty()) continue;
        SHQUERYRBINFO info;
        if (FAILED(itemsIn(root, info)) || info.i64NumItems == 0) continue;
        const std::optional<std::wstring> folder = RecycleBinFolder(root, drives.ntfs[slot], sid);
        auto unreachable = [&](const std::wstring& shown) {
            log.ReportError(31034, FillPlaceholders(log.LookupMessage(31034), {{'s', Narrow(shown)}}));
        };
        if (!folder) {
            unreachable(Wide(root) + L"Recycler\\");
            continue;
        }
        auto entries = fs::ListFolder(*folder);
        if (!entries || fs::IsLink(*folder)) {
            unreachable(*folder);
            continue;
        }
        fs::LinkProbe probe(*folder);
        for (const fs::WideFolderEntry& e : *entries) {
            if (wiper.AbortRequested()) break;
            const std::wstring full = *folder + e.name;
            bool stop = false;
            if (e.attributes & FILE_ATTRIBUTE_DIRECTORY) {
                if (probe.IsLink(e.name, e.attributes)) {
                    unreachable(full);
                    continue;
                }
                stop = core_.FolderWork().ShredFolder(full, false, kRecycleBinFolder) == FolderResult::Stop;
            } else if (!tidvex::text::EqualsNoCase(e.name, std::wstring_view(L"INFO2")) &&
                       !tidvex::text::EqualsNoCase(e.name, std::wstring_view(L"desktop.ini"))) {
                ShredRequest request;
                request.path = full;
                request.quietLevel = 2;
                stop = wiper.ShredFile(request) != kShredContinue;
            }
            if (stop) wiper.SetAbort(true);
        }
        if (wiper.AbortRequested()) {
            const std::string letter = root.substr(0, 1);
            log.ReportError(31050, FillFormatted(log.LookupMessage(31050), {{'c', letter}}));
            return;
        }
        wiper.SetCurrentProgress(0);
        wiper.SetCurrentItem(log.LookupMessage(31913) + " " + root.substr(0, 1));
        // The emptying would delete what a link in the bin leads to.
        tidvex::shred::RemoveLinksFromRecycleBin();
        empty(nullptr, root.c_str(), SHERB_NOCONFIRMATION | SHERB_NOPROGRESSUI | SHERB_NOSOUND);
        fs::WriteWholeFile(*folder + L"desktop.ini", kRecycleBinDesktopIni);
    }
}

}  // namespace fraxil
