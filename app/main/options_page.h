// What the Options page and the schedule share: the run-at-start-up value and
// the paths the safe and black lists take.
#pragma once

#include "main/dialogs/registry_dialog.h"
#include "main/form.h"

#include <optional>
#include <string>
#include <vector>

namespace tidvex::main {

// The Run value's data: the program's quoted path, a blank and the option.
std::string RunAtStartupCommand(const std::string& option);
// The value "Tidvex" under HKEY_LOCAL_MACHINE's Run key: " /clean" while "When
// Windows starts" is checked, else " /tray" while "Launch Tidvex at windows
// startup" is, else no value. A failed write raises the registry's error.
void WriteRunAtStartup(const frmMain& form);

// The files chosen in the open-file dialog from its NUL-separated result: one
// full path, or a folder followed by names, each in the form the lists take
// (ListablePath); a drive root and what the lists cannot take are left out.
std::vector<std::string> ChosenFiles(const std::string& dialogResult);
// The form a path takes in the safe and black lists: its canonical form
// (fs/canonical.h), so that the cleaners meet the entry as they meet the path.
// Nothing for nothing, a drive root (it would cover a whole drive), a device,
// an administrative share, a name no file has, and a path the code page of the
// list files cannot hold.
std::optional<std::string> ListablePath(const std::string& path);
bool IsAddablePath(const std::string& path);

// The Options page's calls in a real window: the platform's file dialog and
// folder picker over the owner, the program's registry-key dialog modal over
// it, and the end of the Windows session.
OptionsCalls WindowOptionsCalls(controls::Form& owner, dialogs::frmRegistry& registryDialog);

}  // namespace tidvex::main
