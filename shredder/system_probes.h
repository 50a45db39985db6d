// What the shredder reads of the system when it is initialised: the folders it
// must never shred, whether shell32 can query and empty the Recycle Bin, the
// fixed drives and the current user's SID.
#pragma once

#include <array>
#include <string>

namespace fraxil {

// The Windows and System folders, the shell's Fonts, Start Menu, Programs and
// Desktop folders, and System\IOSUBSYS and System\VMM32; empty where unavailable.
using SystemFolders = std::array<std::string, 8>;
SystemFolders ReadSystemFolders();

// True when shell32 is 4.71 or later and has SHQueryRecycleBinA and SHEmptyRecycleBinA.
bool CheckRecycleBinApis();

// One slot per letter A to Z: the root "X:\" of a fixed drive, else empty.
struct FixedDriveTable {
    std::array<std::string, 26> roots;
    std::array<bool, 26> ntfs{};
    bool anyNtfs = false;
};
FixedDriveTable BuildDriveTable();

// The SID of the process token's user in its "S-1-..." form. Returns 0, or the
// failing step: 1 token not opened, 2 user not read, 3 SID not convertible.
int GetUserSidText(std::string& text);

}  // namespace fraxil
