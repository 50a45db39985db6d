// The Tools page's uninstaller tab: its controls and state
// (uninstaller_page.cpp).
#pragma once

#include "controls/controls.h"
#include "services/uninstaller.h"

#include <memory>

namespace tidvex::main {

struct UninstallTab {
    controls::Grid* Grid2 = nullptr;
    controls::Button *cmdUninstall{}, *cmdRemoveEntry{}, *cmdRenameEntry{}, *cmdSaveUins2txt{};

    // A new object on every entry of the Tools page, kept alive by a handler
    // that works with it.
    std::shared_ptr<services::clsUninstaller> Uninstaller;
    services::UninstallRecordset UninstallList;
};

}  // namespace tidvex::main
