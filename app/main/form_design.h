// The main window's design data: every control's name, index in its control
// array, kind, caption, design-time value or items, place and style, in one
// table of rows. The form makes its controls from it, part by part, and the
// design-time states are the settings' defaults when nothing is stored.
#pragma once

#include "controls/controls.h"

#include <string_view>
#include <vector>

namespace tidvex::main {

// The parts of the window, each made with its handlers by a file of its own;
// in the order they are made (a part's parents are made before it).
enum class FormPart {
    Frame,          // main_window.cpp: banner, toolbar, pages, tray, splash
    MainPage,       // navigation.cpp
    CleanerPage,    // cleaner_page.cpp
    ShredderPage,   // shredder_page.cpp
    OptimizerPage,  // optimizer_page.cpp
    ToolsPage,      // navigation.cpp: the Tools page's sub-page buttons and tabs
    StartupTab,     // startup_page.cpp
    UninstallTab,   // uninstaller_page.cpp
    OptionsPage,    // options_page.cpp
    ScheduleTab,    // schedule.cpp
};
inline constexpr FormPart kFormParts[] = {
    FormPart::Frame,      FormPart::MainPage,   FormPart::CleanerPage,  FormPart::ShredderPage,
    FormPart::OptimizerPage, FormPart::ToolsPage, FormPart::StartupTab, FormPart::UninstallTab,
    FormPart::OptionsPage, FormPart::ScheduleTab,
};

// The rows of one part, in the order they are made.
const std::vector<controls::ControlDesign>& DesignRows(FormPart part);
// Every row, part after part.
const std::vector<controls::ControlDesign>& FormDesign();

// The maker's home page, shown on the About tab.
extern const char kHomePage[];

// The design of one control; a name and index the table does not hold is a
// programming error (std::out_of_range).
const controls::ControlDesign& Design(std::string_view name, int index = -1);
// How many members the design gives a control array.
int DesignCount(std::string_view name);

}  // namespace tidvex::main
