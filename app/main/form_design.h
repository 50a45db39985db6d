// The main window's design data: every control's name, index in its control
// array, caption and design-time value or items, in one table. The form creates
// its controls from it, and the design-time states are the settings' defaults
// when nothing is stored.
#pragma once

#include "controls/controls.h"

#include <string_view>
#include <vector>

namespace tidvex::main {

const std::vector<controls::ControlDesign>& FormDesign();

// The maker's home page, shown on the About tab.
extern const char kHomePage[];

// The design of one control; a name and index the table does not hold is a
// programming error (std::out_of_range).
const controls::ControlDesign& Design(std::string_view name, int index = -1);
// How many members the design gives a control array.
int DesignCount(std::string_view name);

}  // namespace tidvex::main
