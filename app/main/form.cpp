#include "main/form.h"

#include "main/form_design.h"
#include "main/tools_calls.h"
#include "services/logger.h"
#include "services/registry.h"
#include "services/settings_store.h"

#include <initializer_list>
#include <type_traits>

namespace tidvex::main {

bool gIsCleaning = false;

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

namespace {

// The labels, panels and boxes that the design hides until the window shows
// them: the overlay of the effect, the clean-settings panel, the hint, the
// "not installed" notes and two clean-settings boxes that no user changes.
void HideAtDesign(frmMain& f) {
    f.frPage[6]->Visible(false);
    f.frScanSettings->Visible(false);
    f.lblArrow->Visible(false);
    f.lblArrowText->Visible(false);
    for (auto* note : {f.lblIEDisabled, f.lblFireFoxDisabled, f.lblNetscapeDisabled, f.lblOperaDisabled,
                       f.lblMSNDisable, f.lblYahooDisanled, f.lblICQDisabled})
        note->Visible(false);
    f.chkCleanSett[38]->Visible(false);
    f.chkCleanSett[42]->Visible(false);
}

}  // namespace

template <class T>
T* frmMain::Keep(std::unique_ptr<T> control) {
    T* raw = control.get();
    if constexpr (std::is_base_of_v<controls::SchemeControl, T>) scheme_.push_back(raw);
    controls_.push_back(std::shared_ptr<T>(std::move(control)));
    return raw;
}

frmMain::frmMain(controls::ControlFactory& factory, WindowCalls& window, MainWindowCalls* platform)
    : window_(window), ownPlatform_(platform ? nullptr : std::make_unique<NoWindowCalls>()),
      platform_(platform ? platform : ownPlatform_.get()) {
    // Parents before their children: the window's factory places each control
    // on a parent it has already made.
    MakeFrame(factory);
    MakeMainPage(factory);
    MakeCleanerPage(factory);
    MakeOtherPages(factory);

    MakeOptionsPage(factory);
    cmbShredMethod = Keep(factory.MakeComboBox(Design("cmbShredMethod")));

    MakeShredderPage(factory);
    MakeOptimizerPage(factory);

    HideAtDesign(*this);
    WireFrame();
    WireCleanerPage();
    WireToolsPage();
    ownTools_ = MakeWindowToolsCalls(*platform_);
    tools_ = ownTools_.get();
    WireOptionsPage();
    WireSchedule();

    // The event log writes while "Log errors and events to text file" is checked.
    services::gLogger().SetSwitch(chkSettings[2]);
}

frmMain::~frmMain() {
    services::gLogger().SetSwitch(nullptr);
    // The interval timer lets go of its beat before the beat goes.
    tmrSchedule.reset();
}

void frmMain::MakeFrame(controls::ControlFactory& factory) {
    topGrad = Keep(factory.MakeLabel(Design("topGrad")));
    for (int i = 0; i < 6; ++i) cmdToolBar[static_cast<size_t>(i)] = Keep(factory.MakeButton(Design("cmdToolBar", i)));
    lblAbout = Keep(factory.MakeLabel(Design("lblAbout")));
    for (int i = 0; i < 7; ++i) frPage[static_cast<size_t>(i)] = Keep(factory.MakePanel(Design("frPage", i)));
    TrayIcon = Keep(factory.MakeTrayIcon(Design("TrayIcon")));
    ToolTip = Keep(factory.MakeBalloon(Design("ToolTip"), *TrayIcon));
    mnuTray = Keep(factory.MakePopupMenu(Design("mnuTray")));
    Splash = Keep(factory.MakeSplash(Design("Splash")));
    Splash2 = Keep(factory.MakePageEffect(Design("Splash2")));
    tmrCleanItem = Keep(factory.MakeTimer(Design("tmrCleanItem")));
    tmrArrow = Keep(factory.MakeTimer(Design("tmrArrow")));
    tmrRefresh = Keep(factory.MakeTimer(Design("tmrRefresh")));
    tmrShutDownClean = Keep(factory.MakeTimer(Design("tmrShutDownClean")));
    tmrRefreshOptions = Keep(factory.MakeTimer(Design("tmrRefreshOptions")));
    tmrScheduleBeat = Keep(factory.MakeTimer(Design("tmrSchedule")));
    tmrSchedule = std::make_unique<controls::ExtraTimer>(*tmrScheduleBeat);
}

void frmMain::MakeMainPage(controls::ControlFactory& factory) {
    for (int i = 0; i < DesignCount("lblMainText"); ++i) lblMainText.push_back(Keep(factory.MakeLabel(Design("lblMainText", i))));
    auto link = [&](const char* name) { return Keep(factory.MakeLabel(Design(name))); };
    lblCleanerHere = link("lblCleanerHere");
    lblShredFilesHere = link("lblShredFilesHere");
    lblShredSpaceHere = link("lblShredSpaceHere");
    lblShredRecycleHere = link("lblShredRecycleHere");
    lblOptimizeHere = link("lblOptimizeHere");
    lblStartupHere = link("lblStartupHere");
    lblUninstalHere = link("lblUninstalHere");
}

void frmMain::MakeCleanerPage(controls::ControlFactory& factory) {
    auto label = [&](const char* name, int index = -1) { return Keep(factory.MakeLabel(Design(name, index))); };
    auto check = [&](const char* name, int index = -1) { return Keep(factory.MakeCheckBox(Design(name, index))); };
    cmdStartCleaning = Keep(factory.MakeButton(Design("cmdStartCleaning")));
    lblChangeCleanSettings = label("lblChangeCleanSettings");
    lblArrow = label("lblArrow");
    lblArrowText = label("lblArrowText");
    lblCleanItem = label("lblCleanItem");
    prgClean = Keep(factory.MakeProgressBar(Design("prgClean")));
    asxLabel3 = label("asxLabel3");
    lstCompleteClean = Keep(factory.MakeListBox(Design("lstCompleteClean")));
    chkCloseAfterClean = check("chkCloseAfterClean");

    frScanSettings = Keep(factory.MakePanel(Design("frScanSettings")));
    Label1 = label("Label1");
    lblBack2Clean = label("lblBack2Clean");
    chkInternet = check("chkInternet");
    chkSystem = check("chkSystem");
    chkRegistry = check("chkRegistry");
    for (int i = 0; i < 6; ++i) cmdInclude[static_cast<size_t>(i)] = Keep(factory.MakeButton(Design("cmdInclude", i)));
    gCSettingsTitle = label("gCSettingsTitle");
    for (int i = 0; i < 6; ++i) tbCSettings[static_cast<size_t>(i)] = Keep(factory.MakeTabStrip(Design("tbCSettings", i)));
    for (int i = 0; i < engine::kCleanSettCount; ++i) chkCleanSett[static_cast<size_t>(i)] = check("chkCleanSett", i);
    txtCustomExt = Keep(factory.MakeTextBox(Design("txtCustomExt")));
    cmdSaveCustomExt = Keep(factory.MakeButton(Design("cmdSaveCustomExt")));
    for (int i = 0; i < 2; ++i) lblCustomExtNote[static_cast<size_t>(i)] = label("lblCustomExtNote", i);
    lblHDCleaner = label("lblHDCleaner");
    lblGoToSettings = label("lblGoToSettings");
    lblIEDisabled = label("lblIEDisabled");
    lblFireFoxDisabled = label("lblFireFoxDisabled");
    lblNetscapeDisabled = label("lblNetscapeDisabled");
    lblOperaDisabled = label("lblOperaDisabled");
    lblMSNDisable = label("lblMSNDisable");
    lblYahooDisanled = label("lblYahooDisanled");
    lblICQDisabled = label("lblICQDisabled");
}

void frmMain::MakeOtherPages(controls::ControlFactory& factory) {
    auto button = [&](const char* name, int index) { return Keep(factory.MakeButton(Design(name, index))); };
    auto strip = [&](const char* name) { return Keep(factory.MakeTabStrip(Design(name))); };
    // Tools page
    for (int i = 0; i < 2; ++i) cmdTools[static_cast<size_t>(i)] = button("cmdTools", i);
    tbTools = strip("tbTools");
    Grid = Keep(factory.MakeGrid(Design("Grid")));
    cmdApplyStartup = button("cmdApplyStartup", -1);
    lblStartupHint = Keep(factory.MakeLabel(Design("lblStartupHint")));
    Grid2 = Keep(factory.MakeGrid(Design("Grid2")));
    cmdUninstall = button("cmdUninstall", -1);
    cmdRemoveEntry = button("cmdRemoveEntry", -1);
    cmdRenameEntry = button("cmdRenameEntry", -1);
    cmdSaveUins2txt = button("cmdSaveUins2txt", -1);
}

// Parents before their children: the tab strip's pages, then the frames of the
// schedule's options.
void frmMain::MakeOptionsPage(controls::ControlFactory& factory) {
    auto button = [&](const char* name, int index = -1) { return Keep(factory.MakeButton(Design(name, index))); };
    auto label = [&](const char* name, int index = -1) { return Keep(factory.MakeLabel(Design(name, index))); };
    auto list = [&](const char* name) { return Keep(factory.MakeListBox(Design(name))); };
    auto check = [&](const char* name, int index = -1) { return Keep(factory.MakeCheckBox(Design(name, index))); };
    auto option = [&](const char* name, int index) { return Keep(factory.MakeOptionButton(Design(name, index))); };

    for (int i = 0; i < 6; ++i) cmdOptions[static_cast<size_t>(i)] = button("cmdOptions", i);
    gOptionsTitle = label("gOptionsTitle");
    tbOptions = Keep(factory.MakeTabStrip(Design("tbOptions")));
    lblHelp = label("lblHelp");
    lblUpdate = label("lblUpdate");
    // Settings
    for (int i = 0; i < static_cast<int>(chkSettings.size()); ++i) chkSettings[static_cast<size_t>(i)] = check("chkSettings", i);
    Label55 = label("Label55");
    cmbDrives = Keep(factory.MakeComboBox(Design("cmbDrives")));
    // Safe List
    Label21 = label("Label21");
    Label46 = label("Label46");
    lstSafeList = list("lstSafeList");
    cmdAddSafeFile = button("cmdAddSafeFile");
    cmdAddSafeFolder = button("cmdAddSafeFolder");
    cmdAddSafeRegKey = button("cmdAddSafeRegKey");
    cmdRemoveSafeItem = button("cmdRemoveSafeItem");
    // Black list
    Label22 = label("Label22");
    lstBlackList = list("lstBlackList");
    cmdAddBlackFile = button("cmdAddBlackFile");
    cmdAddBlackFolder = button("cmdAddBlackFolder");
    cmdAddBlackRegistry = button("cmdAddBlackRegistry");
    cmdRemoveBlackItem = button("cmdRemoveBlackItem");
    // Safe Cookies
    Label23 = label("Label23");
    Label24 = label("Label24");
    lstAllCookies = list("lstAllCookies");
    chkSelectAllCookies = check("chkSelectAllCookies");
    cmdAddSafeCookie = button("cmdAddSafeCookie");
    Label25 = label("Label25");
    lstSafeCookies = list("lstSafeCookies");
    chkSelectAllSafeCookies = check("chkSelectAllSafeCookies");
    cmdRemoveSafeCookie = button("cmdRemoveSafeCookie");
    // Schedule
    Label26 = label("Label26");
    barSched1 = label("barSched1");
    chkTimeSchedule = check("chkTimeSchedule");
    MyFrame1 = Keep(factory.MakePanel(Design("MyFrame1")));
    for (int i = 0; i < static_cast<int>(optTimeSchedule.size()); ++i)
        optTimeSchedule[static_cast<size_t>(i)] = option("optTimeSchedule", i);
    barSched2 = label("barSched2");
    chkSessionSchedule = check("chkSessionSchedule");
    MyFrame2 = Keep(factory.MakePanel(Design("MyFrame2")));
    chkWhenWindowStarts = check("chkWhenWindowStarts");
    chkWhenWindowsShuts = check("chkWhenWindowsShuts");
    for (int i = 0; i < static_cast<int>(optSessionSchedule.size()); ++i)
        optSessionSchedule[static_cast<size_t>(i)] = option("optSessionSchedule", i);
    // The schedule's interval timer, off until the schedule is applied: every 15 minutes by design.
    tmrSchedule->Interval(15);
    tmrSchedule->IntervalUnit(controls::kMinutes);
    // About
    picLogo = Keep(factory.MakePicture(Design("picLogo")));
    for (int i = 0; i < DesignCount("lblAboutText"); ++i) lblAboutText.push_back(label("lblAboutText", i));
    lblVersion = label("lblVersion");
    lblWebSite = label("lblWebSite");
}

namespace {

// The shredding bars: the two-tone style with the percentage shown, in the
// design colour (the colour scheme sets its own later).
constexpr int kTwoToneStyle = 5;
constexpr COLORREF kBarColor = 0xC56A31;

}  // namespace

void frmMain::MakeShredderPage(controls::ControlFactory& factory) {
    auto button = [&](const char* name, int index = -1) { return Keep(factory.MakeButton(Design(name, index))); };
    auto label = [&](const char* name, int index = -1) { return Keep(factory.MakeLabel(Design(name, index))); };
    auto bar = [&](const char* name) {
        auto* b = Keep(factory.MakeProgressBar(Design(name)));
        b->Scrolling(kTwoToneStyle);
        b->ShowText(true);
        b->Color(kBarColor);
        return b;
    };

    for (int i = 0; i < static_cast<int>(cmdShredder.size()); ++i) {
        cmdShredder[static_cast<size_t>(i)] = button("cmdShredder", i);
        cmdShredder[static_cast<size_t>(i)]->OnClick = [this, i] { cmdShredder_Click(i); };
    }
    tbShredder = Keep(factory.MakeTabStrip(Design("tbShredder")));
    lstFiles = Keep(factory.MakeListBox(Design("lstFiles")));
    lstFiles->OnDropFiles = [this](const std::vector<std::string>& paths) { lstFiles_OLEDragDrop(paths); };
    cmdAddFiles = button("cmdAddFiles");
    cmdAddFiles->OnClick = [this] { cmdAddFiles_Click(); };
    cmdAddFolder = button("cmdAddFolder");
    cmdAddFolder->OnClick = [this] { cmdAddFolder_Click(); };
    cmdRemoveShredItem = button("cmdRemoveShredItem");
    cmdRemoveShredItem->OnClick = [this] { cmdRemoveShredItem_Click(); };
    cmdRemoveAllShred = button("cmdRemoveAllShred");
    cmdRemoveAllShred->OnClick = [this] { cmdRemoveAllShred_Click(); };
    lstDrives = Keep(factory.MakeListBox(Design("lstDrives")));
    lstDrives->OnItemCheck = [this](int index) { lstDrives_ItemCheck(index); };
    cmbShredMethod->OnClick = [this] { cmbShredMethod_Click(); };
    cmdStartShred = button("cmdStartShred");
    cmdStartShred->OnClick = [this] { cmdStartShred_Click(); };
    chkShredShutdown = Keep(factory.MakeCheckBox(Design("chkShredShutdown")));
    prgItemShred = bar("prgItemShred");
    prgTotalShred = bar("prgTotalShred");
    lblItemProgress = label("lblItemProgress");
    lblTotalProgress = label("lblTotalProgress");
    lblShredLabel = label("lblShredLabel");
    for (int i = 0; i < DesignCount("lblShredText"); ++i) lblShredText.push_back(label("lblShredText", i));
    // No shredding runs yet.
    for (controls::Control* c : std::initializer_list<controls::Control*>{
             lblItemProgress, lblTotalProgress, lblShredLabel, prgItemShred, prgTotalShred})
        c->Visible(false);
}

void frmMain::MakeOptimizerPage(controls::ControlFactory& factory) {
    for (int i = 0; i < static_cast<int>(cmdOptimizer.size()); ++i) {
        cmdOptimizer[static_cast<size_t>(i)] = Keep(factory.MakeButton(Design("cmdOptimizer", i)));
        cmdOptimizer[static_cast<size_t>(i)]->OnClick = [this, i] { cmdOptimizer_Click(i); };
    }
    tbOptimizer = Keep(factory.MakeTabStrip(Design("tbOptimizer")));
    for (int i = 0; i < static_cast<int>(chkOptimizer.size()); ++i) {
        chkOptimizer[static_cast<size_t>(i)] = Keep(factory.MakeCheckBox(Design("chkOptimizer", i)));
        chkOptimizer[static_cast<size_t>(i)]->OnClick = [this, i] { chkOptimizer_Click(i); };
    }
    cmbConnections = Keep(factory.MakeComboBox(Design("cmbConnections")));
    lstPreventAccess = Keep(factory.MakeListBox(Design("lstPreventAccess")));
    cmdOptimizeApply = Keep(factory.MakeButton(Design("cmdOptimizeApply")));
    cmdOptimizeApply->OnClick = [this] { cmdOptimizeApply_Click(); };
    cmdOptimizeCancel = Keep(factory.MakeButton(Design("cmdOptimizeCancel")));
    cmdOptimizeCancel->OnClick = [this] { cmdOptimizeCancel_Click(); };
    for (int i = 0; i < DesignCount("lblOptimizerText"); ++i)
        lblOptimizerText.push_back(Keep(factory.MakeLabel(Design("lblOptimizerText", i))));
}

void frmMain::WireToolsPage() {
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

}  // namespace tidvex::main
