// Loading every setting into the main window's controls at start-up and saving
// them back when it closes. The values are texts under the settings key
// (services/settings_store.h); a missing value gives its default, and so does a
// value that is not a number where one is expected or that names no item.
#pragma once

#include "main/form.h"

#include <cstdint>

namespace tidvex::main {

// The wiping method, 0 to 4, that the shredder page uses.
extern std::int16_t ShredMethodSetting;

// In this order: the wiping method, the safe and black lists into their list
// boxes, the clean settings, the optimizer page (through the window), the
// schedule (then the window applies it) and the options.
void LoadSettings(frmMain& form);
// The wiping method, the clean settings, the schedule and the options.
void SaveSettings(frmMain& form);

void LoadShredderSettings(frmMain& form);
void SaveShredderSettings();
// The 61 boxes (each defaulting to its current state), the three scan areas and
// the custom extension.
void LoadCleanSettings(frmMain& form);
// The 61 boxes and the three scan areas; the custom extension is saved by the
// cleaner page's own Save button.
void SaveCleanSettings(frmMain& form);
void LoadScheduleSettings(frmMain& form);
void SaveScheduleSettings(frmMain& form);
// "Launch Tidvex at windows startup" from the Run value, the drive to clean,
// the shred and log boxes.
void LoadOptions(frmMain& form);
void SaveOptions(frmMain& form);

// The index of the Windows drive in the drive box (letter case ignored); 0
// when it is not listed or on a failure (logged as "GetWindowsDriveIndex").
int GetWindowsDriveIndex(const frmMain& form);

}  // namespace tidvex::main
