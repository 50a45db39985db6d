// The Windows tweaks of the optimizer: each setter writes its tweak's values on or
// off through the registry helpers, each reader tells from one of those values
// whether the tweak is on.
#pragma once

#include <string>

namespace quenza {

void OPZBroadBand(bool bSet);
void OPZSimConnecions(bool bSet, short iSet);
void OPZAutoBootDisk(bool bSet);
void OPZHardDiskWhenIdle(bool bSet);
void OPZAddNewOption2CopyMove(bool bSet);
void OPZRestoreOpenFolders(bool bSet);
void OPZDisableSaveSettings(bool bSet);
void OPZDisableLowDiskSpaceNote(bool bSet);
void OPZDisableControlPanel(bool bSet);
void OPZDisableRecentDocHistory(bool bSet);
// sDrives: letters joined with "|" ("C|E", "|C|E|"); off writes 0 whatever it holds.
void OPZLockHardDrives(bool bSet, const std::string& sDrives);
// sApplicationPaths: program paths joined with "|"; off leaves the list alone.
void OPZLockApplications(bool bSet, const std::string& sApplicationPaths);

bool IsBroadBand();
// The number of simultaneous connections per server, or -1 when it is not set.
short GetSimConnecions();
bool IsAutoBootDisk();
bool IsHardDiskWhenIdle();
bool IsAddNewOption2CopyMove();
bool IsRestoreOpenFolders();
bool IsDisableSaveSettings();
bool IsDisableLowDiskSpaceNote();
bool IsDisableControlPanel();
bool IsDisableRecentDocHistory();
bool IsLockHardDrives();
bool IsLockApplications();

// The bit of one drive item: 2^(p - 1) for the position p at which the item is
// found in "ABCDEFGHIJKLMNOPQRSTUVWXYZ" (letter case ignored), 0 when it is not.
long DriveLetterBit(const std::string& item);
// The drive mask of "|"-joined items: the bits of all items combined.
long DriveMask(const std::string& sDrives);

}  // namespace quenza
