// The window's frame as the form holds it: the banner, the toolbar, the page
// panels, the tray icon with its balloon and menu, the splash and the page
// effect, and the state of the window's life (main_window.cpp, navigation.cpp).
#pragma once

#include "controls/controls.h"

#include <array>
#include <cstdint>
#include <string>

namespace tidvex::main {

struct WindowFrame {
    // The shown toolbar page; -1 until the first page is shown.
    std::int16_t CurrentPageIndex = -1;
    // The marker "lblFirstMinimize" was absent at start-up; cleared once the
    // balloon was shown.
    bool IsFirstMinimize = false;
    // What start-up step runs, named in the report when it fails.
    std::string LoadingStep;

    controls::Label* topGrad = nullptr;
    std::array<controls::Button*, 6> cmdToolBar{};
    controls::Label* lblAbout = nullptr;
    // Pages 0-5 and the overlay of the page-switch effect.
    std::array<controls::Panel*, 7> frPage{};
    controls::TrayIcon* TrayIcon = nullptr;
    controls::Balloon* ToolTip = nullptr;
    controls::PopupMenu* mnuTray = nullptr;
    controls::Splash* Splash = nullptr;
    controls::PageEffect* Splash2 = nullptr;
    // Repaints the shown page one second after a switch.
    controls::Timer* tmrRefresh = nullptr;
    // The tray menu's items.
    static constexpr int mnuMaximize = 0, mnuClean = 2, mnuHelp = 4, mnuExit = 5;
};

}  // namespace tidvex::main
