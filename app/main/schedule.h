// The Options page's Schedule tab: its controls and timers (schedule.cpp).
#pragma once

#include "controls/controls.h"
#include "controls/extra_timer.h"

#include <array>
#include <memory>

namespace tidvex::main {

struct ScheduleTab {
    controls::Label *Label26{}, *barSched1{};
    controls::CheckBox* chkTimeSchedule = nullptr;
    controls::Panel* MyFrame1 = nullptr;
    std::array<controls::OptionButton*, 4> optTimeSchedule{};
    controls::Label* barSched2 = nullptr;
    controls::CheckBox *chkSessionSchedule{}, *chkWhenWindowStarts{}, *chkWhenWindowsShuts{};
    controls::Panel* MyFrame2 = nullptr;
    std::array<controls::OptionButton*, 2> optSessionSchedule{};
    // The cleaning at shutdown, 1500 ms after the shutdown was held back.
    controls::Timer* tmrShutDownClean = nullptr;
    // The schedule's interval timer over its one-second beat.
    controls::Timer* tmrScheduleBeat = nullptr;
    std::unique_ptr<controls::ExtraTimer> tmrSchedule;
    // A scheduled cleaning fell due while a shredding ran: it starts on the
    // first beat after the shredding has ended.
    bool ScheduledCleanWaiting = false;
};

}  // namespace tidvex::main
