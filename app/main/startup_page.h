// The Tools page's start-up manager tab: its controls and state
// (startup_page.cpp).
#pragma once

#include "controls/controls.h"
#include "services/startup_manager.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tidvex::main {

struct StartupTab {
    controls::Label* lblStartupHint = nullptr;
    controls::Grid* Grid = nullptr;
    controls::Button* cmdApplyStartup = nullptr;

    // A new object on every entry of the Tools page. A handler keeps the object
    // it works with alive, as the page may be entered again while it waits.
    std::shared_ptr<services::IStartUp> StartUpManager;
    std::vector<controls::GridRow> StartupList;
    std::int16_t FirstUncheckedRow = -1;

protected:
    // The check values of the start-up list as it was loaded.
    std::vector<std::wstring> startupChecksAtLoad_;
};

}  // namespace tidvex::main
