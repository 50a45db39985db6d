// What every page of the form shares: the making of the window's parts in
// order, the sub-page selection of the page groups and the hint markers.
#include "main/form.h"

#include "services/logger.h"
#include "services/registry.h"
#include "services/settings_store.h"

namespace tidvex::main {

namespace {

services::CRegistry Marker(const char* name) {
    services::CRegistry reg;
    reg.classkey(registry::kLocalMachine);
    reg.sectionkey(std::string(services::SettingsKey) + name);
    return reg;
}

}  // namespace

bool MarkerExists(const char* marker) { return Marker(marker).KeyExists(); }
void CreateMarker(const char* marker) { Marker(marker).CreateKey(); }

frmMain::frmMain(controls::ControlFactory& factory, OutsideCalls& outside) : outside_(outside) {
    // In the order of the parts: the window's factory places each control on a
    // parent it has already made.
    MakeFrame(factory);
    MakeMainPage(factory);
    MakeCleanerPage(factory);
    MakeShredderPage(factory);
    MakeOptimizerPage(factory);
    MakeToolsPage(factory);
    MakeStartupTab(factory);
    MakeUninstallTab(factory);
    MakeOptionsPage(factory);
    MakeScheduleTab(factory);

    // The event log writes while "Log errors and events to text file" is checked.
    services::gLogger().SetSwitch(chkSettings[2]);
}

frmMain::~frmMain() {
    services::gLogger().SetSwitch(nullptr);
    // The interval timer lets go of its beat before the beat goes.
    tmrSchedule.reset();
}

void frmMain::DressProgressBar(controls::ProgressBar& bar) {
    constexpr int kTwoToneStyle = 5;
    constexpr COLORREF kDesignColor = 0xC56A31;
    bar.Scrolling(kTwoToneStyle);
    bar.ShowText(true);
    bar.Font({.name = "Arial"});
    bar.Color(kDesignColor);
}

template <size_t N>
void frmMain::SelectSubPage(const std::array<controls::Button*, N>& buttons, controls::TabStrip& strip, int Index) {
    if (Index < 0 || Index >= static_cast<int>(N)) return;
    for (auto* button : buttons) button->Selected(false);
    buttons[static_cast<size_t>(Index)]->Selected(true);
    strip.Tab(Index);
    strip.Refresh();
}

template void frmMain::SelectSubPage(const std::array<controls::Button*, 2>&, controls::TabStrip&, int);
template void frmMain::SelectSubPage(const std::array<controls::Button*, 3>&, controls::TabStrip&, int);
template void frmMain::SelectSubPage(const std::array<controls::Button*, 4>&, controls::TabStrip&, int);
template void frmMain::SelectSubPage(const std::array<controls::Button*, 6>&, controls::TabStrip&, int);

}  // namespace tidvex::main
