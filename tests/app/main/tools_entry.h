// What the Tools page tests share: a window that does nothing for the form, and
// what entering the Tools page does with its two lists.
#pragma once

#include "main/form.h"

namespace tidvex::test {

class NoWindowCalls : public main::WindowCalls {
public:
    void ApplyTimeSchedule() override {}
    void ApplyWhenWindowsShutDown() override {}
    void LoadOptimizerSettings() override {}
};

// New objects, both grids emptied and loaded again.
inline void EnterToolsPage(main::frmMain& form) {
    form.CreateStartupManager();
    form.Grid->Unbind();
    form.LoadStartupEntries();
    form.CreateUninstaller();
    form.Grid2->Unbind();
    form.LoadInstalledPrograms();
}

}  // namespace tidvex::test
