#include "main/form.h"

#include "main/form_design.h"
#include "services/logger.h"

namespace tidvex::main {

template <class T>
T* frmMain::Keep(std::unique_ptr<T> control) {
    T* raw = control.get();
    controls_.push_back(std::shared_ptr<T>(std::move(control)));
    return raw;
}

frmMain::frmMain(controls::ControlFactory& factory, WindowCalls& window) : window_(window) {
    auto check = [&](const char* name, int index = -1) { return Keep(factory.MakeCheckBox(Design(name, index))); };
    auto option = [&](const char* name, int index) { return Keep(factory.MakeOptionButton(Design(name, index))); };

    for (int i = 0; i < engine::kCleanSettCount; ++i) chkCleanSett[static_cast<size_t>(i)] = check("chkCleanSett", i);
    chkInternet = check("chkInternet");
    chkSystem = check("chkSystem");
    chkRegistry = check("chkRegistry");
    txtCustomExt = Keep(factory.MakeTextBox(Design("txtCustomExt")));

    for (int i = 0; i < static_cast<int>(chkSettings.size()); ++i) chkSettings[static_cast<size_t>(i)] = check("chkSettings", i);
    cmbDrives = Keep(factory.MakeComboBox(Design("cmbDrives")));
    lstSafeList = Keep(factory.MakeListBox(Design("lstSafeList")));
    lstBlackList = Keep(factory.MakeListBox(Design("lstBlackList")));
    cmbShredMethod = Keep(factory.MakeComboBox(Design("cmbShredMethod")));

    chkTimeSchedule = check("chkTimeSchedule");
    for (int i = 0; i < static_cast<int>(optTimeSchedule.size()); ++i)
        optTimeSchedule[static_cast<size_t>(i)] = option("optTimeSchedule", i);
    chkSessionSchedule = check("chkSessionSchedule");
    chkWhenWindowStarts = check("chkWhenWindowStarts");
    chkWhenWindowsShuts = check("chkWhenWindowsShuts");
    for (int i = 0; i < static_cast<int>(optSessionSchedule.size()); ++i)
        optSessionSchedule[static_cast<size_t>(i)] = option("optSessionSchedule", i);

    MakeToolsPage(factory);

    // The event log writes while "Log errors and events to text file" is checked.
    services::gLogger().SetSwitch(chkSettings[2]);
}

void frmMain::MakeToolsPage(controls::ControlFactory& factory) {
    auto button = [&](const char* name, int index = -1) { return Keep(factory.MakeButton(Design(name, index))); };
    for (int i = 0; i < static_cast<int>(cmdTools.size()); ++i) cmdTools[static_cast<size_t>(i)] = button("cmdTools", i);
    tbTools = Keep(factory.MakeTabStrip(Design("tbTools")));
    Grid = Keep(factory.MakeGrid(Design("Grid")));
    cmdApplyStartup = button("cmdApplyStartup");
    lblStartupHint = Keep(factory.MakeLabel(Design("lblStartupHint")));
    Grid2 = Keep(factory.MakeGrid(Design("Grid2")));
    cmdUninstall = button("cmdUninstall");
    cmdRemoveEntry = button("cmdRemoveEntry");
    cmdRenameEntry = button("cmdRenameEntry");
    cmdSaveUins2txt = button("cmdSaveUins2txt");

    cmdApplyStartup->OnClick = [this] { cmdApplyStartup_Click(); };
    cmdUninstall->OnClick = [this] { cmdUninstall_Click(); };
    cmdRemoveEntry->OnClick = [this] { cmdRemoveEntry_Click(); };
    cmdRenameEntry->OnClick = [this] { cmdRenameEntry_Click(); };
    cmdSaveUins2txt->OnClick = [this] { cmdSaveUins2txt_Click(); };
    Grid2->OnBeforeUpdate = [this](int row, int column, const std::string& text, bool& cancel) {
        Grid2_BeforeUpdate(row, column, text, cancel);
    };
    Grid2->OnAfterEdit = [this](int, int) { Grid2_AfterEdit(); };
}

frmMain::~frmMain() { services::gLogger().SetSwitch(nullptr); }

}  // namespace tidvex::main
