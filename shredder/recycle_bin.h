// Shredding the Recycle Bin: on every fixed drive whose bin holds items, each
// file of the bin's folder is overwritten and cut to nothing (the bookkeeping
// files INFO2 and desktop.ini excepted) and each subfolder shredded; then the
// shell empties the bin and the folder gets its desktop.ini back.
#pragma once

#include "fs/paths.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fraxil {

class ShredderCore;
struct FixedDriveTable;

// The bin folder of a fixed drive: "<root>Recycler\<sid>\" on NTFS,
// "<root>RECYCLED\" otherwise. Nothing for an NTFS drive without a SID text:
// the folder of every user's bin is never taken for one user's.
std::optional<std::wstring> RecycleBinFolder(const std::string& root, bool ntfs, const std::string& sid);

// What the shell keeps in a bin folder to show it as the bin: 65 bytes.
extern const char kRecycleBinDesktopIni[];

class RecycleBinShredder {
public:
    explicit RecycleBinShredder(ShredderCore& core);
    void ShredRecycleBin();

private:
    struct ShellCalls;
    struct BinContent {
        int64_t size = 0;
        int64_t items = 0;
    };
    // What the bins of all fixed drives hold; nothing when one could not be asked (reported).
    std::optional<BinContent> ContentOfBins(const ShellCalls& calls, const FixedDriveTable& drives);
    // Shreds what one drive's bin holds and has the shell empty it; false when
    // the session was aborted (reported).
    bool ShredDriveBin(const ShellCalls& calls, const std::string& root, bool ntfs, const std::string& sid);
    void ShredBinEntries(const std::wstring& folder, const std::vector<tidvex::fs::WideFolderEntry>& entries);
    // False when the session stops.
    bool ShredBinEntry(const std::wstring& full, const tidvex::fs::WideFolderEntry& entry,
                       const tidvex::fs::LinkProbe& probe);
    void EmptyDriveBin(const ShellCalls& calls, const std::string& root, const std::wstring& folder);
    void ReportUnreachable(const std::wstring& shown);

    ShredderCore& core_;
};

}  // namespace fraxil
