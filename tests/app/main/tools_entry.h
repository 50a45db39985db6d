// What the Tools page tests share: what entering the Tools page does with its
// two lists.
#pragma once

#include "main/form.h"

namespace tidvex::test {

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
