// The Main page's texts and links, and the Tools page's sub-page buttons over
// its tab strip (navigation.cpp).
#pragma once

#include "controls/controls.h"

#include <array>
#include <vector>

namespace tidvex::main {

struct MainPage {
    std::vector<controls::Label*> lblMainText;
    controls::Label *lblCleanerHere{}, *lblShredFilesHere{}, *lblShredSpaceHere{}, *lblShredRecycleHere{},
                    *lblOptimizeHere{}, *lblStartupHere{}, *lblUninstalHere{};
};

// Tab 0 the start-up manager (startup_page.h), tab 1 the uninstaller
// (uninstaller_page.h).
struct ToolsPage {
    std::array<controls::Button*, 2> cmdTools{};
    controls::TabStrip* tbTools = nullptr;
};

}  // namespace tidvex::main
