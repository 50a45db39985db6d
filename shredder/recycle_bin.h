// Shredding the Recycle Bin: on every fixed drive whose bin holds items, each
// file of the bin's folder is overwritten and cut to nothing (the bookkeeping
// files INFO2 and desktop.ini excepted) and each subfolder shredded; then the
// shell empties the bin and the folder gets its desktop.ini back.
#pragma once

#include <optional>
#include <string>

namespace fraxil {

class ShredderCore;

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
    ShredderCore& core_;
};

}  // namespace fraxil
