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

    // Options page
    auto button = [&](const char* name, int index = -1) { return Keep(factory.MakeButton(Design(name, index))); };
    auto label = [&](const char* name) { return Keep(factory.MakeLabel(Design(name))); };
    auto list = [&](const char* name) { return Keep(factory.MakeListBox(Design(name))); };
    for (int i = 0; i < static_cast<int>(cmdOptions.size()); ++i) cmdOptions[static_cast<size_t>(i)] = button("cmdOptions", i);
    tbOptions = Keep(factory.MakeTabStrip(Design("tbOptions")));
    gOptionsTitle = label("gOptionsTitle");
    Label55 = label("Label55");
    Label21 = label("Label21");
    Label46 = label("Label46");
    cmdAddSafeFile = button("cmdAddSafeFile");
    cmdAddSafeFolder = button("cmdAddSafeFolder");
    cmdAddSafeRegKey = button("cmdAddSafeRegKey");
    cmdRemoveSafeItem = button("cmdRemoveSafeItem");
    Label22 = label("Label22");
    cmdAddBlackFile = button("cmdAddBlackFile");
    cmdAddBlackFolder = button("cmdAddBlackFolder");
    cmdAddBlackRegistry = button("cmdAddBlackRegistry");
    cmdRemoveBlackItem = button("cmdRemoveBlackItem");
    Label23 = label("Label23");
    Label24 = label("Label24");
    lstAllCookies = list("lstAllCookies");
    chkSelectAllCookies = check("chkSelectAllCookies");
    cmdAddSafeCookie = button("cmdAddSafeCookie");
    Label25 = label("Label25");
    lstSafeCookies = list("lstSafeCookies");
    chkSelectAllSafeCookies = check("chkSelectAllSafeCookies");
    cmdRemoveSafeCookie = button("cmdRemoveSafeCookie");
    Label26 = label("Label26");
    MyFrame1 = Keep(factory.MakePanel(Design("MyFrame1")));
    MyFrame2 = Keep(factory.MakePanel(Design("MyFrame2")));
    barSched1 = label("barSched1");
    barSched2 = label("barSched2");
    lblVersion = label("lblVersion");
    lblWebSite = label("lblWebSite");
    picLogo = Keep(factory.MakePicture(Design("picLogo")));
    lblHelp = label("lblHelp");
    lblUpdate = label("lblUpdate");
    lblAbout = label("lblAbout");
    tmrScheduleClock = Keep(factory.MakeTimer(Design("tmrScheduleClock")));
    tmrSchedule = std::make_unique<controls::ExtraTimer>(*tmrScheduleClock);
    tmrSchedule->Interval(15);
    tmrSchedule->IntervalUnit(controls::kMinutes);

    // Main window
    tmrShutDownClean = Keep(factory.MakeTimer(Design("tmrShutDownClean")));

    WireOptionsPage();
    WireSchedule();

    // The event log writes while "Log errors and events to text file" is checked.
    services::gLogger().SetSwitch(chkSettings[2]);
}

frmMain::~frmMain() {
    services::gLogger().SetSwitch(nullptr);
    // It lets go of its one-second timer, which goes with the other controls.
    tmrSchedule.reset();
}

}  // namespace tidvex::main
