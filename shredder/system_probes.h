// What the shredder reads of the system when it is initialised: the folders it
// must never shred, whether shell32 can query and empty the Recycle Bin, the
// fixed drives and the current user's SID.
#pragma once

#include "seam/seam.h"
#include "shred/system_folders.h"

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace fraxil {

using SystemFolders = tidvex::shred::SystemFolderTexts;

// True when shell32 is 4.71 or later and has SHQueryRecycleBinA and SHEmptyRecycleBinA.
bool CheckRecycleBinApis();

// One slot per letter A to Z: the root "X:\" of a fixed drive, else empty.
struct FixedDriveTable {
    std::array<std::string, 26> roots;
    std::array<bool, 26> ntfs{};
    bool anyNtfs = false;
};
FixedDriveTable BuildDriveTable();

// The space of a drive, in bytes: what the user may still write (less than the
// free space under a disk quota), the whole drive and all of its free space.
struct DiskSpace {
    uint64_t availableToUser = 0;
    uint64_t total = 0;
    uint64_t totalFree = 0;
};

// The space-query function kernel32 offers: GetDiskFreeSpaceExA where it
// exists (then `extended`), else GetDiskFreeSpaceA.
struct DiskSpaceFunction {
    FARPROC function = nullptr;
    bool extended = false;
};
DiskSpaceFunction FindDiskSpaceFunction(HMODULE kernel32);

// The space of the drive whose root is `root` ("C:\"); nothing when it cannot be read.
std::optional<DiskSpace> QueryDiskSpace(const DiskSpaceFunction& query, const std::string& root);

// Where tests stand in for the drive's answer (a disk quota cannot be made here).
extern tidvex::Seam<std::function<std::optional<DiskSpace>(const std::string& root)>> gDiskSpace;

// The SID of the process token's user in its "S-1-..." form. Returns 0, or the
// failing step: 1 token not opened, 2 user not read, 3 SID not convertible.
int GetUserSidText(std::string& text);

}  // namespace fraxil
